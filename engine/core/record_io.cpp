// Little-endian record fields on streams.
#include "engine/core/record_io.h"

#include "platform/com/errorinfo.h"

#include <bit>
#include <cstring>
#include <vector>

namespace cvk {
namespace {

template <class T> void StoreLittleEndian(T value, unsigned char* out) {
    for (std::size_t i = 0; i < sizeof(T); ++i)
        out[i] = static_cast<unsigned char>(static_cast<std::uint64_t>(value) >> (8 * i));
}

template <class T> T LoadLittleEndian(const unsigned char* in) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        value |= static_cast<std::uint64_t>(in[i]) << (8 * i);
    return static_cast<T>(value);
}

} // namespace

HRESULT RecordWriter::Bytes(const void* data, ULONG size) {
    if (size == 0)
        return S_OK;
    ULONG written = 0;
    HRESULT hr = stream_->Write(data, size, &written);
    if (FAILED(hr))
        return hr;
    return written == size ? S_OK : STG_E_MEDIUMFULL;
}

HRESULT RecordWriter::U16(std::uint16_t value) {
    unsigned char bytes[2];
    StoreLittleEndian(value, bytes);
    return Bytes(bytes, sizeof bytes);
}

HRESULT RecordWriter::U32(std::uint32_t value) {
    unsigned char bytes[4];
    StoreLittleEndian(value, bytes);
    return Bytes(bytes, sizeof bytes);
}

HRESULT RecordWriter::Float(float value) {
    return U32(std::bit_cast<std::uint32_t>(value));
}

HRESULT RecordWriter::CountedString(const Bstr& text) {
    if (text.is_null())
        return U32(0);
    const std::uint64_t count = 2ull * text.length() + 2;
    if (count > 0xFFFFFFFFull)
        return E_INVALIDARG;
    CVK_RETURN_IF_FAILED(U32(static_cast<std::uint32_t>(count)));
    std::vector<unsigned char> bytes(count);
    for (UINT i = 0; i < text.length(); ++i)
        StoreLittleEndian(static_cast<std::uint16_t>(text.view()[i]), &bytes[2 * i]);
    return Bytes(bytes.data(), static_cast<ULONG>(count));
}

HRESULT RecordReader::Bytes(void* data, ULONG size) {
    if (size == 0)
        return S_OK;
    ULONG read = 0;
    HRESULT hr = stream_->Read(data, size, &read);
    if (FAILED(hr))
        return hr;
    return read == size ? S_OK : E_FAIL;
}

HRESULT RecordReader::U16(std::uint16_t* value) {
    unsigned char bytes[2];
    CVK_RETURN_IF_FAILED(Bytes(bytes, sizeof bytes));
    *value = LoadLittleEndian<std::uint16_t>(bytes);
    return S_OK;
}

HRESULT RecordReader::U32(std::uint32_t* value) {
    unsigned char bytes[4];
    CVK_RETURN_IF_FAILED(Bytes(bytes, sizeof bytes));
    *value = LoadLittleEndian<std::uint32_t>(bytes);
    return S_OK;
}

HRESULT RecordReader::I32(std::int32_t* value) {
    std::uint32_t raw = 0;
    CVK_RETURN_IF_FAILED(U32(&raw));
    *value = static_cast<std::int32_t>(raw);
    return S_OK;
}

HRESULT RecordReader::Float(float* value) {
    std::uint32_t raw = 0;
    CVK_RETURN_IF_FAILED(U32(&raw));
    *value = std::bit_cast<float>(raw);
    return S_OK;
}

HRESULT RecordReader::Bool(VARIANT_BOOL* value) {
    std::uint16_t raw = 0;
    CVK_RETURN_IF_FAILED(U16(&raw));
    *value = raw ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT RecordReader::Remaining(ULONGLONG* bytes) {
    ULONGLONG position = 0, size = 0;
    CVK_RETURN_IF_FAILED(stream_->Seek(0, STREAM_SEEK_CUR, &position));
    CVK_RETURN_IF_FAILED(stream_->GetSize(&size));
    *bytes = size > position ? size - position : 0;
    return S_OK;
}

HRESULT RecordReader::CountedString(Bstr* text) {
    std::uint32_t count = 0;
    CVK_RETURN_IF_FAILED(U32(&count));
    if (count == 0) {
        text->reset();
        return S_OK;
    }
    ULONGLONG remaining = 0;
    CVK_RETURN_IF_FAILED(Remaining(&remaining));
    if (count % 2 != 0 || count > remaining)
        return E_FAIL;
    std::vector<unsigned char> bytes(count);
    CVK_RETURN_IF_FAILED(Bytes(bytes.data(), count));
    const UINT units = count / 2 - 1;
    if (LoadLittleEndian<std::uint16_t>(&bytes[2 * units]) != 0)
        return E_FAIL;
    BSTR s = SysAllocStringLen(nullptr, units);
    if (!s)
        return E_OUTOFMEMORY;
    for (UINT i = 0; i < units; ++i)
        s[i] = static_cast<OLECHAR>(LoadLittleEndian<std::uint16_t>(&bytes[2 * i]));
    text->attach(s);
    return S_OK;
}

} // namespace cvk
