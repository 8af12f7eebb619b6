// The flags and stream-persistence plumbing that every persistent engine object shares.
#pragma once

#include "engine/core/server_module.h"
#include "platform/com/persist.h"

namespace cvk {

// Implements the parts of IPersistStreamInit that are the same for every engine object:
// the class identifier, is-dirty from `Changed()`, no size estimate, nothing to do for InitNew.
// `Derived` provides `static constexpr CLSID clsid` and `bool Changed()`.
template <class Derived, class... Interfaces>
class PersistentObject : public EngineObject<Interfaces..., IPersistStreamInit, ISupportErrorInfo> {
public:
    HRESULT GetClassID(CLSID* clsid) override {
        if (!clsid)
            return E_POINTER;
        *clsid = Derived::clsid;
        return S_OK;
    }
    HRESULT IsDirty() override { return static_cast<Derived*>(this)->Changed() ? S_OK : S_FALSE; }
    HRESULT GetSizeMax(ULONGLONG*) override { return E_NOTIMPL; }
    HRESULT InitNew() override { return S_OK; }
};

} // namespace cvk
