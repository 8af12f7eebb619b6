// Record versions and tagged variants as the thermal tree stores them.
#include "engine/thermal/therm_record.h"

#include "platform/com/errorinfo.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace cvk {
namespace {

// The number of value bytes of a fixed-size type; 0 for the types stored as text.
unsigned FixedSizeOf(VARTYPE vt) {
    switch (vt) {
    case VT_I1:
    case VT_UI1:
        return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
        return 4;
    case VT_R8:
    case VT_CY:
    case VT_DATE:
        return 8;
    default:
        return 0;
    }
}

// The value bytes of a fixed-size type, as they lie in the union (the platform is
// little-endian, as the records are).
std::uint64_t RawBitsOf(const VARIANT& v, unsigned size) {
    switch (size) {
    case 1:
        return v.bVal;
    case 2:
        return static_cast<std::uint16_t>(v.iVal);
    case 4:
        return static_cast<std::uint32_t>(v.lVal);
    default:
        return static_cast<std::uint64_t>(v.llVal);
    }
}

void StoreRawBits(VARIANT* v, unsigned size, std::uint64_t bits) {
    switch (size) {
    case 1:
        v->bVal = static_cast<BYTE>(bits);
        break;
    case 2:
        v->iVal = static_cast<SHORT>(bits);
        break;
    case 4:
        v->lVal = static_cast<LONG>(bits);
        break;
    default:
        v->llVal = static_cast<LONGLONG>(bits);
        break;
    }
}

HRESULT WriteRawBits(RecordWriter& out, std::uint64_t bits, unsigned size) {
    unsigned char bytes[8];
    for (unsigned i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
    return out.Bytes(bytes, size);
}

HRESULT ReadRawBits(RecordReader& in, unsigned size, std::uint64_t* bits) {
    unsigned char bytes[8];
    CVK_RETURN_IF_FAILED(in.Bytes(bytes, size));
    *bits = 0;
    for (unsigned i = 0; i < size; ++i)
        *bits |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
    return S_OK;
}

std::u16string_view TextOf(const VARIANT& v) {
    return {v.bstrVal ? v.bstrVal : u"", SysStringLen(v.bstrVal)};
}

} // namespace

HRESULT ReadRecordVersion(RecordReader& in, float newest) {
    float version = 0;
    CVK_RETURN_IF_FAILED(in.Float(&version));
    return std::isnan(version) || version > newest ? E_FAIL : S_OK;
}

HRESULT WriteVariant(RecordWriter& out, const VARIANT& value) {
    if (!IsSupportedVarType(value.vt))
        return E_INVALIDARG;
    CVK_RETURN_IF_FAILED(out.U16(value.vt));
    if (const unsigned size = FixedSizeOf(value.vt))
        return WriteRawBits(out, RawBitsOf(value, size), size);
    // The empty value and strings: their text, the empty value as an empty text.
    std::u16string text;
    CVK_RETURN_IF_FAILED(Variant::CopyOf(value).ToText(&text));
    return out.CountedString(Bstr(text));
}

HRESULT ReadVariant(RecordReader& in, Variant* value) {
    std::uint16_t vt = 0;
    CVK_RETURN_IF_FAILED(in.U16(&vt));
    if (!IsSupportedVarType(vt))
        return E_FAIL;
    Variant result;
    if (const unsigned size = FixedSizeOf(vt)) {
        std::uint64_t bits = 0;
        CVK_RETURN_IF_FAILED(ReadRawBits(in, size, &bits));
        VARIANT raw;
        VariantInit(&raw);
        raw.vt = vt;
        StoreRawBits(&raw, size, bits);
        result = Variant::Attach(&raw);
    } else {
        Bstr text;
        CVK_RETURN_IF_FAILED(in.CountedString(&text));
        if (vt == VT_EMPTY && !text.empty())
            return E_FAIL;
        if (vt == VT_BSTR)
            result = Variant::FromText(text.view());
    }
    *value = std::move(result);
    return S_OK;
}

HRESULT WriteVariantText(RecordWriter& out, const Bstr& text) {
    return WriteVariant(out, Variant::FromText(text.view()).get());
}

HRESULT ReadVariantText(RecordReader& in, Bstr* text) {
    Variant value;
    CVK_RETURN_IF_FAILED(ReadVariant(in, &value));
    std::u16string converted;
    CVK_RETURN_IF_FAILED(value.ToText(&converted));
    *text = Bstr(converted);
    return S_OK;
}

bool SameValue(const VARIANT& a, const VARIANT& b) {
    if (a.vt != b.vt)
        return false;
    switch (a.vt) {
    case VT_EMPTY:
        return true;
    case VT_BSTR:
        return TextOf(a) == TextOf(b);
    case VT_R4:
        return a.fltVal == b.fltVal;
    case VT_R8:
        return a.dblVal == b.dblVal;
    case VT_DATE:
        return a.date == b.date;
    case VT_BOOL:
        return (a.boolVal != 0) == (b.boolVal != 0);
    default:
        if (const unsigned size = FixedSizeOf(a.vt))
            return RawBitsOf(a, size) == RawBitsOf(b, size);
        return false;
    }
}

} // namespace cvk
