// VARIANT lifetime and the conversions between its types.
#include "platform/com/variant.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <new>
#include <optional>

namespace {

constexpr LONGLONG kCurrencyScale = 10000;
// The platform's date range: 1 January 100 to 31 December 9999.
constexpr double kMinDate = -657434.0;
constexpr double kMaxDate = 2958466.0; // exclusive: the end of 31 December 9999

enum class Kind { Empty, Integer, Real, Currency, Bool, Text };

// A source value taken out of its VARIANT, in the widest form of its kind.
struct Source {
    Kind kind = Kind::Empty;
    LONGLONG integer = 0; // Integer, Bool (-1 or 0), Currency (scaled by 10000)
    double real = 0;
    bool single = false; // a Real that came from R4
    bool date = false;   // a Real that came from DATE
    std::u16string_view text;
};

std::optional<Source> Decompose(const VARIANT& v) {
    Source s;
    switch (v.vt) {
    case VT_EMPTY:
        return s;
    case VT_I1:
        s.integer = v.cVal;
        break;
    case VT_UI1:
        s.integer = v.bVal;
        break;
    case VT_I2:
        s.integer = v.iVal;
        break;
    case VT_UI2:
        s.integer = v.uiVal;
        break;
    case VT_I4:
        s.integer = v.lVal;
        break;
    case VT_UI4:
        s.integer = v.ulVal;
        break;
    case VT_INT:
        s.integer = v.intVal;
        break;
    case VT_UINT:
        s.integer = v.uintVal;
        break;
    case VT_R4:
        s.kind = Kind::Real;
        s.real = v.fltVal;
        s.single = true;
        return s;
    case VT_R8:
    case VT_DATE:
        s.kind = Kind::Real;
        s.real = v.vt == VT_R8 ? v.dblVal : v.date;
        s.date = v.vt == VT_DATE;
        return s;
    case VT_CY:
        s.kind = Kind::Currency;
        s.integer = v.cyVal.int64;
        return s;
    case VT_BOOL:
        s.kind = Kind::Bool;
        s.integer = v.boolVal ? -1 : 0;
        return s;
    case VT_BSTR:
        s.kind = Kind::Text;
        s.text = std::u16string_view(v.bstrVal ? v.bstrVal : u"", SysStringLen(v.bstrVal));
        return s;
    default:
        return std::nullopt;
    }
    s.kind = Kind::Integer;
    return s;
}

// ---- reading text -------------------------------------------------------------------------

bool IsBlank(char16_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::u16string_view TrimBlanks(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// [sign] digits [. digits] [e [sign] digits], at least one mantissa digit; no "inf", "nan" or
// hexadecimal forms, which the C library would otherwise accept.
bool IsDecimalNumber(const std::string& s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < s.size() && IsDigit(s[i]))
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        std::size_t exponentDigits = 0;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++exponentDigits;
        if (exponentDigits == 0)
            return false;
    }
    return i == s.size();
}

// The trimmed text as ASCII, or nothing when it holds any other character.
std::optional<std::string> AsciiOf(std::u16string_view text) {
    std::string ascii;
    for (char16_t c : TrimBlanks(text)) {
        if (c >= 0x80)
            return std::nullopt;
        ascii.push_back(static_cast<char>(c));
    }
    return ascii;
}

template <class Real> HRESULT ParseReal(std::u16string_view text, Real* out) {
    auto ascii = AsciiOf(text);
    if (!ascii || !IsDecimalNumber(*ascii))
        return DISP_E_TYPEMISMATCH;
    const char* first = ascii->data();
    const char* last = first + ascii->size();
    if (*first == '+')
        ++first;
    Real value{};
    auto [end, ec] = std::from_chars(first, last, value);
    if (ec == std::errc::result_out_of_range) {
        // Underflow reads as zero; only magnitudes beyond the type's range overflow.
        auto exponentAt = ascii->find_first_of("eE");
        bool negativeExponent = exponentAt != std::string::npos && exponentAt + 1 < ascii->size() &&
                                (*ascii)[exponentAt + 1] == '-';
        if (!negativeExponent)
            return DISP_E_OVERFLOW;
        value = 0;
    } else if (ec != std::errc() || end != last) {
        return DISP_E_TYPEMISMATCH;
    }
    *out = value;
    return S_OK;
}

bool EqualsIgnoringCase(std::u16string_view text, std::u16string_view word) {
    if (text.size() != word.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t a = text[i] >= 'A' && text[i] <= 'Z' ? char16_t(text[i] + 32) : text[i];
        if (a != word[i])
            return false;
    }
    return true;
}

// ---- numbers --------------------------------------------------------------------------------

// Round half to even, independent of the floating-point environment.
double RoundHalfEven(double x) {
    double floor = std::floor(x);
    double diff = x - floor;
    if (diff < 0.5)
        return floor;
    if (diff > 0.5)
        return floor + 1;
    return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

// Currency scaled by 10000 divided down to an integer, rounding half to even.
LONGLONG CurrencyToInteger(LONGLONG scaled) {
    LONGLONG quotient = scaled / kCurrencyScale;
    LONGLONG remainder = scaled % kCurrencyScale;
    LONGLONG twice = 2 * (remainder < 0 ? -remainder : remainder);
    int direction = remainder < 0 ? -1 : 1;
    if (twice > kCurrencyScale || (twice == kCurrencyScale && quotient % 2 != 0))
        quotient += direction;
    return quotient;
}

HRESULT RealToInteger(double x, LONGLONG min, LONGLONG max, LONGLONG* out) {
    if (std::isnan(x))
        return DISP_E_OVERFLOW;
    double r = RoundHalfEven(x);
    if (r < static_cast<double>(min) || r > static_cast<double>(max))
        return DISP_E_OVERFLOW;
    *out = static_cast<LONGLONG>(r);
    return S_OK;
}

HRESULT ToInteger(const Source& s, LONGLONG min, LONGLONG max, LONGLONG* out) {
    switch (s.kind) {
    case Kind::Empty:
        *out = 0;
        return S_OK;
    case Kind::Bool:
        // True is all bits set, which an unsigned target holds as its maximum.
        *out = s.integer == 0 ? 0 : (min == 0 ? max : -1);
        return S_OK;
    case Kind::Integer:
        if (s.integer < min || s.integer > max)
            return DISP_E_OVERFLOW;
        *out = s.integer;
        return S_OK;
    case Kind::Currency: {
        LONGLONG value = CurrencyToInteger(s.integer);
        if (value < min || value > max)
            return DISP_E_OVERFLOW;
        *out = value;
        return S_OK;
    }
    case Kind::Real:
        return RealToInteger(s.real, min, max, out);
    case Kind::Text: {
        double value = 0;
        HRESULT hr = ParseReal(s.text, &value);
        if (FAILED(hr))
            return hr;
        return RealToInteger(value, min, max, out);
    }
    }
    return DISP_E_TYPEMISMATCH;
}

HRESULT ToDouble(const Source& s, double* out) {
    switch (s.kind) {
    case Kind::Empty:
        *out = 0;
        return S_OK;
    case Kind::Bool:
    case Kind::Integer:
        *out = static_cast<double>(s.integer);
        return S_OK;
    case Kind::Currency:
        *out = static_cast<double>(s.integer) / kCurrencyScale;
        return S_OK;
    case Kind::Real:
        *out = s.real;
        return S_OK;
    case Kind::Text:
        return ParseReal(s.text, out);
    }
    return DISP_E_TYPEMISMATCH;
}

HRESULT ToFloat(const Source& s, float* out) {
    if (s.kind == Kind::Text)
        return ParseReal(s.text, out); // read as float directly: no double rounding
    double value = 0;
    HRESULT hr = ToDouble(s, &value);
    if (FAILED(hr))
        return hr;
    if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max())
        return DISP_E_OVERFLOW;
    *out = static_cast<float>(value);
    return S_OK;
}

HRESULT ToCurrency(const Source& s, LONGLONG* out) {
    constexpr LONGLONG kMax = std::numeric_limits<LONGLONG>::max();
    constexpr LONGLONG kMin = std::numeric_limits<LONGLONG>::min();
    switch (s.kind) {
    case Kind::Currency:
        *out = s.integer;
        return S_OK;
    case Kind::Empty:
    case Kind::Bool:
    case Kind::Integer:
        if (s.integer > kMax / kCurrencyScale || s.integer < kMin / kCurrencyScale)
            return DISP_E_OVERFLOW;
        *out = s.integer * kCurrencyScale;
        return S_OK;
    case Kind::Real:
    case Kind::Text: {
        double value = 0;
        HRESULT hr = ToDouble(s, &value);
        if (FAILED(hr))
            return hr;
        // 2^63 is the first double past the range; anything at or beyond it overflows.
        double scaled = RoundHalfEven(value * kCurrencyScale);
        if (!(scaled >= -9223372036854775808.0 && scaled < 9223372036854775808.0))
            return DISP_E_OVERFLOW;
        *out = static_cast<LONGLONG>(scaled);
        return S_OK;
    }
    }
    return DISP_E_TYPEMISMATCH;
}

HRESULT ToBool(const Source& s, VARIANT_BOOL* out) {
    if (s.kind == Kind::Text) {
        std::u16string_view word = TrimBlanks(s.text);
        if (EqualsIgnoringCase(word, u"true") || EqualsIgnoringCase(word, u"false")) {
            *out = EqualsIgnoringCase(word, u"true") ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        }
    }
    double value = 0;
    HRESULT hr = ToDouble(s, &value);
    if (FAILED(hr))
        return hr;
    *out = value != 0 ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT ToDate(const Source& s, double* out);

// ---- writing text --------------------------------------------------------------------------

std::u16string Widen(std::string_view ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

// Lays out the shortest round-trip digits of `scientific` ("d.ddde+XX") in fixed form when
// the exponent is moderate, else as "d.dddE+XX" with at least two exponent digits.
std::u16string LayOutShortest(std::string_view scientific) {
    std::string sign;
    if (!scientific.empty() && scientific.front() == '-') {
        sign = "-";
        scientific.remove_prefix(1);
    }
    auto e = scientific.find('e');
    std::string digits;
    for (char c : scientific.substr(0, e))
        if (c != '.')
            digits.push_back(c);
    int exponent = 0;
    std::from_chars(scientific.data() + e + (scientific[e + 1] == '+' ? 2 : 1),
                    scientific.data() + scientific.size(), exponent);
    std::string out = sign;
    if (exponent >= 15 || exponent < -5) {
        out += digits.substr(0, 1);
        if (digits.size() > 1)
            out += "." + digits.substr(1);
        std::string exponentDigits = std::to_string(exponent < 0 ? -exponent : exponent);
        if (exponentDigits.size() < 2)
            exponentDigits.insert(0, "0");
        out += (exponent < 0 ? "E-" : "E+") + exponentDigits;
    } else if (exponent < 0) {
        out += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    } else {
        auto integerDigits = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= integerDigits) {
            out += digits + std::string(integerDigits - digits.size(), '0');
        } else {
            out += digits.substr(0, integerDigits) + "." + digits.substr(integerDigits);
        }
    }
    return Widen(out);
}

template <class Real> std::u16string FormatShortest(Real value) {
    if (std::isnan(value))
        return u"NaN";
    if (std::isinf(value))
        return value < 0 ? u"-Infinity" : u"Infinity";
    if (value == 0)
        return u"0";
    char buffer[64];
    auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    if (ec != std::errc())
        return u"0";
    return LayOutShortest(std::string_view(buffer, static_cast<std::size_t>(end - buffer)));
}

std::u16string FormatCurrency(LONGLONG scaled) {
    bool negative = scaled < 0;
    ULONGLONG magnitude =
        negative ? 0 - static_cast<ULONGLONG>(scaled) : static_cast<ULONGLONG>(scaled);
    std::string text = (negative ? "-" : "") + std::to_string(magnitude / kCurrencyScale);
    std::string fraction = std::to_string(magnitude % kCurrencyScale);
    fraction.insert(0, 4 - fraction.size(), '0');
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    if (!fraction.empty())
        text += "." + fraction;
    return Widen(text);
}

// Days since 1 March of year 0 to a civil date (proleptic Gregorian calendar).
void CivilFromDays(LONGLONG z, LONGLONG* year, int* month, int* day) {
    z += 719468;
    LONGLONG era = (z >= 0 ? z : z - 146096) / 146097;
    LONGLONG doe = z - era * 146097;
    LONGLONG yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    LONGLONG doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    LONGLONG mp = (5 * doy + 2) / 153;
    *day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    *month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    *year = yoe + era * 400 + (*month <= 2 ? 1 : 0);
}

LONGLONG DaysFromCivil(LONGLONG y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    LONGLONG era = (y >= 0 ? y : y - 399) / 400;
    LONGLONG yoe = y - era * 400;
    LONGLONG doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    LONGLONG doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// Day 0 of DATE is 30 December 1899.
const LONGLONG kDateEpochDays = DaysFromCivil(1899, 12, 30);

// A DATE as "YYYY-MM-DD", with " HH:MM:SS" when it has a time of day. The platform counts
// the fraction of a negative date forwards from midnight of the day it names.
HRESULT FormatDate(double date, std::u16string* out) {
    if (!(date >= kMinDate && date < kMaxDate))
        return DISP_E_OVERFLOW;
    double wholeDays = std::trunc(date);
    auto seconds = static_cast<LONGLONG>(std::llround(std::fabs(date - wholeDays) * 86400.0));
    auto days = static_cast<LONGLONG>(wholeDays);
    if (seconds >= 86400) {
        seconds -= 86400;
        days += date < 0 ? -1 : 1;
    }
    LONGLONG year = 0;
    int month = 0, day = 0;
    CivilFromDays(days + kDateEpochDays, &year, &month, &day);
    char buffer[48];
    int n = std::snprintf(buffer, sizeof buffer, "%04lld-%02d-%02d", static_cast<long long>(year),
                          month, day);
    if (seconds != 0) {
        n += std::snprintf(buffer + n, sizeof buffer - static_cast<std::size_t>(n),
                           " %02d:%02d:%02d", static_cast<int>(seconds / 3600),
                           static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    }
    *out = Widen(std::string_view(buffer, static_cast<std::size_t>(n)));
    return S_OK;
}

// Reads "YYYY-MM-DD" with an optional " HH:MM[:SS]".
HRESULT ParseDate(std::u16string_view text, double* out) {
    auto ascii = AsciiOf(text);
    if (!ascii)
        return DISP_E_TYPEMISMATCH;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, used = 0;
    const char* s = ascii->c_str();
    if (std::sscanf(s, "%4d-%2d-%2d%n", &year, &month, &day, &used) != 3)
        return DISP_E_TYPEMISMATCH;
    if (s[used] != '\0') {
        int more = 0;
        int fields =
            std::sscanf(s + used, " %2d:%2d%n:%2d%n", &hour, &minute, &more, &second, &more);
        if (fields < 2 || s[used + more] != '\0')
            return DISP_E_TYPEMISMATCH;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59 ||
        hour < 0 || minute < 0 || second < 0)
        return DISP_E_TYPEMISMATCH;
    LONGLONG days = DaysFromCivil(year, month, day);
    LONGLONG y = 0;
    int m = 0, d = 0;
    CivilFromDays(days, &y, &m, &d);
    if (m != month || d != day) // 31 April and the like
        return DISP_E_TYPEMISMATCH;
    double fraction = (hour * 3600 + minute * 60 + second) / 86400.0;
    double whole = static_cast<double>(days - kDateEpochDays);
    double date = whole >= 0 ? whole + fraction : whole - fraction;
    if (!(date >= kMinDate && date < kMaxDate))
        return DISP_E_OVERFLOW;
    *out = date;
    return S_OK;
}

HRESULT ToDate(const Source& s, double* out) {
    if (s.kind == Kind::Text)
        return ParseDate(s.text, out);
    double value = 0;
    HRESULT hr = ToDouble(s, &value);
    if (FAILED(hr))
        return hr;
    if (!(value >= kMinDate && value < kMaxDate))
        return DISP_E_OVERFLOW;
    *out = value;
    return S_OK;
}

HRESULT ToText(const Source& s, USHORT flags, std::u16string* out) {
    switch (s.kind) {
    case Kind::Empty:
        out->clear();
        return S_OK;
    case Kind::Integer:
        *out = Widen(std::to_string(s.integer));
        return S_OK;
    case Kind::Bool:
        if (flags & VARIANT_ALPHABOOL)
            *out = s.integer ? u"True" : u"False";
        else
            *out = s.integer ? u"-1" : u"0";
        return S_OK;
    case Kind::Currency:
        *out = FormatCurrency(s.integer);
        return S_OK;
    case Kind::Real:
        if (s.date)
            return FormatDate(s.real, out);
        *out = s.single ? FormatShortest(static_cast<float>(s.real)) : FormatShortest(s.real);
        return S_OK;
    case Kind::Text:
        *out = std::u16string(s.text);
        return S_OK;
    }
    return DISP_E_TYPEMISMATCH;
}

struct IntegerRange {
    LONGLONG min;
    LONGLONG max;
};

std::optional<IntegerRange> IntegerRangeOf(VARTYPE vt) {
    switch (vt) {
    case VT_I1:
        return IntegerRange{-128, 127};
    case VT_UI1:
        return IntegerRange{0, 255};
    case VT_I2:
        return IntegerRange{-32768, 32767};
    case VT_UI2:
        return IntegerRange{0, 65535};
    case VT_I4:
    case VT_INT:
        return IntegerRange{std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max()};
    case VT_UI4:
    case VT_UINT:
        return IntegerRange{0, std::numeric_limits<ULONG>::max()};
    default:
        return std::nullopt;
    }
}

void StoreInteger(VARIANT* v, VARTYPE vt, LONGLONG value) {
    v->llVal = 0;
    switch (vt) {
    case VT_I1:
        v->cVal = static_cast<CHAR>(value);
        break;
    case VT_UI1:
        v->bVal = static_cast<BYTE>(value);
        break;
    case VT_I2:
        v->iVal = static_cast<SHORT>(value);
        break;
    case VT_UI2:
        v->uiVal = static_cast<USHORT>(value);
        break;
    case VT_I4:
        v->lVal = static_cast<LONG>(value);
        break;
    case VT_INT:
        v->intVal = static_cast<INT>(value);
        break;
    case VT_UI4:
        v->ulVal = static_cast<ULONG>(value);
        break;
    case VT_UINT:
        v->uintVal = static_cast<UINT>(value);
        break;
    default:
        break;
    }
    v->vt = vt;
}

// Converts into a fresh VARIANT, leaving the source untouched.
HRESULT Convert(const Source& s, USHORT flags, VARTYPE vt, VARIANT* result) {
    VariantInit(result);
    if (auto range = IntegerRangeOf(vt)) {
        LONGLONG value = 0;
        HRESULT hr = ToInteger(s, range->min, range->max, &value);
        if (SUCCEEDED(hr))
            StoreInteger(result, vt, value);
        return hr;
    }
    HRESULT hr = S_OK;
    switch (vt) {
    case VT_EMPTY:
        return S_OK;
    case VT_R4:
        hr = ToFloat(s, &result->fltVal);
        break;
    case VT_R8:
        hr = ToDouble(s, &result->dblVal);
        break;
    case VT_DATE:
        hr = ToDate(s, &result->date);
        break;
    case VT_CY:
        hr = ToCurrency(s, &result->cyVal.int64);
        break;
    case VT_BOOL:
        hr = ToBool(s, &result->boolVal);
        break;
    case VT_BSTR: {
        std::u16string text;
        hr = ToText(s, flags, &text);
        if (FAILED(hr))
            return hr;
        result->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        if (!result->bstrVal)
            return E_OUTOFMEMORY;
        break;
    }
    default:
        return DISP_E_BADVARTYPE;
    }
    if (SUCCEEDED(hr))
        result->vt = vt;
    return hr;
}

} // namespace

void VariantInit(VARIANT* v) {
    if (!v)
        return;
    v->vt = VT_EMPTY;
    v->wReserved1 = v->wReserved2 = v->wReserved3 = 0;
    v->llVal = 0;
}

HRESULT VariantClear(VARIANT* v) {
    if (!v)
        return E_INVALIDARG;
    if (!cvk::IsSupportedVarType(v->vt))
        return DISP_E_BADVARTYPE;
    if (v->vt == VT_BSTR)
        SysFreeString(v->bstrVal);
    VariantInit(v);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
    if (!dest || !src)
        return E_INVALIDARG;
    if (!cvk::IsSupportedVarType(src->vt))
        return DISP_E_BADVARTYPE;
    if (dest == src)
        return S_OK;
    VARIANT copy = *src;
    if (src->vt == VT_BSTR && src->bstrVal) {
        copy.bstrVal = SysAllocStringByteLen(reinterpret_cast<const char*>(src->bstrVal),
                                             SysStringByteLen(src->bstrVal));
        if (!copy.bstrVal)
            return E_OUTOFMEMORY;
    }
    HRESULT hr = VariantClear(dest);
    if (FAILED(hr)) {
        VariantClear(&copy);
        return hr;
    }
    *dest = copy;
    return S_OK;
}

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, USHORT flags, VARTYPE vt) {
    if (!dest || !src)
        return E_INVALIDARG;
    if (!cvk::IsSupportedVarType(vt))
        return DISP_E_BADVARTYPE;
    auto source = Decompose(*src);
    if (!source)
        return DISP_E_BADVARTYPE;
    VARIANT result;
    HRESULT hr = Convert(*source, flags, vt, &result);
    if (FAILED(hr)) {
        VariantClear(&result);
        return hr;
    }
    // Only now may the destination (perhaps the source itself) let go of its value.
    hr = VariantClear(dest);
    if (FAILED(hr)) {
        VariantClear(&result);
        return hr;
    }
    *dest = result;
    return S_OK;
}

namespace cvk {

bool IsSupportedVarType(VARTYPE vt) {
    switch (vt) {
    case VT_EMPTY:
    case VT_I1:
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_BOOL:
    case VT_BSTR:
        return true;
    default:
        return false;
    }
}

std::u16string FormatFloat(float value) {
    return FormatShortest(value);
}
std::u16string FormatDouble(double value) {
    return FormatShortest(value);
}

Variant::Variant(const Variant& other) : Variant() {
    if (VariantCopy(&v_, &other.v_) == E_OUTOFMEMORY)
        throw std::bad_alloc();
}

Variant::Variant(Variant&& other) noexcept : v_(other.v_) {
    VariantInit(&other.v_);
}

Variant& Variant::operator=(const Variant& other) {
    if (this != &other && VariantCopy(&v_, &other.v_) == E_OUTOFMEMORY)
        throw std::bad_alloc();
    return *this;
}

Variant& Variant::operator=(Variant&& other) noexcept {
    if (this != &other) {
        VariantClear(&v_);
        v_ = other.v_;
        VariantInit(&other.v_);
    }
    return *this;
}

Variant Variant::FromI4(LONG value) {
    Variant v;
    v.v_.vt = VT_I4;
    v.v_.lVal = value;
    return v;
}

Variant Variant::FromR4(FLOAT value) {
    Variant v;
    v.v_.vt = VT_R4;
    v.v_.fltVal = value;
    return v;
}

Variant Variant::FromR8(DOUBLE value) {
    Variant v;
    v.v_.vt = VT_R8;
    v.v_.dblVal = value;
    return v;
}

Variant Variant::FromBool(bool value) {
    Variant v;
    v.v_.vt = VT_BOOL;
    v.v_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

Variant Variant::FromCurrency(LONGLONG scaledBy10000) {
    Variant v;
    v.v_.vt = VT_CY;
    v.v_.cyVal.int64 = scaledBy10000;
    return v;
}

Variant Variant::FromText(std::u16string_view text) {
    Variant v;
    v.v_.bstrVal = Bstr(text).detach();
    v.v_.vt = VT_BSTR;
    return v;
}

Variant Variant::Attach(VARIANT* source) {
    Variant v;
    if (source) {
        v.v_ = *source;
        VariantInit(source);
    }
    return v;
}

Variant Variant::CopyOf(const VARIANT& source) {
    Variant v;
    if (VariantCopy(&v.v_, &source) == E_OUTOFMEMORY)
        throw std::bad_alloc();
    return v;
}

VARIANT* Variant::put() {
    VariantClear(&v_);
    return &v_;
}

void Variant::detach(VARIANT* out) {
    *out = v_;
    VariantInit(&v_);
}

HRESULT Variant::ChangeType(VARTYPE vt, Variant* out, USHORT flags) const {
    if (!out)
        return E_POINTER;
    VARIANT result;
    VariantInit(&result);
    HRESULT hr = VariantChangeType(&result, &v_, flags, vt);
    if (FAILED(hr))
        return hr;
    *out = Attach(&result);
    return S_OK;
}

HRESULT Variant::ToText(std::u16string* text) const {
    if (!text)
        return E_POINTER;
    Variant converted;
    HRESULT hr = ChangeType(VT_BSTR, &converted);
    if (FAILED(hr))
        return hr;
    *text = std::u16string(converted.v_.bstrVal, SysStringLen(converted.v_.bstrVal));
    return S_OK;
}

} // namespace cvk
