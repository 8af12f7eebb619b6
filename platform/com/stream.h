// IStream: a seekable byte stream, the medium of stream persistence.
#pragma once

#include "platform/com/unknown.h"

enum STREAM_SEEK : DWORD { STREAM_SEEK_SET = 0, STREAM_SEEK_CUR = 1, STREAM_SEEK_END = 2 };

enum STGC : DWORD { STGC_DEFAULT = 0 };

struct IStream : IUnknown {
    static constexpr IID iid{
        0x0000000C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    // Reads up to `size` bytes; `read` (may be null) receives how many came. Reading at the end
    // is success with 0 bytes.
    virtual HRESULT Read(void* buffer, ULONG size, ULONG* read) = 0;
    virtual HRESULT Write(const void* buffer, ULONG size, ULONG* written) = 0;
    virtual HRESULT Seek(LONGLONG move, DWORD origin, ULONGLONG* newPosition) = 0;
    virtual HRESULT SetSize(ULONGLONG newSize) = 0;
    virtual HRESULT Commit(DWORD flags) = 0;
    // The stream's size in bytes (stands in for the platform's Stat).
    virtual HRESULT GetSize(ULONGLONG* size) = 0;

protected:
    ~IStream() = default;
};
