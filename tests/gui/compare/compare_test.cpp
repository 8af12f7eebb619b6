// Window tests of comparing builds: the carry-over preview of Update BIOS against the review
// flags the update then sets, and the compare view's rows and filters against the client's
// comparison.
#include "client/build_diff.h"
#include "gui/common/strings.h"
#include "gui/compare/compare_dlg.h"
#include "gui/compare/update_preview_dlg.h"
#include "gui/document/cvk_doc.h"
#include "gui/shell/main_frame.h"
#include "tests/gui/compare/newer_build.h"
#include "tests/gui/support/gui_test_support.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <set>

using guitest::Program;

namespace {

const QString kDemoMap = QStringLiteral(CORVANE_DEMO_MAP);

QString Joined(const cvkclient::Path& path) {
    QStringList parts;
    for (const std::string& part : path)
        parts.append(QString::fromStdString(part));
    return parts.join(QLatin1Char('/'));
}

// "Update" is enabled once the typed path has been checked (when the edit loses the focus).
void ClickUpdate(QWidget* dialog) {
    auto* update = dialog->findChild<QPushButton*>(QStringLiteral("updateButton"));
    update->setEnabled(true);
    update->click();
}

// Update BIOS to `newMap`, answering the preview with `button` after `look` saw it.
void UpdateTo(CMainFrame* main, const QString& newMap, const char* button,
              const std::function<void(CUpdatePreviewDlg*)>& look) {
    guitest::WhenModal([&](QWidget* dialog) {
        guitest::WhenModalNamed(QStringLiteral("updatePreviewDialog"), [&](QWidget* preview) {
            look(static_cast<CUpdatePreviewDlg*>(preview));
            preview->findChild<QPushButton*>(QString::fromLatin1(button))->click();
        });
        dialog->findChild<QLineEdit*>(QStringLiteral("newBiosFileEdit"))->setText(newMap);
        ClickUpdate(dialog);
    });
    main->action(Cmd::UpdateBios)->trigger();
}

std::set<QString> Rows(QTreeWidgetItem* branch, int column = 0) {
    std::set<QString> rows;
    for (int i = 0; i < branch->childCount(); ++i)
        rows.insert(branch->child(i)->text(column));
    return rows;
}

// What an update could change, read back from the engine: the map file, every CMOS answer and
// flag, and the module selection.
QStringList Fingerprint(CCvkDoc* doc) {
    cvkclient::WorkspaceSnapshot snapshot;
    if (FAILED(cvkclient::ReadWorkspace(doc->GetWorkspace().get(), &snapshot)))
        return {};
    QStringList lines{QString::fromStdString(snapshot.mapFile)};
    for (const cvkclient::CmosSetting& setting : snapshot.cmos->settings)
        lines.append(QStringLiteral("%1=%2 %3%4%5")
                         .arg(Joined(setting.FullPath()))
                         .arg(setting.currentChoice)
                         .arg(int(setting.locked))
                         .arg(int(setting.hidden))
                         .arg(int(setting.needsReview)));
    for (const cvkclient::ModuleInfo& module :
         snapshot.modules.value_or(std::vector<cvkclient::ModuleInfo>{}))
        lines.append(QStringLiteral("module %1 %2").arg(module.handle).arg(int(module.in)));
    return lines;
}

} // namespace

class CompareTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(guitest::RegisterComponents()); }

    void previewListsExactlyWhatTheUpdateFlags() {
        Program program;
        QVERIFY(program.Start());
        const QString newer = program.Path(QStringLiteral("newer.cvk"));
        QVERIFY(guitest::WriteNewerDemoBuild(newer));
        QVERIFY(program.NewWorkspace(kDemoMap));
        CMainFrame* main = program.app()->mainFrame();
        std::set<QString> previewed;
        bool modulesNoted = false;
        UpdateTo(main, newer, "okButton", [&](CUpdatePreviewDlg* preview) {
            previewed = Rows(preview->section(CUpdatePreviewDlg::kReview));
            QCOMPARE(Rows(preview->section(CUpdatePreviewDlg::kAdded)),
                     std::set<QString>{QStringLiteral("Advanced/CPU Configuration/Boot Splash")});
            QCOMPARE(Rows(preview->section(CUpdatePreviewDlg::kRemoved)),
                     std::set<QString>{QStringLiteral("Advanced/CPU Configuration/C1E Support")});
            modulesNoted = preview->findChild<QWidget*>(QStringLiteral("modulesNote"));
        });
        QVERIFY(modulesNoted);
        // The workspace has modules: the update says that they were reset.
        QCOMPARE(program.messageTexts(), QStringList{cvkgui::text::kModulesReset});
        QCOMPARE(program.messages.front().icon, QMessageBox::Information);

        cvkclient::WorkspaceSnapshot updated;
        CCvkDoc* doc = program.app()->activeDocument();
        QCOMPARE(cvkclient::ReadWorkspace(doc->GetWorkspace().get(), &updated), S_OK);
        QCOMPARE(QString::fromStdString(updated.mapFile), newer);
        std::set<QString> flagged;
        for (const cvkclient::CmosSetting& setting : updated.cmos->settings)
            if (setting.needsReview)
                flagged.insert(Joined(setting.FullPath()));
        QVERIFY(flagged.size() >= 2);
        QCOMPARE(previewed, flagged);
    }

    void cancelledPreviewLeavesTheWorkspaceAsItWas() {
        Program program;
        QVERIFY(program.Start());
        const QString newer = program.Path(QStringLiteral("newer.cvk"));
        QVERIFY(guitest::WriteNewerDemoBuild(newer));
        QVERIFY(program.NewWorkspace(kDemoMap));
        CCvkDoc* doc = program.app()->activeDocument();
        const QStringList before = Fingerprint(doc);
        QVERIFY(before.size() > 50);
        const bool modified = doc->isModified();
        bool shown = false;
        UpdateTo(program.app()->mainFrame(), newer, "cancelButton",
                 [&](CUpdatePreviewDlg*) { shown = true; });
        QVERIFY(shown);
        QVERIFY(program.messages.empty());
        QCOMPARE(Fingerprint(doc), before);
        QCOMPARE(doc->isModified(), modified);

        // A file that is no map file fails the preview, and the workspace stays as well.
        const QString junk = program.Path(QStringLiteral("junk.cvk"));
        QFile file(junk);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not a map file") > 0);
        file.close();
        guitest::WhenModal([&](QWidget* dialog) {
            dialog->findChild<QLineEdit*>(QStringLiteral("newBiosFileEdit"))->setText(junk);
            ClickUpdate(dialog);
        });
        program.app()->mainFrame()->action(Cmd::UpdateBios)->trigger();
        QCOMPARE(program.messageTexts(), QStringList{cvkgui::text::kFailedChangeBios});
        QCOMPARE(Fingerprint(doc), before);
    }

    void compareViewShowsTheClientsComparisonByKind() {
        Program program;
        QVERIFY(program.Start());
        const QString newer = program.Path(QStringLiteral("newer.cvk"));
        QVERIFY(guitest::WriteNewerDemoBuild(newer));
        QVERIFY(program.NewWorkspace(kDemoMap));
        cvkclient::WorkspaceSnapshot old, fresh;
        QCOMPARE(cvkclient::ReadMapFileAside(kDemoMap.toStdString(), &old), S_OK);
        QCOMPARE(cvkclient::ReadMapFileAside(newer.toStdString(), &fresh), S_OK);
        const cvkclient::BuildDiff diff = cvkclient::CompareBuilds(old, fresh);
        using Dlg = CCompareBiosDlg;
        std::set<QString> expected[Dlg::kKindCount];
        for (const cvkclient::SettingDiff& setting : diff.settings) {
            const cvkclient::CmosSetting& shown = setting.fresh ? *setting.fresh : *setting.old;
            QString row = Joined(shown.FullPath());
            if (!shown.keyword.empty())
                row += QStringLiteral(" (%1)").arg(QString::fromStdString(shown.keyword));
            auto has = [&](const char* what) {
                return std::find(setting.what.begin(), setting.what.end(), what) !=
                       setting.what.end();
            };
            if (setting.change == cvkclient::SettingChange::kAdded)
                expected[Dlg::kAdded].insert(row);
            if (setting.change == cvkclient::SettingChange::kRemoved)
                expected[Dlg::kRemoved].insert(row);
            for (auto [kind, what] :
                 {std::pair{Dlg::kDefault, "default"}, std::pair{Dlg::kChoices, "choices"},
                  std::pair{Dlg::kMoved, "moved"}, std::pair{Dlg::kOther, "name"},
                  std::pair{Dlg::kOther, "help"}, std::pair{Dlg::kOther, "keyword"}})
                if (has(what))
                    expected[kind].insert(row);
            if (setting.change == cvkclient::SettingChange::kUnchanged)
                expected[Dlg::kOther].insert(row);
        }

        program.chooserAnswers.push_back(newer);
        bool checked = false;
        guitest::WhenModalNamed(QStringLiteral("compareBiosDialog"), [&](QWidget* widget) {
            auto* dialog = static_cast<Dlg*>(widget);
            for (int kind = 0; kind < Dlg::kKindCount; ++kind) {
                QTreeWidgetItem* branch = dialog->branch(Dlg::Kind(kind));
                QVERIFY(!expected[kind].empty());
                QCOMPARE(Rows(branch), expected[kind]);
            }
            QTreeWidgetItem* moved = dialog->branch(Dlg::kMoved)->child(0);
            QCOMPARE(moved->text(Dlg::kOldColumn), QStringLiteral("Advanced/CPU Configuration"));
            QCOMPARE(moved->text(Dlg::kNewColumn), QStringLiteral("Advanced/IDE Configuration"));
            QTreeWidgetItem* fallback = dialog->branch(Dlg::kDefault)->child(0);
            QCOMPARE(fallback->text(Dlg::kOldColumn), QStringLiteral("Enabled"));
            QCOMPARE(fallback->text(Dlg::kNewColumn), QStringLiteral("Disabled"));
            dialog->filter(Dlg::kMoved)->setChecked(false);
            dialog->filter(Dlg::kAdded)->setChecked(false);
            for (int kind = 0; kind < Dlg::kKindCount; ++kind)
                QCOMPARE(dialog->branch(Dlg::Kind(kind))->isHidden(),
                         kind == Dlg::kMoved || kind == Dlg::kAdded);
            checked = true;
            dialog->reject();
        });
        program.app()->mainFrame()->action(Cmd::CompareBios)->trigger();
        QVERIFY(checked);
        QVERIFY(program.messages.empty());
    }
};

QTEST_MAIN(CompareTest)
#include "compare_test.moc"
