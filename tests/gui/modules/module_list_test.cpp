// Window tests of the module list: rows, the row menu and its rules, the space line, and the
// workspace window's module commands, on a flash image written by cvkgen.
#include "gui/common/strings.h"
#include "gui/document/cvk_doc.h"
#include "gui/modules/module_list.h"
#include "gui/settings/cvk_right_view.h"
#include "gui/settings/wsp_tree_view.h"
#include "gui/shell/child_frame.h"
#include "gui/shell/main_frame.h"
#include "gui/splash/splash_editor.h"
#include "tests/gui/modules/modular_board.h"
#include "tests/gui/support/gui_test_support.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>

using guitest::InUpdate;
using guitest::ModuleOf;
using guitest::Program;

namespace {

LONG Long(IFlex* flex, HRESULT (IFlex::*getter)(LONG*)) {
    LONG value = 0;
    (flex->*getter)(&value);
    return value;
}

class Fixture {
public:
    explicit Fixture(Program& program) : program_(program) {
        const QString map = program.Path(QStringLiteral("modular.cvk"));
        if (!guitest::WriteModularBoard(map, guitest::kTestModules) || !program.Start() ||
            !program.NewWorkspace(map))
            return;
        main = program.app()->mainFrame();
        frame = main->activeChildFrame();
        doc = frame->document();
        flex = guitest::FlexOf(doc->GetWorkspace().get());
        CWspTreeView* tree = frame->treeView();
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            if (tree->DataOf(tree->topLevelItem(i))->kind == TreeItemKind::Modules)
                tree->setCurrentItem(tree->topLevelItem(i));
        main->UpdateCommandUI();
        list = frame->rightView()->moduleList();
    }
    QTreeWidgetItem* Row(const QString& name) const {
        const QList<QTreeWidgetItem*> found =
            list->findItems(name, Qt::MatchExactly, CModuleList::NameColumn);
        return found.isEmpty() ? nullptr : found.first();
    }
    // The row menu's action `name` of the module row `row`; null when the menu lacks it.
    QAction* MenuAction(const QString& row, const char* name) {
        menu.reset(list->CreateRowMenu(Row(row)));
        return menu ? menu->findChild<QAction*>(QString::fromLatin1(name)) : nullptr;
    }
    QLabel* SpacePane() const { return main->findChild<QLabel*>(QStringLiteral("progressPane")); }

    CMainFrame* main = nullptr;
    CChildFrame* frame = nullptr;
    CCvkDoc* doc = nullptr;
    CModuleList* list = nullptr;
    cvk::ComPtr<IFlex> flex;
    std::unique_ptr<QMenu> menu;

private:
    Program& program_;
};

} // namespace

class ModuleListTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(guitest::RegisterComponents()); }

    void rowsShowModulesAndDependenciesButNeverBadges() {
        Program program;
        Fixture f(program);
        QVERIFY(f.list);
        QCOMPARE(f.frame->rightView()->mode(), CCvkRightView::ModeModules);
        // Badges stay out of the rows whether they are in the update or not.
        for (bool badgesIn : {false, true}) {
            for (LONG handle : {10, 11, 12})
                ModuleOf(f.flex.get(), handle)
                    ->put_InUpdate(badgesIn ? VARIANT_TRUE : VARIANT_FALSE);
            f.list->Fill(f.flex.get());
            QStringList names;
            for (int i = 0; i < f.list->topLevelItemCount(); ++i)
                names << f.list->topLevelItem(i)->text(CModuleList::NameColumn);
            QCOMPARE(names,
                     QStringList({QStringLiteral("Core"), QStringLiteral("Net Boot"),
                                  QStringLiteral("Net Driver"), QStringLiteral("Net Stack"),
                                  QStringLiteral("Splash Logo"), QStringLiteral("Boot Menu")}));
        }
        QTreeWidgetItem* core = f.Row(QStringLiteral("Core"));
        QCOMPARE(core->text(CModuleList::StatusColumn), QStringLiteral("Required"));
        QCOMPARE(core->text(CModuleList::SizeColumn), QStringLiteral("65536"));
        QCOMPARE(f.Row(QStringLiteral("Net Stack"))->text(CModuleList::StatusColumn), QString());
        QTreeWidgetItem* net = f.Row(QStringLiteral("Net Boot"));
        QCOMPARE(net->childCount(), 1);
        QCOMPARE(net->child(0)->text(CModuleList::NameColumn), QStringLiteral("Net Driver"));
        QCOMPARE(f.list->headerItem()->text(CModuleList::SizeColumn),
                 QStringLiteral("Size in bytes"));
    }

    void puttingInAddsDirectDependenciesAndTakingOutLeavesThem() {
        Program program;
        Fixture f(program);
        QVERIFY(f.list);
        QVERIFY(!InUpdate(ModuleOf(f.flex.get(), 2).get()));
        QAction* in = f.MenuAction(QStringLiteral("Net Boot"), "inBiosFile");
        QVERIFY(in && in->isEnabled() && !in->isChecked());
        in->trigger();
        QVERIFY(InUpdate(ModuleOf(f.flex.get(), 2).get()));
        QVERIFY(InUpdate(ModuleOf(f.flex.get(), 3).get()));
        // One level only: what the dependency needs is not put in.
        QVERIFY(!InUpdate(ModuleOf(f.flex.get(), 4).get()));
        QVERIFY(f.doc->isModified());
        in = f.MenuAction(QStringLiteral("Net Boot"), "inBiosFile");
        QVERIFY(in->isChecked());
        in->trigger();
        QVERIFY(!InUpdate(ModuleOf(f.flex.get(), 2).get()));
        QVERIFY(InUpdate(ModuleOf(f.flex.get(), 3).get()));
    }

    void editsThatLeaveANewFaultInTheSelectionWarn() {
        Program program;
        Fixture f(program);
        QVERIFY(f.list);
        IFlex* flex = f.flex.get();
        const QString needs = QStringLiteral("Module 3 needs module 4, which is out of the update");
        const struct {
            const char* row;
            LONG flashPart; // 0: as it is
            QString says;   // empty: no message
        } steps[] = {
            {"Net Boot", 0, needs},       // puts 3 in, which needs 4
            {"Net Boot", 0, QString()},   // out again: 3 still needs 4, no new fault
            {"Net Driver", 0, QString()}, // the selection is valid again
            {"Net Stack",
             Long(flex, &IFlex::get_FlashPartSize) -
                 Long(flex, &IFlex::get_MaxOptionalModuleSpace) +
                 Long(flex, &IFlex::get_NumOptionalModuleBytesSelected),
             QStringLiteral("bytes more than the optional space holds")},
        };
        for (const auto& step : steps) {
            if (step.flashPart)
                QCOMPARE(flex->put_FlashPartSize(step.flashPart), S_OK);
            program.messages.clear();
            f.list->RunCommand(f.Row(QString::fromLatin1(step.row)), CModuleList::kInBiosFile);
            if (step.says.isEmpty()) {
                QVERIFY2(program.messages.empty(), step.row);
                continue;
            }
            QCOMPARE(program.messages.size(), std::size_t{1});
            QCOMPARE(program.messages.front().icon, QMessageBox::Warning);
            QVERIFY2(program.messages.front().text.contains(step.says),
                     qPrintable(program.messages.front().text));
        }
    }

    void requiredModuleIsGreyedAndStaysIn() {
        Program program;
        Fixture f(program);
        QVERIFY(f.list);
        QAction* in = f.MenuAction(QStringLiteral("Core"), "inBiosFile");
        QVERIFY(in && in->isChecked() && !in->isEnabled());
        f.list->RunCommand(f.Row(QStringLiteral("Core")), CModuleList::kInBiosFile);
        QVERIFY(InUpdate(ModuleOf(f.flex.get(), 1).get()));
    }

    void menuOffersEditAndRemoveForTheLogoOnly() {
        Program program;
        Fixture f(program);
        QVERIFY(f.list);
        QVERIFY(f.MenuAction(QStringLiteral("Splash Logo"), "editModule")->isEnabled());
        QVERIFY(!f.MenuAction(QStringLiteral("Splash Logo"), "removeJpg")->isEnabled());
        QVERIFY(!f.MenuAction(QStringLiteral("Boot Menu"), "editModule")->isEnabled());
        QVERIFY(!f.MenuAction(QStringLiteral("Boot Menu"), "removeJpg"));
        QCOMPARE(f.MenuAction(QStringLiteral("Splash Logo"), "removeJpg")->text(),
                 QStringLiteral("Remove JPG "));

        // With a picture, Remove JPG drops it.
        const QString picture = program.Path(QStringLiteral("logo.jpg"));
        QVERIFY(guitest::WritePicture(picture, 640, 480));
        cvk::ComPtr<IFlexLogoModule> logo = guitest::LogoOf(f.flex.get());
        QCOMPARE(logo->SetImage(cvk::Bstr(picture.toStdU16String()).get(), 640, 480), S_OK);
        QAction* remove = f.MenuAction(QStringLiteral("Splash Logo"), "removeJpg");
        QVERIFY(remove->isEnabled());
        remove->trigger();
        VARIANT_BOOL data = VARIANT_TRUE;
        ModuleOf(f.flex.get(), 5)->get_ContainsUserData(&data);
        QCOMPARE(data, VARIANT_FALSE);
    }

    void editModuleOpensTheSplashEditorAndMarksModified() {
        Program program;
        Fixture f(program);
        QVERIFY(f.list);
        QString title;
        guitest::WhenModal([&title](QWidget* dialog) {
            title = dialog->windowTitle();
            QVERIFY(qobject_cast<CSplashEditor*>(dialog));
            dialog->close();
        });
        f.MenuAction(QStringLiteral("Splash Logo"), "editModule")->trigger();
        QCOMPARE(title, QStringLiteral("Customize BIOS Splash Screen"));
        QVERIFY(f.doc->isModified());
    }

    void menuKeyOpensTheRowMenu() {
        Program program;
        Fixture f(program);
        QVERIFY(f.list);
        f.list->setCurrentItem(f.Row(QStringLiteral("Net Stack")));
        QStringList texts;
        QTimer::singleShot(0, [&texts] {
            QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            for (QAction* action : menu->actions())
                texts << action->text();
            menu->findChild<QAction*>(QStringLiteral("inBiosFile"))->trigger();
            menu->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5));
        QApplication::sendEvent(f.list->viewport(), &event);
        QCOMPARE(texts,
                 QStringList({QStringLiteral("In BIOS File"), QStringLiteral("Edit Module")}));
        QVERIFY(InUpdate(ModuleOf(f.flex.get(), 4).get()));
    }

    void withoutDocumentTheMenuShowsMessage192() {
        Program program;
        Fixture f(program);
        QVERIFY(f.list);
        CModuleList orphan(nullptr, nullptr);
        orphan.Fill(f.flex.get());
        QVERIFY(orphan.topLevelItemCount() > 0);
        QVERIFY(!orphan.CreateRowMenu(orphan.topLevelItem(0)));
        QCOMPARE(program.messageTexts(), QStringList(cvkgui::text::kOperationFailed));
    }

    void spaceLineTurnsRedWhenTheSelectionFillsTheSpace_data() {
        QTest::addColumn<LONG>("spare");
        QTest::addColumn<bool>("red");
        QTest::newRow("exactly full") << LONG(0) << true;
        QTest::newRow("one byte left") << LONG(1) << false;
    }
    void spaceLineTurnsRedWhenTheSelectionFillsTheSpace() {
        QFETCH(LONG, spare);
        QFETCH(bool, red);
        Program program;
        Fixture f(program);
        QVERIFY(f.list);
        IFlex* flex = f.flex.get();
        const LONG selected = Long(flex, &IFlex::get_NumOptionalModuleBytesSelected);
        const LONG taken =
            Long(flex, &IFlex::get_FlashPartSize) - Long(flex, &IFlex::get_MaxOptionalModuleSpace);
        QCOMPARE(flex->put_FlashPartSize(taken + selected + spare), S_OK);
        f.list->Fill(flex);
        const LONG max = Long(flex, &IFlex::get_MaxOptionalModuleSpace);
        QCOMPARE(
            f.SpacePane()->text(),
            QStringLiteral("Total Module Space Consumed:  %1%").arg(qint64(selected) * 100 / max));
        const QColor colour = f.SpacePane()->palette().color(QPalette::WindowText);
        QCOMPARE(colour == QColor(255, 0, 0), red);
        QCOMPARE(f.SpacePane()->toolTip(),
                 QStringLiteral("%1 bytes used, %2 bytes free of %3 bytes of optional module "
                                "space")
                     .arg(selected)
                     .arg(spare)
                     .arg(max));
    }

    void restoreModuleDefaultsRestoresTheSelectionAndDropsThePicture() {
        Program program;
        Fixture f(program);
        QVERIFY(f.list);
        QAction* reset = f.main->action(Cmd::ResetDefaults);
        QCOMPARE(reset->text(), QStringLiteral("Restore Module Defaults\tCtrl+D"));
        ModuleOf(f.flex.get(), 2)->put_InUpdate(VARIANT_TRUE);
        ModuleOf(f.flex.get(), 6)->put_InUpdate(VARIANT_FALSE);
        const QString picture = program.Path(QStringLiteral("logo.bmp"));
        QVERIFY(guitest::WritePicture(picture, 800, 600));
        guitest::LogoOf(f.flex.get())
            ->SetImage(cvk::Bstr(picture.toStdU16String()).get(), 800, 600);
        QVERIFY(reset->isEnabled());
        reset->trigger();
        QVERIFY(!InUpdate(ModuleOf(f.flex.get(), 2).get()));
        QVERIFY(InUpdate(ModuleOf(f.flex.get(), 6).get()));
        VARIANT_BOOL data = VARIANT_TRUE;
        ModuleOf(f.flex.get(), 5)->get_ContainsUserData(&data);
        QCOMPARE(data, VARIANT_FALSE);
        QVERIFY(program.messages.empty());
    }

    void firmwareHubSizeSetsTheFlashPart() {
        Program program;
        Fixture f(program);
        QVERIFY(f.list);
        const Cmd commands[] = {Cmd::FwhSize3, Cmd::FwhSize4, Cmd::FwhSize8};
        const LONG bytes[] = {393216, 524288, 1048576};
        for (int i = 0; i < 3; ++i) {
            f.main->action(commands[i])->trigger();
            QCOMPARE(Long(f.flex.get(), &IFlex::get_FlashPartSize), bytes[i]);
        }
        QVERIFY(f.SpacePane()->text().startsWith(QStringLiteral("Total Module Space")));
        QVERIFY(program.messages.empty());
        QVERIFY(f.doc->isModified());
    }

    void firmwareHubSizeWithoutWorkspaceIsOfferedAndRefused() {
        Program empty;
        QVERIFY(empty.Start());
        CMainFrame* main = empty.app()->mainFrame();
        main->UpdateCommandUI();
        QVERIFY(main->action(Cmd::FwhSize4)->isEnabled());
        main->action(Cmd::FwhSize4)->trigger();
        QCOMPARE(empty.messageTexts(), QStringList(QStringLiteral("Not able to set FWHSize")));
    }

    void listSortsByNameAndBySize() {
        Program program;
        Fixture f(program);
        QVERIFY(f.list);
        auto column = [&f](int c) {
            QStringList texts;
            for (int i = 0; i < f.list->topLevelItemCount(); ++i)
                texts << f.list->topLevelItem(i)->text(c);
            return texts;
        };
        f.list->header()->sectionClicked(CModuleList::SizeColumn);
        QCOMPARE(column(CModuleList::SizeColumn),
                 QStringList({QStringLiteral("4096"), QStringLiteral("5000"),
                              QStringLiteral("10000"), QStringLiteral("16384"),
                              QStringLiteral("20000"), QStringLiteral("65536")}));
        f.list->header()->sectionClicked(CModuleList::NameColumn);
        QCOMPARE(column(CModuleList::NameColumn).first(), QStringLiteral("Boot Menu"));
        f.list->header()->sectionClicked(CModuleList::NameColumn);
        QCOMPARE(column(CModuleList::NameColumn).first(), QStringLiteral("Splash Logo"));
    }
};

QTEST_MAIN(ModuleListTest)
#include "module_list_test.moc"
