// Window tests of the output commands and Options: the component boxes, the written INI file
// and report against the engine's own, the chooser rules, Generate BIOS File's checks and the
// Options dialog's directory rule.
#include "engine/include/cvkserver.h"
#include "gui/common/engine_call.h"
#include "gui/common/strings.h"
#include "gui/document/cvk_doc.h"
#include "gui/output/output_texts.h"
#include "gui/shell/main_frame.h"
#include "tests/gui/support/gui_test_support.h"
#include "tools/cvkgen/board.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using guitest::Program;
using guitest::WhenModal;

namespace {

const QString kDemoMap = QStringLiteral(CORVANE_DEMO_MAP);

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The report's lines without the one that tells when it was written.
QList<QByteArray> ReportLines(const QString& path) {
    QList<QByteArray> lines = ReadAll(path).split('\n');
    lines.removeIf([](const QByteArray& line) { return line.startsWith(QByteArray(25, ' ')); });
    return lines;
}

// The demo board with a modular flash image whose required content has `requiredBytes`, as
// `base`.cvk and `base`.bio.
bool WriteModularBoard(const QString& base, int requiredBytes) {
    QJsonObject board =
        QJsonDocument::fromJson(ReadAll(QStringLiteral(CORVANE_DEMO_BOARD))).object();
    QJsonObject modules = board.value(QStringLiteral("modules")).toObject();
    modules.insert(QStringLiteral("requiredContent"), requiredBytes);
    board.insert(QStringLiteral("modules"), modules);
    try {
        const cvkgen::Board parsed =
            cvkgen::ParseBoard(QJsonDocument(board).toJson().toStdString());
        cvkgen::SaveFileAtomically((base + QStringLiteral(".cvk")).toStdString(),
                                   cvkgen::WriteMapFile(cvkgen::BuildMapFile(parsed)));
        cvkgen::WriteFlashImage(*parsed.modules, (base + QStringLiteral(".bio")).toStdString());
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

// The demo board's network boot module, which needs a driver that is not selected by default.
constexpr LONG kPxeWithoutItsDriver = 20;

bool SelectModule(IWorkspace* workspace, LONG handle) {
    cvk::ComPtr<IFlex> flex;
    cvk::ComPtr<IFlexModuleList> list;
    cvk::ComPtr<IFlexModule> module;
    return SUCCEEDED(workspace->get_Flex(flex.put())) &&
           SUCCEEDED(flex->get_OptionalModuleList(list.put())) &&
           SUCCEEDED(list->GetModule(handle, module.put())) &&
           SUCCEEDED(module->put_InUpdate(VARIANT_TRUE));
}

class Fixture {
public:
    // A workspace on `map` through "Create A Workspace", with the box `unchecked` cleared.
    explicit Fixture(const QString& map = kDemoMap, const char* unchecked = nullptr) {
        started = program.Start();
        program.chooserAnswers.push_back(map);
        WhenModal([unchecked](QWidget* dialog) {
            dialog->findChild<QPushButton*>(QStringLiteral("browseButton"))->click();
            if (unchecked)
                dialog->findChild<QCheckBox*>(QString::fromLatin1(unchecked))->setChecked(false);
            dialog->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        });
        main = program.app()->mainFrame();
        main->show();
        main->action(Cmd::New)->trigger();
        if (CCvkDoc* doc = program.app()->activeDocument())
            workspace = doc->GetWorkspace();
        program.chooserRequests.clear();
        program.messages.clear();
    }
    bool ready() const { return started && workspace; }

    // Triggers `id` and runs `act` on its dialog; the dialog is gone when this returns.
    void Run(Cmd id, std::function<void(QWidget*)> act = {}) {
        if (act)
            WhenModal(std::move(act));
        main->UpdateCommandUI();
        main->action(id)->trigger();
    }

    // Clicks OK in Generate INI File; true when the dialog was still open afterwards.
    bool OkLeavesTheIniDialogOpen() {
        bool stillOpen = false;
        Run(Cmd::GenerateIni, [&](QWidget* dialog) {
            dialog->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
            stillOpen = dialog->isVisible();
            dialog->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
        });
        return stillOpen;
    }

    Program program;
    bool started = false;
    CMainFrame* main = nullptr;
    cvk::ComPtr<IWorkspace> workspace;
};

// The rows of a test run once for Generate INI File and once for Generate Report.
void IniAndReportRows() {
    QTest::addColumn<int>("command");
    QTest::newRow("INI file") << static_cast<int>(Cmd::GenerateIni);
    QTest::newRow("report") << static_cast<int>(Cmd::GenerateReport);
}

QCheckBox* Box(QWidget* dialog, const char* name) {
    return dialog->findChild<QCheckBox*>(QString::fromLatin1(name));
}

void Click(QWidget* dialog, const char* name) {
    dialog->findChild<QPushButton*>(QString::fromLatin1(name))->click();
}

struct BoxState {
    bool shown;
    bool enabled;
    bool checked;
    bool operator==(const BoxState&) const = default;
};

BoxState StateOf(QCheckBox* box) {
    return {!box->isHidden(), box->isEnabled(), box->isChecked()};
}

} // namespace

class OutputTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(guitest::RegisterComponents()); }

