// Reading and writing the fixed-layout records that engine objects keep in the workspace stream.
#pragma once

#include "platform/com/bstr.h"
#include "platform/com/stream.h"

#include <cstdint>

namespace cvk {

// The property block that opens each persisted object's record.
constexpr std::uint32_t kPropertyBlockVersion = 0x00000300;

// Writes little-endian values to a stream. Every call returns the stream's status; a short
// write is STG_E_MEDIUMFULL.
class RecordWriter {
public:
    explicit RecordWriter(IStream* stream) : stream_(stream) {}

    HRESULT Bytes(const void* data, ULONG size);
    HRESULT U16(std::uint16_t value);
    HRESULT U32(std::uint32_t value);
    HRESULT I32(std::int32_t value) { return U32(static_cast<std::uint32_t>(value)); }
    HRESULT Float(float value);
    HRESULT Bool(VARIANT_BOOL value) { return U16(static_cast<std::uint16_t>(value)); }
    // A byte count (2n + 2, or 0 for a null string), the UTF-16 units and a zero unit.
    HRESULT CountedString(const Bstr& text);

private:
    IStream* stream_;
};

// Reads what RecordWriter writes. A stream that ends early gives E_FAIL; a counted string whose
// count is odd, lacks its terminator or exceeds what is left of the stream gives E_FAIL too, so
// that no damaged file makes the reader allocate beyond the stream's own size.
class RecordReader {
public:
    explicit RecordReader(IStream* stream) : stream_(stream) {}

    HRESULT Bytes(void* data, ULONG size);
    HRESULT U16(std::uint16_t* value);
    HRESULT U32(std::uint32_t* value);
    HRESULT I32(std::int32_t* value);
    HRESULT Float(float* value);
    // Any nonzero value reads as true (VARIANT_TRUE).
    HRESULT Bool(VARIANT_BOOL* value);
    // A count of 0 gives a null string.
    HRESULT CountedString(Bstr* text);

private:
    HRESULT Remaining(ULONGLONG* bytes);

    IStream* stream_;
};

} // namespace cvk
