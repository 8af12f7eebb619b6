// Window tests of the SMBIOS and thermal lists: prompt toggling, the truncation message,
// empty edits, range checks and the thermal warning.
#include "gui/common/strings.h"
#include "gui/document/cvk_doc.h"
#include "gui/settings/cvk_right_view.h"
#include "gui/settings/settings_lists.h"
#include "gui/settings/wsp_tree_view.h"
#include "gui/shell/child_frame.h"
#include "gui/shell/main_frame.h"
#include "tests/gui/support/gui_test_support.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

using guitest::Program;

namespace {

QTreeWidgetItem* FindItem(CWspTreeView* tree, TreeItemKind kind) {
    QList<QTreeWidgetItem*> pending;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        pending.append(tree->topLevelItem(i));
    while (!pending.isEmpty()) {
        QTreeWidgetItem* item = pending.takeFirst();
        if (tree->DataOf(item)->kind == kind && item->childCount() == 0)
            return item;
        for (int c = 0; c < item->childCount(); ++c)
            pending.append(item->child(c));
    }
    return nullptr;
}

QString NodeValue(ISmbiosNode* node) {
    BSTR value = nullptr;
    node->get_Value(&value);
    const QString text = QString::fromUtf16(value ? value : u"");
    SysFreeString(value);
    return text;
}

bool NodePrompt(ISmbiosNode* node) {
    VARIANT_BOOL prompt = VARIANT_FALSE;
    node->get_Prompt(&prompt);
    return prompt != VARIANT_FALSE;
}

// Types `text` into the open text editor of `list` and presses Enter.
bool TypeIntoCell(CTreeListCtrl* list, const QString& text) {
    auto* edit = qobject_cast<QLineEdit*>(list->cellEditor());
    if (!edit)
        return false;
    edit->setText(text);
    QTest::keyClick(edit, Qt::Key_Return);
    // The editor hands its text over once the key event has been handled.
    QCoreApplication::processEvents();
    return list->cellEditor() == nullptr;
}

class Fixture {
public:
    explicit Fixture(Program& program) : program_(program) {
        program.Start();
        program.app()->setWarnThermal(0);
        program.NewWorkspace(QStringLiteral(CORVANE_DEMO_MAP));
        main = program.app()->mainFrame();
        frame = main->activeChildFrame();
    }
    void Select(TreeItemKind kind) {
        frame->treeView()->setCurrentItem(FindItem(frame->treeView(), kind));
        main->UpdateCommandUI();
    }
    void Run(Cmd id) {
        main->UpdateCommandUI();
        main->action(id)->trigger();
    }

    CMainFrame* main = nullptr;
    CChildFrame* frame = nullptr;

private:
    Program& program_;
};

} // namespace

class ListsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(guitest::RegisterComponents()); }

    void smbiosPromptTogglesAndKeepsTypedText() {
        Program program;
        Fixture f(program);
        QVERIFY(f.frame);
        f.Select(TreeItemKind::Smbios);
        CSmbiosList* list = f.frame->rightView()->smbiosList();
        QCOMPARE(f.frame->rightView()->mode(), CCvkRightView::ModeSmbios);
        QCOMPARE(list->topLevelItemCount(), 8);
        QTreeWidgetItem* row = list->topLevelItem(0);
        ISmbiosNode* node = list->NodeAt(row);
        QCOMPARE(row->text(CSmbiosList::ItemColumn), QStringLiteral("System Manufacturer"));
        QVERIFY(f.main->action(Cmd::Prompt)->isEnabled());
        list->setCurrentItem(row);

        // An empty string becomes "Enter <name>" with the prompt on, and empty again after.
        f.Run(Cmd::Prompt);
        QVERIFY(NodePrompt(node));
        QCOMPARE(NodeValue(node), QStringLiteral("Enter System Manufacturer"));
        QCOMPARE(row->text(CSmbiosList::ValueColumn), QStringLiteral("Enter System Manufacturer"));
        QVERIFY(!row->icon(CSmbiosList::PromptColumn).isNull());
        f.Run(Cmd::Prompt);
        QVERIFY(!NodePrompt(node));
        QCOMPARE(NodeValue(node), QString());
        QVERIFY(row->icon(CSmbiosList::PromptColumn).isNull());

        // A typed string stays in both directions.
        f.Run(Cmd::EditValue);
        QCOMPARE(f.main->messageText(),
                 QStringLiteral("Provide a string for the System Manufacturer"));
        QVERIFY(TypeIntoCell(list, QStringLiteral("Acme Systems")));
        QCOMPARE(NodeValue(node), QStringLiteral("Acme Systems"));
        QCOMPARE(f.main->messageText(), cvkgui::text::kHintEdit);
        f.Run(Cmd::Prompt);
        QCOMPARE(NodeValue(node), QStringLiteral("Acme Systems"));
        f.Run(Cmd::EditValue);
        QCOMPARE(f.main->messageText(),
                 QStringLiteral("Provide a string as the prompt for the System Manufacturer"));
        QVERIFY(TypeIntoCell(list, QStringLiteral("Acme Systems")));
        f.Run(Cmd::Prompt);
        QCOMPARE(NodeValue(node), QStringLiteral("Acme Systems"));
        QVERIFY(!NodePrompt(node));
        QVERIFY(program.messages.empty());
        QVERIFY(program.app()->activeDocument()->isModified());
    }

    void smbiosTooLongIsStoredCutWithOneMessage() {
        Program program;
        Fixture f(program);
        f.Select(TreeItemKind::Smbios);
        CSmbiosList* list = f.frame->rightView()->smbiosList();
        QTreeWidgetItem* row = list->topLevelItem(1);
        list->setCurrentItem(row);
        f.Run(Cmd::EditValue);
        QVERIFY(TypeIntoCell(list, QString(40, QLatin1Char('x'))));
        QCOMPARE(program.messageTexts(), QStringList{cvkgui::text::kSmbiosTruncated});
        const QString stored = NodeValue(list->NodeAt(row));
        QVERIFY(stored.size() < 40);
        QCOMPARE(row->text(CSmbiosList::ValueColumn), stored);

        // An empty edit leaves the engine's value as it was.
        f.Run(Cmd::EditValue);
        QVERIFY(TypeIntoCell(list, QString()));
        QCOMPARE(NodeValue(list->NodeAt(row)), stored);
        QCOMPARE(row->text(CSmbiosList::ValueColumn), stored);
        QCOMPARE(program.messages.size(), std::size_t{1});
    }

    void smbiosValuesRefuseControlsAndWarnOfCharactersTheCodePageLacks_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("stored");
        QTest::addColumn<int>("icon"); // QMessageBox::NoIcon: no message
        QTest::addColumn<QString>("says");
        QTest::newRow("bell") << QStringLiteral("a\ab") << false << int(QMessageBox::Critical)
                              << QStringLiteral("The value for \"System Manufacturer\" holds "
                                                "the control character U+0007");
        QTest::newRow("omega") << QStringLiteral("\u03a9 \u03a9") << true
                               << int(QMessageBox::Warning)
                               << QStringLiteral("lacks; they are written as \"?\": \"\u03a9\" "
                                                 "(U+03A9).");
        QTest::newRow("in the code page")
            << QStringLiteral("Caf\u00e9 \u20ac") << true << int(QMessageBox::NoIcon) << QString();
    }

    void smbiosValuesRefuseControlsAndWarnOfCharactersTheCodePageLacks() {
        QFETCH(QString, typed);
        QFETCH(bool, stored);
        QFETCH(int, icon);
        QFETCH(QString, says);
        Program program;
        Fixture f(program);
        f.Select(TreeItemKind::Smbios);
        CSmbiosList* list = f.frame->rightView()->smbiosList();
        QTreeWidgetItem* row = list->topLevelItem(0);
        list->setCurrentItem(row);
        const QString before = NodeValue(list->NodeAt(row));
        f.Run(Cmd::EditValue);
        QVERIFY(TypeIntoCell(list, typed));
        QCOMPARE(NodeValue(list->NodeAt(row)), stored ? typed : before);
        QCOMPARE(row->text(CSmbiosList::ValueColumn), stored ? typed : before);
        if (icon == QMessageBox::NoIcon) {
            QVERIFY(program.messages.empty());
            return;
        }
        QCOMPARE(program.messages.size(), std::size_t{1});
        QCOMPARE(int(program.messages.front().icon), icon);
        QVERIFY2(program.messages.front().text.contains(says),
                 qPrintable(program.messages.front().text));
    }

    void thermalValueOutOfRangeIsRefused() {
        Program program;
        Fixture f(program);
        QVERIFY(FindItem(f.frame->treeView(), TreeItemKind::ThermGroup));
        // Find a setting edited as text (no choices).
        CWspTreeView* tree = f.frame->treeView();
        CThermList* list = f.frame->rightView()->thermList();
        QTreeWidgetItem* row = nullptr;
        QList<QTreeWidgetItem*> pending;
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            pending.append(tree->topLevelItem(i));
        while (!pending.isEmpty() && !row) {
            QTreeWidgetItem* item = pending.takeFirst();
            for (int c = 0; c < item->childCount(); ++c)
                pending.append(item->child(c));
            if (tree->DataOf(item)->kind != TreeItemKind::ThermGroup)
                continue;
            tree->setCurrentItem(item);
            for (int r = 0; r < list->topLevelItemCount() && !row; ++r) {
                VARIANT_BOOL choices = VARIANT_TRUE;
                list->SettingAt(list->topLevelItem(r))->HasChoices(&choices);
                if (choices == VARIANT_FALSE)
                    row = list->topLevelItem(r);
            }
        }
        QVERIFY(row);
        QCOMPARE(f.frame->rightView()->HelpContext(), 4);
        const QString before = row->text(CThermList::ValueColumn);
        list->setCurrentItem(row);
        f.Run(Cmd::EditValue);
        QVERIFY(f.main->messageText().startsWith(QStringLiteral("Enter a value between ")));
        QVERIFY(TypeIntoCell(list, QStringLiteral("99999")));
        QCOMPARE(program.messages.size(), std::size_t{1});
        cvk::Variant low;
        cvk::Variant high;
        list->SettingAt(row)->get_ValueMin(low.put());
        list->SettingAt(row)->get_ValueMax(high.put());
        std::u16string lowText;
        std::u16string highText;
        low.ToText(&lowText);
        high.ToText(&highText);
        QCOMPARE(program.messages.front().text,
                 cvkgui::text::kThermMustBeBetween.arg(QString::fromStdU16String(lowText),
                                                       QString::fromStdU16String(highText)));
        QCOMPARE(row->text(CThermList::ValueColumn), before);
    }

    void thermalWarningComesBeforeEditing() {
        Program program;
        Fixture f(program);
        program.app()->setWarnThermal(1);
        f.Select(TreeItemKind::ThermGroup);
        CThermList* list = f.frame->rightView()->thermList();
        QVERIFY(list->topLevelItemCount() > 0);
        list->setCurrentItem(list->topLevelItem(0));
        QString shown;
        guitest::WhenModal([&](QWidget* dialog) {
            shown = dialog->findChild<QLabel*>(QStringLiteral("warningText"))->text();
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        });
        f.Run(Cmd::EditValue);
        QCOMPARE(shown, cvkgui::text::kThermalWarning);
        QVERIFY(list->cellEditor());
        QCOMPARE(program.app()->warnThermal(), 1);
    }
};

QTEST_MAIN(ListsTest)
#include "lists_test.moc"
