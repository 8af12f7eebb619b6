// VARIANT lifetime and conversions.
#include "platform/com/variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

std::u16string TextOf(const cvk::Variant& v, USHORT flags = 0) {
    cvk::Variant text;
    HRESULT hr = v.ChangeType(VT_BSTR, &text, flags);
    EXPECT_EQ(hr, S_OK);
    if (FAILED(hr))
        return u"<failed>";
    return std::u16string(text.get().bstrVal, SysStringLen(text.get().bstrVal));
}

HRESULT Convert(const cvk::Variant& v, VARTYPE vt, cvk::Variant* out) {
    return v.ChangeType(vt, out);
}

TEST(Variant, FloatsBecomeTheirShortestText) {
    EXPECT_EQ(TextOf(cvk::Variant::FromR4(13.33f)), u"13.33");
    EXPECT_EQ(TextOf(cvk::Variant::FromR4(0.8f)), u"0.8");
    EXPECT_EQ(TextOf(cvk::Variant::FromR4(5.0f)), u"5");
    EXPECT_EQ(TextOf(cvk::Variant::FromR8(13.33)), u"13.33");
    EXPECT_EQ(TextOf(cvk::Variant::FromR8(0.1 + 0.2)), u"0.30000000000000004");
    EXPECT_EQ(TextOf(cvk::Variant::FromR8(-1250.5)), u"-1250.5");
    EXPECT_EQ(TextOf(cvk::Variant::FromR8(100000)), u"100000");
    EXPECT_EQ(TextOf(cvk::Variant::FromR8(0.00001)), u"0.00001");
    EXPECT_EQ(TextOf(cvk::Variant::FromR8(1e20)), u"1E+20");
    EXPECT_EQ(TextOf(cvk::Variant::FromR8(-2.5e-7)), u"-2.5E-07");
    EXPECT_EQ(TextOf(cvk::Variant::FromR4(0.0f)), u"0");
}

TEST(Variant, ShortestTextReadsBackAsTheSameValue) {
    for (float f : {13.33f, 0.1f, 1.0f / 3, 3.4028235e38f, 1.17549435e-38f, 16777217.0f}) {
        cvk::Variant back;
        ASSERT_EQ(Convert(cvk::Variant::FromText(TextOf(cvk::Variant::FromR4(f))), VT_R4, &back),
                  S_OK);
        EXPECT_EQ(back.get().fltVal, f);
    }
    for (double d : {0.1, 1.0 / 3, 1.7976931348623157e308, 5e-324, 123456789012345678.0}) {
        cvk::Variant back;
        ASSERT_EQ(Convert(cvk::Variant::FromText(TextOf(cvk::Variant::FromR8(d))), VT_R8, &back),
                  S_OK);
        EXPECT_EQ(back.get().dblVal, d);
    }
}

TEST(Variant, FloatsRoundHalfToEven) {
    struct Case {
        double in;
        LONG out;
    };
    for (auto [in, out] : {Case{2.5, 2}, Case{3.5, 4}, Case{-2.5, -2}, Case{-3.5, -4}, Case{0.5, 0},
                           Case{1.5, 2}, Case{2.4999, 2}, Case{2.5001, 3}, Case{-0.4, 0}}) {
        cvk::Variant i4;
        ASSERT_EQ(Convert(cvk::Variant::FromR8(in), VT_I4, &i4), S_OK) << in;
        EXPECT_EQ(i4.get().lVal, out) << in;
    }
    cvk::Variant text;
    ASSERT_EQ(Convert(cvk::Variant::FromText(u"2.5"), VT_I2, &text), S_OK);
    EXPECT_EQ(text.get().iVal, 2);
}

TEST(Variant, TextToNumbers) {
    cvk::Variant out;
    ASSERT_EQ(Convert(cvk::Variant::FromText(u" 42 "), VT_I4, &out), S_OK);
    EXPECT_EQ(out.vt(), VT_I4);
    EXPECT_EQ(out.get().lVal, 42);
    ASSERT_EQ(Convert(cvk::Variant::FromText(u"\t-17\r\n"), VT_I2, &out), S_OK);
    EXPECT_EQ(out.get().iVal, -17);
    ASSERT_EQ(Convert(cvk::Variant::FromText(u"+1.5e2"), VT_R8, &out), S_OK);
    EXPECT_EQ(out.get().dblVal, 150.0);
    ASSERT_EQ(Convert(cvk::Variant::FromText(u"13.33"), VT_R4, &out), S_OK);
    EXPECT_EQ(out.get().fltVal, 13.33f);
    ASSERT_EQ(Convert(cvk::Variant::FromText(u"1e-400"), VT_R8, &out), S_OK);
    EXPECT_EQ(out.get().dblVal, 0.0);

    for (std::u16string_view bad : {u"abc", u"", u"  ", u"4 2", u"1e", u"0x10", u"inf", u"nan",
                                    u"12abc", u".", u"--1", u"1,5", u"\u0661"}) {
        EXPECT_EQ(Convert(cvk::Variant::FromText(bad), VT_I4, &out), DISP_E_TYPEMISMATCH)
            << std::string(bad.begin(), bad.end());
        EXPECT_EQ(Convert(cvk::Variant::FromText(bad), VT_R8, &out), DISP_E_TYPEMISMATCH);
    }
}

