// The memory stream: a byte string with a seek pointer.
#include "platform/storage/memory_stream.h"

#include "platform/storage/compound_file.h"
#include "platform/storage/storage_module.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace cvk::storage::detail {
namespace {

// Gives GetMemoryStreamBytes access to the bytes of our own streams only.
struct IMemoryStreamBytes : IUnknown {
    static constexpr IID iid{
        0x5A0C7E33, 0x94B2, 0x4F6D, {0x8E, 0x21, 0x3C, 0x7A, 0xD5, 0x40, 0x19, 0xB6}};
    virtual const std::string& Bytes() const = 0;

protected:
    ~IMemoryStreamBytes() = default;
};

// Keeps a stream's size addressable by both the 32-bit read counts and std::string.
constexpr std::uint64_t kMaxSize = std::numeric_limits<std::ptrdiff_t>::max() / 2;

class MemoryStream final : public StorageObject<IStream, IMemoryStreamBytes> {
public:
    explicit MemoryStream(std::string bytes) : bytes_(std::move(bytes)) {}

    HRESULT Read(void* buffer, ULONG size, ULONG* read) override {
        if (read)
            *read = 0;
        if (!buffer && size)
            return STG_E_INVALIDPOINTER;
        if (position_ >= bytes_.size())
            return S_OK;
        std::size_t count = std::min<std::uint64_t>(size, bytes_.size() - position_);
        std::memcpy(buffer, bytes_.data() + position_, count);
        position_ += count;
        if (read)
            *read = static_cast<ULONG>(count);
        return S_OK;
    }
    HRESULT Write(const void* buffer, ULONG size, ULONG* written) override {
        if (written)
            *written = 0;
        if (!buffer && size)
            return STG_E_INVALIDPOINTER;
        if (position_ > kMaxSize || size > kMaxSize - position_)
            return STG_E_MEDIUMFULL;
        try {
            std::size_t end = static_cast<std::size_t>(position_ + size);
            if (bytes_.size() < end)
                bytes_.resize(end, '\0');
            std::memcpy(bytes_.data() + position_, buffer, size);
        } catch (const std::bad_alloc&) {
            return STG_E_MEDIUMFULL;
        }
        position_ += size;
        if (written)
            *written = size;
        return S_OK;
    }
    HRESULT Seek(LONGLONG move, DWORD origin, ULONGLONG* newPosition) override {
        std::int64_t base = origin == STREAM_SEEK_SET   ? 0
                            : origin == STREAM_SEEK_CUR ? static_cast<std::int64_t>(position_)
                            : origin == STREAM_SEEK_END ? static_cast<std::int64_t>(bytes_.size())
                                                        : -1;
        if (base < 0)
            return STG_E_INVALIDFUNCTION;
        if ((move > 0 && base > std::numeric_limits<std::int64_t>::max() - move) || base + move < 0)
            return STG_E_INVALIDFUNCTION;
        position_ = static_cast<std::uint64_t>(base + move);
        if (newPosition)
            *newPosition = position_;
        return S_OK;
    }
    HRESULT SetSize(ULONGLONG size) override {
        if (size > kMaxSize)
            return STG_E_MEDIUMFULL;
        try {
            bytes_.resize(static_cast<std::size_t>(size), '\0');
        } catch (const std::bad_alloc&) {
            return STG_E_MEDIUMFULL;
        }
        return S_OK;
    }
    HRESULT Commit(DWORD) override { return S_OK; }
    HRESULT GetSize(ULONGLONG* size) override {
        if (!size)
            return E_POINTER;
        *size = bytes_.size();
        return S_OK;
    }

    const std::string& Bytes() const override { return bytes_; }

private:
    std::string bytes_;
    std::uint64_t position_ = 0;
};

} // namespace
} // namespace cvk::storage::detail

HRESULT CreateMemoryStream(IStream** out) {
    return CreateMemoryStreamOn({}, out);
}

HRESULT CreateMemoryStreamOn(std::string_view bytes, IStream** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    try {
        return cvk::CreateObject<cvk::storage::detail::MemoryStream>(out, std::string(bytes));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT GetMemoryStreamBytes(IStream* stream, std::string* out) {
    using cvk::storage::detail::IMemoryStreamBytes;
    if (!stream || !out)
        return E_POINTER;
    IMemoryStreamBytes* bytes = nullptr;
    if (FAILED(stream->QueryInterface(IMemoryStreamBytes::iid, reinterpret_cast<void**>(&bytes))))
        return E_INVALIDARG;
    HRESULT hr = S_OK;
    try {
        *out = bytes->Bytes();
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    bytes->Release();
    return hr;
}
