// Window tests of undo and redo: every kind of edit taken back and made again, read back
// through the engine; the modified flag and the workspace window's mark; the history emptied
// when the workspace changes as a whole.
#include "gui/common/engine_call.h"
#include "gui/common/strings.h"
#include "gui/document/cvk_doc.h"
#include "gui/modules/module_list.h"
#include "gui/settings/cmos_list.h"
#include "gui/settings/cvk_right_view.h"
#include "gui/settings/settings_lists.h"
#include "gui/settings/wsp_tree_view.h"
#include "gui/shell/child_frame.h"
#include "gui/shell/main_frame.h"
#include "gui/splash/splash_editor.h"
#include "tests/gui/modules/modular_board.h"
#include "tests/gui/support/gui_test_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTest>

#include <functional>

using guitest::Program;

namespace {

void DumpGroup(IGroupNode* group, QStringList* out) {
    if (GetBool(group, &IGroupNode::get_HasSettings)) {
        cvk::ComPtr<ISettingList> settings = GetObject(group, &IGroupNode::get_SettingList);
        ForEachInList(settings.get(), &ISettingList::GetFirst, &ISettingList::GetNext,
                      [&](const cvk::ComPtr<ISettingNode>& s) {
                          cvk::ComPtr<IChoiceNode> choice =
                              GetObject(s.get(), &ISettingNode::get_CurrentChoice);
                          out->append(QStringLiteral("%1=%2 L%3 H%4 R%5")
                                          .arg(GetText(s.get(), &ISettingNode::get_Name),
                                               GetText(choice.get(), &IChoiceNode::get_Name))
                                          .arg(GetBool(s.get(), &ISettingNode::get_Locked))
                                          .arg(GetBool(s.get(), &ISettingNode::get_Hidden))
                                          .arg(GetBool(s.get(), &ISettingNode::get_NeedsReview)));
                      });
    }
    if (!GetBool(group, &IGroupNode::get_HasChildren))
        return;
    cvk::ComPtr<IGroupList> children = GetObject(group, &IGroupNode::get_ChildList);
    ForEachInList(children.get(), &IGroupList::GetFirst, &IGroupList::GetNext,
                  [&](const cvk::ComPtr<IGroupNode>& child) { DumpGroup(child.get(), out); });
}

// What the engine holds of everything the edits touch, read through its interfaces.
QStringList EngineState(IWorkspace* workspace, IThermSetting* therm) {
    QStringList out;
    cvk::ComPtr<ICmos> cmos = GetObject(workspace, &IWorkspace::get_Cmos);
    DumpGroup(GetObject(cmos.get(), &ICmos::get_DataTree).get(), &out);
    cvk::ComPtr<ISmbiosList> smbios = GetObject(workspace, &IWorkspace::get_SmbiosList);
    ForEachInList(smbios.get(), &ISmbiosList::GetFirst, &ISmbiosList::GetNext,
                  [&](const cvk::ComPtr<ISmbiosNode>& node) {
                      out.append(QStringLiteral("%1 P%2").arg(
                          GetText(node.get(), &ISmbiosNode::get_Value),
                          QString::number(GetBool(node.get(), &ISmbiosNode::get_Prompt))));
                  });
    out.append(GetVariantText(therm, &IThermSetting::get_Value));
    cvk::ComPtr<IFlex> flex = guitest::FlexOf(workspace);
    out.append(QString::number(GetLong(flex.get(), &IFlex::get_FlashPartSize)));
    for (LONG handle : {2, 3, 5, 6, 10})
        out.append(QString::number(guitest::InUpdate(guitest::ModuleOf(flex.get(), handle).get())));
    cvk::ComPtr<IFlexLogoModule> logo = guitest::LogoOf(flex.get());
    out.append(GetText(logo.get(), &IFlexLogoModule::get_ImageName));
    out.append(QStringLiteral("%1 %2 %3")
                   .arg(GetBool(logo.get(), &IFlexLogoModule::get_DisplayBadge))
                   .arg(GetLong(logo.get(), &IFlexLogoModule::get_BadgeLocX))
                   .arg(GetLong(logo.get(), &IFlexLogoModule::get_BadgeLocY)));
    return out;
}

// A value the thermal setting accepts other than its current one.
QString OtherThermValue(IThermSetting* setting) {
    const QString current = GetVariantText(setting, &IThermSetting::get_Value);
    QStringList candidates;
    if (GetBool(setting, &IThermSetting::HasChoices)) {
        cvk::ComPtr<IThermChoiceList> choices = GetObject(setting, &IThermSetting::GetChoices);
        ForEachInList(choices.get(), &IThermChoiceList::GetFirst, &IThermChoiceList::GetNext,
                      [&](const cvk::ComPtr<IThermChoice>& choice) {
                          candidates.append(GetVariantText(choice.get(), &IThermChoice::get_Value));
                      });
    } else {
        candidates << GetVariantText(setting, &IThermSetting::get_ValueMin)
                   << GetVariantText(setting, &IThermSetting::get_ValueMax);
    }
    candidates.removeAll(current);
    return candidates.value(0);
}

// A modular workspace with something for every edit to change: a CMOS setting off its
// default, one locked, one flagged for review, a module out of its default and a logo picture.
class Fixture {
public:
    explicit Fixture(Program& program) {
        const QString map = program.Path(QStringLiteral("modular.cvk"));
        picture = program.Path(QStringLiteral("first.jpg"));
        secondPicture = program.Path(QStringLiteral("second.jpg"));
        saved = program.Path(QStringLiteral("undo.cvw"));
        if (!guitest::WriteModularBoard(map, guitest::kTestModules) || !program.Start() ||
            !guitest::WritePicture(picture, 640, 480) ||
            !guitest::WritePicture(secondPicture, 800, 600))
            return;
        program.app()->setWarnAdvancedCmos(0);
        program.app()->setWarnThermal(0);
        if (!program.NewWorkspace(map))
            return;
        main = program.app()->mainFrame();
        frame = main->activeChildFrame();
        doc = frame->document();
        tree = frame->treeView();
        workspace = doc->GetWorkspace();
        flex = guitest::FlexOf(workspace.get());
        CThermList* thermList = frame->rightView()->thermList();
        guitest::ShowTreeItem(tree, TreeItemKind::ThermGroup, 1, thermList);
        therm = cvk::ComPtr<IThermSetting>(thermList->SettingAt(thermList->topLevelItem(0)));
        CCmosList* cmos = ShowCmos();
        ISettingNode* first = cmos->SettingAt(cmos->topLevelItem(0));
        ISettingNode* second = cmos->SettingAt(cmos->topLevelItem(1));
        first->put_NeedsReview(VARIANT_TRUE);
        second->put_Locked(VARIANT_TRUE);
        SetOtherChoice(second);
        guitest::ModuleOf(flex.get(), 6)->put_InUpdate(VARIANT_FALSE);
        guitest::LogoOf(flex.get())->SetImage(cvk::Bstr(picture.toStdU16String()).get(), 640, 480);
    }

