// Stream persistence: IPersist, IPersistStream and IPersistStreamInit.
#pragma once

#include "platform/com/stream.h"

struct IPersist : IUnknown {
    static constexpr IID iid{
        0x0000010C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    virtual HRESULT GetClassID(CLSID* clsid) = 0;

protected:
    ~IPersist() = default;
};

struct IPersistStream : IPersist {
    static constexpr IID iid{
        0x00000109, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    using base_interface = IPersist;
    // S_OK when changed since the last save, S_FALSE when not.
    virtual HRESULT IsDirty() = 0;
    virtual HRESULT Load(IStream* stream) = 0;
    virtual HRESULT Save(IStream* stream, BOOL clearDirty) = 0;
    virtual HRESULT GetSizeMax(ULONGLONG* size) = 0;

protected:
    ~IPersistStream() = default;
};

// The same methods in the same order, plus InitNew for an object that starts without a stream.
struct IPersistStreamInit : IPersist {
    static constexpr IID iid{
        0x7FD52380, 0x4E07, 0x101B, {0xAE, 0x2D, 0x08, 0x00, 0x2B, 0x2E, 0xC7, 0x13}};
    using base_interface = IPersist;
    virtual HRESULT IsDirty() = 0;
    virtual HRESULT Load(IStream* stream) = 0;
    virtual HRESULT Save(IStream* stream, BOOL clearDirty) = 0;
    virtual HRESULT GetSizeMax(ULONGLONG* size) = 0;
    virtual HRESULT InitNew() = 0;

protected:
    ~IPersistStreamInit() = default;
};
