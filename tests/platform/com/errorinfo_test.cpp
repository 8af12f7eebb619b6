// Per-thread error information and the exception boundary.
#include "platform/com/errorinfo.h"

#include "platform/com/bstr.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

namespace {

TEST(ErrorInfo, ReadingTakesTheErrorAway) {
    EXPECT_EQ(cvk::ReportError(u"CvkServer.Workspace", u"The map file is missing.", E_FAIL),
              E_FAIL);
    cvk::ComPtr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
    cvk::Bstr source;
    cvk::Bstr description;
    ASSERT_EQ(info->GetSource(source.put()), S_OK);
    ASSERT_EQ(info->GetDescription(description.put()), S_OK);
    EXPECT_EQ(source.view(), u"CvkServer.Workspace");
    EXPECT_EQ(description.view(), u"The map file is missing.");
    cvk::ComPtr<IErrorInfo> again;
    EXPECT_EQ(GetErrorInfo(0, again.put()), S_FALSE);
    EXPECT_FALSE(again);
}

TEST(ErrorInfo, CreatedObjectsAndClearing) {
    cvk::ComPtr<ICreateErrorInfo> create;
    ASSERT_EQ(CreateErrorInfo(create.put()), S_OK);
    create->SetSource(u"{BDF56E22-9188-446D-834D-CE97A59D45E0}");
    create->SetDescription(u"Text");
    cvk::ComPtr<IErrorInfo> info;
    ASSERT_EQ(create.As(&info), S_OK);
    ASSERT_EQ(SetErrorInfo(0, info.get()), S_OK);
    ASSERT_EQ(SetErrorInfo(0, nullptr), S_OK); // replaced by nothing
    cvk::ErrorText text;
    EXPECT_FALSE(cvk::TakeErrorText(&text));

    ASSERT_EQ(SetErrorInfo(0, info.get()), S_OK);
    ASSERT_TRUE(cvk::TakeErrorText(&text));
    EXPECT_EQ(text.source, u"{BDF56E22-9188-446D-834D-CE97A59D45E0}");
    EXPECT_EQ(text.description, u"Text");
    EXPECT_EQ(SetErrorInfo(1, info.get()), E_INVALIDARG);
    EXPECT_EQ(GetErrorInfo(0, nullptr), E_POINTER);
}

TEST(ErrorInfo, EachThreadHasItsOwn) {
    cvk::ReportError(u"Main", u"main thread", E_FAIL);
    bool otherSawNothing = false;
    cvk::ErrorText otherText;
    std::thread other([&] {
        cvk::ErrorText text;
        otherSawNothing = !cvk::TakeErrorText(&text);
        cvk::ReportError(u"Other", u"other thread", E_ACCESSDENIED);
        cvk::TakeErrorText(&otherText);
        cvk::ReportError(u"Other", u"left behind at thread exit", E_FAIL);
    });
    other.join();
    EXPECT_TRUE(otherSawNothing);
    EXPECT_EQ(otherText.description, u"other thread");
    cvk::ErrorText text;
    ASSERT_TRUE(cvk::TakeErrorText(&text));
    EXPECT_EQ(text.source, u"Main");
    EXPECT_EQ(text.description, u"main thread");
}

TEST(Boundary, TurnsExceptionsIntoStatusAndErrorText) {
    cvk::ErrorText text;
    EXPECT_EQ(cvk::Boundary(u"Src", [] { return S_FALSE; }), S_FALSE);
    EXPECT_FALSE(cvk::TakeErrorText(&text));

    EXPECT_EQ(cvk::Boundary(u"Src", []() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
    ASSERT_TRUE(cvk::TakeErrorText(&text));
    EXPECT_EQ(text.source, u"Src");

    EXPECT_EQ(cvk::Boundary(u"Src",
                            []() -> HRESULT {
                                throw cvk::StatusError(MakeStatus(0x80040403), u"Malformed.");
                            }),
              MakeStatus(0x80040403));
    ASSERT_TRUE(cvk::TakeErrorText(&text));
    EXPECT_EQ(text.description, u"Malformed.");

    EXPECT_EQ(cvk::Boundary(u"Src", []() -> HRESULT { throw std::runtime_error("bad thing"); }),
              E_FAIL);
    ASSERT_TRUE(cvk::TakeErrorText(&text));
    EXPECT_EQ(text.description, u"bad thing");

    EXPECT_EQ(cvk::Boundary(u"Src", []() -> HRESULT { throw 42; }), E_FAIL);
    EXPECT_TRUE(cvk::TakeErrorText(&text));
}

HRESULT FailsThenStops(int* reached) {
    CVK_RETURN_IF_FAILED(S_OK);
    ++*reached;
    CVK_RETURN_IF_FAILED(E_ACCESSDENIED);
    ++*reached;
    return S_OK;
}

TEST(Boundary, ReturnIfFailedStopsAtTheFirstFailure) {
    int reached = 0;
    EXPECT_EQ(FailsThenStops(&reached), E_ACCESSDENIED);
    EXPECT_EQ(reached, 1);
}

} // namespace