    CCmosList* ShowCmos() {
        CCmosList* list = frame->rightView()->cmosList();
        return guitest::ShowTreeItem(tree, TreeItemKind::CmosGroup, 3, list) ? list : nullptr;
    }
    void Show(TreeItemKind kind) {
        guitest::ShowTreeItem(tree, kind);
        main->UpdateCommandUI();
    }
    void Run(Cmd id) {
        main->UpdateCommandUI();
        main->action(id)->trigger();
    }
    void RunOnCmosRow(int row, Cmd id) {
        CCmosList* list = ShowCmos();
        list->setCurrentItem(list->topLevelItem(row));
        Run(id);
    }
    void RunOnModule(const QString& name, CModuleList::MenuCommand command) {
        Show(TreeItemKind::Modules);
        CModuleList* list = frame->rightView()->moduleList();
        list->RunCommand(list->findItems(name, Qt::MatchExactly, CModuleList::NameColumn).value(0),
                         command);
    }
    static void SetOtherChoice(ISettingNode* setting) {
        cvk::ComPtr<IChoiceNode> current = GetObject(setting, &ISettingNode::get_CurrentChoice);
        cvk::ComPtr<IChoiceList> choices = GetObject(setting, &ISettingNode::get_ChoiceList);
        cvk::ComPtr<IChoiceNode> other;
        ForEachInList(choices.get(), &IChoiceList::GetFirst, &IChoiceList::GetNext,
                      [&](const cvk::ComPtr<IChoiceNode>& choice) {
                          if (!other && GetText(choice.get(), &IChoiceNode::get_Name) !=
                                            GetText(current.get(), &IChoiceNode::get_Name))
                              other = choice;
                      });
        setting->put_CurrentChoice(other.get());
    }
    QStringList State() const { return EngineState(workspace.get(), therm.get()); }
    // The rows of the CMOS list show the engine's choices and marks.
    bool CmosRowsShowEngine() {
        CCmosList* list = frame->rightView()->cmosList();
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            QTreeWidgetItem* row = list->topLevelItem(i);
            ISettingNode* setting = list->SettingAt(row);
            QString shown = row->text(CCmosList::ValueColumn);
            if (shown.endsWith(QLatin1Char('*')))
                shown.chop(1);
            cvk::ComPtr<IChoiceNode> choice = GetObject(setting, &ISettingNode::get_CurrentChoice);
            if (shown != GetText(choice.get(), &IChoiceNode::get_Name) ||
                row->icon(CCmosList::LockColumn).isNull() ==
                    GetBool(setting, &ISettingNode::get_Locked))
                return false;
        }
        return true;
    }