    void boxesFollowTheEngineAndTheWorkspace_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<bool>("flexShown");
        QTest::newRow("ini") << static_cast<int>(Cmd::GenerateIni) << false;
        QTest::newRow("report") << static_cast<int>(Cmd::GenerateReport) << true;
    }

    void boxesFollowTheEngineAndTheWorkspace() {
        QFETCH(int, command);
        QFETCH(bool, flexShown);
        Fixture fixture(kDemoMap, "smbiosBox");
        QVERIFY(fixture.ready());
        std::map<QString, BoxState> states;
        fixture.Run(static_cast<Cmd>(command), [&](QWidget* dialog) {
            for (const char* name :
                 {"cmosBox", "smbiosBox", "thermalineBox", "splashBox", "bomBox", "flexBox"})
                states[QString::fromLatin1(name)] = StateOf(Box(dialog, name));
            Click(dialog, "cancelButton");
        });
        QCOMPARE(states[QStringLiteral("cmosBox")], (BoxState{true, true, true}));
        QCOMPARE(states[QStringLiteral("thermalineBox")], (BoxState{true, true, true}));
        // Offered by the engine but not in the workspace.
        QCOMPARE(states[QStringLiteral("smbiosBox")], (BoxState{true, false, false}));
        // Not offered by the engine.
        QVERIFY(!states[QStringLiteral("splashBox")].shown);
        QVERIFY(!states[QStringLiteral("bomBox")].shown);
        QCOMPARE(states[QStringLiteral("flexBox")].shown, flexShown);
        QVERIFY(fixture.program.messages.empty());
    }

    void iniFileIsTheEnginesForTheCheckedBoxes_data() {
        QTest::addColumn<bool>("uncheckAll");
        QTest::addColumn<LONG>("mask");
        QTest::newRow("checked boxes")
            << false << LONG{SUBSYS_CMOS | SUBSYS_SMBIOS | SUBSYS_ENVCTL};
        QTest::newRow("empty mask") << true << LONG{0};
    }

    void iniFileIsTheEnginesForTheCheckedBoxes() {
        QFETCH(bool, uncheckAll);
        QFETCH(LONG, mask);
        Fixture fixture;
        QVERIFY(fixture.ready());
        const QString iniDir = fixture.program.Path(QStringLiteral("ini"));
        QVERIFY(QDir().mkpath(iniDir));
        fixture.program.app()->setIniDefaultDir(iniDir);
        const QString target = QDir(iniDir).filePath(QStringLiteral("out.ini"));
        fixture.program.chooserAnswers.push_back(target);
        fixture.Run(Cmd::GenerateIni, [&](QWidget* dialog) {
            for (QCheckBox* box : dialog->findChildren<QCheckBox*>())
                box->setChecked(box->isChecked() && !uncheckAll);
            Click(dialog, "okButton");
        });
        QCOMPARE(fixture.program.chooserRequests.size(), std::size_t{1});
        const CFileChooser::Request& request = fixture.program.chooserRequests.front();
        QCOMPARE(request.mode, CFileChooser::Mode::Save);
        QCOMPARE(request.start, iniDir);
        QCOMPARE(request.filter, QStringLiteral("INI Files (*.ini);;All Files (*)"));
        QCOMPARE(fixture.program.messageTexts(), QStringList{cvkgui::text::kGenerated});
        QCOMPARE(fixture.program.messages.front().icon, QMessageBox::Information);
        const QString reference = fixture.program.Path(QStringLiteral("reference.ini"));
        QCOMPARE(fixture.workspace->DumpIni(ToBstr(reference).get(), mask, 0), S_OK);
        QVERIFY(!ReadAll(reference).isEmpty());
        QCOMPARE(ReadAll(target), ReadAll(reference));
    }

    void reportIsTheEnginesWithTheModules() {
        Fixture fixture;
        QVERIFY(fixture.ready());
        const QString target = fixture.program.Path(QStringLiteral("report.txt"));
        fixture.program.chooserAnswers.push_back(target);
        fixture.Run(Cmd::GenerateReport, [](QWidget* dialog) { Click(dialog, "okButton"); });
        QCOMPARE(fixture.program.chooserRequests.front().filter,
                 QStringLiteral("Text Files (*.txt);;All Files (*)"));
        QCOMPARE(fixture.program.messageTexts(), QStringList{cvkgui::text::kGenerated});
        cvk::ComPtr<IReport> report;
        QCOMPARE(fixture.workspace->get_Report(report.put()), S_OK);
        const QString reference = fixture.program.Path(QStringLiteral("reference.txt"));
        const LONG all = SUBSYS_CMOS | SUBSYS_SMBIOS | SUBSYS_ENVCTL | SUBSYS_FLEX;
        QCOMPARE(report->GenerateReport(ToBstr(reference).get(), all), S_OK);
        QCOMPARE(ReportLines(target), ReportLines(reference));
    }

    void cancelOfTheChooserKeepsTheDialog() {
        Fixture fixture;
        QVERIFY(fixture.ready());
        QVERIFY(fixture.OkLeavesTheIniDialogOpen());
        QCOMPARE(fixture.program.chooserRequests.size(), std::size_t{1});
        QVERIFY(fixture.program.messages.empty());
    }

    void readOnlyTargetIsRefusedAndKept() {
        Fixture fixture;
        QVERIFY(fixture.ready());
        const QString target = fixture.program.Path(QStringLiteral("kept.ini"));
        QVERIFY(WriteAll(target, "precious\n"));
        QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::ReadUser));
        fixture.program.chooserAnswers = {target, QString()};
        QVERIFY(fixture.OkLeavesTheIniDialogOpen());
        // Refused, then asked again.
        QCOMPARE(fixture.program.chooserRequests.size(), std::size_t{2});
        QCOMPARE(fixture.program.messages.size(), std::size_t{1});
        QCOMPARE(fixture.program.messages.front().icon, QMessageBox::Warning);
        QVERIFY(fixture.program.messages.front().text.contains(QStringLiteral("read-only")));
        QCOMPARE(ReadAll(target), QByteArray("precious\n"));
    }

    void writeFailureSaysWhyAndClosesTheProgram_data() { IniAndReportRows(); }

    void writeFailureSaysWhyAndClosesTheProgram() {
        QFETCH(int, command);
        Fixture fixture;
        QVERIFY(fixture.ready());
        const QString target = fixture.program.Path(QStringLiteral("no/such/folder/out.txt"));
        fixture.program.chooserAnswers.push_back(target);
        fixture.Run(static_cast<Cmd>(command), [](QWidget* dialog) { Click(dialog, "okButton"); });
        // The message first, then the engine's words, which name the path.
        const QString shown = fixture.program.messages.front().text;
        QVERIFY2(shown.startsWith(cvkgui::text::kFailedGenerate + QStringLiteral("\n\n")),
                 qPrintable(shown));
        QVERIFY2(shown.contains(QStringLiteral("no/such/folder")), qPrintable(shown));
        QCOMPARE(fixture.program.messages.front().icon, QMessageBox::Critical);
        QTRY_VERIFY(!fixture.main->isVisible());
    }

    void outputsNameTheSettingsTheIniWalkLeavesOut_data() { IniAndReportRows(); }

    void outputsNameTheSettingsTheIniWalkLeavesOut() {
        QFETCH(int, command);
        // "Odd" has a default that is none of its answers: the walk of "Main" ends there.
        const QString map = QDir::temp().filePath(QStringLiteral("corvane-odd-board.cvk"));
        const cvkgen::Board board = cvkgen::ParseBoard(R"({"setup": [{"menu": "Main", "items": [
            {"setting": "Odd", "keyword": "CMOS_ODD", "choices": ["a", "b"], "default": 3},
            {"setting": "After", "keyword": "CMOS_AFTER", "choices": ["a", "b"]}]}]})");
        cvkgen::SaveFileAtomically(map.toStdString(),
                                   cvkgen::WriteMapFile(cvkgen::BuildMapFile(board)));
        Fixture fixture(map);
        QFile::remove(map);
        QVERIFY(fixture.ready());
        fixture.program.chooserAnswers.push_back(fixture.program.Path(QStringLiteral("out")));
        fixture.Run(static_cast<Cmd>(command), [](QWidget* dialog) { Click(dialog, "okButton"); });
        QCOMPARE(fixture.program.messages.size(), std::size_t{2});
        const CMessageBox::Request& warning = fixture.program.messages.front();
        QCOMPARE(warning.icon, QMessageBox::Warning);
        QVERIFY2(warning.text.contains(QStringLiteral(
                     "The CMOS setting \"Main/Odd\" (CMOS_ODD) has no current choice")),
                 qPrintable(warning.text));
        QVERIFY2(warning.text.contains(QStringLiteral(": \"Main/After\" (CMOS_AFTER); choose")),
                 qPrintable(warning.text));
        QCOMPARE(fixture.program.messages.back().text, cvkgui::text::kGenerated);
    }

    void biosFileIsWrittenWhenTheUpdateIsValid() {
        Fixture fixture;
        QVERIFY(fixture.ready());
        const QString target = fixture.program.Path(QStringLiteral("update.bio"));
        fixture.program.chooserAnswers.push_back(target);
        fixture.Run(Cmd::GenerateBiosFile);
        QCOMPARE(fixture.program.messageTexts(), QStringList{cvkgui::text::kGenerated});
        QCOMPARE(fixture.program.chooserRequests.front().filter,
                 QStringLiteral("BIO Files (*.bio);;All Files (*)"));
        QVERIFY(QFileInfo(target).size() > 0);
    }

    void biosFileChecksComeBeforeTheChooser_data() {
        QTest::addColumn<bool>("noSpace");
        QTest::addColumn<QString>("message");
        QTest::newRow("no optional module space") << true << cvkgui::text::kInvalidCapsule;
        QTest::newRow("missing dependency") << false << cvkgui::text::kInvalidUpdate;
    }

    void biosFileChecksComeBeforeTheChooser() {
        QFETCH(bool, noSpace);
        QFETCH(QString, message);
        Program scratch;
        QString map = kDemoMap;
        if (noSpace) {
            // More required content than the largest flash part leaves no optional space.
            const QString base = scratch.Path(QStringLiteral("full"));
            QVERIFY(WriteModularBoard(base, 0x100000));
            map = base + QStringLiteral(".cvk");
        }
        Fixture fixture(map);
        QVERIFY(fixture.ready());
        if (!noSpace)
            QVERIFY(SelectModule(fixture.workspace.get(), kPxeWithoutItsDriver));
        QVERIFY(fixture.main->action(Cmd::GenerateBiosFile)->isEnabled());
        fixture.program.chooserAnswers.push_back(fixture.program.Path(QStringLiteral("x.bio")));
        fixture.Run(Cmd::GenerateBiosFile);
        QCOMPARE(fixture.program.messageTexts(), QStringList{message});
        QCOMPARE(fixture.program.messages.front().icon, QMessageBox::Critical);
        QVERIFY(fixture.program.chooserRequests.empty());
        QVERIFY(!QFile::exists(fixture.program.Path(QStringLiteral("x.bio"))));
        QVERIFY(fixture.main->isVisible());
    }

    void biosFileWriteFailureEndsTheCommandOnly() {
        Fixture fixture;
        QVERIFY(fixture.ready());
        fixture.program.chooserAnswers.push_back(
            fixture.program.Path(QStringLiteral("no/such/folder/x.bio")));
        fixture.Run(Cmd::GenerateBiosFile);
        QCOMPARE(fixture.program.messageTexts(), QStringList{cvkgui::text::kCannotWriteMedia});
        QCOMPARE(fixture.program.messages.front().icon, QMessageBox::Critical);
        QVERIFY(fixture.main->isVisible());
    }

    void optionsRefuseTheFirstInvalidDirectory() {
        Program program;
        QVERIFY(program.Start());
        const QString folder = program.Path(QStringLiteral("defaults"));
        const QString file = program.Path(QStringLiteral("defaults/a-file"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(WriteAll(file, "x"));
        program.app()->setWarnThermal(1);
        program.chooserAnswers = {folder, QString()};
        QString focused;
        bool stillOpen = false;
        WhenModal([&](QWidget* dialog) {
            auto edit = [dialog](const char* name) {
                return dialog->findChild<QLineEdit*>(QString::fromLatin1(name));
            };
            edit("iniDirEdit")->setText(file);
            edit("reportDirEdit")->setText(file);
            Click(dialog, "cvwDirBrowseButton");
            edit("biosDirEdit")->setText(QStringLiteral("kept"));
            Click(dialog, "biosDirBrowseButton"); // cancelled: the text stays
            edit("biosDirEdit")->clear();
            Click(dialog, "okButton");
            stillOpen = dialog->isVisible();
            focused = dialog->focusWidget() ? dialog->focusWidget()->objectName() : QString();
            edit("iniDirEdit")->setText(folder);
            edit("reportDirEdit")->clear();
            Box(dialog, "warnThermalBox")->setChecked(false);
            Click(dialog, "okButton");
        });
        program.app()->mainFrame()->action(Cmd::Options)->trigger();
        QVERIFY(stillOpen);
        QCOMPARE(focused, QStringLiteral("iniDirEdit"));
        QCOMPARE(program.messageTexts(), QStringList{cvkgui::text::kInvalidDirectory});
        QCOMPARE(program.messages.front().icon, QMessageBox::Critical);
        QCOMPARE(program.chooserRequests.size(), std::size_t{2});
        QCOMPARE(program.chooserRequests.front().mode, CFileChooser::Mode::Folder);
        QCOMPARE(program.chooserRequests.front().title, QStringLiteral("Choose Directory"));
        QCOMPARE(program.chooserRequests.back().start, QStringLiteral("kept"));
        CCvkApp* app = program.app();
        QCOMPARE(app->cvwDefaultDir(), folder);
        QCOMPARE(app->biosDefaultDir(), QString());
        QCOMPARE(app->iniDefaultDir(), folder);
        QCOMPARE(app->reportDefaultDir(), QString());
        QCOMPARE(app->warnThermal(), 0);
    }
};

QTEST_MAIN(OutputTest)
#include "output_test.moc"
