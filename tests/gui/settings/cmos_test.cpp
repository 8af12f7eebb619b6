// Window tests of the workspace tree and the CMOS list: marks, lock and hide limits, value
// editing with "*" for defaults, the warning, and command enabling.
#include "gui/common/strings.h"
#include "gui/document/cvk_doc.h"
#include "gui/settings/cmos_list.h"
#include "gui/settings/cvk_right_view.h"
#include "gui/settings/wsp_tree_view.h"
#include "gui/shell/child_frame.h"
#include "gui/shell/main_frame.h"
#include "tests/gui/support/gui_test_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QTreeWidgetItemIterator>

using guitest::Program;

namespace {

// Selects the first CMOS group whose list shows at least `rows` settings.
CCmosList* ShowCmosGroup(CChildFrame* frame, int rows = 1) {
    CCmosList* list = frame->rightView()->cmosList();
    return guitest::ShowTreeItem(frame->treeView(), TreeItemKind::CmosGroup, rows, list) ? list
                                                                                         : nullptr;
}

cvk::ComPtr<ICmos> CmosOf(CCvkDoc* doc) {
    cvk::ComPtr<ICmos> cmos;
    doc->GetWorkspace()->get_Cmos(cmos.put());
    return cmos;
}

LONG LockedCount(CCvkDoc* doc) {
    LONG count = -1;
    CmosOf(doc)->get_CurNumLockSettings(&count);
    return count;
}

} // namespace

class CmosTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(guitest::RegisterComponents()); }

    void treeShowsTheCmosGroupsAndTheListItsSettings() {
        Program program;
        QVERIFY(program.Start());
        QVERIFY(program.NewWorkspace(QStringLiteral(CORVANE_DEMO_MAP)));
        CMainFrame* main = program.app()->mainFrame();
        CChildFrame* frame = main->activeChildFrame();
        CCmosList* list = ShowCmosGroup(frame, 3);
        QVERIFY(list);
        QCOMPARE(frame->rightView()->mode(), CCvkRightView::ModeCmos);
        QCOMPARE(frame->rightView()->HelpContext(), 2);
        QCOMPARE(main->messageText(), cvkgui::text::kHintCmos);
        QCOMPARE(list->headerItem()->text(CCmosList::ItemColumn), QStringLiteral("Item"));
        QCOMPARE(list->columnWidth(CCmosList::LockColumn), 26);
        // A value that is the default choice carries "*".
        bool sawDefault = false;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            sawDefault =
                sawDefault ||
                list->topLevelItem(i)->text(CCmosList::ValueColumn).endsWith(QLatin1Char('*'));
        QVERIFY(sawDefault);
        main->UpdateCommandUI();
        QVERIFY(main->action(Cmd::Lock)->isEnabled());
        QVERIFY(main->action(Cmd::EditValue)->isEnabled());
        QVERIFY(!main->action(Cmd::MarkReviewed)->isEnabled());
        QVERIFY(!main->action(Cmd::Prompt)->isEnabled());
        QCOMPARE(main->action(Cmd::ResetDefaults)->text(),
                 QStringLiteral("Reset All CMOS Values to &Defaults\tCtrl+D"));
    }

    void lockLimitAtTheMaximumAndOnePast() {
        Program program;
        QVERIFY(program.Start());
        const QString board = program.Path(QStringLiteral("two.cvk"));
        QVERIFY(guitest::WriteBoard(board, 2, 2));
        QVERIFY(program.NewWorkspace(board));
        CMainFrame* main = program.app()->mainFrame();
        CCvkDoc* doc = program.app()->activeDocument();
        CCmosList* list = ShowCmosGroup(main->activeChildFrame(), 3);
        QVERIFY(list);
        auto lockRow = [&](int row) {
            list->setCurrentItem(list->topLevelItem(row));
            main->UpdateCommandUI();
            main->action(Cmd::Lock)->trigger();
        };
        lockRow(0);
        lockRow(1);
        QCOMPARE(LockedCount(doc), 2);
        QVERIFY(program.messages.empty());
        QVERIFY(!list->topLevelItem(1)->icon(CCmosList::LockColumn).isNull());
        lockRow(2);
        QCOMPARE(program.messageTexts(), QStringList{cvkgui::text::kMaxLocked});
        QCOMPARE(LockedCount(doc), 2);
        QVERIFY(list->topLevelItem(2)->icon(CCmosList::LockColumn).isNull());
        // Unlocking one makes room again.
        lockRow(0);
        QVERIFY(list->topLevelItem(0)->icon(CCmosList::LockColumn).isNull());
        lockRow(2);
        QCOMPARE(LockedCount(doc), 2);
        QCOMPARE(program.messages.size(), std::size_t{1});
        // Hide has its own limit.
        list->setCurrentItem(list->topLevelItem(0));
        main->action(Cmd::Hide)->trigger();
        LONG hidden = 0;
        CmosOf(doc)->get_CurNumHideSettings(&hidden);
        QCOMPARE(hidden, 1);
        // Clear All Lock/Hide empties both and the refilled list shows no marks.
        main->action(Cmd::ClearLockHide)->trigger();
        QCOMPARE(LockedCount(doc), 0);
        QVERIFY(list->topLevelItem(2)->icon(CCmosList::LockColumn).isNull());
    }

    void lockAndHideDisabledWhenTheBiosSupportsNeither() {
        Program program;
        QVERIFY(program.Start());
        const QString board = program.Path(QStringLiteral("none.cvk"));
        QVERIFY(guitest::WriteBoard(board, 0, 0));
        QVERIFY(program.NewWorkspace(board));
        CMainFrame* main = program.app()->mainFrame();
        CCmosList* list = ShowCmosGroup(main->activeChildFrame());
        QVERIFY(list);
        list->setCurrentItem(list->topLevelItem(0));
        main->UpdateCommandUI();
        QVERIFY(!main->action(Cmd::Lock)->isEnabled());
        QVERIFY(!main->action(Cmd::Hide)->isEnabled());
        QVERIFY(!main->action(Cmd::ClearLockHide)->isEnabled());
        QVERIFY(main->action(Cmd::EditValue)->isEnabled());
        // The row menu greys Lock and Hide.
        QStringList disabled;
        QTimer::singleShot(50, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            for (QAction* action : menu->actions())
                if (!action->isEnabled())
                    disabled.append(action->text());
            menu->close();
        });
        const QRect cell = list->visualItemRect(list->topLevelItem(0));
        QContextMenuEvent event(QContextMenuEvent::Keyboard, cell.center(),
                                list->viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(list, &event);
        QCOMPARE(disabled, (QStringList{QStringLiteral("Lock"), QStringLiteral("Hide")}));
    }

    void choosingTheDefaultShowsStarButStoresTheName() {
        Program program;
        QVERIFY(program.Start());
        program.app()->setWarnAdvancedCmos(0);
        QVERIFY(program.NewWorkspace(QStringLiteral(CORVANE_DEMO_MAP)));
        CMainFrame* main = program.app()->mainFrame();
        CCvkDoc* doc = program.app()->activeDocument();
        CCmosList* list = ShowCmosGroup(main->activeChildFrame());
        QVERIFY(list);
        QTreeWidgetItem* row = list->topLevelItem(0);
        list->setCurrentItem(row);
        main->UpdateCommandUI();
        main->action(Cmd::EditValue)->trigger();
        QCOMPARE(main->messageText(), cvkgui::text::kHintCmosSelect);
        auto* combo = qobject_cast<QComboBox*>(list->cellEditor());
        QVERIFY(combo);
        combo->hidePopup();
        // Pick a choice that is not the current one, then the default one.
        int other = -1;
        int fallback = -1;
        for (int i = 0; i < combo->count(); ++i) {
            if (combo->itemText(i).endsWith(QLatin1Char('*')))
                fallback = i;
            else if (combo->itemText(i) != row->text(CCmosList::ValueColumn) && other < 0)
                other = i;
        }
        QVERIFY(other >= 0);
        QVERIFY(fallback >= 0);
        combo->setCurrentIndex(other);
        Q_EMIT combo->activated(other);
        QCOMPARE(row->text(CCmosList::ValueColumn), combo->itemText(other));
        QCOMPARE(main->messageText(), cvkgui::text::kHintCmos);
        QVERIFY(doc->isModified());

        main->action(Cmd::EditValue)->trigger();
        combo = qobject_cast<QComboBox*>(list->cellEditor());
        QVERIFY(combo);
        combo->hidePopup();
        const QString starred = combo->itemText(fallback);
        combo->setCurrentIndex(fallback);
        Q_EMIT combo->activated(fallback);
        QCOMPARE(row->text(CCmosList::ValueColumn), starred);
        // The engine holds the choice by its own name, without the star.
        cvk::ComPtr<IChoiceNode> current;
        QVERIFY(SUCCEEDED(list->SettingAt(row)->get_CurrentChoice(current.put())));
        BSTR name = nullptr;
        QVERIFY(SUCCEEDED(current->get_Name(&name)));
        QCOMPARE(QString::fromUtf16(name) + QLatin1Char('*'), starred);
        SysFreeString(name);
        QVERIFY(program.messages.empty());
        // Refilling reads the engine again: the star comes from Default, not from the text.
        doc->UpdateAllViews(nullptr, CCvkDoc::kHintShowCurrent);
        QCOMPARE(list->topLevelItem(0)->text(CCmosList::ValueColumn), starred);
    }

    void reviewMarksAreBoldUntilMarkedReviewed() {
        Program program;
        QVERIFY(program.Start());
        QVERIFY(program.NewWorkspace(QStringLiteral(CORVANE_DEMO_MAP)));
        CMainFrame* main = program.app()->mainFrame();
        CCvkDoc* doc = program.app()->activeDocument();
        CCmosList* list = ShowCmosGroup(main->activeChildFrame(), 2);
        QVERIFY(list);
        main->UpdateCommandUI();
        QVERIFY(!main->action(Cmd::MarkReviewed)->isEnabled());
        QVERIFY(SUCCEEDED(list->SettingAt(list->topLevelItem(1))->put_NeedsReview(VARIANT_TRUE)));
        doc->UpdateAllViews(nullptr, CCvkDoc::kHintShowCurrent);
        QVERIFY(list->topLevelItem(1)->font(CCmosList::ItemColumn).bold());
        QVERIFY(!list->topLevelItem(0)->font(CCmosList::ItemColumn).bold());
        main->UpdateCommandUI();
        QVERIFY(main->action(Cmd::MarkReviewed)->isEnabled());
        main->action(Cmd::MarkReviewed)->trigger();
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            QVERIFY(!list->topLevelItem(i)->font(CCmosList::ItemColumn).bold());
        main->UpdateCommandUI();
        QVERIFY(!main->action(Cmd::MarkReviewed)->isEnabled());
    }

    void resetRestoresDefaultsAndMenuTextFollowsTheMode() {
        Program program;
        QVERIFY(program.Start());
        program.app()->setWarnAdvancedCmos(0);
        QVERIFY(program.NewWorkspace(QStringLiteral(CORVANE_DEMO_MAP)));
        CMainFrame* main = program.app()->mainFrame();
        CChildFrame* frame = main->activeChildFrame();
        CCmosList* list = ShowCmosGroup(frame);
        QVERIFY(list);
        QTreeWidgetItem* row = list->topLevelItem(0);
        const QString original = row->text(CCmosList::ValueColumn);
        list->setCurrentItem(row);
        main->UpdateCommandUI();
        main->action(Cmd::EditValue)->trigger();
        auto* combo = qobject_cast<QComboBox*>(list->cellEditor());
        QVERIFY(combo);
        combo->hidePopup();
        const int other = combo->findText(original) == 0 ? 1 : 0;
        combo->setCurrentIndex(other);
        Q_EMIT combo->activated(other);
        QVERIFY(list->topLevelItem(0)->text(CCmosList::ValueColumn) != original);
        // A new workspace starts on the defaults; Reset goes back to them.
        QVERIFY(original.endsWith(QLatin1Char('*')));
        main->action(Cmd::ResetDefaults)->trigger();
        QCOMPARE(list->topLevelItem(0)->text(CCmosList::ValueColumn), original);
        // Tips: the row's help text, and the mark's name over a set mark.
        list->setCurrentItem(list->topLevelItem(0));
        main->action(Cmd::Lock)->trigger();
        QCOMPARE(list->CellTip(list->topLevelItem(0), CCmosList::LockColumn),
                 QStringLiteral("Locked Setting"));
        QVERIFY(!list->CellTip(list->topLevelItem(0), CCmosList::ItemColumn).isEmpty());

        CWspTreeView* tree = frame->treeView();
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            if (tree->DataOf(tree->topLevelItem(i))->kind == TreeItemKind::Modules)
                tree->setCurrentItem(tree->topLevelItem(i));
        }
        QCOMPARE(frame->rightView()->mode(), CCvkRightView::ModeModules);
        main->UpdateCommandUI();
        QCOMPARE(main->action(Cmd::ResetDefaults)->text(),
                 QStringLiteral("Restore Module Defaults\tCtrl+D"));
        QCOMPARE(main->messageText(), cvkgui::text::kHintModules);
        QCOMPARE(frame->rightView()->HelpContext(), 5);
    }

    void tabMovesTheFocusBetweenThePanes() {
        Program program;
        QVERIFY(program.Start());
        QVERIFY(program.NewWorkspace(QStringLiteral(CORVANE_DEMO_MAP)));
        CMainFrame* main = program.app()->mainFrame();
        main->show();
        QVERIFY(QTest::qWaitForWindowActive(main));
        CChildFrame* frame = main->activeChildFrame();
        frame->treeView()->setFocus();
        QTest::keyClick(frame->treeView(), Qt::Key_Tab);
        QTRY_VERIFY(frame->rightView()->visibleList()->hasFocus());
        QTest::keyClick(frame->rightView()->visibleList(), Qt::Key_Tab);
        QTRY_VERIFY(frame->treeView()->hasFocus());
    }

    void advancedWarningShowsAndCanBeTurnedOff() {
        Program program;
        QVERIFY(program.Start());
        program.app()->setWarnAdvancedCmos(1);
        QVERIFY(program.NewWorkspace(QStringLiteral(CORVANE_DEMO_MAP)));
        CChildFrame* frame = program.app()->mainFrame()->activeChildFrame();
        // Find an advanced setting (one without a portable keyword).
        CWspTreeView* tree = frame->treeView();
        CCmosList* list = frame->rightView()->cmosList();
        QTreeWidgetItem* advanced = nullptr;
        QList<QTreeWidgetItem*> pending;
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            pending.append(tree->topLevelItem(i));
        while (!pending.isEmpty() && !advanced) {
            QTreeWidgetItem* item = pending.takeFirst();
            for (int c = 0; c < item->childCount(); ++c)
                pending.append(item->child(c));
            if (tree->DataOf(item)->kind != TreeItemKind::CmosGroup)
                continue;
            tree->setCurrentItem(item);
            for (int r = 0; r < list->topLevelItemCount() && !advanced; ++r) {
                VARIANT_BOOL flag = VARIANT_FALSE;
                list->SettingAt(list->topLevelItem(r))->get_Advanced(&flag);
                if (flag != VARIANT_FALSE)
                    advanced = list->topLevelItem(r);
            }
        }
        QVERIFY(advanced);
        QCOMPARE(list->CellTip(advanced, CCmosList::AdvancedColumn),
                 QStringLiteral("Advanced Setting"));
        QString warningText;
        guitest::WhenModal([&](QWidget* dialog) {
            warningText = dialog->findChild<QLabel*>(QStringLiteral("warningText"))->text();
            dialog->findChild<QCheckBox*>(QStringLiteral("doNotShowBox"))->click();
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        });
        list->setCurrentItem(advanced);
        program.app()->mainFrame()->UpdateCommandUI();
        program.app()->mainFrame()->action(Cmd::EditValue)->trigger();
        QCOMPARE(warningText, cvkgui::text::kAdvancedWarning);
        QCOMPARE(program.app()->warnAdvancedCmos(), 0);
    }

    void lockAndHideRowsShowWhatTheEngineHolds() {
        Program program;
        QVERIFY(program.Start());
        QVERIFY(program.NewWorkspace(QStringLiteral(CORVANE_DEMO_MAP)));
        CMainFrame* main = program.app()->mainFrame();
        CCmosList* list = ShowCmosGroup(main->activeChildFrame());
        QVERIFY(list);
        QTreeWidgetItem* row = list->topLevelItem(0);
        ISettingNode* setting = list->SettingAt(row);
        // Hiding unlocks, and locking may unhide: after each command the marks are the engine's.
        for (Cmd id : {Cmd::Lock, Cmd::Hide, Cmd::Lock, Cmd::Hide, Cmd::Hide, Cmd::Lock}) {
            list->setCurrentItem(row);
            main->UpdateCommandUI();
            main->action(id)->trigger();
            VARIANT_BOOL locked = VARIANT_FALSE;
            VARIANT_BOOL hidden = VARIANT_FALSE;
            setting->get_Locked(&locked);
            setting->get_Hidden(&hidden);
            QCOMPARE(!row->icon(CCmosList::LockColumn).isNull(), locked != VARIANT_FALSE);
            QCOMPARE(!row->icon(CCmosList::HideColumn).isNull(), hidden != VARIANT_FALSE);
        }
        QVERIFY(program.messages.empty());
    }

    void wholeCmosChangesMarkTheWorkspaceModifiedAtOnce() {
        for (Cmd id : {Cmd::ResetDefaults, Cmd::ClearLockHide}) {
            Program program;
            QVERIFY(program.Start());
            QVERIFY(program.NewWorkspace(QStringLiteral(CORVANE_DEMO_MAP)));
            const QString saved = program.Path(QStringLiteral("saved.cvw"));
            program.chooserAnswers.push_back(saved);
            CMainFrame* main = program.app()->mainFrame();
            main->action(Cmd::SaveAs)->trigger();
            QVERIFY(!program.app()->activeDocument()->isModified());
            QVERIFY(ShowCmosGroup(main->activeChildFrame()));
            main->UpdateCommandUI();
            main->action(id)->trigger();
            // Close asks to save instead of dropping the change.
            program.answers.push_back(QMessageBox::Cancel);
            main->action(Cmd::Close)->trigger();
            QCOMPARE(program.messageTexts(),
                     QStringList{cvkgui::text::kSaveChanges.arg(QStringLiteral("saved.cvw"))});
            QVERIFY(!main->childFrames().isEmpty());
        }
    }

    void itemColumnShowsEveryNameWhole() {
        Program program;
        QVERIFY(program.Start());
        QVERIFY(program.NewWorkspace(QStringLiteral(CORVANE_DEMO_MAP)));
        CWspTreeView* tree = program.app()->mainFrame()->activeChildFrame()->treeView();
        CCmosList* list = program.app()->mainFrame()->activeChildFrame()->rightView()->cmosList();
        QTreeWidgetItemIterator it(tree);
        int shown = 0;
        for (; *it; ++it) {
            if (tree->DataOf(*it)->kind != TreeItemKind::CmosGroup)
                continue;
            tree->setCurrentItem(*it);
            for (int r = 0; r < list->topLevelItemCount(); ++r, ++shown) {
                const QString name = list->topLevelItem(r)->text(CCmosList::ItemColumn);
                QVERIFY2(list->fontMetrics().horizontalAdvance(name) <
                             list->columnWidth(CCmosList::ItemColumn),
                         qPrintable(name));
            }
        }
        QVERIFY(shown > 0);
    }
};

QTEST_MAIN(CmosTest)
#include "cmos_test.moc"