    CMainFrame* main = nullptr;
    CChildFrame* frame = nullptr;
    CCvkDoc* doc = nullptr;
    CWspTreeView* tree = nullptr;
    cvk::ComPtr<IWorkspace> workspace;
    cvk::ComPtr<IFlex> flex;
    cvk::ComPtr<IThermSetting> therm;
    QString picture;
    QString secondPicture;
    QString saved;
};

struct EditCase {
    const char* name;
    std::function<void(Fixture&)> edit;
};

const EditCase kEdits[] = {
    {"Edit Value",
     [](Fixture& f) {
         CCmosList* list = f.ShowCmos();
         QTreeWidgetItem* row = list->topLevelItem(2);
         list->setCurrentItem(row);
         f.Run(Cmd::EditValue);
         auto* combo = qobject_cast<QComboBox*>(list->cellEditor());
         combo->hidePopup();
         int other = 0;
         while (combo->itemText(other) == row->text(CCmosList::ValueColumn))
             ++other;
         combo->setCurrentIndex(other);
         Q_EMIT combo->activated(other);
     }},
    {"Lock", [](Fixture& f) { f.RunOnCmosRow(0, Cmd::Lock); }},
    {"Unlock", [](Fixture& f) { f.RunOnCmosRow(1, Cmd::Lock); }},
    {"Hide", [](Fixture& f) { f.RunOnCmosRow(2, Cmd::Hide); }},
    {"Reset All CMOS Values", [](Fixture& f) { f.RunOnCmosRow(0, Cmd::ResetDefaults); }},
    {"Clear All Lock/Hide", [](Fixture& f) { f.RunOnCmosRow(0, Cmd::ClearLockHide); }},
    {"Mark All as Reviewed", [](Fixture& f) { f.RunOnCmosRow(0, Cmd::MarkReviewed); }},
    {"Edit Value",
     [](Fixture& f) {
         f.Show(TreeItemKind::Smbios);
         CSmbiosList* list = f.frame->rightView()->smbiosList();
         list->OnEndEdit(list->topLevelItem(0), CSmbiosList::ValueColumn,
                         QStringLiteral("Undone Board"));
     }},
    {"Prompt",
     [](Fixture& f) {
         f.Show(TreeItemKind::Smbios);
         CSmbiosList* list = f.frame->rightView()->smbiosList();
         list->setCurrentItem(list->topLevelItem(1));
         f.Run(Cmd::Prompt);
     }},
    {"Edit Value",
     [](Fixture& f) {
         CThermList* list = f.frame->rightView()->thermList();
         guitest::ShowTreeItem(f.tree, TreeItemKind::ThermGroup, 1, list);
         list->OnEndEdit(list->topLevelItem(0), CThermList::ValueColumn,
                         OtherThermValue(f.therm.get()));
     }},
    {"In BIOS File",
     [](Fixture& f) { f.RunOnModule(QStringLiteral("Boot Menu"), CModuleList::kInBiosFile); }},
    {"Firmware Hub Size", [](Fixture& f) { f.Run(Cmd::FwhSize8); }},
    {"Remove JPG",
     [](Fixture& f) { f.RunOnModule(QStringLiteral("Splash Logo"), CModuleList::kRemoveJpg); }},
    {"Splash Screen",
     [](Fixture& f) {
         const QString picture = f.secondPicture;
         guitest::WhenModal([picture](QWidget* dialog) {
             auto* editor = qobject_cast<CSplashEditor*>(dialog);
             editor->OpenPicture(picture);
             editor->OnToggleBadge();
             editor->PlaceBadge(CSplashEditor::Place::LowerRight);
             editor->Store();
             editor->close();
         });
         f.RunOnModule(QStringLiteral("Splash Logo"), CModuleList::kEditModule);
     }},
    {"Restore Module Defaults",
     [](Fixture& f) {
         f.Show(TreeItemKind::Modules);
         f.Run(Cmd::ResetDefaults);
     }},
};

