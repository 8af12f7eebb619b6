// Benchmark of the search field over the settings view: the keystrokes of a search over a
// 20,000-setting board in the program (the search and the list of what it found), against the
// target of 30 ms each, beside reading the workspace once when the field opens and the same
// searches without the folded texts. Prints its figures; runs on the offscreen platform unless a
// display is named.
#include "bench/generated_board.h"
#include "client/setting_search.h"
#include "gui/common/engine_call.h"
#include "gui/common/message_box.h"
#include "gui/settings/cvk_right_view.h"
#include "gui/settings/found_list.h"
#include "gui/settings/search_bar.h"
#include "gui/shell/child_frame.h"
#include "gui/shell/cvk_app.h"
#include "gui/shell/main_frame.h"
#include "platform/com/com.h"

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
constexpr std::size_t kFirstMenu = 2000;
constexpr std::size_t kPerMenu = 50;
constexpr double kTargetMs = 30;
// Typed one key at a time: from every setting found down to one name.
const char* const kTyped = "setting 999";

bool RegisterLibrary(const char* path) {
    void* handle = ::dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return false;
    using Entry = HRESULT (*)();
    auto entry = reinterpret_cast<Entry>(::dlsym(handle, "DllRegisterServer"));
    return entry && SUCCEEDED(entry());
}

bool MakeWorkspace(const QString& map, const QString& workspacePath) {
    cvk::ComInitializer com;
    cvk::ComPtr<IServer> server;
    if (FAILED(CoCreateInstance(CLSID_Server, nullptr, CLSCTX_INPROC_SERVER, IServer::iid,
                                server.put_void())))
        return false;
    cvk::ComPtr<IWorkspace> workspace;
    const LONG mask = SUBSYS_CMOS | SUBSYS_SMBIOS | SUBSYS_ENVCTL;
    return SUCCEEDED(server->NewWorkspace(mask, ToBstr(map).get(), workspace.put())) &&
           SUCCEEDED(server->SaveWorkspace(workspace.get(), ToBstr(workspacePath).get())) &&
           SUCCEEDED(server->CloseWorkspace(workspace.get()));
}

double MillisecondsOf(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    QCoreApplication::processEvents();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

int MeasureKeystrokes(const QString& workspace) {
    CCvkApp app;
    if (!app.InitInstance({workspace}) || !app.activeDocument()) {
        std::fprintf(stderr, "bench_search: the 20,000-setting workspace did not open\n");
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
        std::fprintf(stderr, "bench_search: %zu settings read, %d shown\n", settings, shown);
        return 1;
    }
    const double slowest = *std::max_element(keys.begin(), keys.end());
    std::vector<double> sorted = keys;
    std::sort(sorted.begin(), sorted.end());
    std::printf("search over %zu settings, %zu keystrokes of \"%s\": median %.1f ms, slowest "
                "%.1f ms (target %.0f ms each)\n",
                settings, keys.size(), kTyped, sorted[sorted.size() / 2], slowest, kTargetMs);
    std::printf("  the first keystroke finds every setting; the list shows %d of them\n",
                firstRows);
    std::sort(unfolded.begin(), unfolded.end());
    std::printf("  the same searches folding each text again: median %.1f ms\n",
                unfolded[unfolded.size() / 2]);
    std::printf("reading the workspace when the field opens: %.1f ms\n", read);
    app.mainFrame()->close();
    return slowest <= kTargetMs ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    qputenv("CORVANE_REGISTRY", dir.filePath(QStringLiteral("registry")).toUtf8());
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
    QApplication application(argc, argv);
    CMessageBox::SetResponder([](const CMessageBox::Request& request) {
        std::fprintf(stderr, "bench_search: message: %s\n", qPrintable(request.text));
        return QMessageBox::No;
    });
    {
        cvk::ComInitializer com;
        if (!RegisterLibrary(CVKSERVER_LIBRARY) || !RegisterLibrary(MODWEAVE_LIBRARY)) {
            std::fprintf(stderr, "bench_search: cannot register the components\n");
            return 1;
        }
    }
    const QString map = dir.filePath(QStringLiteral("board20000.cvk"));
    const QString workspace = dir.filePath(QStringLiteral("board20000.cvw"));
    cvkgen::SaveFileAtomically(map.toStdString(), cvkgen::WriteMapFile(bench::GeneratedBoard(
                                                      kBoardSettings, kFirstMenu, kPerMenu)));
    if (!MakeWorkspace(map, workspace)) {
        std::fprintf(stderr, "bench_search: cannot make the workspace\n");
        return 1;
    }
    return MeasureKeystrokes(workspace);
}