TEST(Variant, OverflowFails) {
    cvk::Variant out = cvk::Variant::FromI4(7);
    EXPECT_EQ(Convert(cvk::Variant::FromText(u"1e40"), VT_R4, &out), DISP_E_OVERFLOW);
    EXPECT_EQ(Convert(cvk::Variant::FromR8(1e40), VT_R4, &out), DISP_E_OVERFLOW);
    EXPECT_EQ(Convert(cvk::Variant::FromText(u"1e400"), VT_R8, &out), DISP_E_OVERFLOW);
    EXPECT_EQ(Convert(cvk::Variant::FromI4(70000), VT_I2, &out), DISP_E_OVERFLOW);
    EXPECT_EQ(Convert(cvk::Variant::FromText(u"70000"), VT_I2, &out), DISP_E_OVERFLOW);
    EXPECT_EQ(Convert(cvk::Variant::FromI4(-1), VT_UI4, &out), DISP_E_OVERFLOW);
    EXPECT_EQ(Convert(cvk::Variant::FromI4(256), VT_UI1, &out), DISP_E_OVERFLOW);
    EXPECT_EQ(Convert(cvk::Variant::FromI4(-129), VT_I1, &out), DISP_E_OVERFLOW);
    EXPECT_EQ(Convert(cvk::Variant::FromR8(2147483647.5), VT_I4, &out), DISP_E_OVERFLOW);
    EXPECT_EQ(Convert(cvk::Variant::FromR8(std::nan("")), VT_I4, &out), DISP_E_OVERFLOW);
    EXPECT_EQ(Convert(cvk::Variant::FromR8(1e300), VT_CY, &out), DISP_E_OVERFLOW);
    // A failed conversion leaves the destination as it was.
    EXPECT_EQ(out.vt(), VT_I4);
    EXPECT_EQ(out.get().lVal, 7);

    ASSERT_EQ(Convert(cvk::Variant::FromR8(2147483646.5), VT_I4, &out), S_OK);
    EXPECT_EQ(out.get().lVal, 2147483646);
    ASSERT_EQ(Convert(cvk::Variant::FromText(u"4294967295"), VT_UI4, &out), S_OK);
    EXPECT_EQ(out.get().ulVal, 4294967295u);
}

