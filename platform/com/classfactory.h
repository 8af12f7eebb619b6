// IClassFactory, and the helpers a component library builds DllGetClassObject from.
#pragma once

#include "platform/com/object.h"

struct IClassFactory : IUnknown {
    static constexpr IID iid{
        0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    // `outer` must be null: aggregation is not offered (CLASS_E_NOAGGREGATION).
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
    // Keeps the library loaded while locked, whether or not objects exist.
    virtual HRESULT LockServer(BOOL lock) = 0;

protected:
    ~IClassFactory() = default;
};

namespace cvk {

// The factory of a class T that is default-constructible and built on cvk::Object.
template <class ModuleT, class T> class ClassFactory : public Object<ModuleT, IClassFactory> {
public:
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return Boundary(u"ClassFactory", [&] {
            ComPtr<T> instance = MakeObject<T>();
            return instance->QueryInterface(riid, object);
        });
    }
    HRESULT LockServer(BOOL lock) override {
        if (lock)
            ModuleT::Lock();
        else
            ModuleT::Unlock();
        return S_OK;
    }
};

// DllGetClassObject over an object table: each class names its identifier as
// `static constexpr CLSID clsid`. CLASS_E_CLASSNOTAVAILABLE for any other identifier.
template <class ModuleT, class... Classes>
HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    HRESULT hr = CLASS_E_CLASSNOTAVAILABLE;
    auto tryClass = [&]<class T>() {
        if (clsid != T::clsid)
            return false;
        hr = Boundary(u"ClassFactory", [&] {
            auto factory = MakeObject<ClassFactory<ModuleT, T>>();
            return factory->QueryInterface(riid, object);
        });
        return true;
    };
    (tryClass.template operator()<Classes>() || ...);
    return hr;
}

} // namespace cvk
