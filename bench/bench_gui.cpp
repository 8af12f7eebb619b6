// Benchmarks of the program's windows: start-up to a shown demo workspace; filling the largest
// CMOS group (2,000 settings) of a 20,000-setting board, against Qt filling the same rows as
// plain text into the same list; and the keystrokes of a search over that board (the search
// and the list of what it found, target 30 ms each), beside reading the workspace once when the
// search field opens and the same searches folding every text again. Prints its figures; runs on
// the offscreen platform unless a display is named.
#include "bench/generated_board.h"
#include "client/setting_search.h"
#include "gui/common/engine_call.h"
#include "gui/common/message_box.h"
#include "gui/settings/cmos_list.h"
#include "gui/settings/cvk_right_view.h"
#include "gui/settings/found_list.h"
#include "gui/settings/search_bar.h"
#include "gui/settings/wsp_tree_view.h"
#include "gui/shell/child_frame.h"
#include "gui/shell/cvk_app.h"
#include "gui/shell/main_frame.h"
#include "platform/com/com.h"
#include "tools/cvkgen/board.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <dlfcn.h>
#include <vector>

namespace {

constexpr std::size_t kBoardSettings = 20000;
constexpr std::size_t kLargestGroup = 2000;
constexpr std::size_t kOtherGroups = 50;
constexpr int kRounds = 5;
// The demo board's workspace with the components a user ticks for it, modules included.
constexpr LONG kDemoComponents = SUBSYS_AVAILABLE;

bool RegisterLibrary(const char* path) {
    void* handle = ::dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return false;
    using Entry = HRESULT (*)();
    auto entry = reinterpret_cast<Entry>(::dlsym(handle, "DllRegisterServer"));
    return entry && SUCCEEDED(entry());
}

// A workspace file with the given components, made through the engine as the program makes it.
bool MakeWorkspace(const QString& map, LONG mask, const QString& workspacePath) {
    cvk::ComInitializer com;
    cvk::ComPtr<IServer> server;
    if (FAILED(CoCreateInstance(CLSID_Server, nullptr, CLSCTX_INPROC_SERVER, IServer::iid,
                                server.put_void())))
        return false;
    cvk::ComPtr<IWorkspace> workspace;
    const bool made =
        SUCCEEDED(server->NewWorkspace(mask, ToBstr(map).get(), workspace.put())) &&
        SUCCEEDED(server->SaveWorkspace(workspace.get(), ToBstr(workspacePath).get())) &&
        SUCCEEDED(server->CloseWorkspace(workspace.get()));
    if (!made)
        std::fprintf(stderr, "bench_gui: cannot make a workspace of %s\n", qPrintable(map));
    return made;
}

std::vector<QTreeWidgetItem*> CmosGroups(CWspTreeView* tree) {
    std::vector<QTreeWidgetItem*> groups;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if (tree->DataOf(*it)->kind == TreeItemKind::CmosGroup)
            groups.push_back(*it);
    }
    return groups;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double MillisecondsOf(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    QCoreApplication::processEvents();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// Start-up with the workspace on the command line, to the shown main window with its tree.
double MeasureStartUp(const QString& workspace) {
    CCvkApp app;
    double ms = MillisecondsOf([&] {
        if (!app.InitInstance({workspace}) || !app.activeDocument())
            std::fprintf(stderr, "bench_gui: the demo workspace did not open\n");
    });
    app.mainFrame()->close();
    return ms;
}

int MeasureGroupFill(const QString& workspace) {
    CCvkApp app;
    if (!app.InitInstance({workspace}) || !app.activeDocument()) {
        std::fprintf(stderr, "bench_gui: the 20,000-setting workspace did not open\n");
        return 1;
    }
    CChildFrame* frame = app.mainFrame()->activeChildFrame();
    CWspTreeView* tree = frame->treeView();
    const std::vector<QTreeWidgetItem*> groups = CmosGroups(tree);
    if (groups.size() < 2)
        return 1;
    CCmosList* list = frame->rightView()->cmosList();
    // The largest group, found as the list shows it.
    QTreeWidgetItem* largest = nullptr;
    QTreeWidgetItem* other = nullptr;
    int most = -1;
    for (QTreeWidgetItem* group : groups) {
        tree->setCurrentItem(group);
        if (list->topLevelItemCount() > most) {
            other = largest ? largest : other;
            most = list->topLevelItemCount();
            largest = group;
        } else if (!other) {
            other = group;
        }
    }
    std::vector<double> fills;
    std::vector<double> plain;
    for (int round = 0; round < kRounds; ++round) {
        tree->setCurrentItem(other);
        QCoreApplication::processEvents();
        fills.push_back(MillisecondsOf([&] { tree->setCurrentItem(largest); }));
        // The same rows as plain text, into the same list.
        std::vector<QStringList> rows;
        for (int r = 0; r < list->topLevelItemCount(); ++r) {
            QStringList texts;
            for (int c = 0; c < list->columnCount(); ++c)
                texts.append(list->topLevelItem(r)->text(c));
            rows.push_back(texts);
        }
        list->clear();
        QCoreApplication::processEvents();
        plain.push_back(MillisecondsOf([&] {
            QList<QTreeWidgetItem*> items;
            for (const QStringList& texts : rows)
                items.append(new QTreeWidgetItem(texts));
            list->addTopLevelItems(items);
        }));
        if (rows.size() != kLargestGroup) {
            std::fprintf(stderr, "bench_gui: the largest group shows %zu rows\n", rows.size());
            return 1;
        }
    }
    const double fill = Median(fills);
    const double text = Median(plain);
    std::printf("largest CMOS group of %zu settings (%zu rows): fill %.1f ms, plain text %.1f ms, "
                "ratio %.2f (target 3)\n",
                kBoardSettings, kLargestGroup, fill, text, fill / text);
    app.mainFrame()->close();
    return 0;
}

// The search field: typed one key at a time, from every setting found down to one name.
constexpr double kSearchTargetMs = 30;
const char* const kTyped = "setting 999";

int MeasureSearch(const QString& workspace) {
    CCvkApp app;
    if (!app.InitInstance({workspace}) || !app.activeDocument()) {
        std::fprintf(stderr, "bench_gui: the 20,000-setting workspace did not open\n");
        return 1;
    }
    CCvkRightView* view = app.mainFrame()->activeChildFrame()->rightView();
    view->OpenSearch();
    std::size_t settings = 0;
    const double read = MillisecondsOf([&] {
        settings = view->settingsIndex().Snapshot().cmos->settings.size();
        view->settingsIndex().Search();
    });
    QLineEdit* edit = view->searchBar()->edit();
    std::vector<double> keys;
    std::vector<double> unfolded;
    const cvkclient::WorkspaceSnapshot& snapshot = view->settingsIndex().Snapshot();
    int firstRows = 0;
    for (const char* end = kTyped; *end; ++end) {
        keys.push_back(MillisecondsOf([&] { edit->insert(QString(QLatin1Char(*end))); }));
        if (end == kTyped)
            firstRows = view->foundList()->topLevelItemCount();
        const std::string text(kTyped, end + 1);
        unfolded.push_back(MillisecondsOf([&] { cvkclient::FindSettings(snapshot, text); }));
    }
    const int shown = view->foundList()->topLevelItemCount();
    if (settings != kBoardSettings || shown == 0) {
        std::fprintf(stderr, "bench_gui: %zu settings read, %d shown\n", settings, shown);
        return 1;
    }
    const double slowest = *std::max_element(keys.begin(), keys.end());
    std::printf("search over %zu settings, %zu keystrokes of \"%s\": median %.1f ms, slowest "
                "%.1f ms (target %.0f ms each)\n",
                settings, keys.size(), kTyped, Median(keys), slowest, kSearchTargetMs);
    std::printf("  the first keystroke finds every setting; the list shows %d of them\n",
                firstRows);
    std::printf("  the same searches folding each text again: median %.1f ms\n", Median(unfolded));
    std::printf("  reading the workspace when the field opens: %.1f ms\n", read);
    app.mainFrame()->close();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    qputenv("CORVANE_REGISTRY", dir.filePath(QStringLiteral("registry")).toUtf8());
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
    QApplication application(argc, argv);
    // Any message would be a failure of the run; it is printed, not waited for.
    CMessageBox::SetResponder([](const CMessageBox::Request& request) {
        std::fprintf(stderr, "bench_gui: message: %s\n", qPrintable(request.text));
        return QMessageBox::No;
    });
    {
        cvk::ComInitializer com;
        if (!RegisterLibrary(CVKSERVER_LIBRARY) || !RegisterLibrary(MODWEAVE_LIBRARY)) {
            std::fprintf(stderr, "bench_gui: cannot register the components\n");
            return 1;
        }
    }
    const QString demo = dir.filePath(QStringLiteral("demo.cvw"));
    if (!MakeWorkspace(QStringLiteral(CORVANE_DEMO_MAP), kDemoComponents, demo))
        return 1;
    std::vector<double> startUps;
    for (int round = 0; round < kRounds; ++round)
        startUps.push_back(MeasureStartUp(demo));
    std::printf("start-up to the shown demo workspace: %.1f ms (median of %d)\n", Median(startUps),
                kRounds);

    const QString map = dir.filePath(QStringLiteral("board20000.cvk"));
    const QString big = dir.filePath(QStringLiteral("board20000.cvw"));
    cvkgen::SaveFileAtomically(
        map.toStdString(),
        cvkgen::WriteMapFile(bench::GeneratedBoard(kBoardSettings, kLargestGroup, kOtherGroups)));
    if (!MakeWorkspace(map, SUBSYS_CMOS | SUBSYS_SMBIOS | SUBSYS_ENVCTL, big))
        return 1;
    const int filled = MeasureGroupFill(big);
    const int searched = MeasureSearch(big);
    return filled != 0 ? filled : searched;
}
