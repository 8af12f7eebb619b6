// Window tests of help: the page of each context from the compiled help file, links between
// pages, F1 in a workspace window, and the desktop fallback when the file cannot be read.
#include "gui/settings/cvk_right_view.h"
#include "gui/settings/wsp_tree_view.h"
#include "gui/shell/child_frame.h"
#include "gui/shell/chm_file.h"
#include "gui/shell/help_wnd.h"
#include "gui/shell/main_frame.h"
#include "tests/gui/support/gui_test_support.h"

#include <QDesktopServices>
#include <QFile>
#include <QListWidget>
#include <QTest>
#include <QUrl>

using guitest::Program;

// Stands in for the desktop: records what the program asks it to open.
class DesktopRecorder : public QObject {
    Q_OBJECT
public:
    DesktopRecorder() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~DesktopRecorder() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> opened;

public Q_SLOTS:
    void open(const QUrl& url) { opened.append(url); }
};

namespace {

QString BuiltHelpFile() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/cvtool.chm");
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Picks the first tree item of `kind` in the workspace window.
bool SelectTreeItem(CChildFrame* frame, TreeItemKind kind) {
    CWspTreeView* tree = frame->treeView();
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if (tree->DataOf(*it)->kind == kind) {
            tree->setCurrentItem(*it);
            return true;
        }
    }
    return false;
}

} // namespace

class HelpTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        QVERIFY(guitest::RegisterComponents());
        QVERIFY2(QFile::exists(BuiltHelpFile()), "the build compiles cvtool.chm beside the tests");
    }

    void eachContextShowsItsPage() {
        DesktopRecorder desktop;
        Program program;
        QVERIFY(program.Start());
        CCvkApp* app = program.app();
        QCOMPARE(app->helpFilePath(), BuiltHelpFile());
        const struct {
            int context;
            const char* page;
            const char* heading;
        } topics[] = {{1, "/general.html", "Using Corvane"},
                      {2, "/cmos.html", "CMOS settings"},
                      {3, "/smbios.html", "SMBIOS strings"},
                      {4, "/thermal.html", "Thermaline fan control"},
                      {5, "/modules.html", "Flex modules"}};
        for (const auto& topic : topics) {
            app->WinHelp(topic.context);
            CHelpWnd* help = app->helpWindow();
            QVERIFY(help);
            QVERIFY(help->isVisible());
            QCOMPARE(help->windowTitle(), QStringLiteral("Halvex(R) Corvane Help"));
            QCOMPARE(help->currentPage(), QString::fromLatin1(topic.page));
            const QString text = help->browser()->toPlainText();
            QVERIFY2(text.startsWith(QString::fromLatin1(topic.heading)),
                     qPrintable(text.left(80)));
            QCOMPARE(help->contents()->currentItem()->text(), QString::fromLatin1(topic.heading));
        }
        QVERIFY(desktop.opened.isEmpty());
        // The contents list every page of the file, the INI strings page included.
        QCOMPARE(app->helpWindow()->contents()->count(), 6);
    }

    void linksAndContentsTurnPagesInsideTheFile() {
        DesktopRecorder desktop;
        Program program;
        QVERIFY(program.Start());
        program.app()->WinHelp(3);
        CHelpWnd* help = program.app()->helpWindow();
        QVERIFY(help);
        Q_EMIT help->browser()->anchorClicked(QUrl(QStringLiteral("smbios-ini-strings.html")));
        QCOMPARE(help->currentPage(), QStringLiteral("/smbios-ini-strings.html"));
        QVERIFY(help->browser()->toPlainText().startsWith(
            QStringLiteral("Editing SMBIOS strings in the INI file")));
        QListWidget* contents = help->contents();
        Q_EMIT contents->itemClicked(contents->item(3));
        QCOMPARE(help->currentPage(), QStringLiteral("/thermal.html"));
        // A link out of the file goes to the desktop.
        Q_EMIT help->browser()->anchorClicked(QUrl::fromLocalFile(QStringLiteral("/elsewhere")));
        QCOMPARE(desktop.opened.size(), 1);
        QCOMPARE(help->currentPage(), QStringLiteral("/thermal.html"));
    }

    void f1InTheWorkspaceWindowShowsTheModesPage() {
        DesktopRecorder desktop;
        Program program;
        QVERIFY(program.Start());
        QVERIFY(program.NewWorkspace(QStringLiteral(CORVANE_DEMO_MAP)));
        CMainFrame* main = program.app()->mainFrame();
        CChildFrame* frame = main->activeChildFrame();
        QVERIFY(SelectTreeItem(frame, TreeItemKind::CmosGroup));
        QCOMPARE(frame->rightView()->mode(), CCvkRightView::ModeCmos);
        main->action(Cmd::HelpTopics)->trigger();
        QVERIFY(program.app()->helpWindow());
        QCOMPARE(program.app()->helpWindow()->currentPage(), QStringLiteral("/cmos.html"));
        QVERIFY(desktop.opened.isEmpty());
    }

    void unreadableHelpFileGoesToTheDesktop() {
        DesktopRecorder desktop;
        Program program;
        QVERIFY(program.Start());
        CCvkApp* app = program.app();
        const QString missing = program.Path(QStringLiteral("cvtool.chm"));
        app->setHelpFilePath(missing);
        app->WinHelp(2);
        QVERIFY(!app->helpWindow());
        QCOMPARE(desktop.opened, QList<QUrl>{QUrl::fromLocalFile(missing)});

        // Not a compiled help file, and a help file cut short: neither crashes, both fall back.
        QVERIFY(WriteFile(missing, QByteArray("<html>not compiled</html>")));
        app->setHelpFilePath(missing);
        app->WinHelp(1);
        QVERIFY(!app->helpWindow());
        QCOMPARE(desktop.opened.size(), 2);

        QFile built(BuiltHelpFile());
        QVERIFY(built.open(QIODevice::ReadOnly));
        const QByteArray whole = built.readAll();
        for (qsizetype cut : {qsizetype(64), whole.size() / 2, whole.size() - 100}) {
            QVERIFY(WriteFile(missing, whole.left(cut)));
            app->setHelpFilePath(missing);
            const qsizetype asked = desktop.opened.size();
            app->WinHelp(1);
            CHelpWnd* help = app->helpWindow();
            if (desktop.opened.size() == asked) {
                QVERIFY(help && help->isVisible());
                QCOMPARE(help->currentPage(), QStringLiteral("/general.html"));
                QVERIFY(!help->browser()->toPlainText().isEmpty());
            }
        }
    }

    void contextWithoutAPageGoesToTheDesktop() {
        DesktopRecorder desktop;
        Program program;
        QVERIFY(program.Start());
        program.app()->WinHelp(99);
        QCOMPARE(desktop.opened, QList<QUrl>{QUrl::fromLocalFile(BuiltHelpFile())});
        std::unique_ptr<CChmFile> file = CChmFile::Open(BuiltHelpFile());
        QVERIFY(file);
        QVERIFY(file->PageOfContext(0).isEmpty());
        QVERIFY(file->Read(QStringLiteral("/no-such-page.html")).isNull());
    }
};

QTEST_MAIN(HelpTest)
#include "help_test.moc"
