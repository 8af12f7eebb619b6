// The interface and identifiers of the tests' own component library.
#pragma once

#include "platform/com/unknown.h"

// {6A1F3C2E-0B7D-4E59-9C41-2D8E5F70A3B1}
constexpr CLSID CLSID_TestCounter{
    0x6A1F3C2E, 0x0B7D, 0x4E59, {0x9C, 0x41, 0x2D, 0x8E, 0x5F, 0x70, 0xA3, 0xB1}};
// {43F59FF9-8FAF-4A4F-AE5B-95AAFE89ED90}
constexpr GUID LIBID_TestComponent{
    0x43F59FF9, 0x8FAF, 0x4A4F, {0xAE, 0x5B, 0x95, 0xAA, 0xFE, 0x89, 0xED, 0x90}};
constexpr char16_t kTestCounterProgId[] = u"CvkTest.Counter.1";
constexpr char16_t kTestCounterIndependentProgId[] = u"CvkTest.Counter";

struct ITestCounter : IUnknown {
    static constexpr IID iid{
        0x9E2B7A10, 0x3C4D, 0x4F5E, {0x81, 0x92, 0xA3, 0xB4, 0xC5, 0xD6, 0xE7, 0xF8}};
    virtual HRESULT Increment(LONG* value) = 0;
    // Fails with E_FAIL, publishing source "CvkTest.Counter" and a description.
    virtual HRESULT Refuse() = 0;
    // Fails by throwing inside the library; the boundary turns it into the thrown status.
    virtual HRESULT Throw(HRESULT status) = 0;

protected:
    ~ITestCounter() = default;
};