// The document's modified flag, and the workspace window's title with the mark only then.
bool Modified(CChildFrame* frame, bool modified) {
    const QString title = modified ? QStringLiteral("undo.cvw *") : QStringLiteral("undo.cvw");
    return frame->document()->isModified() == modified && frame->windowTitle() == title &&
           frame->parentWidget()->windowTitle() == title;
}

QString UndoText(const QString& name) {
    return QStringLiteral("&Undo %1\tCtrl+Z").arg(name);
}

QString RedoText(const QString& name) {
    return QStringLiteral("&Redo %1\tCtrl+Shift+Z").arg(name);
}

} // namespace

class EditHistoryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(guitest::RegisterComponents()); }

    void everyEditIsUndoneAndRedoneInTheEngine() {
        Program program;
        Fixture f(program);
        QVERIFY(f.therm);
        QVERIFY(f.doc->DoSave(f.saved));
        QCOMPARE(f.frame->windowTitle(), QStringLiteral("undo.cvw"));
        f.main->UpdateCommandUI();
        QVERIFY(!f.main->action(Cmd::Undo)->isEnabled());
        QCOMPARE(f.main->action(Cmd::Undo)->text(), QStringLiteral("&Undo\tCtrl+Z"));
        const QStringList initial = f.State();
        for (const EditCase& edit : kEdits) {
            const QString name = QString::fromLatin1(edit.name);
            QVERIFY2(f.doc->DoSave(f.saved), edit.name);
            const QStringList before = f.State();
            edit.edit(f);
            const QStringList after = f.State();
            QVERIFY2(after != before, edit.name);
            QVERIFY2(Modified(f.frame, true), edit.name);
            f.main->UpdateCommandUI();
            QCOMPARE(f.main->action(Cmd::Undo)->text(), UndoText(name));

            f.Run(Cmd::Undo);
            QCOMPARE(f.State(), before);
            // Back at the saved state.
            QVERIFY2(Modified(f.frame, false), edit.name);
            QCOMPARE(f.main->action(Cmd::Redo)->text(), RedoText(name));
            QVERIFY2(f.frame->rightView()->mode() != CCvkRightView::ModeCmos ||
                         f.CmosRowsShowEngine(),
                     edit.name);
            // Showing another item reads the engine's save flag, which still says changed.
            guitest::ShowTreeItem(f.tree, TreeItemKind::SystemInfo);
            QVERIFY2(Modified(f.frame, false), edit.name);

            f.Run(Cmd::Redo);
            QCOMPARE(f.State(), after);
            QVERIFY2(Modified(f.frame, true), edit.name);
            QVERIFY2(!f.main->action(Cmd::Redo)->isEnabled(), edit.name);
        }
        QVERIFY(program.messages.empty());
        QCOMPARE(f.main->windowTitle(), cvkgui::text::kMainTitle);
        // Undone in turn, the edits lead back to where they started.
        while (f.main->action(Cmd::Undo)->isEnabled())
            f.Run(Cmd::Undo);
        QCOMPARE(f.State(), initial);
        QVERIFY(program.messages.empty());
    }

    void anUndoTheEngineRefusesEmptiesTheHistory() {
        Program program;
        Fixture f(program);
        QVERIFY(f.therm);
        QVERIFY(f.doc->DoSave(f.saved));
        f.RunOnModule(QStringLiteral("Splash Logo"), CModuleList::kRemoveJpg);
        // The picture to put back is gone.
        QVERIFY(QFile::remove(f.picture));
        f.Run(Cmd::Undo);
        QCOMPARE(program.messageTexts(), QStringList{cvkgui::text::kOperationFailed});
        QCOMPARE(f.doc->history()->count(), 0);
        QVERIFY(f.doc->isModified());
        QVERIFY(!f.main->action(Cmd::Undo)->isEnabled());
    }

    void historyEmptiedWhenTheWorkspaceChangesOrCloses() {
        Program program;
        QVERIFY(program.Start());
        const QString second = program.Path(QStringLiteral("second.cvk"));
        QVERIFY(guitest::WriteBoard(second, 8, 8));
        QVERIFY(program.NewWorkspace(QStringLiteral(CORVANE_DEMO_MAP)));
        CMainFrame* main = program.app()->mainFrame();
        CCvkDoc* doc = program.app()->activeDocument();
        auto lock = [&] {
            CCmosList* list = main->activeChildFrame()->rightView()->cmosList();
            guitest::ShowTreeItem(main->activeChildFrame()->treeView(), TreeItemKind::CmosGroup, 1,
                                  list);
            list->setCurrentItem(list->topLevelItem(0));
            main->UpdateCommandUI();
            main->action(Cmd::Lock)->trigger();
            return doc->history()->count() == 1;
        };
        QVERIFY(lock());
        program.chooserAnswers.push_back(second);
        guitest::WhenModal([](QWidget* dialog) {
            dialog->findChild<QPushButton*>(QStringLiteral("browseButton"))->click();
            // The carry-over preview follows "Update"; OK goes on with the update.
            guitest::WhenModalNamed(QStringLiteral("updatePreviewDialog"), [](QWidget* preview) {
                preview->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
            });
            dialog->findChild<QPushButton*>(QStringLiteral("updateButton"))->click();
        });
        main->action(Cmd::UpdateBios)->trigger();
        QCOMPARE(doc->history()->count(), 0);
        QVERIFY(doc->isModified());
        QVERIFY(!main->action(Cmd::Undo)->isEnabled());

        QVERIFY(lock());
        guitest::WhenModal([](QWidget* dialog) {
            dialog->findChild<QCheckBox*>(QStringLiteral("smbiosBox"))->setChecked(false);
            dialog->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        });
        main->action(Cmd::AddRemove)->trigger();
        QCOMPARE(doc->history()->count(), 0);
        QVERIFY(doc->isModified());

        QVERIFY(lock());
        program.answers.push_back(QMessageBox::No);
        main->action(Cmd::Close)->trigger();
        QCOMPARE(doc->history()->count(), 0);
    }
};

QTEST_MAIN(EditHistoryTest)
#include "edit_history_test.moc"
