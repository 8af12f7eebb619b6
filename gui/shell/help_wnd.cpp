// The help window and its browser over the compiled help file.
#include "gui/shell/help_wnd.h"

#include "gui/common/strings.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QListWidget>
#include <QSplitter>

namespace {

const QString kScheme = QStringLiteral("cvtool");
constexpr int kPageRole = Qt::UserRole;

} // namespace

CHelpBrowser::CHelpBrowser(const CChmFile* file, QWidget* parent)
    : QTextBrowser(parent), file_(file) {
    setObjectName(QStringLiteral("helpBrowser"));
    setOpenLinks(false);
    // Pages link to each other inside the file; anything else belongs to the desktop.
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
        const QUrl url = source().resolved(link);
        if (url.scheme() == kScheme)
            setSource(url);
        else
            QDesktopServices::openUrl(url);
    });
}

QUrl CHelpBrowser::PageUrl(const QString& page) {
    QUrl url;
    url.setScheme(kScheme);
    url.setPath(page);
    return url;
}

QVariant CHelpBrowser::loadResource(int type, const QUrl& name) {
    if (name.scheme() != kScheme)
        return QTextBrowser::loadResource(type, name);
    const QByteArray bytes = file_->Read(name.path());
    if (bytes.isNull())
        return {};
    if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource)
        return QString::fromUtf8(bytes);
    return bytes;
}

std::unique_ptr<CHelpWnd> CHelpWnd::Open(const QString& path) {
    std::unique_ptr<CChmFile> file = CChmFile::Open(path);
    if (!file)
        return nullptr;
    return std::unique_ptr<CHelpWnd>(new CHelpWnd(std::move(file)));
}

CHelpWnd::CHelpWnd(std::unique_ptr<CChmFile> file) : file_(std::move(file)) {
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(cvkgui::text::kHelpTitle);
    auto* splitter = new QSplitter(this);
    contents_ = new QListWidget(splitter);
    contents_->setObjectName(QStringLiteral("helpContents"));
    for (const CChmFile::ContentsEntry& entry : file_->Contents()) {
        auto* item = new QListWidgetItem(entry.name, contents_);
        item->setData(kPageRole, entry.page);
    }
    browser_ = new CHelpBrowser(file_.get(), splitter);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({200, 600});
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
    resize(800, 600);
    connect(contents_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { ShowPage(item->data(kPageRole).toString()); });
    connect(contents_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { ShowPage(item->data(kPageRole).toString()); });
    connect(browser_, &QTextBrowser::sourceChanged, this, &CHelpWnd::SelectContentsOf);
}

bool CHelpWnd::ShowContext(int context) {
    const QString page = file_->PageOfContext(context);
    // A damaged file may map the context yet fail to give the page.
    if (page.isEmpty() || file_->Read(page).isEmpty())
        return false;
    ShowPage(page);
    show();
    raise();
    activateWindow();
    return true;
}

QString CHelpWnd::currentPage() const {
    return browser_->source().path();
}

void CHelpWnd::ShowPage(const QString& page) {
    if (page.isEmpty() || currentPage() == page)
        return;
    browser_->setSource(CHelpBrowser::PageUrl(page), QTextDocument::HtmlResource);
}

void CHelpWnd::SelectContentsOf(const QUrl& source) {
    for (int row = 0; row < contents_->count(); ++row) {
        QListWidgetItem* item = contents_->item(row);
        if (item->data(kPageRole).toString() == source.path()) {
            contents_->setCurrentItem(item);
            return;
        }
    }
    contents_->clearSelection();
}
