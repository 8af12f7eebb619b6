// VARIANT, the automation platform's tagged value, its conversions, and cvk::Variant.
#pragma once

#include "platform/com/bstr.h"

#include <string>
#include <string_view>

// The platform's own numbers, so that stored records carry the same type tags.
enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_BOOL = 11,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_INT = 22,
    VT_UINT = 23,
};

// VariantChangeType flags.
constexpr USHORT VARIANT_NOVALUEPROP = 0x01;
// Booleans become "True" and "False" instead of "-1" and "0".
constexpr USHORT VARIANT_ALPHABOOL = 0x02;

struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        FLOAT fltVal;
        DOUBLE dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        CY cyVal;
        DATE date;
        BSTR bstrVal;
        CHAR cVal;
        USHORT uiVal;
        ULONG ulVal;
        INT intVal;
        UINT uintVal;
    };
};
using VARIANTARG = VARIANT;

CVK_COM_API void VariantInit(VARIANT* v);
// Frees what the value owns and leaves VT_EMPTY; DISP_E_BADVARTYPE for an unknown type.
CVK_COM_API HRESULT VariantClear(VARIANT* v);
// Clears `dest`, then copies `src` (a string is duplicated; a null string stays null).
CVK_COM_API HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);
// Converts `src` to type `vt` into `dest` (which may be `src`). On failure `dest` is left as
// it was. Text is read and written in the C locale; floats become the shortest text that
// reads back as the same value of their own type; floats become integers by rounding half to
// even; results out of the target's range give DISP_E_OVERFLOW, text that is no number
// DISP_E_TYPEMISMATCH; true is -1.
CVK_COM_API HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, USHORT flags, VARTYPE vt);

namespace cvk {

// Whether VariantClear/VariantCopy/VariantChangeType know the type.
CVK_COM_API bool IsSupportedVarType(VARTYPE vt);

// The shortest decimal text that reads back as the same float ("13.33", "0.8", "5");
// exponent form ("1E+20", "1E-07") only for very large or small magnitudes.
CVK_COM_API std::u16string FormatFloat(float value);
CVK_COM_API std::u16string FormatDouble(double value);

// Owns one VARIANT. Construction and copying throw std::bad_alloc when out of memory.
class CVK_COM_API Variant {
public:
    Variant() { VariantInit(&v_); }
    Variant(const Variant& other);
    Variant(Variant&& other) noexcept;
    Variant& operator=(const Variant& other);
    Variant& operator=(Variant&& other) noexcept;
    ~Variant() { VariantClear(&v_); }

    static Variant FromI4(LONG value);
    static Variant FromR4(FLOAT value);
    static Variant FromR8(DOUBLE value);
    static Variant FromBool(bool value);
    static Variant FromCurrency(LONGLONG scaledBy10000);
    static Variant FromText(std::u16string_view text);
    // Takes over the value in `v` and leaves it VT_EMPTY.
    static Variant Attach(VARIANT* v);
    // A copy of `v`; throws std::bad_alloc when out of memory.
    static Variant CopyOf(const VARIANT& v);

    VARTYPE vt() const { return v_.vt; }
    const VARIANT& get() const { return v_; }
    VARIANT* ptr() { return &v_; }
    // For out-parameters: clears the held value first.
    VARIANT* put();
    // Moves the value into `out` (which must not hold anything it owns).
    void detach(VARIANT* out);
    void reset() { VariantClear(&v_); }

    // A converted copy; the held value stays as it is.
    HRESULT ChangeType(VARTYPE vt, Variant* out, USHORT flags = 0) const;
    // The value as text, by the same conversion.
    HRESULT ToText(std::u16string* text) const;

private:
    VARIANT v_;
};

} // namespace cvk
