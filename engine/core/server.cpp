// The server: creating, opening, saving, changing, updating and closing the current workspace.
#include "engine/core/server.h"

#include "engine/core/module_engine.h"
#include "engine/core/version.h"
#include "platform/com/errorinfo.h"
#include "platform/storage/atomic_file.h"
#include "platform/storage/compound_file.h"
#include "platform/text/codepage.h"

namespace cvk {
namespace {

constexpr char16_t kStreamName[] = u"cvkData";

std::string Utf8Path(BSTR path) {
    return text::Utf16ToUtf8(Bstr(path).view());
}

} // namespace

HRESULT Server::InvalidSubsystems() const {
    return ReportError(kServerErrorSource, u"Invalid request for subsystems.", E_ACCESSDENIED,
                       IServer::iid);
}

HRESULT Server::ReadBiosID(BSTR, BSTR* id) {
    if (!id)
        return E_POINTER;
    *id = nullptr;
    return S_OK;
}

HRESULT Server::get_Version(BSTR* version) {
    if (!version)
        return E_POINTER;
    return Boundary(kServerErrorSource, [&] {
        *version = SysAllocString(text::Utf8ToUtf16(EngineVersionText()).c_str());
        return *version ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT Server::NewWorkspace(LONG subsystemMask, BSTR mapFile, IWorkspace** workspace) {
    if (current_)
        return E_FAIL;
    if (!workspace)
        return E_POINTER;
    *workspace = nullptr;
    if (subsystemMask & ~SUBSYS_AVAILABLE)
        return InvalidSubsystems();
    if (subsystemMask & SUBSYS_FLEX) {
        VARIANT_BOOL isFlex = VARIANT_FALSE;
        const HRESULT hr = IsFlexBios(mapFile, &isFlex);
        CVK_RETURN_IF_FAILED(hr);
        if (hr == S_FALSE)
            return E_ACCESSDENIED; // the error info says why the image cannot be read
        if (!isFlex)
            return InvalidSubsystems();
    }
    return Boundary(kServerErrorSource, [&]() -> HRESULT {
        auto created = MakeObject<Workspace>();
        current_ = created;
        const HRESULT hr = created->InitSubsystems(subsystemMask, mapFile);
        if (FAILED(hr)) {
            current_ = nullptr;
            return hr;
        }
        *workspace = created.get();
        (*workspace)->AddRef();
        return S_OK;
    });
}

HRESULT Server::OpenWorkspace(BSTR fileName, IWorkspace** workspace) {
    if (!workspace)
        return E_POINTER;
    *workspace = nullptr;
    if (SysStringLen(fileName) == 0)
        return E_FAIL;
    return Boundary(kServerErrorSource, [&]() -> HRESULT {
        // A save that was killed left its temporary file beside the workspace.
        storage::RemoveStaleTemporaries(Utf8Path(fileName));
        ComPtr<IStorage> storage;
        CVK_RETURN_IF_FAILED(StgOpenStorage(Utf8Path(fileName).c_str(),
                                            STGM_READ | STGM_SHARE_EXCLUSIVE, storage.put()));
        ComPtr<IStream> stream;
        CVK_RETURN_IF_FAILED(
            storage->OpenStream(kStreamName, STGM_READ | STGM_SHARE_EXCLUSIVE, stream.put()));
        auto opened = MakeObject<Workspace>();
        current_ = opened;
        const HRESULT hr = opened->Load(stream.get());
        if (FAILED(hr)) {
            current_ = nullptr;
            return hr;
        }
        *workspace = opened.get();
        (*workspace)->AddRef();
        return S_OK;
    });
}

HRESULT Server::SaveWorkspace(IWorkspace* workspace, BSTR fileName) {
    if (!workspace)
        return E_POINTER;
    if (SysStringLen(fileName) == 0 || !current_)
        return E_FAIL;
    return Boundary(kServerErrorSource, [&]() -> HRESULT {
        // The compound file replaces the target only when it is committed, so a failed save
        // leaves the previous file as it was.
        ComPtr<IStorage> storage;
        CVK_RETURN_IF_FAILED(StgCreateDocfile(Utf8Path(fileName).c_str(),
                                              STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                              storage.put()));
        ComPtr<IStream> stream;
        CVK_RETURN_IF_FAILED(storage->CreateStream(
            kStreamName, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, stream.put()));
        VARIANT_BOOL changed = VARIANT_TRUE;
        CVK_RETURN_IF_FAILED(current_->get_RequiresSave(&changed));
        HRESULT hr = current_->Save(stream.get(), TRUE);
        if (SUCCEEDED(hr))
            hr = stream->Commit(STGC_DEFAULT);
        if (SUCCEEDED(hr))
            hr = storage->Commit(STGC_DEFAULT);
        // Saving cleared the flags; a file that was not written leaves the edits unsaved.
        if (FAILED(hr) && changed)
            current_->MarkChanged();
        return hr;
    });
}

HRESULT Server::CloseWorkspace(IWorkspace*) {
    current_ = nullptr;
    return S_OK;
}

HRESULT Server::ChangeWorkspace(IWorkspace* workspace, LONG subsystemMask) {
    if (!workspace)
        return E_POINTER;
    if (!current_)
        return E_FAIL;
    if (subsystemMask & ~SUBSYS_AVAILABLE)
        return InvalidSubsystems();
    if (subsystemMask & SUBSYS_FLEX) {
        VARIANT_BOOL available = VARIANT_FALSE;
        CVK_RETURN_IF_FAILED(current_->IsFlexAvailable(&available));
        if (!available)
            return InvalidSubsystems();
    }
    return FAILED(current_->ChangeSubsystems(subsystemMask)) ? E_FAIL : S_OK;
}

HRESULT Server::UpdateWorkspace(IWorkspace*, BSTR fileName) {
    if (!current_)
        return E_FAIL;
    return Boundary(kServerErrorSource,
                    [&] { return current_->UpdateMapFile(Bstr::CopyOf(fileName)); });
}

HRESULT Server::get_AvailableSubSystems(LONG* mask) {
    if (!mask)
        return E_POINTER;
    *mask = SUBSYS_AVAILABLE;
    return S_OK;
}

HRESULT Server::get_Valid(VARIANT_BOOL* valid) {
    if (!valid)
        return E_POINTER;
    *valid = valid_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT Server::MaskValue(LONG value, LONG* mask) const {
    if (!mask)
        return E_POINTER;
    if (!valid_)
        return E_FAIL;
    *mask = value;
    return S_OK;
}

HRESULT Server::get_SUB_SYS_MASK_CMOS(LONG* mask) {
    return MaskValue(SUBSYS_CMOS, mask);
}
HRESULT Server::get_SUB_SYS_MASK_SMBIOS(LONG* mask) {
    return MaskValue(SUBSYS_SMBIOS, mask);
}
HRESULT Server::get_SUB_SYS_MASK_ENVCTL(LONG* mask) {
    return MaskValue(SUBSYS_ENVCTL, mask);
}
HRESULT Server::get_SUB_SYS_MASK_SPLASH(LONG* mask) {
    return MaskValue(SUBSYS_SPLASH, mask);
}
HRESULT Server::get_SUB_SYS_MASK_BOM(LONG* mask) {
    return MaskValue(SUBSYS_BOM, mask);
}
HRESULT Server::get_SUB_SYS_MASK_FLEX(LONG* mask) {
    return MaskValue(SUBSYS_FLEX, mask);
}

HRESULT Server::get_ModweaveVersion(BSTR* version) {
    if (!version)
        return E_POINTER;
    *version = nullptr;
    ComPtr<IModweaveEngine> engine;
    CVK_RETURN_IF_FAILED(CreateModuleEngine(&engine));
    return engine->get_EngineVersion(version);
}

HRESULT Server::IsFlexBios(BSTR mapFile, VARIANT_BOOL* isFlex) {
    if (!isFlex)
        return E_POINTER;
    *isFlex = VARIANT_FALSE;
    return Boundary(kServerErrorSource, [&]() -> HRESULT {
        Bstr image(FlashImagePathOf(Bstr(mapFile).view()));
        if (!FileExists(image.view()))
            return S_OK;
        ComPtr<IModweaveEngine> engine;
        CVK_RETURN_IF_FAILED(CreateModuleEngine(&engine));
        VARIANT_BOOL loaded = VARIANT_FALSE;
        const HRESULT hr = engine->OpenFlashImage(image.get(), &loaded);
        CVK_RETURN_IF_FAILED(hr);
        *isFlex = loaded ? VARIANT_TRUE : VARIANT_FALSE;
        return hr; // S_FALSE with the module engine's error info: the image cannot be read
    });
}

} // namespace cvk
