// The module catalogue as the engine hands it to clients: module list, modules, the logo module
// and dependency lists, each a thin wrapper over the module engine's own objects.
#pragma once

#include "engine/core/list_protocol.h"
#include "engine/core/server_module.h"
#include "engine/include/cvkserver.h"
#include "modweave/modweave.h"
#include "platform/com/comptr.h"

#include <cstddef>
#include <vector>

namespace cvk {

constexpr char16_t kFlexErrorSource[] = u"Flex";

// Badge module handles, one per logo resolution.
constexpr LONG kBadgeHandle640 = 10;
constexpr LONG kBadgeHandle800 = 11;
constexpr LONG kBadgeHandle1024 = 12;

// The handles a module depends on, taken from the engine when the module is wrapped.
class FlexDependencyList : public EngineObject<IFlexDependencyList, ISupportErrorInfo> {
public:
    static constexpr CLSID clsid = CLSID_FlexDependencyList;

    FlexDependencyList() = default;
    explicit FlexDependencyList(std::vector<LONG> handles)
        : handles_(std::move(handles)), valid_(true) {}

    HRESULT get_Count(LONG* count) override;
    HRESULT get_EOL(VARIANT_BOOL* eol) override;
    HRESULT get_Valid(VARIANT_BOOL* valid) override;
    HRESULT GetFirst(LONG* handle) override;
    HRESULT GetNext(LONG* handle) override;

private:
    // Hands out the handle under the cursor, or 0 once the cursor is past the end.
    HRESULT HandOut(LONG* handle) const;

    std::vector<LONG> handles_;
    std::size_t cursor_ = 0;
    bool valid_ = false;
};

// The IFlexModule members, shared by the plain module and the logo module. Created without an
// engine module (by its class factory) every member fails with E_UNEXPECTED.
template <class... Extra>
class FlexModuleBase : public EngineObject<IFlexModule, Extra..., ISupportErrorInfo> {
public:
    HRESULT get_InUpdate(VARIANT_BOOL* inUpdate) override;
    HRESULT put_InUpdate(VARIANT_BOOL inUpdate) override;
    HRESULT get_Required(VARIANT_BOOL* required) override;
    HRESULT get_UserUpdateable(VARIANT_BOOL* updateable) override;
    HRESULT get_LongDescription(BSTR* text) override;
    HRESULT get_Handle(LONG* handle) override;
    HRESULT get_Size(LONG* bytes) override;
    HRESULT get_HasDepModules(VARIANT_BOOL* hasDeps) override;
    HRESULT get_DepModuleList(IFlexDependencyList** list) override;
    HRESULT get_ShortDescription(BSTR* text) override;
    HRESULT get_Type(MODULE_TYPE* type) override;
    HRESULT get_ContainsUserData(VARIANT_BOOL* contains) override;
    HRESULT get_Default(VARIANT_BOOL* isDefault) override;

    // Binds the wrapper to the engine's module and reads its dependencies.
    HRESULT Bind(ComPtr<IModweaveModule> module);

protected:
    IModweaveModule* engineModule() const { return module_.get(); }

private:
    template <class T> HRESULT Forward(T* out, HRESULT (IModweaveModule::*get)(T*));
    HRESULT ForwardBool(VARIANT_BOOL* out, HRESULT (IModweaveModule::*get)(VARIANT_BOOL*));

    ComPtr<IModweaveModule> module_;
    ComPtr<FlexDependencyList> dependencies_;
};

class FlexModule : public FlexModuleBase<> {
public:
    static constexpr CLSID clsid = CLSID_FlexModule;
};

// The splash logo module: IFlexModule plus the picture, its resolution and the badge position.
class FlexLogoModule : public FlexModuleBase<IFlexLogoModule> {
public:
    static constexpr CLSID clsid = CLSID_FlexLogoModule;

    HRESULT get_BadgeLocX(LONG* x) override;
    HRESULT put_BadgeLocX(LONG x) override;
    HRESULT get_BadgeLocY(LONG* y) override;
    HRESULT put_BadgeLocY(LONG y) override;
    HRESULT get_DisplayBadge(VARIANT_BOOL* display) override;
    HRESULT put_DisplayBadge(VARIANT_BOOL display) override;
    HRESULT get_ImageName(BSTR* name) override;
    HRESULT SetImage(BSTR imageName, LONG width, LONG height) override;
    HRESULT get_BadgeLocYMax(LONG* y) override;
    HRESULT get_BadgeLocXMax(LONG* x) override;
    HRESULT get_LogoResolution(LOGO_RES_TYPE* resolution) override;

    // Binds the module part and the engine's logo object.
    HRESULT BindLogo(ComPtr<IModweaveModule> module);

private:
    struct Limits {
        LONG x = 0;
        LONG y = 0;
    };
    HRESULT BadgeLimits(Limits* limits);
    HRESULT PutPosition(LONG value, bool isX);
    HRESULT ReplaceImage(BSTR imageName, LONG resolution);

    ComPtr<IModweaveLogo> logo_;
};

// The catalogue of the opened flash image, wrapped module by module when the list is made.
class FlexModuleList : public EngineObject<IFlexModuleList, ISupportErrorInfo> {
public:
    static constexpr CLSID clsid = CLSID_FlexModuleList;

    HRESULT get_Count(LONG* count) override;
    HRESULT get_EOL(VARIANT_BOOL* eol) override;
    HRESULT get_Valid(VARIANT_BOOL* valid) override;
    HRESULT GetFirst(IFlexModule** module) override;
    HRESULT GetNext(IFlexModule** module) override;
    HRESULT GetModule(LONG handle, IFlexModule** module) override;

    // Wraps every module of the engine's collection; a logo module becomes a FlexLogoModule.
    HRESULT Bind(IModweaveEngine* engine);

    // The wrapped modules in image order, for the rules of the module object; the walking
    // cursor of clients is left alone.
    const ListProtocol<IFlexModule>& Modules() const { return modules_; }
    // The module with `handle`, or null.
    IFlexModule* Find(LONG handle) const;

private:
    ListProtocol<IFlexModule> modules_;
    bool valid_ = false;
};

} // namespace cvk
