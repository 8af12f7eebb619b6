// The module object: binds the workspace to one module engine for the workspace's life and adds
// the space arithmetic, the badge selection rule and the default-restoring rule.
#include "engine/modules/flex.h"

#include "engine/core/module_engine.h"
#include "platform/com/errorinfo.h"

#include <algorithm>
#include <limits>

namespace cvk {
namespace {

VARIANT_BOOL ToVariantBool(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

LONG ClampToLong(LONGLONG value) {
    return static_cast<LONG>(std::clamp<LONGLONG>(value, 0, std::numeric_limits<LONG>::max()));
}

bool IsType(IFlexModule* module, MODULE_TYPE wanted) {
    MODULE_TYPE type = CVK_MOD_TYPE_NORMAL;
    return SUCCEEDED(module->get_Type(&type)) && type == wanted;
}

LONG BadgeHandleFor(LOGO_RES_TYPE resolution) {
    switch (resolution) {
    case CVK_LOGO_RES_640_480:
        return kBadgeHandle640;
    case CVK_LOGO_RES_800_600:
        return kBadgeHandle800;
    default:
        return kBadgeHandle1024;
    }
}

} // namespace

HRESULT Flex::CreateEngine() {
    engine_ = nullptr;
    modules_ = nullptr;
    CVK_RETURN_IF_FAILED(CreateModuleEngine(&engine_));
    const HRESULT hr = engine_->Initialize(-1);
    if (FAILED(hr))
        engine_ = nullptr;
    return hr;
}

HRESULT Flex::RequireEngine() const {
    if (engine_)
        return S_OK;
    return ReportError(kFlexErrorSource, u"The module object has not been initialised.",
                       E_UNEXPECTED, IFlex::iid);
}

HRESULT Flex::MakeModuleList() {
    auto list = MakeObject<FlexModuleList>();
    CVK_RETURN_IF_FAILED(list->Bind(engine_.get()));
    modules_ = list;
    return S_OK;
}

HRESULT Flex::Initialize(const std::u16string& flashImagePath, LONG flashPartSize) {
    CVK_RETURN_IF_FAILED(CreateEngine());
    if (FileExists(flashImagePath)) {
        Bstr path(flashImagePath);
        VARIANT_BOOL loaded = VARIANT_FALSE;
        // An image that cannot be read leaves the object without modules; the workspace asked
        // for them only when the server has checked the image first.
        const HRESULT opened = engine_->OpenFlashImage(path.get(), &loaded);
        CVK_RETURN_IF_FAILED(opened);
        if (opened == S_FALSE)
            SetErrorInfo(0, nullptr);
        if (loaded) {
            CVK_RETURN_IF_FAILED(engine_->put_FlashPartSize(
                flashPartSize > 0 ? flashPartSize : kDefaultFlashPartSize));
            CVK_RETURN_IF_FAILED(MakeModuleList());
            CVK_RETURN_IF_FAILED(RestoreHalvexDefaults());
        }
    }
    return S_OK;
}

HRESULT Flex::FlashPartSize(LONG* bytes) {
    if (!bytes)
        return E_POINTER;
    *bytes = 0;
    if (!engine_)
        return S_OK;
    return engine_->get_FlashPartSize(bytes);
}

HRESULT Flex::get_FlashPartSize(LONG* bytes) {
    if (!bytes)
        return E_POINTER;
    *bytes = 0;
    CVK_RETURN_IF_FAILED(RequireEngine());
    return engine_->get_FlashPartSize(bytes);
}

HRESULT Flex::put_FlashPartSize(LONG bytes) {
    CVK_RETURN_IF_FAILED(RequireEngine());
    CVK_RETURN_IF_FAILED(engine_->put_FlashPartSize(bytes));
    changed_ = true;
    return S_OK;
}

HRESULT Flex::get_MaxOptionalModuleSpace(LONG* bytes) {
    if (!bytes)
        return E_POINTER;
    *bytes = 0;
    CVK_RETURN_IF_FAILED(RequireEngine());
    LONG flashPart = 0;
    LONG required = 0;
    CVK_RETURN_IF_FAILED(engine_->get_FlashPartSize(&flashPart));
    CVK_RETURN_IF_FAILED(engine_->get_RequiredSpace(&required));
    *bytes = required < flashPart ? flashPart - required : 0;
    return S_OK;
}

HRESULT Flex::get_CurrentOptionalModuleSpace(LONG* bytes) {
    if (!bytes)
        return E_POINTER;
    *bytes = 0;
    LONG max = 0;
    CVK_RETURN_IF_FAILED(get_MaxOptionalModuleSpace(&max));
    LONG selected = 0;
    CVK_RETURN_IF_FAILED(get_NumOptionalModuleBytesSelected(&selected));
    *bytes = ClampToLong(static_cast<LONGLONG>(max) - selected);
    return S_OK;
}

HRESULT Flex::get_NumOptionalModuleBytesSelected(LONG* bytes) {
    if (!bytes)
        return E_POINTER;
    *bytes = 0;
    CVK_RETURN_IF_FAILED(RequireEngine());
    CVK_RETURN_IF_FAILED(SelectBadge());
    LONGLONG sum = 0;
    CVK_RETURN_IF_FAILED(SelectedOptionalBytes(&sum));
    *bytes = ClampToLong(sum);
    return S_OK;
}

// Required modules are part of the engine's non-optional space already; counting them here as
// well would take their bytes off the optional space twice.
HRESULT Flex::SelectedOptionalBytes(LONGLONG* bytes) {
    *bytes = 0;
    if (!modules_)
        return S_OK;
    for (const ComPtr<IFlexModule>& module : modules_->Modules()) {
        VARIANT_BOOL inUpdate = VARIANT_FALSE;
        VARIANT_BOOL required = VARIANT_FALSE;
        LONG size = 0;
        CVK_RETURN_IF_FAILED(module->get_InUpdate(&inUpdate));
        CVK_RETURN_IF_FAILED(module->get_Required(&required));
        if (!inUpdate || required)
            continue;
        CVK_RETURN_IF_FAILED(module->get_Size(&size));
        *bytes += size;
    }
    return S_OK;
}

HRESULT Flex::get_ValidUpdate(VARIANT_BOOL* valid) {
    if (!valid)
        return E_POINTER;
    *valid = VARIANT_FALSE;
    CVK_RETURN_IF_FAILED(RequireEngine());
    bool isValid = false;
    CVK_RETURN_IF_FAILED(SelectionValid(&isValid));
    *valid = ToVariantBool(isValid);
    return S_OK;
}

HRESULT Flex::SelectionValid(bool* valid) {
    *valid = false;
    CVK_RETURN_IF_FAILED(SelectBadge());
    VARIANT_BOOL engineValid = VARIANT_FALSE;
    CVK_RETURN_IF_FAILED(engine_->get_SelectionValid(&engineValid));
    *valid = engineValid != 0;
    return S_OK;
}

IFlexModule* Flex::FirstLogoModule() const {
    if (!modules_)
        return nullptr;
    for (const ComPtr<IFlexModule>& module : modules_->Modules())
        if (IsType(module.get(), CVK_MOD_TYPE_LOGO))
            return module.get();
    return nullptr;
}

// Only the badges whose choice differs are put, so that reading the selection of a workspace
// whose badge already follows the logo does not mark it changed.
HRESULT Flex::SelectBadge() {
    if (!modules_)
        return S_OK;
    IFlexModule* wanted = nullptr;
    CVK_RETURN_IF_FAILED(BadgeForLogo(&wanted));
    for (const ComPtr<IFlexModule>& module : modules_->Modules()) {
        if (!IsType(module.get(), CVK_MOD_TYPE_BADGE))
            continue;
        VARIANT_BOOL in = VARIANT_FALSE;
        CVK_RETURN_IF_FAILED(module->get_InUpdate(&in));
        const bool want = module.get() == wanted;
        if ((in != VARIANT_FALSE) != want)
            CVK_RETURN_IF_FAILED(module->put_InUpdate(ToVariantBool(want)));
    }
    return S_OK;
}

// The one badge that goes with the logo; none without a logo, or with a user picture that does
// not show the badge.
HRESULT Flex::BadgeForLogo(IFlexModule** badge) {
    *badge = nullptr;
    IFlexModule* logo = FirstLogoModule();
    if (!logo)
        return S_OK;
    VARIANT_BOOL userData = VARIANT_FALSE;
    CVK_RETURN_IF_FAILED(logo->get_ContainsUserData(&userData));
    if (!userData)
        return DefaultBadge(badge);
    ComPtr<IFlexLogoModule> logoModule;
    CVK_RETURN_IF_FAILED(logo->QueryInterface(IFlexLogoModule::iid, logoModule.put_void()));
    VARIANT_BOOL display = VARIANT_FALSE;
    CVK_RETURN_IF_FAILED(logoModule->get_DisplayBadge(&display));
    if (!display)
        return S_OK;
    LOGO_RES_TYPE resolution = CVK_LOGO_RES_640_480;
    CVK_RETURN_IF_FAILED(logoModule->get_LogoResolution(&resolution));
    // An image without the matching badge module simply shows no badge.
    *badge = modules_->Find(BadgeHandleFor(resolution));
    return S_OK;
}

// Without a user picture the factory's badge goes in: the first badge that is in by default.
HRESULT Flex::DefaultBadge(IFlexModule** badge) {
    for (const ComPtr<IFlexModule>& module : modules_->Modules()) {
        if (!IsType(module.get(), CVK_MOD_TYPE_BADGE))
            continue;
        VARIANT_BOOL isDefault = VARIANT_FALSE;
        CVK_RETURN_IF_FAILED(module->get_Default(&isDefault));
        if (isDefault) {
            *badge = module.get();
            return S_OK;
        }
    }
    return S_OK;
}

HRESULT Flex::get_BiosFileVersion(BSTR* version) {
    if (!version)
        return E_POINTER;
    *version = nullptr;
    CVK_RETURN_IF_FAILED(RequireEngine());
    return engine_->get_ImageVersion(version);
}

HRESULT Flex::get_ModweaveVersionStr(BSTR* version) {
    if (!version)
        return E_POINTER;
    *version = nullptr;
    CVK_RETURN_IF_FAILED(RequireEngine());
    return engine_->get_EngineVersion(version);
}

HRESULT Flex::get_OptionalModuleList(IFlexModuleList** list) {
    if (!list)
        return E_POINTER;
    *list = nullptr;
    // The badge that goes with the logo is chosen before anyone reads the selection, so that a
    // listing shows what the space figures and the update file hold.
    CVK_RETURN_IF_FAILED(SelectBadge());
    *list = modules_.get();
    if (*list)
        (*list)->AddRef();
    return S_OK;
}

HRESULT Flex::CreateBiosUpdateFile(BSTR fileName) {
    CVK_RETURN_IF_FAILED(RequireEngine());
    bool valid = false;
    CVK_RETURN_IF_FAILED(SelectionValid(&valid));
    if (!valid)
        return ReportError(kFlexErrorSource, u"The module selection is not a valid update.",
                           E_ACCESSDENIED, IFlex::iid);
    // The engine writes beside the target and renames, so a failure keeps any earlier file.
    return engine_->CreateUpdateFile(fileName);
}

HRESULT Flex::RestoreHalvexDefaults() {
    if (!engine_)
        return S_OK;
    if (IFlexModule* logo = FirstLogoModule()) {
        VARIANT_BOOL userData = VARIANT_FALSE;
        CVK_RETURN_IF_FAILED(logo->get_ContainsUserData(&userData));
        if (userData) {
            ComPtr<IFlexLogoModule> logoModule;
            CVK_RETURN_IF_FAILED(logo->QueryInterface(IFlexLogoModule::iid, logoModule.put_void()));
            Bstr none(u"");
            CVK_RETURN_IF_FAILED(logoModule->SetImage(none.get(), 0, 0));
        }
    }
    return engine_->SelectDefaults();
}

bool Flex::Changed() {
    if (changed_)
        return true;
    VARIANT_BOOL engineChanged = VARIANT_FALSE;
    return engine_ && SUCCEEDED(engine_->get_Changed(&engineChanged)) && engineChanged;
}

HRESULT Flex::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    CVK_RETURN_IF_FAILED(CreateEngine());
    changed_ = false;
    LONG size = 0;
    HRESULT hr = engine_->LoadState(stream);
    if (SUCCEEDED(hr))
        hr = engine_->get_FlashPartSize(&size);
    if (SUCCEEDED(hr) && size > 0)
        hr = MakeModuleList();
    if (FAILED(hr))
        return ReportError(kFlexErrorSource, kDamagedModuleRecord, STG_E_DOCFILECORRUPT,
                           IFlex::iid);
    return S_OK;
}

HRESULT Flex::Save(IStream* stream, BOOL clearDirty) {
    if (!stream)
        return E_POINTER;
    // A workspace read from a file without a module part still writes one (an empty
    // selection), since the file's version promises it. Without a module engine at all there
    // is no module state to keep; the rest of the workspace is still saved.
    if (!engine_)
        CreateEngine();
    if (engine_)
        CVK_RETURN_IF_FAILED(engine_->SaveState(stream, clearDirty ? VARIANT_TRUE : VARIANT_FALSE));
    if (clearDirty)
        changed_ = false;
    return S_OK;
}

} // namespace cvk
