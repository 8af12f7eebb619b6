// Window tests of the Generate Media wizard: the menu command on the demo board through Finish,
// its pages' controls and checks, and what it asks and tells.
#include "gui/common/engine_call.h"
#include "gui/document/cvk_doc.h"
#include "gui/media/folder_picker.h"
#include "gui/media/generate_floppy_pages.h"
#include "gui/media/generate_floppy_sheet.h"
#include "gui/shell/main_frame.h"
#include "media/messages.h"
#include "tests/engine/output/batch_interpreter.h"
#include "tests/gui/support/gui_test_support.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using guitest::Program;
using guitest::WhenModal;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

template <class T> T* Find(QWidget* parent, const char* name) {
    return parent->findChild<T*>(QString::fromLatin1(name));
}

// A program with the demo board (or its plain variant, under the same name) copied beside its
// flash image and a signature, a tools folder and an empty media folder.
struct Bench {
    Program program;
    QString tools, media;

    bool Open(bool modular) {
        if (!program.Start())
            return false;
        const QString samples = QFileInfo(QStringLiteral(CORVANE_DEMO_MAP)).absolutePath();
        const QString map = program.Path(QStringLiteral("demo.cvk"));
        QFile::copy(modular ? QStringLiteral(CORVANE_DEMO_MAP)
                            : QStringLiteral(CORVANE_DEMO_PLAIN_MAP),
                    map);
        if (modular) {
            QFile::copy(samples + QStringLiteral("/demo.bio"),
                        program.Path(QStringLiteral("demo.bio")));
            QFile::copy(samples + QStringLiteral("/demo_2.bio"),
                        program.Path(QStringLiteral("demo_2.bio")));
        }
        tools = program.Path(QStringLiteral("tools"));
        media = program.Path(QStringLiteral("media"));
        QDir().mkpath(tools);
        QDir().mkpath(media);
        Write(program.Path(QStringLiteral("demo.sig")), "signature");
        for (const char* tool : {"cvtool.exe", "romwrite.exe", "romwrite2.exe"})
            Write(tools + QLatin1Char('/') + QLatin1String(tool), QByteArray("MZ ") + tool);
        return program.NewWorkspace(map);
    }
    IWorkspace* workspace() const { return program.app()->activeDocument()->GetWorkspace().get(); }
    CGenerateFloppyPropertySheet::Context Context() const {
        CGenerateFloppyPropertySheet::Context context;
        context.server = program.app()->GetServer().get();
        context.workspace = workspace();
        context.installLocation = tools;
        return context;
    }
};

} // namespace

class MediaWizardTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(guitest::RegisterComponents()); }
    void cleanup() { CFolderPicker::SetResponder({}); }

    // The menu command on the demo board: Finish writes a media folder that boots.
    void menuCommandWritesMediaThatBoots() {
        Bench bench;
        QVERIFY(bench.Open(true));
        QStringList prompts;
        // No machine-wide install location in tests: the wizard asks for cvtool.exe's folder.
        CFolderPicker::SetResponder([&](const QString& prompt) {
            prompts.append(prompt);
            return bench.tools;
        });
        bool finished = false;
        WhenModal([&](QWidget* dialog) {
            auto* wizard = qobject_cast<CGenerateFloppyPropertySheet*>(dialog);
            QVERIFY(wizard);
            QCOMPARE(wizard->windowTitle(), QStringLiteral("Generate Media"));
            Find<QLineEdit>(wizard, "destinationEdit")->setText(bench.media);
            wizard->next();
            Find<QCheckBox>(wizard, "loggingBox")->setChecked(true);
            Find<QCheckBox>(wizard, "biosBox")->setChecked(true);
            Find<QLineEdit>(wizard, "biosEdit")
                ->setText(bench.program.Path(QStringLiteral("demo.bio")));
            Find<QCheckBox>(wizard, "copyRomwriteBox")->setChecked(true);
            wizard->button(QWizard::FinishButton)->click();
            finished = true;
        });
        bench.program.app()->mainFrame()->action(Cmd::GenerateMedia)->trigger();
        QTRY_VERIFY(finished);
        // The flash utility's folder is asked too, for romwrite2.exe on a modular BIOS.
        QCOMPARE(prompts, (QStringList{QString::fromLatin1(cvk::media::kCvtoolFolderPrompt),
                                       QString::fromLatin1(cvk::media::kRomwrite2FolderPrompt)}));
        QCOMPARE(bench.program.messageTexts(),
                 QStringList{QStringLiteral("Files copied successfully!")});

        const QString expected = bench.program.Path(QStringLiteral("expected.ini"));
        QCOMPARE(bench.workspace()->DumpIni(ToBstr(expected).get(),
                                            SUBSYS_CMOS | SUBSYS_ENVCTL | SUBSYS_SMBIOS, 0),
                 S_OK);
        QCOMPARE(ReadAll(bench.media + QStringLiteral("/cvtool.ini")), ReadAll(expected));
        for (const char* name : {"demo.bio", "demo_2.bio", "demo.sig"})
            QCOMPARE(ReadAll(bench.media + QLatin1Char('/') + QLatin1String(name)),
                     ReadAll(bench.program.Path(QLatin1String(name))));
        for (const char* tool : {"cvtool.exe", "romwrite2.exe"})
            QCOMPARE(ReadAll(bench.media + QLatin1Char('/') + QLatin1String(tool)),
                     ReadAll(bench.tools + QLatin1Char('/') + QLatin1String(tool)));
        QVERIFY(!QFile::exists(bench.media + QStringLiteral("/romwrite.exe")));

        cvk::testing::DosBoard board(bench.media.toStdString());
        const cvk::testing::BootResult first = board.Boot();
        QCOMPARE(first.error, std::string());
        QVERIFY(first.toolCalls == std::vector<cvk::testing::ToolCall>(
                                       {{"flash", "-bio=demo.bio", "-log=cvtool.log"}}));
        const cvk::testing::BootResult second = board.Boot();
        QVERIFY(second.toolCalls == std::vector<cvk::testing::ToolCall>(
                                        {{"install", "-cmos", "-smbios", "-therm",
                                          "-ini=cvtool.ini", "-log=cvtool.log", "-reboot"}}));
    }

    void pagesShowTheWorkspaceAndFreeSpace() {
        for (bool modular : {true, false}) {
            Bench bench;
            QVERIFY(bench.Open(modular));
            CGenerateFloppyPropertySheet::Context context = bench.Context();
            context.spaceQuery = [](const std::string&) {
                return std::optional<cvk::media::DiskSpace>({524288, 1509949});
            };
            CGenerateFloppyPropertySheet wizard(context);
            QCOMPARE(Find<QLabel>(&wizard, "freeSpaceLabel")->text(),
                     QStringLiteral("0.50MB Available / 1.44MB Total"));
            QVERIFY(Find<QCheckBox>(&wizard, "cmosBox")->isChecked());
            QVERIFY(Find<QCheckBox>(&wizard, "bomBox")->isHidden());
            QVERIFY(Find<QCheckBox>(&wizard, "flexBox")->isHidden());
            QCOMPARE(Find<QLineEdit>(&wizard, "baseNameEdit")->maxLength(), 8);
            QCOMPARE(wizard.optionsPage()->baseName(), QStringLiteral("cvtool"));
            for (const char* name : {"langPackBox", "langPackEdit", "langPackBrowse"})
                QCOMPARE(Find<QWidget>(&wizard, name)->isHidden(), modular);
        }
    }

    void finishWithoutOptionsWritesOnlyTheInstallFiles() {
        Bench bench;
        QVERIFY(bench.Open(false));
        CGenerateFloppyPropertySheet wizard(bench.Context());
        Find<QLineEdit>(&wizard, "destinationEdit")->setText(bench.media);
        // Options never shown: nothing of that page is copied even if its boxes are ticked.
        Find<QCheckBox>(&wizard, "copyRomwriteBox")->setChecked(true);
        wizard.accept();
        QCOMPARE(wizard.lastRun(), cvk::media::MediaRun::kSucceeded);
        QCOMPARE(QDir(bench.media).entryList(QDir::Files),
                 (QStringList{QStringLiteral("autoexec.bat"), QStringLiteral("cvk.bat"),
                              QStringLiteral("cvtool.exe"), QStringLiteral("cvtool.ini")}));
    }

    void chosenFilesAreCheckedAndCopiesAskBeforeReplacing() {
        Bench bench;
        QVERIFY(bench.Open(false));
        CGenerateFloppyPropertySheet wizard(bench.Context());
        wizard.show();
        wizard.next();
        bench.program.chooserAnswers.push_back(bench.program.Path(QStringLiteral("demo.cvk")));
        Find<QPushButton>(&wizard, "biosBrowse")->click();
        QCOMPARE(bench.program.messages.back().icon, QMessageBox::Warning);
        QCOMPARE(bench.program.messages.back().text,
                 QString::fromLatin1(cvk::media::kWrongFileFormat));
        QVERIFY(Find<QLineEdit>(&wizard, "biosEdit")->text().isEmpty());
        QCOMPARE(bench.program.chooserRequests.back().filter,
                 QStringLiteral("BIOS Files (*.bio);;All Files (*)"));

        Find<QLineEdit>(&wizard, "destinationEdit")->setText(bench.media);
        Write(bench.media + QStringLiteral("/cvtool.exe"), "older");
        Write(bench.media + QStringLiteral("/cvk.bat"), "older");
        bench.program.messages.clear();
        bench.program.answers.push_back(QMessageBox::No);
        wizard.accept();
        QCOMPARE(bench.program.messageTexts(),
                 (QStringList{QStringLiteral("File ") + bench.media +
                                  QStringLiteral("/cvtool.exe already exists. Do you wish to "
                                                 "overwrite the file?"),
                              QStringLiteral("Files copied successfully!")}));
        QCOMPARE(bench.program.messages.front().caption, QStringLiteral("Confirm File Replace"));
        QCOMPARE(bench.program.messages.front().defaultButton, QMessageBox::No);
        QCOMPARE(ReadAll(bench.media + QStringLiteral("/cvtool.exe")), QByteArray("older"));
        QVERIFY(ReadAll(bench.media + QStringLiteral("/cvk.bat")) != QByteArray("older"));
    }

    void engineFailuresOfTheRunAreNamedWithItsFailure() {
        Bench bench;
        QVERIFY(bench.Open(false));
        // A folder where the INI file should go: the engine cannot write it.
        QVERIFY(QDir().mkpath(bench.media + QStringLiteral("/cvtool.ini")));
        CGenerateFloppyPropertySheet wizard(bench.Context());
        Find<QLineEdit>(&wizard, "destinationEdit")->setText(bench.media);
        wizard.accept();
        QCOMPARE(wizard.lastRun(), cvk::media::MediaRun::kFailed);
        const QString shown = bench.program.messages.back().text;
        QVERIFY2(shown.startsWith(QString::fromLatin1(cvk::media::kRunFailed) +
                                  QStringLiteral("\n\ncvtool.ini: ")),
                 qPrintable(shown));
        QVERIFY2(shown.contains(bench.media + QStringLiteral("/cvtool.ini")), qPrintable(shown));
    }

    void unlistableDestinationGivesTheDiskError() {
        Bench bench;
        QVERIFY(bench.Open(false));
        CGenerateFloppyPropertySheet wizard(bench.Context());
        Find<QLineEdit>(&wizard, "destinationEdit")
            ->setText(bench.program.Path(QStringLiteral("gone")));
        Find<QCheckBox>(&wizard, "copyCvtoolBox")->setChecked(false);
        wizard.accept();
        QCOMPARE(wizard.lastRun(), cvk::media::MediaRun::kFailed);
        QCOMPARE(bench.program.messages.back().icon, QMessageBox::Critical);
        QCOMPARE(bench.program.messages.back().text, QString::fromLatin1(cvk::media::kDiskError));
    }
};

QTEST_MAIN(MediaWizardTest)
#include "media_wizard_test.moc"
