// IUnknown, the root of every interface: reference counting and interface discovery.
#pragma once

#include "platform/com/types.h"

// Each interface names its identifier as a static member `iid`, so that ComPtr and
// QueryInterface helpers can find it without macros.
struct IUnknown {
    static constexpr IID iid{
        0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default; // objects die through Release, never through an interface pointer
};
