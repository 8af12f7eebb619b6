// The module list, module, logo module and dependency list wrappers over the module engine.
#include "engine/modules/flex_modules.h"

#include "platform/com/bstr.h"
#include "platform/com/errorinfo.h"

#include <string>

namespace cvk {
namespace {

VARIANT_BOOL ToVariantBool(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

HRESULT NotBound() {
    return ReportError(kFlexErrorSource, u"The module object is not bound to a flash image.",
                       E_UNEXPECTED);
}

MODULE_TYPE TypeOf(LONG engineType) {
    switch (engineType) {
    case MODWEAVE_TYPE_LANGUAGE:
        return CVK_MOD_TYPE_LANGUAGE;
    case MODWEAVE_TYPE_LOGO:
        return CVK_MOD_TYPE_LOGO;
    case MODWEAVE_TYPE_BADGE:
        return CVK_MOD_TYPE_BADGE;
    default:
        return CVK_MOD_TYPE_NORMAL;
    }
}

// The smallest resolution that holds a picture of the given size; false when none does.
bool ResolutionFor(LONG width, LONG height, LONG* resolution) {
    struct Bound {
        LONG width, height, resolution;
    };
    constexpr Bound kBounds[] = {{640, 480, CVK_LOGO_RES_640_480},
                                 {800, 600, CVK_LOGO_RES_800_600},
                                 {1024, 768, CVK_LOGO_RES_1024_768}};
    for (const Bound& bound : kBounds) {
        if (width <= bound.width && height <= bound.height) {
            *resolution = bound.resolution;
            return true;
        }
    }
    return false;
}

} // namespace

// ---- FlexDependencyList ----

HRESULT FlexDependencyList::get_Count(LONG* count) {
    if (!count)
        return E_POINTER;
    *count = static_cast<LONG>(handles_.size());
    return S_OK;
}

HRESULT FlexDependencyList::get_EOL(VARIANT_BOOL* eol) {
    if (!eol)
        return E_POINTER;
    *eol = ToVariantBool(cursor_ >= handles_.size());
    return S_OK;
}

HRESULT FlexDependencyList::get_Valid(VARIANT_BOOL* valid) {
    if (!valid)
        return E_POINTER;
    *valid = ToVariantBool(valid_);
    return S_OK;
}

HRESULT FlexDependencyList::HandOut(LONG* handle) const {
    *handle = cursor_ < handles_.size() ? handles_[cursor_] : 0;
    return S_OK;
}

HRESULT FlexDependencyList::GetFirst(LONG* handle) {
    if (!handle)
        return E_POINTER;
    cursor_ = 0;
    return HandOut(handle);
}

HRESULT FlexDependencyList::GetNext(LONG* handle) {
    if (!handle)
        return E_POINTER;
    *handle = 0;
    if (cursor_ >= handles_.size())
        return E_FAIL;
    ++cursor_;
    return HandOut(handle);
}

// ---- FlexModuleBase ----

template <class... Extra> HRESULT FlexModuleBase<Extra...>::Bind(ComPtr<IModweaveModule> module) {
    if (!module)
        return E_POINTER;
    LONG count = 0;
    CVK_RETURN_IF_FAILED(module->get_DependencyCount(&count));
    std::vector<LONG> handles;
    for (LONG i = 0; i < count; ++i) {
        LONG handle = 0;
        CVK_RETURN_IF_FAILED(module->GetDependency(i, &handle));
        handles.push_back(handle);
    }
    dependencies_ = MakeObject<FlexDependencyList>(std::move(handles));
    module_ = std::move(module);
    return S_OK;
}

template <class... Extra>
template <class T>
HRESULT FlexModuleBase<Extra...>::Forward(T* out, HRESULT (IModweaveModule::*get)(T*)) {
    if (!out)
        return E_POINTER;
    if (!module_)
        return NotBound();
    return (module_.get()->*get)(out);
}

// The engine's booleans come back as all bits set when true.
template <class... Extra>
HRESULT FlexModuleBase<Extra...>::ForwardBool(VARIANT_BOOL* out,
                                              HRESULT (IModweaveModule::*get)(VARIANT_BOOL*)) {
    CVK_RETURN_IF_FAILED(Forward(out, get));
    *out = ToVariantBool(*out != 0);
    return S_OK;
}

template <class... Extra> HRESULT FlexModuleBase<Extra...>::get_InUpdate(VARIANT_BOOL* inUpdate) {
    return ForwardBool(inUpdate, &IModweaveModule::get_Selected);
}

template <class... Extra> HRESULT FlexModuleBase<Extra...>::put_InUpdate(VARIANT_BOOL inUpdate) {
    if (!module_)
        return NotBound();
    // The engine keeps the rules about required and dependent modules; only the choice goes in.
    return module_->put_Selected(ToVariantBool(inUpdate != 0));
}

template <class... Extra> HRESULT FlexModuleBase<Extra...>::get_Required(VARIANT_BOOL* required) {
    return ForwardBool(required, &IModweaveModule::get_Required);
}

template <class... Extra>
HRESULT FlexModuleBase<Extra...>::get_UserUpdateable(VARIANT_BOOL* updateable) {
    return ForwardBool(updateable, &IModweaveModule::get_UserUpdateable);
}

template <class... Extra> HRESULT FlexModuleBase<Extra...>::get_LongDescription(BSTR* text) {
    return Forward(text, &IModweaveModule::get_LongDescription);
}

template <class... Extra> HRESULT FlexModuleBase<Extra...>::get_ShortDescription(BSTR* text) {
    return Forward(text, &IModweaveModule::get_ShortDescription);
}

template <class... Extra> HRESULT FlexModuleBase<Extra...>::get_Handle(LONG* handle) {
    return Forward(handle, &IModweaveModule::get_Handle);
}

template <class... Extra> HRESULT FlexModuleBase<Extra...>::get_Size(LONG* bytes) {
    return Forward(bytes, &IModweaveModule::get_Size);
}

template <class... Extra>
HRESULT FlexModuleBase<Extra...>::get_HasDepModules(VARIANT_BOOL* hasDeps) {
    LONG count = 0;
    if (!hasDeps)
        return E_POINTER;
    CVK_RETURN_IF_FAILED(Forward(&count, &IModweaveModule::get_DependencyCount));
    *hasDeps = ToVariantBool(count > 0);
    return S_OK;
}

template <class... Extra>
HRESULT FlexModuleBase<Extra...>::get_DepModuleList(IFlexDependencyList** list) {
    if (!list)
        return E_POINTER;
    *list = nullptr;
    if (!dependencies_)
        return NotBound();
    *list = dependencies_.get();
    (*list)->AddRef();
    return S_OK;
}

template <class... Extra> HRESULT FlexModuleBase<Extra...>::get_Type(MODULE_TYPE* type) {
    if (!type)
        return E_POINTER;
    LONG engineType = 0;
    CVK_RETURN_IF_FAILED(Forward(&engineType, &IModweaveModule::get_Type));
    *type = TypeOf(engineType);
    return S_OK;
}

template <class... Extra>
HRESULT FlexModuleBase<Extra...>::get_ContainsUserData(VARIANT_BOOL* contains) {
    return ForwardBool(contains, &IModweaveModule::get_ContainsUserData);
}

template <class... Extra> HRESULT FlexModuleBase<Extra...>::get_Default(VARIANT_BOOL* isDefault) {
    return ForwardBool(isDefault, &IModweaveModule::get_Default);
}

template class FlexModuleBase<>;
template class FlexModuleBase<IFlexLogoModule>;

// ---- FlexLogoModule ----

HRESULT FlexLogoModule::BindLogo(ComPtr<IModweaveModule> module) {
    if (!module)
        return E_POINTER;
    ComPtr<IModweaveLogo> logo;
    CVK_RETURN_IF_FAILED(module->get_Logo(logo.put()));
    CVK_RETURN_IF_FAILED(Bind(std::move(module)));
    logo_ = std::move(logo);
    return S_OK;
}

HRESULT FlexLogoModule::get_BadgeLocX(LONG* x) {
    if (!x)
        return E_POINTER;
    return logo_ ? logo_->get_BadgeX(x) : NotBound();
}

HRESULT FlexLogoModule::get_BadgeLocY(LONG* y) {
    if (!y)
        return E_POINTER;
    return logo_ ? logo_->get_BadgeY(y) : NotBound();
}

HRESULT FlexLogoModule::put_BadgeLocX(LONG x) {
    return PutPosition(x, true);
}
HRESULT FlexLogoModule::put_BadgeLocY(LONG y) {
    return PutPosition(y, false);
}

HRESULT FlexLogoModule::PutPosition(LONG value, bool isX) {
    if (!logo_)
        return NotBound();
    Limits limits;
    CVK_RETURN_IF_FAILED(BadgeLimits(&limits));
    const LONG max = isX ? limits.x : limits.y;
    if (value < 0 || value > max)
        return ReportError(kFlexErrorSource,
                           u"The badge position must lie between 0 and " +
                               Bstr::FromUtf8(std::to_string(max)).str() + u".",
                           E_UNEXPECTED, IFlexLogoModule::iid);
    return isX ? logo_->put_BadgeX(value) : logo_->put_BadgeY(value);
}

// The furthest the badge may sit from the logo's top left corner, by the engine's resolution.
HRESULT FlexLogoModule::BadgeLimits(Limits* limits) {
    LONG resolution = 0;
    CVK_RETURN_IF_FAILED(logo_->get_Resolution(&resolution));
    switch (resolution) {
    case CVK_LOGO_RES_640_480:
        *limits = {530, 355};
        break;
    case CVK_LOGO_RES_800_600:
        *limits = {662, 444};
        break;
    case CVK_LOGO_RES_1024_768:
        *limits = {848, 568};
        break;
    default:
        *limits = {0, 0};
        break;
    }
    return S_OK;
}

HRESULT FlexLogoModule::get_BadgeLocXMax(LONG* x) {
    if (!x)
        return E_POINTER;
    if (!logo_)
        return NotBound();
    Limits limits;
    CVK_RETURN_IF_FAILED(BadgeLimits(&limits));
    *x = limits.x;
    return S_OK;
}

HRESULT FlexLogoModule::get_BadgeLocYMax(LONG* y) {
    if (!y)
        return E_POINTER;
    if (!logo_)
        return NotBound();
    Limits limits;
    CVK_RETURN_IF_FAILED(BadgeLimits(&limits));
    *y = limits.y;
    return S_OK;
}

HRESULT FlexLogoModule::get_DisplayBadge(VARIANT_BOOL* display) {
    if (!display)
        return E_POINTER;
    if (!logo_)
        return NotBound();
    CVK_RETURN_IF_FAILED(logo_->get_DisplayBadge(display));
    *display = ToVariantBool(*display != 0);
    return S_OK;
}

HRESULT FlexLogoModule::put_DisplayBadge(VARIANT_BOOL display) {
    if (!logo_)
        return NotBound();
    return logo_->put_DisplayBadge(ToVariantBool(display != 0));
}

HRESULT FlexLogoModule::get_ImageName(BSTR* name) {
    if (!name)
        return E_POINTER;
    *name = nullptr;
    return logo_ ? logo_->get_ImageName(name) : NotBound();
}

HRESULT FlexLogoModule::get_LogoResolution(LOGO_RES_TYPE* resolution) {
    if (!resolution)
        return E_POINTER;
    if (!logo_)
        return NotBound();
    LONG engineResolution = 0;
    CVK_RETURN_IF_FAILED(logo_->get_Resolution(&engineResolution));
    switch (engineResolution) {
    case CVK_LOGO_RES_640_480:
        *resolution = CVK_LOGO_RES_640_480;
        break;
    case CVK_LOGO_RES_800_600:
        *resolution = CVK_LOGO_RES_800_600;
        break;
    default:
        *resolution = CVK_LOGO_RES_1024_768;
        break;
    }
    return S_OK;
}

HRESULT FlexLogoModule::SetImage(BSTR imageName, LONG width, LONG height) {
    if (!logo_)
        return NotBound();
    VARIANT_BOOL hadUserData = VARIANT_FALSE;
    CVK_RETURN_IF_FAILED(get_ContainsUserData(&hadUserData));
    if (SysStringLen(imageName) == 0)
        return hadUserData ? logo_->ClearImage() : S_OK;
    if (width < 0 || height < 0)
        return ReportError(kFlexErrorSource, u"A logo cannot have a negative size.", E_INVALIDARG,
                           IFlexLogoModule::iid);
    LONG resolution = 0;
    if (!ResolutionFor(width, height, &resolution))
        return ReportError(kFlexErrorSource, u"The logo is larger than 1024 by 768.", E_FAIL,
                           IFlexLogoModule::iid);
    return ReplaceImage(imageName, resolution);
}

// The engine replaces the picture only once the new file has been read, so the old logo is not
// cleared beforehand: a file that cannot be used leaves the user's logo in place. The resolution
// goes back as well, so that the logo kept matches its resolution.
HRESULT FlexLogoModule::ReplaceImage(BSTR imageName, LONG resolution) {
    LONG previous = 0;
    CVK_RETURN_IF_FAILED(logo_->get_Resolution(&previous));
    CVK_RETURN_IF_FAILED(logo_->put_Resolution(resolution));
    const HRESULT hr = logo_->SetImageFromFile(imageName);
    if (FAILED(hr)) {
        ErrorText failure;
        const bool hadText = TakeErrorText(&failure);
        logo_->put_Resolution(previous);
        if (hadText)
            ReportError(failure.source, failure.description, hr, IFlexLogoModule::iid);
        return hr;
    }
    return S_OK;
}

// ---- FlexModuleList ----

HRESULT FlexModuleList::Bind(IModweaveEngine* engine) {
    if (!engine)
        return E_POINTER;
    ComPtr<IModweaveModules> collection;
    CVK_RETURN_IF_FAILED(engine->get_Modules(collection.put()));
    LONG count = 0;
    CVK_RETURN_IF_FAILED(collection->get_Count(&count));
    ListProtocol<IFlexModule> modules;
    for (LONG i = 0; i < count; ++i) {
        ComPtr<IModweaveModule> module;
        CVK_RETURN_IF_FAILED(collection->GetItem(i, module.put()));
        LONG type = 0;
        CVK_RETURN_IF_FAILED(module->get_Type(&type));
        if (type == MODWEAVE_TYPE_LOGO) {
            auto logo = MakeObject<FlexLogoModule>();
            CVK_RETURN_IF_FAILED(logo->BindLogo(std::move(module)));
            modules.Append(ComPtr<IFlexModule>(std::move(logo)));
        } else {
            auto plain = MakeObject<FlexModule>();
            CVK_RETURN_IF_FAILED(plain->Bind(std::move(module)));
            modules.Append(ComPtr<IFlexModule>(std::move(plain)));
        }
    }
    modules_ = std::move(modules);
    valid_ = true;
    return S_OK;
}

HRESULT FlexModuleList::get_Count(LONG* count) {
    return modules_.Count(count);
}
HRESULT FlexModuleList::get_EOL(VARIANT_BOOL* eol) {
    return modules_.Eol(eol);
}
HRESULT FlexModuleList::GetFirst(IFlexModule** module) {
    return modules_.GetFirst(module);
}
HRESULT FlexModuleList::GetNext(IFlexModule** module) {
    return modules_.GetNext(module);
}

HRESULT FlexModuleList::get_Valid(VARIANT_BOOL* valid) {
    if (!valid)
        return E_POINTER;
    *valid = ToVariantBool(valid_);
    return S_OK;
}

IFlexModule* FlexModuleList::Find(LONG handle) const {
    for (const ComPtr<IFlexModule>& module : modules_) {
        LONG own = 0;
        if (SUCCEEDED(module->get_Handle(&own)) && own == handle)
            return module.get();
    }
    return nullptr;
}

HRESULT FlexModuleList::GetModule(LONG handle, IFlexModule** module) {
    if (!module)
        return E_POINTER;
    *module = Find(handle);
    if (!*module)
        return ReportError(kFlexErrorSource,
                           u"No module has the handle " +
                               Bstr::FromUtf8(std::to_string(handle)).str() + u".",
                           E_INVALIDARG, IFlexModuleList::iid);
    (*module)->AddRef();
    return S_OK;
}

} // namespace cvk
