// Window tests of Export Configuration and Import Configuration with the real engine: a round
// trip through the file reproduces the INI file, and an import that cannot apply every edit
// changes nothing and names each edit that failed.
#include "client/edits/edit_list.h"
#include "gui/common/engine_call.h"
#include "gui/common/strings.h"
#include "gui/document/cvk_doc.h"
#include "gui/shell/main_frame.h"
#include "tests/gui/support/gui_test_support.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

using guitest::Program;

namespace {

const QString kDemoMap = QStringLiteral(CORVANE_DEMO_MAP);

// The INI file of the active workspace from [System] on (the header holds the file's date).
QByteArray IniBody(Program& program, const QString& name) {
    IWorkspace* workspace = program.app()->activeDocument()->GetWorkspace().get();
    LONG mask = 0;
    const QString path = program.Path(name);
    if (FAILED(workspace->get_SubsystemMask(&mask)) ||
        FAILED(workspace->DumpIni(ToBstr(path).get(), mask, 0)))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = file.readAll();
    return text.mid(text.indexOf("[System]"));
}

bool WriteText(const QString& path, const QByteArray& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

void Trigger(Program& program, Cmd id, const QString& chosenFile) {
    program.chooserAnswers.push_back(chosenFile);
    program.app()->mainFrame()->action(id)->trigger();
}

} // namespace

class ConfigurationTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(guitest::RegisterComponents()); }

    void exportThenImportIntoAFreshWorkspaceGivesTheSameIni() {
        Program program;
        QVERIFY(program.Start());
        QVERIFY(program.NewWorkspace(kDemoMap));
        const QByteArray defaults = IniBody(program, QStringLiteral("defaults.ini"));
        cvkedit::EditList edits;
        std::string error, what;
        QVERIFY(cvkedit::ParseEditList(
            R"({"cmos": [{"setting": "CMOS_HYPERTHREADING", "choice": "Disabled", "locked": true},
                         {"setting": "CMOS_LPT_MODE", "choice": "EPP", "hidden": true}],
                "smbios": [{"key": "SystemSerialNum", "value": "SN-4711"},
                           {"key": "SystemVersion", "prompt": true}],
                "modules": [{"handle": 4, "in": true}]})",
            "/", &edits, &error));
        cvkedit::SilentLog quiet;
        QCOMPARE(cvkedit::ApplyEditList(program.app()->activeDocument()->GetWorkspace().get(),
                                        edits, &what, quiet),
                 S_OK);
        const QByteArray edited = IniBody(program, QStringLiteral("edited.ini"));
        QVERIFY(!edited.isEmpty() && edited != defaults);

        const QString exported = program.Path(QStringLiteral("exported.json"));
        Trigger(program, Cmd::ExportConfig, exported);
        QVERIFY(QFileInfo::exists(exported));
        program.answers.push_back(QMessageBox::No);
        program.app()->mainFrame()->action(Cmd::Close)->trigger();
        QVERIFY(program.NewWorkspace(kDemoMap));
        program.messages.clear();

        Trigger(program, Cmd::ImportConfig, exported);
        QCOMPARE(program.messageTexts(), QStringList{cvkgui::text::kImported});
        CCvkDoc* doc = program.app()->activeDocument();
        QVERIFY(doc->isModified());
        QVERIFY(!doc->history()->canUndo());
        QCOMPARE(IniBody(program, QStringLiteral("imported.ini")), edited);
    }

    void failingImportChangesNothingAndListsWhatFailed() {
        Program program;
        QVERIFY(program.Start());
        QVERIFY(program.NewWorkspace(kDemoMap));
        const QByteArray before = IniBody(program, QStringLiteral("before.ini"));
        const QString file = program.Path(QStringLiteral("partly.json"));
        QVERIFY(WriteText(file, R"({"cmos": [
            {"setting": "CMOS_HYPERTHREADING", "choice": "Disabled"},
            {"setting": "CMOS_NO_SUCH_SETTING", "choice": "On"},
            {"setting": "CMOS_XD_BIT", "choice": "Sometimes"}],
            "smbios": [{"key": "SystemSerialNum", "value": "SN-4711"}]})"));
        Trigger(program, Cmd::ImportConfig, file);
        QCOMPARE(program.messages.size(), std::size_t{1});
        QCOMPARE(program.messages.front().icon, QMessageBox::Critical);
        const QStringList lines = program.messages.front().text.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[1].contains(QStringLiteral("CMOS_NO_SUCH_SETTING")));
        QVERIFY(lines[2].contains(QStringLiteral("CMOS_XD_BIT")) &&
                lines[2].contains(QStringLiteral("Sometimes")));
        QCOMPARE(IniBody(program, QStringLiteral("after.ini")), before);

        // A file that is not a configuration at all is refused before anything is tried.
        program.messages.clear();
        QVERIFY(WriteText(file, R"({"cmos": [], "cmos": []})"));
        Trigger(program, Cmd::ImportConfig, file);
        QCOMPARE(program.messageTexts(),
                 QStringList{cvkgui::text::kImportUnreadable.arg(
                     QStringLiteral("the key \"cmos\" is given more than once"))});
        QCOMPARE(IniBody(program, QStringLiteral("after2.ini")), before);
    }
};

QTEST_MAIN(ConfigurationTest)
#include "config_test.moc"
