// The shared object base: reference counting, QueryInterface over a compile-time list of
// interfaces, and each component library's own count of live objects and locks.
#pragma once

#include "platform/com/comptr.h"
#include "platform/com/errorinfo.h"

#include <atomic>
#include <new>
#include <type_traits>
#include <utility>

namespace cvk {

// One per component library: `struct ServerModule : cvk::Module<ServerModule> {};`. The tag
// makes the counters the library's own, so DllCanUnloadNow answers for that library alone.
template <class Tag> struct Module {
    static inline std::atomic<LONG> objects{0};
    static inline std::atomic<LONG> locks{0};

    static void Lock() { ++locks; }
    static void Unlock() { --locks; }
    // S_OK when neither objects nor locks remain, S_FALSE otherwise.
    static HRESULT CanUnloadNow() { return objects == 0 && locks == 0 ? S_OK : S_FALSE; }
};

namespace detail {

template <class I, class = void> struct BaseInterfaceOf { using type = IUnknown; };
// An interface that extends another (IPersistStream : IPersist) names it as `base_interface`,
// so that QueryInterface also answers for the base.
template <class I> struct BaseInterfaceOf<I, std::void_t<typename I::base_interface>> {
    using type = typename I::base_interface;
};

// ISupportErrorInfo in an object's list: every listed interface publishes error info.
template <class... Listed> struct ErrorInfoSupport : ISupportErrorInfo {
    HRESULT InterfaceSupportsErrorInfo(REFIID riid) override {
        bool listed = ((riid == Listed::iid) || ...);
        return listed ? S_OK : S_FALSE;
    }

protected:
    ~ErrorInfoSupport() = default;
};

template <class I, class... Listed> struct ImplementationOf { using type = I; };
template <class... Listed> struct ImplementationOf<ISupportErrorInfo, Listed...> {
    using type = ErrorInfoSupport<Listed...>;
};

} // namespace detail

// The base of every object: `class Foo : public cvk::Object<ServerModule, IFoo, IBar>`.
// The count starts at zero; MakeObject hands out the first reference.
template <class ModuleT, class... Interfaces>
class Object : public detail::ImplementationOf<Interfaces, Interfaces...>::type... {
public:
    using ModuleType = ModuleT;

    Object() { ++ModuleT::objects; }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    HRESULT QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (riid == IUnknown::iid) {
            *object = static_cast<IUnknown*>(FirstInterface());
        } else {
            (FindInterface<Interfaces>(riid, object) || ...);
        }
        if (!*object)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override {
        ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    // The current count, for tests and diagnostics.
    ULONG ReferenceCount() const { return references_; }

protected:
    virtual ~Object() { --ModuleT::objects; }

private:
    template <class First, class...> struct FirstOf { using type = First; };
    auto* FirstInterface() { return static_cast<typename FirstOf<Interfaces...>::type*>(this); }

    template <class I> bool FindInterface(REFIID riid, void** object) {
        return FindIn<I>(static_cast<I*>(this), riid, object);
    }
    template <class I> static bool FindIn(I* p, REFIID riid, void** object) {
        if (riid == I::iid) {
            *object = p;
            return true;
        }
        using Base = typename detail::BaseInterfaceOf<I>::type;
        if constexpr (std::is_same_v<Base, IUnknown>)
            return false;
        else
            return FindIn<Base>(static_cast<Base*>(p), riid, object);
    }

    std::atomic<ULONG> references_{0};
};

// Creates an object holding one reference; throws std::bad_alloc like `new`.
template <class T, class... Args> ComPtr<T> MakeObject(Args&&... args) {
    return ComPtr<T>(new T(std::forward<Args>(args)...));
}

// Creates an object and hands out interface I through `out`, without throwing.
template <class T, class I, class... Args> HRESULT CreateObject(I** out, Args&&... args) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    T* object = new (std::nothrow) T(std::forward<Args>(args)...);
    if (!object)
        return E_OUTOFMEMORY;
    ComPtr<T> held(object);
    return held->QueryInterface(I::iid, reinterpret_cast<void**>(out));
}

} // namespace cvk
