// The runtime's error object and the calling thread's slot for it.
#include "platform/com/errorinfo.h"

#include "platform/com/bstr.h"
#include "platform/com/object.h"
#include "platform/text/codepage.h"

namespace {

struct RuntimeModule : cvk::Module<RuntimeModule> {};

class ErrorObject final : public cvk::Object<RuntimeModule, IErrorInfo, ICreateErrorInfo> {
public:
    HRESULT GetGUID(GUID* guid) override {
        if (!guid)
            return E_POINTER;
        *guid = guid_;
        return S_OK;
    }
    HRESULT GetSource(BSTR* source) override { return source_.CopyTo(source); }
    HRESULT GetDescription(BSTR* description) override { return description_.CopyTo(description); }
    HRESULT GetHelpFile(BSTR* helpFile) override { return helpFile_.CopyTo(helpFile); }
    HRESULT GetHelpContext(DWORD* helpContext) override {
        if (!helpContext)
            return E_POINTER;
        *helpContext = helpContext_;
        return S_OK;
    }

    HRESULT SetGUID(const GUID& guid) override {
        guid_ = guid;
        return S_OK;
    }
    HRESULT SetSource(LPCOLESTR source) override { return Assign(source, &source_); }
    HRESULT SetDescription(LPCOLESTR description) override {
        return Assign(description, &description_);
    }
    HRESULT SetHelpFile(LPCOLESTR helpFile) override { return Assign(helpFile, &helpFile_); }
    HRESULT SetHelpContext(DWORD helpContext) override {
        helpContext_ = helpContext;
        return S_OK;
    }

private:
    static HRESULT Assign(LPCOLESTR text, cvk::Bstr* target) {
        return cvk::Boundary(u"ErrorInfo", [&] {
            *target = cvk::Bstr(text);
            return S_OK;
        });
    }

    GUID guid_ = GUID_NULL;
    cvk::Bstr source_;
    cvk::Bstr description_;
    cvk::Bstr helpFile_;
    DWORD helpContext_ = 0;
};

// One slot per thread, in this one runtime library, so that an error set inside any
// component library is the error its caller reads.
cvk::ComPtr<IErrorInfo>& ThreadErrorSlot() {
    thread_local cvk::ComPtr<IErrorInfo> slot;
    return slot;
}

} // namespace

HRESULT CreateErrorInfo(ICreateErrorInfo** errorInfo) {
    return cvk::CreateObject<ErrorObject>(errorInfo);
}

HRESULT SetErrorInfo(ULONG reserved, IErrorInfo* errorInfo) {
    if (reserved != 0)
        return E_INVALIDARG;
    ThreadErrorSlot() = cvk::ComPtr<IErrorInfo>(errorInfo);
    return S_OK;
}

HRESULT GetErrorInfo(ULONG reserved, IErrorInfo** errorInfo) {
    if (!errorInfo)
        return E_POINTER;
    *errorInfo = nullptr;
    if (reserved != 0)
        return E_INVALIDARG;
    *errorInfo = ThreadErrorSlot().detach();
    return *errorInfo ? S_OK : S_FALSE;
}

namespace cvk {

const char* StatusError::what() const noexcept {
    return "automation status";
}

HRESULT ReportError(std::u16string_view source, std::u16string_view description, HRESULT hr,
                    const GUID& iid) {
    // Reporting must not fail the caller's own failure: without memory the slot is cleared.
    try {
        auto error = MakeObject<ErrorObject>();
        error->SetGUID(iid);
        error->SetSource(std::u16string(source).c_str());
        error->SetDescription(std::u16string(description).c_str());
        ComPtr<IErrorInfo> info(static_cast<IErrorInfo*>(error.get()));
        SetErrorInfo(0, info.get());
    } catch (...) {
        SetErrorInfo(0, nullptr);
    }
    return hr;
}

bool TakeErrorText(ErrorText* text) {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) != S_OK || !info)
        return false;
    Bstr source;
    Bstr description;
    info->GetSource(source.put());
    info->GetDescription(description.put());
    if (text) {
        try {
            text->source = source.str();
            text->description = description.str();
        } catch (...) {
            return false;
        }
    }
    return true;
}

std::u16string TakeErrorDescription() {
    ErrorText text;
    return TakeErrorText(&text) ? text.description : std::u16string();
}

HRESULT StatusFromException(std::u16string_view source) noexcept {
    try {
        throw;
    } catch (const StatusError& e) {
        return ReportError(source, e.description(), e.status());
    } catch (const std::bad_alloc&) {
        return ReportError(source, u"Out of memory.", E_OUTOFMEMORY);
    } catch (const std::exception& e) {
        std::u16string description;
        try {
            description = text::Utf8ToUtf16(e.what());
        } catch (...) {
        }
        return ReportError(source, description, E_FAIL);
    } catch (...) {
        return ReportError(source, u"Unexpected failure.", E_FAIL);
    }
}

} // namespace cvk
