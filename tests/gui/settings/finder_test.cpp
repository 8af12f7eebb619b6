// Window tests of the views across all groups (the changed-settings filters and the search),
// the marks of values that differ from their defaults, and what the CMOS list says about a
// setting without a current choice and one past the CMOS image.
#include "client/workspace_changes.h"
#include "gui/common/strings.h"
#include "gui/document/cvk_doc.h"
#include "gui/settings/cmos_list.h"
#include "gui/settings/cvk_right_view.h"
#include "gui/settings/found_list.h"
#include "gui/settings/search_bar.h"
#include "gui/settings/settings_lists.h"
#include "gui/settings/wsp_tree_view.h"
#include "gui/shell/child_frame.h"
#include "gui/shell/main_frame.h"
#include "platform/com/com.h"
#include "tests/gui/support/gui_test_support.h"
#include "tools/cvkgen/board.h"

#include <QLineEdit>
#include <QTest>
#include <QTreeWidgetItemIterator>

using guitest::Program;

namespace {

constexpr const char* kBoard = R"({
  "build": {"biosId": "TEST.BIOS", "maxLocked": 8, "maxHidden": 8},
  "setup": [
    {"menu": "Main", "items": [
      {"setting": "Quick Boot", "keyword": "CMOS_QUICKBOOT", "choices": ["Disabled", "Enabled"],
       "help": "Allows BIOS to skip certain tests while booting.", "default": "Enabled"},
      {"setting": "Boot Beep", "choices": ["Off", "On"]},
      {"setting": "Odd", "choices": ["x", "y"], "default": 5},
      {"setting": "After Odd", "choices": ["Off", "On"]}
    ]},
    {"menu": "Advanced", "items": [
      {"menu": "Chipset", "items": [
        {"setting": "Aperture Size", "choices": ["64MB", "128MB", "256MB"], "default": "128MB"},
        {"setting": "Far", "token": "0x77", "choices": ["Near", "Distant"]},
        {"setting": "Memory Hole", "help": "Reserves a window below 16 MB for legacy cards.",
         "choices": ["Disabled", "15MB-16MB", "Zebra Mode"]}
      ]}
    ]}
  ]
})";
// "Far" lies past the 256 bytes of the CMOS image.
constexpr std::uint16_t kFarToken = 0x77;
constexpr std::uint16_t kFarOffset = 2048 + 4;

bool WriteTestBoard(const QString& path) {
    try {
        cvkgen::MapFileContent content = cvkgen::BuildMapFile(cvkgen::ParseBoard(kBoard));
        for (auto& token : content.tokens.records)
            if (token.tokenId == kFarToken) {
                token.bitOffset = kFarOffset;
                token.bitMask = 0xFF;
            }
        cvkgen::SaveFileAtomically(path.toStdString(), cvkgen::WriteMapFile(content));
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

// A program with a workspace of the test board.
struct Started {
    CMainFrame* main = nullptr;
    CChildFrame* frame = nullptr;
};

Started StartOnTestBoard(Program& program) {
    const QString board = program.Path(QStringLiteral("test.cvk"));
    if (!program.Start() || !WriteTestBoard(board) || !program.NewWorkspace(board))
        return {};
    CMainFrame* main = program.app()->mainFrame();
    return {main, main->activeChildFrame()};
}

QTreeWidgetItem* ShowGroup(CChildFrame* frame, const QString& name) {
    CWspTreeView* tree = frame->treeView();
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if ((*it)->text(0) == name) {
            tree->setCurrentItem(*it);
            return *it;
        }
    return nullptr;
}

QTreeWidgetItem* RowNamed(QTreeWidget* list, int column, const QString& name) {
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->text(column).trimmed() == name)
            return list->topLevelItem(i);
    return nullptr;
}

// The column headed "Item" of a settings list.
int ItemColumnOf(QTreeWidget* list) {
    for (int column = 0; column < list->columnCount(); ++column)
        if (list->headerItem()->text(column) == QStringLiteral("Item"))
            return column;
    return -1;
}

QStringList Column(QTreeWidget* list, int column) {
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts.append(list->topLevelItem(i)->text(column));
    return texts;
}

} // namespace

class FinderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(guitest::RegisterComponents()); }

    void changedFilterShowsWhatTheChangeListHolds() {
        Program program;
        const Started started = StartOnTestBoard(program);
        QVERIFY(started.frame);
        CMainFrame* main = started.main;
        CCvkRightView* view = started.frame->rightView();
        CCmosList* cmos = view->cmosList();
        QVERIFY(ShowGroup(started.frame, QStringLiteral("Main")));
        cmos->OnEndEdit(RowNamed(cmos, CCmosList::ItemColumn, QStringLiteral("Boot Beep")),
                        CCmosList::ValueColumn, QStringLiteral("On"));
        cmos->setCurrentItem(RowNamed(cmos, CCmosList::ItemColumn, QStringLiteral("Quick Boot")));
        main->UpdateCommandUI();
        main->action(Cmd::Lock)->trigger();
        QVERIFY(ShowGroup(started.frame, QStringLiteral("Chipset")));
        cmos->setCurrentItem(
            RowNamed(cmos, CCmosList::ItemColumn, QStringLiteral("Aperture Size")));
        main->UpdateCommandUI();
        main->action(Cmd::Hide)->trigger();
        QCOMPARE(
            cmos->SettingAt(RowNamed(cmos, CCmosList::ItemColumn, QStringLiteral("Memory Hole")))
                ->put_NeedsReview(VARIANT_TRUE),
            S_OK);

        // What the client library lists, from the saved workspace and a fresh one.
        CCvkDoc* doc = program.app()->activeDocument();
        const QString saved = program.Path(QStringLiteral("changed.cvw"));
        QVERIFY(doc->OnSaveDocument(saved));
        cvkclient::WorkspaceSnapshot workspace, defaults;
        // A server of its own: the program's holds the open workspace.
        cvk::ComPtr<IServer> server;
        QCOMPARE(CoCreateInstance(CLSID_Server, nullptr, CLSCTX_INPROC_SERVER, IServer::iid,
                                  server.put_void()),
                 S_OK);
        QCOMPARE(cvkclient::ReadWorkspaceFile(server.get(), saved.toStdString(), &workspace), S_OK);
        QCOMPARE(cvkclient::ReadFreshWorkspace(server.get(), workspace.mapFile, workspace.mask,
                                               &defaults),
                 S_OK);
        QStringList expected;
        for (const cvkclient::CmosSetting* setting :
             cvkclient::ListChanges(workspace, defaults).cmos)
            expected.append(QString::fromStdString(setting->name));
        QCOMPARE(expected.size(), 4);

        main->UpdateCommandUI();
        main->action(Cmd::ChangedOnly)->trigger();
        CFoundList* found = view->foundList();
        QCOMPARE(view->mode(), CCvkRightView::ModeFound);
        QVERIFY(main->action(Cmd::ChangedOnly)->isChecked());
        QCOMPARE(Column(found, CFoundList::ItemColumn), expected);
        QVERIFY(RowNamed(found, CFoundList::ItemColumn, QStringLiteral("Aperture Size"))
                    ->text(CFoundList::GroupColumn)
                    .endsWith(QStringLiteral("Advanced > Chipset")));
        QCOMPARE(RowNamed(found, CFoundList::ItemColumn, QStringLiteral("Quick Boot"))
                     ->text(CFoundList::NoteColumn),
                 QStringLiteral("locked"));

        // A double-click shows the setting in its group.
        Q_EMIT found->itemDoubleClicked(
            RowNamed(found, CFoundList::ItemColumn, QStringLiteral("Aperture Size")),
            CFoundList::ItemColumn);
        QCOMPARE(view->mode(), CCvkRightView::ModeCmos);
        QCOMPARE(started.frame->treeView()->currentItem()->text(0), QStringLiteral("Chipset"));
        QCOMPARE(cmos->currentItem()->text(CCmosList::ItemColumn), QStringLiteral("Aperture Size"));
        main->UpdateCommandUI();
        QVERIFY(!main->action(Cmd::ChangedOnly)->isChecked());

        main->action(Cmd::NeedsReviewOnly)->trigger();
        QCOMPARE(Column(found, CFoundList::ItemColumn), QStringList{QStringLiteral("Memory Hole")});
        // Off again: the current group's list.
        main->action(Cmd::NeedsReviewOnly)->trigger();
        QCOMPARE(view->mode(), CCvkRightView::ModeCmos);
        QCOMPARE(view->listing(), CCvkRightView::Listing::Group);
    }

    void searchFindsByEachFieldAndEnterShowsTheSettingInItsGroup_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("group");
        QTest::newRow("name") << "quick b"
                              << "Quick Boot"
                              << "name"
                              << "Main";
        QTest::newRow("keyword") << "cmos_quickboot"
                                 << "Quick Boot"
                                 << "keyword"
                                 << "Main";
        QTest::newRow("help") << "LEGACY CARDS"
                              << "Memory Hole"
                              << "help"
                              << "Chipset";
        QTest::newRow("choice") << "zebra"
                                << "Memory Hole"
                                << "choice"
                                << "Chipset";
        QTest::newRow("thermal") << "response time"
                                 << "Response Time (Seconds)"
                                 << "name"
                                 << "Zone A";
        QTest::newRow("smbios") << "system serial"
                                << "System Serial Number"
                                << "name"
                                << "SMBIOS";
    }

    void searchFindsByEachFieldAndEnterShowsTheSettingInItsGroup() {
        QFETCH(QString, text);
        QFETCH(QString, name);
        QFETCH(QString, field);
        QFETCH(QString, group);
        Program program;
        const Started started = StartOnTestBoard(program);
        QVERIFY(started.frame);
        CCvkRightView* view = started.frame->rightView();
        QLineEdit* edit = view->searchBar()->edit();
        started.main->UpdateCommandUI();
        started.main->show();
        QVERIFY(QTest::qWaitForWindowActive(started.main));
        QTest::keyClick(started.main, Qt::Key_F, Qt::ControlModifier);
        QTRY_VERIFY(edit->hasFocus());
        QTest::keyClicks(edit, text);
        CFoundList* found = view->foundList();
        QCOMPARE(view->mode(), CCvkRightView::ModeFound);
        QCOMPARE(found->topLevelItemCount(), 1);
        QCOMPARE(found->topLevelItem(0)->text(CFoundList::ItemColumn), name);
        QVERIFY(found->topLevelItem(0)->text(CFoundList::NoteColumn).contains(field));
        QVERIFY(found->topLevelItem(0)->text(CFoundList::GroupColumn).endsWith(group));

        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(started.frame->treeView()->currentItem()->text(0), group);
        auto* list = qobject_cast<QTreeWidget*>(view->visibleList());
        QVERIFY(list && list != found);
        QVERIFY(list->currentItem());
        QCOMPARE(list->currentItem()->text(ItemColumnOf(list)).trimmed(), name);
        QVERIFY(list->hasFocus());

        // Esc closes the field, from the field or from the results.
        for (bool fromResults : {false, true}) {
            started.main->action(Cmd::FindSetting)->trigger();
            QCOMPARE(view->mode(), CCvkRightView::ModeFound);
            QWidget* focus = fromResults ? static_cast<QWidget*>(found) : edit;
            QTest::keyClick(focus, Qt::Key_Escape);
            QVERIFY(!view->searchBar()->isVisible());
            QVERIFY(view->mode() != CCvkRightView::ModeFound);
        }
    }

    void aSettingWithoutACurrentChoiceIsMarkedUntilAnAnswerIsChosen() {
        Program program;
        const Started started = StartOnTestBoard(program);
        QVERIFY(started.frame);
        QVERIFY(ShowGroup(started.frame, QStringLiteral("Main")));
        CCmosList* cmos = started.frame->rightView()->cmosList();
        QTreeWidgetItem* odd = RowNamed(cmos, CCmosList::ItemColumn, QStringLiteral("Odd"));
        QTreeWidgetItem* after = RowNamed(cmos, CCmosList::ItemColumn, QStringLiteral("After Odd"));
        QVERIFY(odd && after);
        QVERIFY(cmos->IsLeftOutOfIni(odd));
        QVERIFY(!cmos->IsLeftOutOfIni(after));
        QCOMPARE(odd->text(CCmosList::ValueColumn), cvkgui::text::kNoCurrentChoiceValue);
        QVERIFY(!odd->icon(CCmosList::ValueColumn).isNull());
        QCOMPARE(cmos->CellTip(odd, CCmosList::ValueColumn), cvkgui::text::kNoCurrentChoice);
        cmos->OnEndEdit(odd, CCmosList::ValueColumn, QStringLiteral("y"));
        QVERIFY(!cmos->IsLeftOutOfIni(odd));
        QCOMPARE(odd->text(CCmosList::ValueColumn), QStringLiteral("y"));
        QVERIFY(odd->icon(CCmosList::ValueColumn).isNull());
    }

    void changingASettingPastTheImageSaysItNeverReachesIt_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("past the image")
            << "Far"
            << "Distant"
            << QStringList{
                   cvkgui::text::kOutsideCmosImage.arg(QStringLiteral("Far")).arg(kFarOffset)};
        QTest::newRow("inside the image") << "Aperture Size"
                                          << "256MB" << QStringList{};
    }

    void changingASettingPastTheImageSaysItNeverReachesIt() {
        QFETCH(QString, name);
        QFETCH(QString, choice);
        QFETCH(QStringList, messages);
        Program program;
        const Started started = StartOnTestBoard(program);
        QVERIFY(started.frame);
        QVERIFY(ShowGroup(started.frame, QStringLiteral("Chipset")));
        CCmosList* cmos = started.frame->rightView()->cmosList();
        QTreeWidgetItem* row = RowNamed(cmos, CCmosList::ItemColumn, name);
        QVERIFY(row);
        cmos->OnEndEdit(row, CCmosList::ValueColumn, choice);
        QCOMPARE(row->text(CCmosList::ValueColumn), choice);
        QCOMPARE(program.messageTexts(), messages);
    }

    void smbiosAndThermalListsMarkValuesThatDifferFromTheirDefaults() {
        Program program;
        const Started started = StartOnTestBoard(program);
        QVERIFY(started.frame);
        CCvkRightView* view = started.frame->rightView();
        QVERIFY(ShowGroup(started.frame, QStringLiteral("SMBIOS")));
        CSmbiosList* smbios = view->smbiosList();
        QVERIFY(smbios->topLevelItemCount() > 1);
        QVERIFY(!smbios->IsMarkedChanged(smbios->topLevelItem(0)));
        smbios->OnEndEdit(smbios->topLevelItem(0), CSmbiosList::ValueColumn,
                          QStringLiteral("Acme Systems"));
        QVERIFY(smbios->IsMarkedChanged(smbios->topLevelItem(0)));
        QVERIFY(!smbios->IsMarkedChanged(smbios->topLevelItem(1)));
        QVERIFY(smbios->CellTip(smbios->topLevelItem(0), CSmbiosList::ValueColumn)
                    .startsWith(QStringLiteral("Changed from the default")));

        QVERIFY(ShowGroup(started.frame, QStringLiteral("Zone B")));
        CThermList* therm = view->thermList();
        QVERIFY(therm->topLevelItemCount() > 1);
        therm->OnEndEdit(therm->topLevelItem(0), CThermList::ValueColumn, QStringLiteral("40"));
        QVERIFY(therm->IsMarkedChanged(therm->topLevelItem(0)));
        QVERIFY(!therm->IsMarkedChanged(therm->topLevelItem(1)));
        // The same setting of another zone keeps its default.
        QVERIFY(ShowGroup(started.frame, QStringLiteral("Zone A")));
        QVERIFY(!therm->IsMarkedChanged(therm->topLevelItem(0)));
        QVERIFY(ShowGroup(started.frame, QStringLiteral("Zone B")));
        QVERIFY(therm->IsMarkedChanged(therm->topLevelItem(0)));
    }
};

QTEST_MAIN(FinderTest)
#include "finder_test.moc"
