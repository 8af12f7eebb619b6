// Shared helpers of the window tests.
#include "tests/gui/support/gui_test_support.h"

#include "gui/shell/main_frame.h"
#include "platform/com/com.h"
#include "tools/cvkgen/board.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <dlfcn.h>

namespace guitest {

namespace {

bool RegisterLibrary(const char* path) {
    void* handle = ::dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return false;
    using Entry = HRESULT (*)();
    auto entry = reinterpret_cast<Entry>(::dlsym(handle, "DllRegisterServer"));
    return entry && SUCCEEDED(entry());
}

} // namespace

bool RegisterComponents() {
    cvk::ComInitializer com;
    return RegisterLibrary(CVKSERVER_LIBRARY) && RegisterLibrary(MODWEAVE_LIBRARY);
}

namespace {

// Polls for a modal dialog that `wanted` accepts and runs `act` on it.
void WhenModalIs(std::function<bool(QWidget*)> wanted, std::function<void(QWidget*)> act) {
    // A dialog that never comes leaves nothing behind to act on a later test's dialogs.
    constexpr int kPolls = 500;
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    auto polls = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer,
                     [timer, polls, wanted = std::move(wanted), act = std::move(act)] {
                         QWidget* modal = QApplication::activeModalWidget();
                         if (!modal || !wanted(modal)) {
                             if (++*polls > kPolls) {
                                 timer->stop();
                                 timer->deleteLater();
                             }
                             return;
                         }
                         timer->stop();
                         timer->deleteLater();
                         act(modal);
                     });
    timer->start();
}

} // namespace

void WhenModal(std::function<void(QWidget*)> act) {
    WhenModalIs([](QWidget*) { return true; }, std::move(act));
}

void WhenModalNamed(const QString& name, std::function<void(QWidget*)> act) {
    WhenModalIs([name](QWidget* modal) { return modal->objectName() == name; }, std::move(act));
}

bool WriteBoard(const QString& path, int maxLocked, int maxHidden) {
    QFile file(QStringLiteral(CORVANE_DEMO_BOARD));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QJsonObject board = QJsonDocument::fromJson(file.readAll()).object();
    board.remove(QStringLiteral("modules"));
    QJsonObject build = board.value(QStringLiteral("build")).toObject();
    build.insert(QStringLiteral("maxLocked"), maxLocked);
    build.insert(QStringLiteral("maxHidden"), maxHidden);
    board.insert(QStringLiteral("build"), build);
    try {
        const std::string json = QJsonDocument(board).toJson().toStdString();
        const cvkgen::Board parsed = cvkgen::ParseBoard(json);
        cvkgen::SaveFileAtomically(path.toStdString(),
                                   cvkgen::WriteMapFile(cvkgen::BuildMapFile(parsed)));
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

Program::Program() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       dir_.filePath(QStringLiteral("config")));
    CMessageBox::SetResponder([this](const CMessageBox::Request& request) {
        messages.push_back(request);
        if (!answers.empty()) {
            const QMessageBox::StandardButton answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return request.buttons.testFlag(QMessageBox::Ok) ? QMessageBox::Ok : QMessageBox::No;
    });
    CFileChooser::SetResponder([this](const CFileChooser::Request& request) {
        chooserRequests.push_back(request);
        if (chooserAnswers.empty())
            return QString();
        const QString answer = chooserAnswers.front();
        chooserAnswers.pop_front();
        return answer;
    });
}

Program::~Program() {
    Shutdown();
    CMessageBox::SetResponder({});
    CFileChooser::SetResponder({});
}

bool Program::Start(const QStringList& arguments) {
    app_ = std::make_unique<CCvkApp>();
    return app_->InitInstance(arguments);
}

QStringList Program::messageTexts() const {
    QStringList texts;
    for (const CMessageBox::Request& request : messages)
        texts.append(request.text);
    return texts;
}

QTreeWidgetItem* SelectEachTreeItem(CWspTreeView* tree, TreeItemKind kind,
                                    const std::function<bool(QTreeWidgetItem*)>& stop) {
    QList<QTreeWidgetItem*> pending;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        pending.append(tree->topLevelItem(i));
    while (!pending.isEmpty()) {
        QTreeWidgetItem* item = pending.takeFirst();
        for (int c = 0; c < item->childCount(); ++c)
            pending.append(item->child(c));
        if (tree->DataOf(item)->kind != kind)
            continue;
        tree->setCurrentItem(item);
        if (stop(item))
            return item;
    }
    return nullptr;
}

QTreeWidgetItem* ShowTreeItem(CWspTreeView* tree, TreeItemKind kind, int minRows,
                              const QTreeWidget* list) {
    return SelectEachTreeItem(tree, kind, [&](QTreeWidgetItem*) {
        return !list || list->topLevelItemCount() >= minRows;
    });
}

bool Program::NewWorkspace(const QString& biosFile) {
    chooserAnswers.push_back(biosFile);
    WhenModal([](QWidget* dialog) {
        dialog->findChild<QPushButton*>(QStringLiteral("browseButton"))->click();
        dialog->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    });
    app_->mainFrame()->action(Cmd::New)->trigger();
    return app_->activeDocument() != nullptr;
}

void Program::Shutdown() {
    if (!app_)
        return;
    answers.clear();
    answers.push_back(QMessageBox::No);
    if (app_->mainFrame())
        app_->mainFrame()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    app_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace guitest
