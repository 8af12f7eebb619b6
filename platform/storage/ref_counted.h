// A minimal reference count and QueryInterface helper for the storage objects.
#pragma once

#include "platform/com/unknown.h"

#include <atomic>

namespace cvk::storage::detail {

// Implements IUnknown for an object exposing `Interface` (and IUnknown). The storage layer keeps
// its own count for now so that it does not depend on the shared object base.
template <typename Interface> class RefCounted : public Interface {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (riid == IUnknown::iid || riid == Interface::iid) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        return QueryExtraInterface(riid, object);
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    RefCounted() = default;
    virtual ~RefCounted() = default;
    // Lets a class answer one more private interface; the default knows none.
    virtual HRESULT QueryExtraInterface(REFIID, void**) { return E_NOINTERFACE; }

private:
    std::atomic<ULONG> refs_{1};
};

} // namespace cvk::storage::detail
