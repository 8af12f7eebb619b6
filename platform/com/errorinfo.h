// Per-thread error information: the source and text a failing call leaves for its caller.
#pragma once

#include "platform/com/comptr.h"
#include "platform/com/types.h"

#include <exception>
#include <new>
#include <string>
#include <string_view>

struct IErrorInfo : IUnknown {
    static constexpr IID iid{
        0x1CF2B120, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
    // The interface that defined the error (GUID_NULL when none was given).
    virtual HRESULT GetGUID(GUID* guid) = 0;
    // The class identifier's text or the class name of the object that failed.
    virtual HRESULT GetSource(BSTR* source) = 0;
    virtual HRESULT GetDescription(BSTR* description) = 0;
    virtual HRESULT GetHelpFile(BSTR* helpFile) = 0;
    virtual HRESULT GetHelpContext(DWORD* helpContext) = 0;

protected:
    ~IErrorInfo() = default;
};

struct ICreateErrorInfo : IUnknown {
    static constexpr IID iid{
        0x22F03340, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
    virtual HRESULT SetGUID(const GUID& guid) = 0;
    virtual HRESULT SetSource(LPCOLESTR source) = 0;
    virtual HRESULT SetDescription(LPCOLESTR description) = 0;
    virtual HRESULT SetHelpFile(LPCOLESTR helpFile) = 0;
    virtual HRESULT SetHelpContext(DWORD helpContext) = 0;

protected:
    ~ICreateErrorInfo() = default;
};

// Tells a caller whether an interface of the object publishes error information.
struct ISupportErrorInfo : IUnknown {
    static constexpr IID iid{
        0xDF0B3D60, 0x548F, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
    // S_OK when it does, S_FALSE when it does not.
    virtual HRESULT InterfaceSupportsErrorInfo(REFIID riid) = 0;

protected:
    ~ISupportErrorInfo() = default;
};

// A new, empty error object that also answers IErrorInfo.
CVK_COM_API HRESULT CreateErrorInfo(ICreateErrorInfo** errorInfo);
// Replaces the calling thread's error object (null clears it). `reserved` must be 0.
CVK_COM_API HRESULT SetErrorInfo(ULONG reserved, IErrorInfo* errorInfo);
// Hands the calling thread's error object to the caller and clears it, as reading it does on
// the platform: S_OK with the object, S_FALSE with null when there is none.
CVK_COM_API HRESULT GetErrorInfo(ULONG reserved, IErrorInfo** errorInfo);

namespace cvk {

// Sets the thread's error object to `source` and `description` and returns `hr`, so that a
// method can write `return ReportError(u"Workspace", u"text", E_FAIL);`.
CVK_COM_API HRESULT ReportError(std::u16string_view source, std::u16string_view description,
                                HRESULT hr, const GUID& iid = GUID_NULL);

// What a caller reads after a failed call: the thread's error object taken apart.
struct ErrorText {
    std::u16string source;
    std::u16string description;
};
// Takes (and clears) the thread's error object; false when there is none.
CVK_COM_API bool TakeErrorText(ErrorText* text);
// The description of the thread's error object, taken from it; empty when there is none.
CVK_COM_API std::u16string TakeErrorDescription();

// Thrown inside an implementation to fail with a status and text; Boundary turns it back.
// Exported with an out-of-line key function so that its type is one across libraries.
class CVK_COM_API StatusError : public std::exception {
public:
    StatusError(HRESULT hr, std::u16string description)
        : hr_(hr), description_(std::move(description)) {}
    HRESULT status() const { return hr_; }
    const std::u16string& description() const { return description_; }
    const char* what() const noexcept override;

private:
    HRESULT hr_;
    std::u16string description_;
};

// Turns the exception in flight into a status and error text (source as given).
CVK_COM_API HRESULT StatusFromException(std::u16string_view source) noexcept;

// Runs an interface method's body so that no exception leaves it: std::bad_alloc becomes
// E_OUTOFMEMORY, StatusError its own status, anything else E_FAIL, each with error info.
template <class Body> HRESULT Boundary(std::u16string_view source, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return StatusFromException(source);
    }
}

} // namespace cvk

// Returns a failing status from the enclosing function.
#define CVK_RETURN_IF_FAILED(expr)                                                                 \
    do {                                                                                           \
        HRESULT cvk_hr_ = (expr);                                                                  \
        if (FAILED(cvk_hr_))                                                                       \
            return cvk_hr_;                                                                        \
    } while (0)
