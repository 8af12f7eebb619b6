// The module engine object, its module collection, module objects and logo object.
#include "modweave/engine.h"

#include "modweave/engine_state.h"
#include "modweave/picture_info.h"
#include "platform/com/bstr.h"
#include "platform/com/classfactory.h"
#include "platform/storage/atomic_file.h"
#include "platform/text/codepage.h"

#include <filesystem>
#include <fstream>
#include <memory>

namespace modweave {
namespace {

using StatePtr = std::shared_ptr<EngineState>;

// A logo file larger than this is refused rather than read: no flash part holds it.
constexpr std::uintmax_t kMaxPictureBytes = 16u << 20;

VARIANT_BOOL Bool(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

HRESULT CopyText(std::u16string_view text, BSTR* out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return cvk::Bstr(text).CopyTo(out);
}

HRESULT Report(std::u16string text, HRESULT hr, const IID& iid) {
    return cvk::ReportError(kEngineSource, text, hr, iid);
}

std::u16string Text(const std::string& utf8) {
    return cvk::text::Utf8ToUtf16(utf8);
}

// ---- logo ----

class Logo : public cvk::Object<EngineModule, IModweaveLogo, ISupportErrorInfo> {
public:
    explicit Logo(StatePtr state) : state_(std::move(state)) {}

    HRESULT get_BadgeX(LONG* x) override { return GetNumber(x, logo().badgeX); }
    HRESULT put_BadgeX(LONG x) override { return PutPosition(x, &logo().badgeX); }
    HRESULT get_BadgeY(LONG* y) override { return GetNumber(y, logo().badgeY); }
    HRESULT put_BadgeY(LONG y) override { return PutPosition(y, &logo().badgeY); }
    HRESULT get_DisplayBadge(VARIANT_BOOL* display) override {
        if (!display)
            return E_POINTER;
        *display = Bool(logo().displayBadge);
        return S_OK;
    }
    HRESULT put_DisplayBadge(VARIANT_BOOL display) override {
        MarkIfChanged(logo().displayBadge != (display != 0));
        logo().displayBadge = display != 0;
        return S_OK;
    }
    HRESULT get_ImageName(BSTR* name) override {
        return cvk::Boundary(kEngineSource, [&] { return CopyText(Text(logo().imageName), name); });
    }
    HRESULT get_Resolution(LONG* resolution) override {
        return GetNumber(resolution, logo().resolution);
    }
    HRESULT put_Resolution(LONG resolution) override {
        if (resolution < 0 || resolution > 2)
            return Report(u"The logo resolution must be 0, 1 or 2.", E_INVALIDARG,
                          IModweaveLogo::iid);
        MarkIfChanged(logo().resolution != resolution);
        logo().resolution = static_cast<std::uint8_t>(resolution);
        return S_OK;
    }
    HRESULT SetImageFromFile(BSTR fileName) override {
        return cvk::Boundary(kEngineSource, [&] { return ReadPicture(cvk::Bstr(fileName)); });
    }
    HRESULT ClearImage() override {
        MarkIfChanged(!logo().imageBytes.empty() || !logo().imageName.empty());
        logo().imageBytes.clear();
        logo().imageName.clear();
        return S_OK;
    }

private:
    LogoSettings& logo() { return state_->image.logo; }
    void MarkIfChanged(bool changed) { state_->changed = state_->changed || changed; }

    static HRESULT GetNumber(LONG* out, std::uint32_t value) {
        if (!out)
            return E_POINTER;
        *out = static_cast<LONG>(value);
        return S_OK;
    }
    HRESULT PutPosition(LONG value, std::uint32_t* field) {
        if (value < 0)
            return Report(u"A badge position cannot be negative.", E_INVALIDARG,
                          IModweaveLogo::iid);
        MarkIfChanged(*field != static_cast<std::uint32_t>(value));
        *field = static_cast<std::uint32_t>(value);
        return S_OK;
    }

    HRESULT ReadPicture(const cvk::Bstr& fileName) {
        if (fileName.empty())
            return Report(u"No logo file was named.", E_INVALIDARG, IModweaveLogo::iid);
        std::filesystem::path path(fileName.utf8());
        std::u16string shown = u"The logo file " + fileName.str();
        std::error_code ec;
        if (!std::filesystem::exists(path, ec))
            return Report(shown + u" does not exist.", STG_E_FILENOTFOUND, IModweaveLogo::iid);
        std::uintmax_t size = std::filesystem::file_size(path, ec);
        if (ec || !std::filesystem::is_regular_file(path, ec))
            return Report(shown + u" cannot be read.", STG_E_READFAULT, IModweaveLogo::iid);
        if (size > kMaxPictureBytes)
            return Report(shown + u" is larger than 16 MB.", MODWEAVE_E_PICTUREFORMAT,
                          IModweaveLogo::iid);
        std::string bytes(static_cast<std::size_t>(size), '\0');
        std::ifstream in(path, std::ios::binary);
        in.read(bytes.data(), static_cast<std::streamsize>(size));
        if (!in || static_cast<std::uintmax_t>(in.gcount()) != size)
            return Report(shown + u" cannot be read.", STG_E_READFAULT, IModweaveLogo::iid);
        if (ProbePicture(bytes).format == PictureFormat::Unknown)
            return Report(shown + u" is not a JPEG or BMP picture, or it is damaged or cut short.",
                          MODWEAVE_E_PICTUREFORMAT, IModweaveLogo::iid);
        logo().imageBytes = std::move(bytes);
        logo().imageName = fileName.utf8();
        state_->changed = true;
        return S_OK;
    }

    StatePtr state_;
};

// ---- module ----

class ModuleObject : public cvk::Object<EngineModule, IModweaveModule, ISupportErrorInfo> {
public:
    ModuleObject(StatePtr state, std::size_t index)
        : state_(std::move(state)), index_(index), generation_(state_->generation) {}

    HRESULT get_Required(VARIANT_BOOL* v) override {
        return Answer(v, [](const Module& m) { return Bool(m.required); });
    }
    HRESULT get_UserUpdateable(VARIANT_BOOL* v) override {
        return Answer(v, [](const Module& m) { return Bool(m.userUpdateable); });
    }
    HRESULT get_ShortDescription(BSTR* text) override { return Description(text, false); }
    HRESULT get_LongDescription(BSTR* text) override { return Description(text, true); }
    HRESULT get_Handle(LONG* handle) override {
        return Answer(handle, [](const Module& m) { return static_cast<LONG>(m.handle); });
    }
    HRESULT get_Size(LONG* bytes) override {
        return Answer(bytes, [&](const Module&) {
            return static_cast<LONG>(ModuleSize(state_->image, index_));
        });
    }
    HRESULT get_Selected(VARIANT_BOOL* v) override {
        return Answer(v, [](const Module& m) { return Bool(m.selected); });
    }
    HRESULT put_Selected(VARIANT_BOOL selected) override {
        Module* m = Current();
        if (!m)
            return Stale();
        // Only the choice is recorded; the selection rules are checked by SelectionValid.
        state_->changed = state_->changed || m->selected != (selected != 0);
        m->selected = selected != 0;
        return S_OK;
    }
    HRESULT get_DependencyCount(LONG* count) override {
        return Answer(count, [](const Module& m) { return static_cast<LONG>(m.deps.size()); });
    }
    HRESULT GetDependency(LONG index, LONG* handle) override {
        if (!handle)
            return E_POINTER;
        Module* m = Current();
        if (!m)
            return Stale();
        if (index < 0 || static_cast<std::size_t>(index) >= m->deps.size())
            return Report(u"No dependency has that index.", E_INVALIDARG, IModweaveModule::iid);
        *handle = static_cast<LONG>(m->deps[static_cast<std::size_t>(index)]);
        return S_OK;
    }
    HRESULT get_Type(LONG* type) override {
        return Answer(type, [](const Module& m) { return static_cast<LONG>(m.type); });
    }
    HRESULT get_ContainsUserData(VARIANT_BOOL* v) override {
        return Answer(v,
                      [&](const Module&) { return Bool(ContainsUserData(state_->image, index_)); });
    }
    HRESULT get_Default(VARIANT_BOOL* v) override {
        return Answer(v, [](const Module& m) { return Bool(m.isDefault); });
    }
    HRESULT get_Logo(IModweaveLogo** logo) override {
        if (!logo)
            return E_POINTER;
        *logo = nullptr;
        Module* m = Current();
        if (!m)
            return Stale();
        if (m->type != static_cast<std::uint32_t>(MODWEAVE_TYPE_LOGO))
            return E_NOINTERFACE;
        return cvk::CreateObject<Logo>(logo, state_);
    }

private:
    Module* Current() {
        if (state_->generation != generation_ || index_ >= state_->image.modules.size())
            return nullptr;
        return &state_->image.modules[index_];
    }
    HRESULT Stale() {
        return Report(u"The module belongs to a flash image that is no longer open.", E_UNEXPECTED,
                      IModweaveModule::iid);
    }
    template <class T, class Get> HRESULT Answer(T* out, Get&& get) {
        if (!out)
            return E_POINTER;
        Module* m = Current();
        if (!m)
            return Stale();
        *out = get(*m);
        return S_OK;
    }
    HRESULT Description(BSTR* text, bool isLong) {
        if (!text)
            return E_POINTER;
        *text = nullptr;
        Module* m = Current();
        if (!m)
            return Stale();
        return cvk::Boundary(kEngineSource, [&] {
            return CopyText(cvk::text::DecodeWindows1252(isLong ? m->longDesc : m->shortDesc),
                            text);
        });
    }

    StatePtr state_;
    std::size_t index_;
    std::uint64_t generation_;
};

// ---- collection ----

class ModuleCollection : public cvk::Object<EngineModule, IModweaveModules, ISupportErrorInfo> {
public:
    explicit ModuleCollection(StatePtr state) : state_(std::move(state)) {}

    HRESULT get_Count(LONG* count) override {
        if (!count)
            return E_POINTER;
        *count = static_cast<LONG>(state_->image.modules.size());
        return S_OK;
    }
    HRESULT GetItem(LONG index, IModweaveModule** module) override {
        if (!module)
            return E_POINTER;
        *module = nullptr;
        if (index < 0 || static_cast<std::size_t>(index) >= state_->image.modules.size())
            return Report(u"No module has that index.", E_INVALIDARG, IModweaveModules::iid);
        return cvk::CreateObject<ModuleObject>(module, state_, static_cast<std::size_t>(index));
    }
    HRESULT GetByHandle(LONG handle, IModweaveModule** module) override {
        if (!module)
            return E_POINTER;
        *module = nullptr;
        const auto& modules = state_->image.modules;
        for (std::size_t i = 0; i < modules.size(); ++i)
            if (modules[i].handle == static_cast<std::uint32_t>(handle))
                return cvk::CreateObject<ModuleObject>(module, state_, i);
        return Report(u"No module has that handle.", E_INVALIDARG, IModweaveModules::iid);
    }

private:
    StatePtr state_;
};

// ---- engine ----

HRESULT ReadAll(IStream* stream, void* buffer, ULONG size) {
    auto* at = static_cast<char*>(buffer);
    while (size > 0) {
        ULONG read = 0;
        HRESULT hr = stream->Read(at, size, &read);
        if (FAILED(hr))
            return hr;
        if (read == 0 || read > size)
            return S_FALSE; // ran out
        at += read;
        size -= read;
    }
    return S_OK;
}

// Bytes between the stream's position and its end, which bound what a record may claim.
HRESULT RemainingBytes(IStream* stream, ULONGLONG* remaining) {
    ULONGLONG position = 0;
    ULONGLONG size = 0;
    CVK_RETURN_IF_FAILED(stream->Seek(0, STREAM_SEEK_CUR, &position));
    CVK_RETURN_IF_FAILED(stream->GetSize(&size));
    *remaining = size > position ? size - position : 0;
    return S_OK;
}

class Engine : public cvk::Object<EngineModule, IModweaveEngine, ISupportErrorInfo> {
public:
    static constexpr CLSID clsid = CLSID_ModweaveEngine;

    Engine() : state_(std::make_shared<EngineState>()) {}

    HRESULT Initialize(LONG options) override {
        if (options != -1)
            return Report(u"The module engine is initialised with -1.", E_INVALIDARG,
                          IModweaveEngine::iid);
        return S_OK;
    }
    HRESULT get_FlashPartSize(LONG* bytes) override {
        if (!bytes)
            return E_POINTER;
        *bytes = static_cast<LONG>(state_->flashPartSize);
        return S_OK;
    }
    HRESULT put_FlashPartSize(LONG bytes) override {
        if (bytes < 0)
            return Report(u"The flash part size cannot be negative.", E_INVALIDARG,
                          IModweaveEngine::iid);
        state_->changed = state_->changed || state_->flashPartSize != static_cast<ULONG>(bytes);
        state_->flashPartSize = static_cast<std::uint32_t>(bytes);
        return S_OK;
    }
    HRESULT get_Modules(IModweaveModules** modules) override {
        return cvk::CreateObject<ModuleCollection>(modules, state_);
    }
    HRESULT get_RequiredSpace(LONG* bytes) override {
        if (!bytes)
            return E_POINTER;
        std::uint64_t space = state_->loaded ? RequiredSpace(state_->image) : 0;
        *bytes = static_cast<LONG>(std::min<std::uint64_t>(space, kMaxSize));
        return S_OK;
    }
    HRESULT get_ImageVersion(BSTR* version) override {
        return cvk::Boundary(kEngineSource, [&] {
            return CopyText(cvk::text::DecodeWindows1252(state_->image.version), version);
        });
    }
    HRESULT CreateUpdateFile(BSTR fileName) override {
        return cvk::Boundary(kEngineSource, [&] { return WriteUpdate(cvk::Bstr(fileName)); });
    }
    HRESULT get_SelectionValid(VARIANT_BOOL* valid) override {
        if (!valid)
            return E_POINTER;
        *valid = Bool(SelectionValid(*state_));
        return S_OK;
    }
    HRESULT SelectDefaults() override {
        for (const Module& m : state_->image.modules)
            state_->changed = state_->changed || m.selected != m.isDefault;
        modweave::SelectDefaults(&state_->image);
        return S_OK;
    }
    HRESULT get_EngineVersion(BSTR* version) override {
        return cvk::Boundary(kEngineSource, [&] { return CopyText(kEngineVersion, version); });
    }
    HRESULT OpenFlashImage(BSTR fileName, VARIANT_BOOL* loaded) override {
        if (!loaded)
            return E_POINTER;
        *loaded = VARIANT_FALSE;
        return cvk::Boundary(kEngineSource, [&] { return Open(cvk::Bstr(fileName), loaded); });
    }
    HRESULT get_Changed(VARIANT_BOOL* changed) override {
        if (!changed)
            return E_POINTER;
        *changed = Bool(state_->changed);
        return S_OK;
    }
    HRESULT SaveState(IStream* stream, VARIANT_BOOL clearChanged) override {
        if (!stream)
            return E_POINTER;
        return cvk::Boundary(kEngineSource, [&] { return Save(stream, clearChanged != 0); });
    }
    HRESULT LoadState(IStream* stream) override {
        if (!stream)
            return E_POINTER;
        return cvk::Boundary(kEngineSource, [&] { return Load(stream); });
    }

private:
    HRESULT Open(const cvk::Bstr& fileName, VARIANT_BOOL* loaded) {
        if (fileName.empty())
            return S_OK;
        Image image;
        ReadResult result = ReadImageFile(fileName.utf8(), &image);
        if (result.status == ReadStatus::Unreadable)
            return Report(Text(result.message), STG_E_READFAULT, IModweaveEngine::iid);
        // A file that is not a modular image answers "not loaded"; so does a damaged one, and the
        // engine keeps what it had, but S_FALSE and the error info say what is wrong with it.
        if (result.status == ReadStatus::Damaged)
            return Report(u"The flash image \"" + std::u16string(fileName.view()) +
                              u"\" cannot be read: " + Text(result.message) + u".",
                          S_FALSE, IModweaveEngine::iid);
        if (!result.ok())
            return S_OK;
        EngineState& s = *state_;
        if (image.flashPartSize > 0)
            s.flashPartSize = image.flashPartSize;
        s.image = std::move(image);
        s.loaded = true;
        s.changed = true;
        ++s.generation;
        *loaded = VARIANT_TRUE;
        return S_OK;
    }

    HRESULT WriteUpdate(const cvk::Bstr& fileName) {
        if (!state_->loaded)
            return Report(u"No flash image is open.", MODWEAVE_E_NOIMAGE, IModweaveEngine::iid);
        std::string why;
        if (!SelectionValid(*state_, &why))
            return Report(u"The module selection is not a valid update. " + Text(why),
                          E_ACCESSDENIED, IModweaveEngine::iid);
        std::u16string failure =
            u"The BIOS update file \"" + fileName.str() + u"\" cannot be written.";
        if (fileName.empty())
            return Report(failure, MODWEAVE_E_WRITEFILE, IModweaveEngine::iid);
        std::string path = fileName.utf8();
        std::vector<std::string> files;
        std::vector<std::string> names{std::filesystem::path(path).filename().string()};
        if (!EncodeImageFiles(UpdateImage(*state_), names, &files, &why))
            return Report(failure + u" " + Text(why), MODWEAVE_E_WRITEFILE, IModweaveEngine::iid);
        if (FAILED(cvk::storage::WriteFileAtomically(path, files[0])))
            return Report(failure, MODWEAVE_E_WRITEFILE, IModweaveEngine::iid);
        return S_OK;
    }

    HRESULT Save(IStream* stream, bool clearChanged) {
        std::string record = EncodeState(*state_);
        if (record.size() > kMaxSize)
            return Report(u"The module engine state is too large.", E_OUTOFMEMORY,
                          IModweaveEngine::iid);
        ULONG written = 0;
        HRESULT hr = stream->Write(record.data(), static_cast<ULONG>(record.size()), &written);
        if (FAILED(hr))
            return Report(u"The module engine state cannot be written.", hr, IModweaveEngine::iid);
        if (written != record.size())
            return Report(u"The module engine state cannot be written.", STG_E_WRITEFAULT,
                          IModweaveEngine::iid);
        if (clearChanged)
            state_->changed = false;
        return S_OK;
    }

    HRESULT Load(IStream* stream) {
        auto damaged = [&](const std::string& why) {
            return Report(u"The saved module engine state is damaged: " + Text(why) + u".",
                          MODWEAVE_E_STATEFORMAT, IModweaveEngine::iid);
        };
        std::string header(kStateHeaderSize, '\0');
        HRESULT hr = ReadAll(stream, header.data(), kStateHeaderSize);
        if (FAILED(hr))
            return Report(u"The module engine state cannot be read.", hr, IModweaveEngine::iid);
        if (hr == S_FALSE)
            return damaged("state record cut short");
        std::uint32_t length = 0;
        std::string why;
        if (!StateBodyLength(header, &length, &why))
            return damaged(why);
        ULONGLONG remaining = 0;
        hr = RemainingBytes(stream, &remaining);
        if (FAILED(hr))
            return Report(u"The module engine state cannot be read.", hr, IModweaveEngine::iid);
        if (length > remaining)
            return damaged("state record longer than the stream");
        std::string body(length, '\0');
        hr = ReadAll(stream, body.data(), length);
        if (FAILED(hr))
            return Report(u"The module engine state cannot be read.", hr, IModweaveEngine::iid);
        if (hr == S_FALSE)
            return damaged("state record cut short");
        // Decoded aside, so that a damaged record leaves the engine as it was; DecodeState bumps
        // the generation, which makes module objects of the old catalogue stale.
        EngineState next;
        next.generation = state_->generation;
        if (!DecodeState(header, body, &next, &why))
            return damaged(why);
        *state_ = std::move(next);
        return S_OK;
    }

    StatePtr state_;
};

} // namespace

HRESULT CreateEngine(IModweaveEngine** engine) {
    return cvk::Boundary(kEngineSource, [&] { return cvk::CreateObject<Engine>(engine); });
}

HRESULT GetEngineClassObject(REFCLSID clsid, REFIID riid, void** object) {
    return cvk::GetClassObject<EngineModule, Engine>(clsid, riid, object);
}

} // namespace modweave
