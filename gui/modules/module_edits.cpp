// The recorded module edits.
#include "gui/modules/module_edits.h"

#include "gui/common/engine_call.h"
#include "gui/common/operation_guard.h"
#include "gui/document/cvk_doc.h"
#include "gui/modules/firmware_hub.h"

#include <QSize>

#include <utility>

namespace {

FlexState::Logo LogoStateOf(IFlexModule* module) {
    FlexState::Logo state;
    ThrowIfFailed(module->QueryInterface(IFlexLogoModule::iid, state.logo.put_void()));
    IFlexLogoModule* logo = state.logo.get();
    state.hasPicture = GetBool(module, &IFlexModule::get_ContainsUserData);
    state.picture = GetText(logo, &IFlexLogoModule::get_ImageName);
    ThrowIfFailed(logo->get_LogoResolution(&state.resolution));
    state.displayBadge = GetBool(logo, &IFlexLogoModule::get_DisplayBadge);
    state.badgeX = GetLong(logo, &IFlexLogoModule::get_BadgeLocX);
    state.badgeY = GetLong(logo, &IFlexLogoModule::get_BadgeLocY);
    return state;
}

bool SameLogo(const FlexState::Logo& a, const FlexState::Logo& b) {
    return a.hasPicture == b.hasPicture && a.picture == b.picture && a.resolution == b.resolution &&
           a.displayBadge == b.displayBadge && a.badgeX == b.badgeX && a.badgeY == b.badgeY;
}

bool SameState(const FlexState& a, const FlexState& b) {
    if (a.modules.size() != b.modules.size() || a.logos.size() != b.logos.size())
        return false;
    for (std::size_t i = 0; i < a.modules.size(); ++i)
        if (a.modules[i].inUpdate != b.modules[i].inUpdate)
            return false;
    for (std::size_t i = 0; i < a.logos.size(); ++i)
        if (!SameLogo(a.logos[i], b.logos[i]))
            return false;
    return true;
}

// The picture size that gives the logo module the resolution again.
QSize SizeOf(LOGO_RES_TYPE resolution) {
    switch (resolution) {
    case CVK_LOGO_RES_640_480:
        return {640, 480};
    case CVK_LOGO_RES_800_600:
        return {800, 600};
    default:
        return {1024, 768};
    }
}

void Restore(const FlexState::Logo& state) {
    IFlexLogoModule* logo = state.logo.get();
    cvk::ComPtr<IFlexModule> module;
    ThrowIfFailed(logo->QueryInterface(IFlexModule::iid, module.put_void()));
    const bool hasPicture = GetBool(module.get(), &IFlexModule::get_ContainsUserData);
    if (hasPicture != state.hasPicture ||
        GetText(logo, &IFlexLogoModule::get_ImageName) != state.picture) {
        const QString picture = state.hasPicture ? state.picture : QString();
        const QSize size = SizeOf(state.resolution);
        ThrowIfFailed(logo->SetImage(ToBstr(picture).get(), size.width(), size.height()));
    }
    // The badge position is checked against the picture's resolution: only what differs is put.
    if (GetBool(logo, &IFlexLogoModule::get_DisplayBadge) != state.displayBadge)
        ThrowIfFailed(logo->put_DisplayBadge(ToVariantBool(state.displayBadge)));
    if (GetLong(logo, &IFlexLogoModule::get_BadgeLocX) != state.badgeX)
        ThrowIfFailed(logo->put_BadgeLocX(state.badgeX));
    if (GetLong(logo, &IFlexLogoModule::get_BadgeLocY) != state.badgeY)
        ThrowIfFailed(logo->put_BadgeLocY(state.badgeY));
}

// The logo goes first: restoring the module defaults takes the picture away as well.
void Restore(const FlexState& state) {
    for (const FlexState::Logo& logo : state.logos)
        Restore(logo);
    for (const FlexState::Module& module : state.modules)
        if (GetBool(module.module.get(), &IFlexModule::get_InUpdate) != module.inUpdate)
            ThrowIfFailed(module.module->put_InUpdate(ToVariantBool(module.inUpdate)));
}

LONG FlashPartSize(IWorkspace* workspace) {
    cvk::ComPtr<IFlex> flex = GetObject(workspace, &IWorkspace::get_Flex);
    if (!flex)
        throw CEngineError(E_POINTER);
    return GetLong(flex.get(), &IFlex::get_FlashPartSize);
}

void PutFlashPartSize(IWorkspace* workspace, LONG bytes) {
    cvk::ComPtr<IFlex> flex = GetObject(workspace, &IWorkspace::get_Flex);
    if (!flex)
        throw CEngineError(E_POINTER);
    ThrowIfFailed(flex->put_FlashPartSize(bytes));
}

} // namespace

FlexState CaptureFlex(IFlex* flex) {
    FlexState state;
    cvk::ComPtr<IFlexModuleList> modules = GetObject(flex, &IFlex::get_OptionalModuleList);
    if (!modules)
        return state;
    ForEachInList(
        modules.get(), &IFlexModuleList::GetFirst, &IFlexModuleList::GetNext,
        [&](const cvk::ComPtr<IFlexModule>& module) {
            state.modules.push_back({module, GetBool(module.get(), &IFlexModule::get_InUpdate)});
            MODULE_TYPE type = CVK_MOD_TYPE_NORMAL;
            ThrowIfFailed(module->get_Type(&type));
            if (type == CVK_MOD_TYPE_LOGO)
                state.logos.push_back(LogoStateOf(module.get()));
        });
    return state;
}

bool RecordFlexEdit(CCvkDoc* doc, const QString& name, const FlexState& before,
                    const FlexState& after) {
    if (!doc || SameState(before, after))
        return false;
    doc->history()->Record(
        name, [before] { Restore(before); }, [after] { Restore(after); });
    return true;
}

bool ChangeFirmwareHubSize(CCvkDoc* doc, int megabits) {
    cvk::ComPtr<IWorkspace> workspace = doc->GetWorkspace();
    LONG before = 0;
    // Without a size to read, the command's own message says that it cannot be set.
    const bool readable = workspace && cvkgui::GuardOperation(cvkgui::Quietly(), [&] {
                              before = FlashPartSize(workspace.get());
                          });
    if (!SetFirmwareHubSize(workspace.get(), megabits))
        return false;
    const LONG after = FirmwareHubBytes(megabits);
    if (readable && before != after)
        doc->history()->Record(
            cvkgui::edit::kFirmwareHubSize,
            [workspace, before] { PutFlashPartSize(workspace.get(), before); },
            [workspace, after] { PutFlashPartSize(workspace.get(), after); });
    return true;
}
