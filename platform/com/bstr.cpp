// BSTR allocation with its byte-length prefix, and the cvk::Bstr holder.
#include "platform/com/bstr.h"

#include "platform/text/codepage.h"

#include <cstdlib>
#include <limits>
#include <new>
#include <utility>

namespace {

constexpr std::size_t kPrefixBytes = sizeof(std::uint32_t);
constexpr std::size_t kTerminatorBytes = sizeof(OLECHAR);

// The prefix holds the byte length; the allocation adds the prefix and a terminator, and both
// must fit without wrapping.
BSTR AllocateBytes(std::size_t bytes) {
    if (bytes > std::numeric_limits<std::uint32_t>::max() - kPrefixBytes - kTerminatorBytes - 1)
        return nullptr;
    // One spare byte keeps an odd byte length terminated on a whole OLECHAR.
    auto* block =
        static_cast<unsigned char*>(std::malloc(kPrefixBytes + bytes + kTerminatorBytes + 1));
    if (!block)
        return nullptr;
    auto length = static_cast<std::uint32_t>(bytes);
    std::memcpy(block, &length, kPrefixBytes);
    std::memset(block + kPrefixBytes + bytes, 0, kTerminatorBytes + 1);
    return reinterpret_cast<BSTR>(block + kPrefixBytes);
}

unsigned char* BlockOf(BSTR text) {
    return reinterpret_cast<unsigned char*>(text) - kPrefixBytes;
}

std::size_t TerminatedLength(LPCOLESTR text) {
    std::size_t n = 0;
    while (text[n] != u'\0')
        ++n;
    return n;
}

} // namespace

BSTR SysAllocString(LPCOLESTR text) {
    if (!text)
        return nullptr;
    std::size_t length = TerminatedLength(text);
    if (length > std::numeric_limits<UINT>::max())
        return nullptr;
    return SysAllocStringLen(text, static_cast<UINT>(length));
}

BSTR SysAllocStringLen(LPCOLESTR text, UINT length) {
    std::size_t bytes = std::size_t{length} * sizeof(OLECHAR);
    BSTR s = AllocateBytes(bytes);
    if (!s)
        return nullptr;
    if (text)
        std::memcpy(s, text, bytes);
    else
        std::memset(s, 0, bytes);
    return s;
}

BSTR SysAllocStringByteLen(const char* data, UINT bytes) {
    BSTR s = AllocateBytes(bytes);
    if (!s)
        return nullptr;
    if (data)
        std::memcpy(s, data, bytes);
    else
        std::memset(s, 0, bytes);
    return s;
}

BOOL SysReAllocStringLen(BSTR* target, LPCOLESTR text, UINT length) {
    if (!target)
        return FALSE;
    BSTR copy = SysAllocStringLen(text, length);
    if (!copy)
        return FALSE;
    SysFreeString(*target);
    *target = copy;
    return TRUE;
}

void SysFreeString(BSTR text) {
    if (text)
        std::free(BlockOf(text));
}

UINT SysStringByteLen(BSTR text) {
    if (!text)
        return 0;
    std::uint32_t bytes = 0;
    std::memcpy(&bytes, BlockOf(text), kPrefixBytes);
    return bytes;
}

UINT SysStringLen(BSTR text) {
    return SysStringByteLen(text) / sizeof(OLECHAR);
}

namespace cvk {
namespace {

BSTR CopyOrThrow(std::u16string_view text) {
    if (text.size() > std::numeric_limits<UINT>::max())
        throw std::bad_alloc();
    BSTR s = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!s)
        throw std::bad_alloc();
    return s;
}

BSTR DuplicateOrThrow(BSTR text) {
    if (!text)
        return nullptr;
    BSTR s = SysAllocStringByteLen(reinterpret_cast<const char*>(text), SysStringByteLen(text));
    if (!s)
        throw std::bad_alloc();
    return s;
}

} // namespace

Bstr::Bstr(std::u16string_view text) : s_(CopyOrThrow(text)) {}
Bstr::Bstr(LPCOLESTR text) : s_(text ? CopyOrThrow(text) : nullptr) {}

Bstr Bstr::FromUtf8(std::string_view text) {
    return Bstr(text::Utf8ToUtf16(text));
}

Bstr Bstr::CopyOf(BSTR text) {
    Bstr copy;
    copy.s_ = DuplicateOrThrow(text);
    return copy;
}

Bstr Bstr::Attach(BSTR text) {
    Bstr b;
    b.s_ = text;
    return b;
}

Bstr::Bstr(const Bstr& other) : s_(DuplicateOrThrow(other.s_)) {}
Bstr::Bstr(Bstr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}

Bstr& Bstr::operator=(const Bstr& other) {
    if (this != &other) {
        BSTR copy = DuplicateOrThrow(other.s_);
        SysFreeString(s_);
        s_ = copy;
    }
    return *this;
}

Bstr& Bstr::operator=(Bstr&& other) noexcept {
    if (this != &other) {
        SysFreeString(s_);
        s_ = std::exchange(other.s_, nullptr);
    }
    return *this;
}

Bstr::~Bstr() {
    SysFreeString(s_);
}

BSTR* Bstr::put() {
    reset();
    return &s_;
}

void Bstr::attach(BSTR text) {
    if (text == s_)
        return;
    SysFreeString(s_);
    s_ = text;
}

BSTR Bstr::detach() {
    return std::exchange(s_, nullptr);
}

void Bstr::reset() {
    SysFreeString(std::exchange(s_, nullptr));
}

std::string Bstr::utf8() const {
    return text::Utf16ToUtf8(view());
}

HRESULT Bstr::CopyTo(BSTR* out) const {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!s_)
        return S_OK;
    *out = SysAllocStringByteLen(reinterpret_cast<const char*>(s_), SysStringByteLen(s_));
    return *out ? S_OK : E_OUTOFMEMORY;
}

} // namespace cvk
