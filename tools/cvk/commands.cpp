// cvk new, info, show and --version over the engine's interfaces.
#include "tools/cvk/commands.h"

#include "platform/com/errorinfo.h"
#include "platform/com/runtime.h"
#include "tools/cvk/components.h"
#include "tools/cvk/engine_client.h"
#include "tools/cvk/ini_warnings.h"
#include "tools/cvk/session.h"
#include "tools/cvk/workspace_json.h"

#include <cstdio>

namespace cvktool {
namespace {

using cvk::Bstr;
using cvk::ComPtr;

std::string TextOf(HRESULT hr, const Bstr& text) {
    return SUCCEEDED(hr) ? text.utf8() : "?";
}

// The flash image beside the map file exists but cannot be read: the engine's text says which
// file and what is wrong.
void WarnUnreadableImage() {
    cvk::ErrorText error;
    const std::string why = cvk::TakeErrorText(&error) && !error.description.empty()
                                ? Bstr(error.description).utf8()
                                : "The flash image cannot be read.";
    std::fprintf(stderr,
                 "cvk: warning: %s The workspace is made without modules; mend the image, or "
                 "give --components to choose the components yourself.\n",
                 why.c_str());
}

// The default components of a new workspace: those the engine offers, flex only when the map
// file's flash image is a modular BIOS (the engine refuses flex otherwise).
HRESULT DefaultMask(IServer* server, const std::string& mapFile, LONG* mask) {
    *mask = 0;
    LONG available = 0;
    CVK_RETURN_IF_FAILED(server->get_AvailableSubSystems(&available));
    VARIANT_BOOL isFlex = VARIANT_FALSE;
    const HRESULT examined = server->IsFlexBios(Wide(mapFile).get(), &isFlex);
    CVK_RETURN_IF_FAILED(examined);
    if (examined == S_FALSE)
        WarnUnreadableImage();
    LONG flex = 0;
    CVK_RETURN_IF_FAILED(server->get_SUB_SYS_MASK_FLEX(&flex));
    *mask = isFlex ? available : available & ~flex;
    return S_OK;
}

std::string Dump(const nlohmann::ordered_json& document) {
    return document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

} // namespace

int RunNew(const NewOptions& given) {
    NewOptions options = given;
    options.mapFile = AbsolutePath(given.mapFile);
    cvk::ComInitializer com;
    Session session;
    if (auto failed = session.Start())
        return *failed;
    LONG mask = 0;
    if (options.mask) {
        mask = *options.mask;
    } else {
        ClearErrorText();
        const HRESULT hr = DefaultMask(session.server(), options.mapFile, &mask);
        if (FAILED(hr))
            return ReportFailure("cannot examine \"" + options.mapFile + "\"", hr);
    }
    ClearErrorText();
    HRESULT hr = session.server()->NewWorkspace(mask, Wide(options.mapFile).get(),
                                                session.workspacePtr().put());
    if (FAILED(hr))
        return ReportFailure("cannot create a workspace from \"" + options.mapFile + "\"", hr);
    ClearErrorText();
    hr = session.server()->SaveWorkspace(session.workspace(), Wide(options.outFile).get());
    if (FAILED(hr))
        return ReportFailure("cannot save the workspace as \"" + options.outFile + "\"", hr);
    std::printf("created %s with %s\n", options.outFile.c_str(), DescribeMask(mask).c_str());
    WarnLockHideTableTooSmall(session.workspace());
    return kExitOk;
}

int RunInfo(const std::string& workspaceFile) {
    cvk::ComInitializer com;
    Session session;
    if (auto failed = session.Open(workspaceFile))
        return *failed;
    IWorkspace* ws = session.workspace();
    Bstr id, version, date, map, ini;
    const HRESULT idRead = ws->get_BIOSID(id.put());
    const HRESULT versionRead = ws->get_BIOSVersion(version.put());
    const HRESULT dateRead = ws->get_BIOSBuildDate(date.put());
    const HRESULT mapRead = ws->get_MapFilePath(map.put());
    const HRESULT iniRead = ws->get_IniFilePath(ini.put());
    LONG mask = 0;
    VARIANT_BOOL valid = VARIANT_FALSE, requiresSave = VARIANT_FALSE;
    HRESULT hr = ws->get_SubsystemMask(&mask);
    if (SUCCEEDED(hr))
        hr = ws->get_Valid(&valid);
    if (SUCCEEDED(hr))
        hr = ws->get_RequiresSave(&requiresSave);
    if (FAILED(hr))
        return ReportFailure("cannot read \"" + workspaceFile + "\"", hr);
    std::printf("Workspace:       %s\n", workspaceFile.c_str());
    std::printf("BIOS ID:         %s\n", TextOf(idRead, id).c_str());
    std::printf("BIOS version:    %s\n", TextOf(versionRead, version).c_str());
    std::printf("Build date:      %s\n", TextOf(dateRead, date).c_str());
    std::printf("Map file:        %s\n", TextOf(mapRead, map).c_str());
    std::printf("INI file:        %s\n", TextOf(iniRead, ini).c_str());
    std::printf("Subsystems:      %s\n", DescribeMask(mask).c_str());
    std::printf("Valid:           %s\n", valid ? "yes" : "no");
    std::printf("Unsaved changes: %s\n", requiresSave ? "yes" : "no");
    WarnLockHideTableTooSmall(ws);
    return kExitOk;
}

int RunShow(const std::string& workspaceFile, bool json) {
    cvk::ComInitializer com;
    Session session;
    if (auto failed = session.Open(workspaceFile))
        return *failed;
    nlohmann::ordered_json document;
    std::string what;
    ClearErrorText();
    const HRESULT hr = DescribeWorkspace(session.workspace(), &document, &what);
    if (FAILED(hr))
        return ReportFailure("cannot read " + what + " of \"" + workspaceFile + "\"", hr);
    if (json)
        std::printf("%s\n", Dump(document).c_str());
    else
        std::fputs(FlattenForDisplay(document).c_str(), stdout);
    return kExitOk;
}

int RunVersion() {
    cvk::ComInitializer com;
    Session session;
    if (auto failed = session.Start())
        return *failed;
    Bstr engine, modules;
    ClearErrorText();
    HRESULT hr = session.server()->get_Version(engine.put());
    if (FAILED(hr))
        return ReportFailure("cannot read the engine version", hr);
    std::printf("engine %s\n", engine.utf8().c_str());
    ClearErrorText();
    hr = session.server()->get_ModweaveVersion(modules.put());
    if (FAILED(hr))
        return ReportFailure("cannot read the module engine version", hr);
    std::printf("module engine %s\n", modules.utf8().c_str());
    return kExitOk;
}

} // namespace cvktool