TEST(Variant, Booleans) {
    cvk::Variant out;
    ASSERT_EQ(Convert(cvk::Variant::FromBool(true), VT_I4, &out), S_OK);
    EXPECT_EQ(out.get().lVal, -1);
    ASSERT_EQ(Convert(cvk::Variant::FromBool(true), VT_R4, &out), S_OK);
    EXPECT_EQ(out.get().fltVal, -1.0f);
    ASSERT_EQ(Convert(cvk::Variant::FromBool(true), VT_UI1, &out), S_OK);
    EXPECT_EQ(out.get().bVal, 0xFF);
    ASSERT_EQ(Convert(cvk::Variant::FromI4(5), VT_BOOL, &out), S_OK);
    EXPECT_EQ(out.get().boolVal, VARIANT_TRUE);
    ASSERT_EQ(Convert(cvk::Variant::FromR8(0.0), VT_BOOL, &out), S_OK);
    EXPECT_EQ(out.get().boolVal, VARIANT_FALSE);
    ASSERT_EQ(Convert(cvk::Variant::FromText(u" TRUE "), VT_BOOL, &out), S_OK);
    EXPECT_EQ(out.get().boolVal, VARIANT_TRUE);
    ASSERT_EQ(Convert(cvk::Variant::FromText(u"0"), VT_BOOL, &out), S_OK);
    EXPECT_EQ(out.get().boolVal, VARIANT_FALSE);
    EXPECT_EQ(Convert(cvk::Variant::FromText(u"yes"), VT_BOOL, &out), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(TextOf(cvk::Variant::FromBool(true)), u"-1");
    EXPECT_EQ(TextOf(cvk::Variant::FromBool(false)), u"0");
    EXPECT_EQ(TextOf(cvk::Variant::FromBool(true), VARIANT_ALPHABOOL), u"True");
}

TEST(Variant, Currency) {
    cvk::Variant out;
    ASSERT_EQ(Convert(cvk::Variant::FromR8(1.03125), VT_CY, &out), S_OK);
    EXPECT_EQ(out.get().cyVal.int64, 10312); // 10312.5 rounds to even
    ASSERT_EQ(Convert(cvk::Variant::FromR8(1.09375), VT_CY, &out), S_OK);
    EXPECT_EQ(out.get().cyVal.int64, 10938);
    EXPECT_EQ(TextOf(cvk::Variant::FromCurrency(123450)), u"12.345");
    EXPECT_EQ(TextOf(cvk::Variant::FromCurrency(-50000)), u"-5");
    EXPECT_EQ(TextOf(cvk::Variant::FromCurrency(-1)), u"-0.0001");
    EXPECT_EQ(TextOf(cvk::Variant::FromCurrency(std::numeric_limits<LONGLONG>::min())),
              u"-922337203685477.5808");
    ASSERT_EQ(Convert(cvk::Variant::FromCurrency(25000), VT_I4, &out), S_OK);
    EXPECT_EQ(out.get().lVal, 2); // 2.5 to even
    ASSERT_EQ(Convert(cvk::Variant::FromCurrency(-35000), VT_I4, &out), S_OK);
    EXPECT_EQ(out.get().lVal, -4);
    ASSERT_EQ(Convert(cvk::Variant::FromCurrency(15001), VT_I2, &out), S_OK);
    EXPECT_EQ(out.get().iVal, 2);
    ASSERT_EQ(Convert(cvk::Variant::FromI4(-7), VT_CY, &out), S_OK);
    EXPECT_EQ(out.get().cyVal.int64, -70000);
    ASSERT_EQ(Convert(cvk::Variant::FromText(u"1.5"), VT_CY, &out), S_OK);
    EXPECT_EQ(out.get().cyVal.int64, 15000);
    ASSERT_EQ(Convert(cvk::Variant::FromCurrency(15000), VT_R8, &out), S_OK);
    EXPECT_EQ(out.get().dblVal, 1.5);
    EXPECT_EQ(Convert(cvk::Variant::FromCurrency(4'000'000'000LL * 10000), VT_I4, &out),
              DISP_E_OVERFLOW);
}

TEST(Variant, EmptyIntegersAndText) {
    cvk::Variant empty;
    EXPECT_EQ(TextOf(empty), u"");
    cvk::Variant out;
    ASSERT_EQ(Convert(empty, VT_R8, &out), S_OK);
    EXPECT_EQ(out.get().dblVal, 0.0);
    EXPECT_EQ(TextOf(cvk::Variant::FromI4(-2147483647 - 1)), u"-2147483648");
    cvk::Variant text = cvk::Variant::FromText(u"unchanged");
    EXPECT_EQ(TextOf(text), u"unchanged");
    ASSERT_EQ(Convert(text, VT_EMPTY, &out), S_OK);
    EXPECT_EQ(out.vt(), VT_EMPTY);
}

TEST(Variant, Dates) {
    VARIANT date;
    VariantInit(&date);
    date.vt = VT_DATE;
    date.date = 36526.5; // 1 January 2000, noon
    cvk::Variant held = cvk::Variant::Attach(&date);
    EXPECT_EQ(date.vt, VT_EMPTY);
    EXPECT_EQ(TextOf(held), u"2000-01-01 12:00:00");
    cvk::Variant back;
    ASSERT_EQ(Convert(cvk::Variant::FromText(u"2000-01-01 12:00"), VT_DATE, &back), S_OK);
    EXPECT_EQ(back.get().date, 36526.5);
    ASSERT_EQ(Convert(cvk::Variant::FromText(u"1899-12-29"), VT_DATE, &back), S_OK);
    EXPECT_EQ(back.get().date, -1.0);
    EXPECT_EQ(Convert(cvk::Variant::FromText(u"2001-02-29"), VT_DATE, &back), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Convert(cvk::Variant::FromR8(1e9), VT_DATE, &back), DISP_E_OVERFLOW);
}

TEST(Variant, ChangeTypeInPlaceAndCopies) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(u"12");
    ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_I4), S_OK); // frees the text it came from
    EXPECT_EQ(v.vt, VT_I4);
    EXPECT_EQ(v.lVal, 12);
    EXPECT_EQ(VariantChangeType(&v, &v, 0, 99), DISP_E_BADVARTYPE);

    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = nullptr; // a null string reads as empty
    VARIANT copy;
    VariantInit(&copy);
    ASSERT_EQ(VariantCopy(&copy, &text), S_OK);
    EXPECT_EQ(copy.bstrVal, nullptr);
    text.bstrVal = SysAllocStringLen(u"a\0b", 3);
    ASSERT_EQ(VariantCopy(&copy, &text), S_OK);
    EXPECT_NE(copy.bstrVal, text.bstrVal);
    EXPECT_EQ(SysStringLen(copy.bstrVal), 3u);
    VariantClear(&copy);
    VariantClear(&text);
    EXPECT_EQ(text.vt, VT_EMPTY);

    VARIANT odd;
    VariantInit(&odd);
    odd.vt = 9; // an interface pointer type this runtime does not carry
    EXPECT_EQ(VariantClear(&odd), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantCopy(&copy, &odd), DISP_E_BADVARTYPE);

    cvk::Variant a = cvk::Variant::FromText(u"value");
    cvk::Variant b = a;
    EXPECT_NE(a.get().bstrVal, b.get().bstrVal);
    EXPECT_EQ(TextOf(b), u"value");
}

} // namespace
