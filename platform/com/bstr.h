// BSTR, the counted UTF-16 string of the automation platform, and cvk::Bstr that owns one.
#pragma once

#include "platform/com/types.h"

#include <string>
#include <string_view>

// A BSTR points just past a 4-byte byte-length prefix and is followed by a NUL that the length
// leaves out; embedded NULs are part of the text. A null BSTR reads as an empty string.
CVK_COM_API BSTR SysAllocString(LPCOLESTR text);
// `text` may be null: the string is then `length` zeroes. Null when out of memory or when the
// byte length would not fit the prefix.
CVK_COM_API BSTR SysAllocStringLen(LPCOLESTR text, UINT length);
// A string of `bytes` bytes (which may be odd), copied from `data` when it is not null.
CVK_COM_API BSTR SysAllocStringByteLen(const char* data, UINT bytes);
// Replaces *target with a copy of `text`; FALSE (and *target untouched) when out of memory.
CVK_COM_API BOOL SysReAllocStringLen(BSTR* target, LPCOLESTR text, UINT length);
CVK_COM_API void SysFreeString(BSTR text);
CVK_COM_API UINT SysStringLen(BSTR text);
CVK_COM_API UINT SysStringByteLen(BSTR text);

namespace cvk {

// Owns one BSTR. A default Bstr is null, which stays distinct from an empty one.
// Construction throws std::bad_alloc when out of memory (interface boundaries turn it into
// E_OUTOFMEMORY); the HRESULT-returning members never throw.
class CVK_COM_API Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::u16string_view text);
    explicit Bstr(LPCOLESTR text); // null stays null
    static Bstr FromUtf8(std::string_view text);
    // Takes over an owned BSTR.
    static Bstr Attach(BSTR text);
    // An exact copy of a BSTR argument: its whole length, embedded NULs included; null stays null.
    static Bstr CopyOf(BSTR text);

    Bstr(const Bstr& other);
    Bstr(Bstr&& other) noexcept;
    Bstr& operator=(const Bstr& other);
    Bstr& operator=(Bstr&& other) noexcept;
    ~Bstr();

    BSTR get() const { return s_; }
    // For out-parameters: frees the held string first.
    BSTR* put();
    void attach(BSTR text);
    BSTR detach();
    void reset();

    bool is_null() const { return s_ == nullptr; }
    bool empty() const { return length() == 0; }
    UINT length() const { return SysStringLen(s_); }
    std::u16string_view view() const { return {s_ ? s_ : u"", length()}; }
    std::u16string str() const { return std::u16string(view()); }
    std::string utf8() const;

    // An exact copy for an out-parameter: a null string stays null.
    HRESULT CopyTo(BSTR* out) const;

    friend bool operator==(const Bstr& a, const Bstr& b) {
        return a.is_null() == b.is_null() && a.view() == b.view();
    }

private:
    BSTR s_ = nullptr;
};

} // namespace cvk
