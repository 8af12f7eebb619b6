// Window tests of the splash-screen editor on a workspace with a logo module: canvas sizes,
// the size refusal, badge corners as stored, the leave question, the custom position, store
// failures, the picture chooser, and the same numbers as the command line.
#include "gui/common/engine_call.h"
#include "gui/common/strings.h"
#include "gui/document/cvk_doc.h"
#include "gui/shell/main_frame.h"
#include "gui/splash/badge_location_dlg.h"
#include "gui/splash/splash_canvas.h"
#include "gui/splash/splash_editor.h"
#include "tests/gui/modules/modular_board.h"
#include "tests/gui/support/gui_test_support.h"

#include <QAction>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

using guitest::Program;
using Place = CSplashEditor::Place;

namespace {

const QByteArray kModules = R"({
  "version": "T.0002", "flashPartSize": "0x100000", "requiredContent": 65536,
  "logo": {"badge": [20, 30], "displayBadge": false, "resolution": "640x480"},
  "list": [
    {"handle": 1, "name": "Core", "required": true, "size": 65536},
    {"handle": 5, "name": "Splash Logo", "type": "logo", "default": true, "size": 16384,
     "userUpdateable": true},
    {"handle": 10, "name": "Badge 640x480", "type": "badge", "default": true, "size": 2048},
    {"handle": 11, "name": "Badge 800x600", "type": "badge", "size": 3072},
    {"handle": 12, "name": "Badge 1024x768", "type": "badge", "size": 4096}
  ]})";

const QString kTooLarge =
    QStringLiteral("Unable to open the selected JPG.  Verify that the size of the image does not "
                   "exceed the resolution requirements.");

class Fixture {
public:
    explicit Fixture(Program& program) : program_(program) {
        map = program.Path(QStringLiteral("logo.cvk"));
        if (!guitest::WriteModularBoard(map, kModules) || !program.Start() ||
            !program.NewWorkspace(map))
            return;
        flex = guitest::FlexOf(program.app()->activeDocument()->GetWorkspace().get());
        logo = guitest::LogoOf(flex.get());
    }
    std::unique_ptr<CSplashEditor> Editor() {
        auto editor =
            std::make_unique<CSplashEditor>(logo.get(), program_.Path(QString()), nullptr);
        editor->show();
        return editor;
    }
    // A picture written for the test; the suffix names the format.
    QString Picture(int width, int height, const QString& suffix = QStringLiteral("jpg")) {
        const QString path =
            program_.Path(QStringLiteral("pic%1x%2.%3").arg(width).arg(height).arg(suffix));
        return guitest::WritePicture(path, width, height) ? path : QString();
    }

    QString map;
    cvk::ComPtr<IFlex> flex;
    cvk::ComPtr<IFlexLogoModule> logo;

private:
    Program& program_;
};

} // namespace

class SplashEditorTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(guitest::RegisterComponents()); }

    void canvasFollowsThePictureSize_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QSize>("canvas");
        QTest::newRow("640x480") << QSize(640, 480) << "jpg" << QSize(640, 480);
        QTest::newRow("800x600") << QSize(800, 600) << "bmp" << QSize(800, 600);
        QTest::newRow("801x600") << QSize(801, 600) << "jpg" << QSize(1024, 768);
        QTest::newRow("700x500") << QSize(700, 500) << "bmp" << QSize(800, 600);
        QTest::newRow("1024x768") << QSize(1024, 768) << "jpg" << QSize(1024, 768);
        QTest::newRow("1025x768 refused") << QSize(1025, 768) << "jpg" << QSize();
    }
    void canvasFollowsThePictureSize() {
        QFETCH(QSize, picture);
        QFETCH(QString, format);
        QFETCH(QSize, canvas);
        Program program;
        Fixture f(program);
        QVERIFY(f.logo);
        auto editor = f.Editor();
        QVERIFY(!editor->action("actionUpdate")->isEnabled());
        QVERIFY(!editor->action("actionDisplayBadge")->isEnabled());
        const bool opened =
            editor->OpenPicture(f.Picture(picture.width(), picture.height(), format));
        QCOMPARE(opened, canvas.isValid());
        QCOMPARE(editor->imageLoaded(), canvas.isValid());
        QCOMPARE(editor->isChanged(), canvas.isValid());
        QCOMPARE(editor->action("actionUpdate")->isEnabled(), canvas.isValid());
        if (!canvas.isValid()) {
            QCOMPARE(program.messageTexts(), QStringList(kTooLarge));
            return;
        }
        QCOMPARE(editor->canvas()->size(), canvas);
        QCOMPARE(editor->canvas()->scaledPicture().size(), canvas);
        QVERIFY(program.messages.empty());
    }

    void lowerRightStoresTheCornerWithinTheLimits_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QPoint>("stored");
        // Flush with the corner (W - b, H - c), clamped to BadgeLocXMax / BadgeLocYMax.
        QTest::newRow("640x480") << QSize(640, 480) << QPoint(530, 355);
        QTest::newRow("800x600") << QSize(800, 600) << QPoint(662, 444);
        QTest::newRow("1024x768") << QSize(1024, 768) << QPoint(848, 568);
    }
    void lowerRightStoresTheCornerWithinTheLimits() {
        QFETCH(QSize, picture);
        QFETCH(QPoint, stored);
        Program program;
        Fixture f(program);
        QVERIFY(f.logo);
        auto editor = f.Editor();
        QVERIFY(editor->OpenPicture(f.Picture(picture.width(), picture.height())));
        QVERIFY(!editor->action("actionLowerRight")->isEnabled());
        editor->action("actionDisplayBadge")->trigger();
        QVERIFY(editor->action("actionLowerRight")->isEnabled());
        editor->action("actionLowerRight")->trigger();
        QCOMPARE(editor->canvas()->badgePosition(), stored);
        QVERIFY(editor->action("actionUpdate")->isEnabled());
        editor->action("actionUpdate")->trigger();
        QVERIFY(program.messages.empty());
        QVERIFY(!editor->isChanged());
        QCOMPARE(GetLong(f.logo.get(), &IFlexLogoModule::get_BadgeLocX), stored.x());
        QCOMPARE(GetLong(f.logo.get(), &IFlexLogoModule::get_BadgeLocY), stored.y());
        QVERIFY(GetBool(f.logo.get(), &IFlexLogoModule::get_DisplayBadge));
    }

    void leavingAsksOnlyAfterAChange() {
        Program program;
        Fixture f(program);
        QVERIFY(f.logo);
        auto editor = f.Editor();
        editor->action("actionExit")->trigger();
        QVERIFY(!editor->isVisible());
        QVERIFY(program.messages.empty());

        editor = f.Editor();
        QVERIFY(editor->OpenPicture(f.Picture(640, 480)));
        QVERIFY(editor->Store());
        editor->action("actionDisplayBadge")->trigger();
        program.answers.push_back(QMessageBox::No);
        editor->action("actionExit")->trigger();
        QCOMPARE(program.messageTexts(),
                 QStringList(
                     QStringLiteral("Do you want to save the changes to the BIOS splash screen?")));
        QCOMPARE(program.messages.front().buttons, QMessageBox::Yes | QMessageBox::No);
        QVERIFY(!editor->isVisible());
        QVERIFY(!GetBool(f.logo.get(), &IFlexLogoModule::get_DisplayBadge));
    }

    void hiddenBadgeStoresDisplayOffAndKeepsThePosition() {
        Program program;
        Fixture f(program);
        QVERIFY(f.logo);
        auto editor = f.Editor();
        QVERIFY(editor->OpenPicture(f.Picture(800, 600, QStringLiteral("bmp"))));
        QVERIFY(editor->Store());
        QVERIFY(!GetBool(f.logo.get(), &IFlexLogoModule::get_DisplayBadge));
        QCOMPARE(GetLong(f.logo.get(), &IFlexLogoModule::get_BadgeLocX), 20);
        QCOMPARE(GetLong(f.logo.get(), &IFlexLogoModule::get_BadgeLocY), 30);
    }

    void refusedPictureKeepsThePreviousOne() {
        Program program;
        Fixture f(program);
        QVERIFY(f.logo);
        auto editor = f.Editor();
        const QString good = f.Picture(640, 480);
        QVERIFY(editor->OpenPicture(good));
        QVERIFY(editor->Store());
        // The toolkit reads this picture; the logo module takes only JPEG and BMP.
        const QString refused = f.Picture(800, 600, QStringLiteral("png"));
        QVERIFY(editor->OpenPicture(refused));
        QVERIFY(!editor->Store());
        QCOMPARE(program.messages.size(), std::size_t(1));
        QVERIFY(program.messages.front().text.contains(QStringLiteral("not a JPEG or BMP")));
        QVERIFY(editor->imageLoaded());
        QVERIFY(editor->isChanged());
        QCOMPARE(editor->imagePath(), refused);
        QCOMPARE(editor->canvas()->size(), QSize(800, 600));
        QCOMPARE(GetText(f.logo.get(), &IFlexLogoModule::get_ImageName), good);
        QVERIFY(
            GetBool(guitest::ModuleOf(f.flex.get(), 5).get(), &IFlexModule::get_ContainsUserData));
    }

    void positionBeyondTheLimitIsAnInvalidImage() {
        Program program;
        Fixture f(program);
        QVERIFY(f.logo);
        auto editor = f.Editor();
        QVERIFY(editor->OpenPicture(f.Picture(640, 480)));
        editor->action("actionDisplayBadge")->trigger();
        editor->SetCustomPosition(QPoint(600, 10));
        QVERIFY(!editor->Store());
        QCOMPARE(program.messageTexts(),
                 QStringList(QStringLiteral("The image you have selected is invalid. Unable to "
                                            "complete the save operation.")));
        QVERIFY(editor->isChanged());
    }

    void customLocationDialogChecksTheRangeAndMovesTheBadge() {
        Program program;
        Fixture f(program);
        QVERIFY(f.logo);
        auto editor = f.Editor();
        QVERIFY(editor->OpenPicture(f.Picture(1024, 768)));
        editor->action("actionDisplayBadge")->trigger();
        editor->action("actionLowerLeft")->trigger();
        editor->action("actionCustom")->trigger();
        CBadgeLocationDlg* dialog = editor->badgeLocationDialog();
        QVERIFY(dialog && dialog->isVisible() && !dialog->isModal());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Custom Badge Location"));
        QCOMPARE(dialog->xField()->text(), QStringLiteral("0"));
        QCOMPARE(dialog->yField()->text(), QStringLiteral("568"));
        QPushButton* ok = dialog->findChild<QPushButton*>(QStringLiteral("okButton"));
        dialog->xField()->setText(QStringLiteral("1025"));
        ok->click();
        QVERIFY(dialog->isVisible());
        QCOMPARE(program.messages.size(), std::size_t(1));
        dialog->xField()->setText(QStringLiteral("100"));
        dialog->yField()->setText(QStringLiteral("50"));
        ok->click();
        QTRY_VERIFY(!editor->badgeLocationDialog());
        QCOMPARE(editor->badgePosition(), QPoint(100, 50));
        QCOMPARE(editor->place(), Place::Custom);
        QVERIFY(editor->action("actionCustom")->isChecked());
        // A corner afterwards replaces the custom position.
        editor->action("actionUpperRight")->trigger();
        QCOMPARE(editor->badgePosition(), QPoint(848, 0));
    }

    void chooserOffersPictureTypesAndRemembersTheFolder() {
        Program program;
        Fixture f(program);
        QVERIFY(f.logo);
        CSplashEditor editor(f.logo.get(), QStringLiteral("/start/here"), nullptr);
        const QString picture = f.Picture(640, 480);
        program.chooserAnswers.push_back(picture);
        const std::size_t asked = program.chooserRequests.size();
        editor.action("actionOpen")->trigger();
        QCOMPARE(program.chooserRequests.size(), asked + 1);
        const CFileChooser::Request& request = program.chooserRequests.back();
        QCOMPARE(request.start, QStringLiteral("/start/here"));
        const QStringList filters = request.filter.split(QStringLiteral(";;"));
        QCOMPARE(filters.size(), 4);
        QVERIFY(filters[0].startsWith(QStringLiteral("All picture types (")));
        QCOMPARE(filters[1], QStringLiteral("Jpeg (*.jpg *.jpeg *.jfif)"));
        QCOMPARE(filters[2], QStringLiteral("Bitmap (*.bmp)"));
        QVERIFY(filters[3].startsWith(QStringLiteral("All Files")));
        QCOMPARE(editor.jpegDefaultDir(), QFileInfo(picture).absolutePath());
        QVERIFY(editor.imageLoaded());
    }

    void editorStartsFromTheStoredPicture() {
        Program program;
        Fixture f(program);
        QVERIFY(f.logo);
        auto editor = f.Editor();
        const QString picture = f.Picture(800, 600);
        QVERIFY(editor->OpenPicture(picture));
        editor->action("actionDisplayBadge")->trigger();
        editor->action("actionLowerLeft")->trigger();
        QVERIFY(editor->Store());
        editor->close();

        auto again = f.Editor();
        QVERIFY(again->imageLoaded());
        QCOMPARE(again->imagePath(), picture);
        QCOMPARE(again->canvas()->size(), QSize(800, 600));
        QVERIFY(again->displayBadge());
        QCOMPARE(again->place(), Place::LowerLeft);
        QVERIFY(!again->isChanged());
        again->close();
        QVERIFY(program.messages.empty());
    }

    // cvk and the editor store the same badge position for each corner at each resolution.
    void commandLineStoresTheEditorsCorners() {
        Program program;
        Fixture f(program);
        QVERIFY(f.logo);
        const QString workspace = program.Path(QStringLiteral("cli.cvw"));
        QString failure;
        auto cvk = [&failure](const QStringList& arguments) {
            QProcess process;
            process.start(QStringLiteral(CVK_PROGRAM), arguments);
            process.waitForFinished(-1);
            if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
                failure = arguments.join(u' ') + QStringLiteral(": ") +
                          QString::fromUtf8(process.readAllStandardError());
            return process.readAllStandardOutput();
        };
        cvk({QStringLiteral("new"), f.map, QStringLiteral("--out"), workspace});
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        const struct {
            const char* name;
            const char* action;
        } corners[] = {{"upper-left", "actionUpperLeft"},
                       {"upper-right", "actionUpperRight"},
                       {"lower-left", "actionLowerLeft"},
                       {"lower-right", "actionLowerRight"}};
        for (QSize size : {QSize(640, 480), QSize(800, 600), QSize(1024, 768)}) {
            const QString picture = f.Picture(size.width(), size.height());
            for (const auto& corner : corners) {
                auto editor = f.Editor();
                QVERIFY(editor->OpenPicture(picture));
                // The editor starts from what the last round stored, badge shown.
                if (!editor->displayBadge())
                    editor->action("actionDisplayBadge")->trigger();
                editor->action(corner.action)->trigger();
                QVERIFY(editor->Store());
                cvk({QStringLiteral("logo"), workspace, picture, QStringLiteral("--badge"),
                     QString::fromLatin1(corner.name)});
                const QByteArray shown =
                    cvk({QStringLiteral("show"), workspace, QStringLiteral("--json")});
                QVERIFY2(failure.isEmpty(), qPrintable(failure));
                const QJsonArray modules = QJsonDocument::fromJson(shown)
                                               .object()[QStringLiteral("flex")]
                                               .toObject()[QStringLiteral("modules")]
                                               .toArray();
                QJsonObject logo;
                for (const QJsonValue& module : modules)
                    if (module.toObject()[QStringLiteral("type")] == QStringLiteral("logo"))
                        logo = module.toObject()[QStringLiteral("logo")].toObject();
                QVERIFY2(!logo.isEmpty(), corner.name);
                QCOMPARE(logo[QStringLiteral("badgeX")].toInt(-1),
                         GetLong(f.logo.get(), &IFlexLogoModule::get_BadgeLocX));
                QCOMPARE(logo[QStringLiteral("badgeY")].toInt(-1),
                         GetLong(f.logo.get(), &IFlexLogoModule::get_BadgeLocY));
                editor->close();
            }
        }
        QVERIFY(program.messages.empty());
    }
};

QTEST_MAIN(SplashEditorTest)
#include "splash_editor_test.moc"
