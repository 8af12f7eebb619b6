// The workspace's record in the workspace file's stream: signature, version, property block,
// the identification strings and then each subsystem's own part.
#include "engine/core/workspace.h"

#include "engine/core/record_io.h"
#include "platform/com/errorinfo.h"

#include <cmath>

namespace cvk {
namespace {

// "$CVK$" and a zero unit, as UTF-16LE.
constexpr char16_t kSignature[6] = u"$CVK$";
constexpr float kFileVersion = 1.3f;
// Files of versions up to this one carry no module part.
constexpr float kLastVersionWithoutModules = 1.2f;

HRESULT WriteSignature(RecordWriter& out) {
    for (char16_t unit : kSignature)
        CVK_RETURN_IF_FAILED(out.U16(unit));
    return S_OK;
}

// Compares the 12 bytes as text: the units up to the first zero must read "$CVK$".
bool SignatureMatches(const std::uint16_t (&units)[6]) {
    for (int i = 0; i < 6; ++i) {
        if (units[i] != kSignature[i])
            return false;
        if (units[i] == 0)
            return true;
    }
    return false;
}

// Format versions have one decimal (1.2, 1.3). A stored value that is not such a number (1.25)
// or lies above the version this engine writes is a file no writer of this format produced.
bool VersionSupported(float version) {
    if (!(version > 0.0f && version <= kFileVersion))
        return false;
    const double tenths = std::nearbyint(static_cast<double>(version) * 10.0);
    return static_cast<float>(tenths / 10.0) == version;
}

} // namespace

HRESULT Workspace::SaveStrings(IStream* stream) {
    RecordWriter out(stream);
    for (const Bstr* text : {&buildDate_, &version_, &biosId_, &iniFile_, &mapFile_})
        CVK_RETURN_IF_FAILED(out.CountedString(*text));
    return S_OK;
}

HRESULT Workspace::Save(IStream* stream, BOOL clearDirty) {
    if (!stream)
        return E_POINTER;
    if (!cmos_ || !smbios_ || !therm_ || !flex_)
        return E_UNEXPECTED;
    const bool wasChanged = requiresSave_;
    const HRESULT hr = Boundary(kWorkspaceErrorSource, [&]() -> HRESULT {
        RecordWriter out(stream);
        CVK_RETURN_IF_FAILED(WriteSignature(out));
        CVK_RETURN_IF_FAILED(out.Float(kFileVersion));
        CVK_RETURN_IF_FAILED(out.U32(kPropertyBlockVersion));
        CVK_RETURN_IF_FAILED(out.Bool(requiresSave_ ? VARIANT_TRUE : VARIANT_FALSE));
        CVK_RETURN_IF_FAILED(out.Bool(valid_ ? VARIANT_TRUE : VARIANT_FALSE));
        CVK_RETURN_IF_FAILED(out.I32(mask_));
        if (clearDirty)
            requiresSave_ = false;
        CVK_RETURN_IF_FAILED(SaveStrings(stream));
        IPersistStreamInit* parts[] = {cmos_.get(), smbios_.get(), therm_.get(), flex_.get()};
        for (IPersistStreamInit* part : parts)
            CVK_RETURN_IF_FAILED(part->Save(stream, clearDirty));
        return S_OK;
    });
    // A save that did not complete has not saved anything: the workspace stays changed, so that
    // the client still asks before the user's edits are dropped.
    if (FAILED(hr) && wasChanged)
        requiresSave_ = true;
    return hr;
}

HRESULT Workspace::LoadStrings(IStream* stream) {
    RecordReader in(stream);
    for (Bstr* text : {&buildDate_, &version_, &biosId_, &iniFile_, &mapFile_})
        CVK_RETURN_IF_FAILED(in.CountedString(text));
    return S_OK;
}

HRESULT Workspace::LoadSubsystems(IStream* stream, float version) {
    auto cmos = MakeObject<Cmos>();
    auto smbios = MakeObject<SmbiosList>();
    auto therm = MakeObject<CoTherm>();
    CVK_RETURN_IF_FAILED(cmos->Load(stream));
    CVK_RETURN_IF_FAILED(smbios->Load(stream));
    CVK_RETURN_IF_FAILED(therm->Load(stream));
    auto flex = MakeObject<Flex>();
    // Without a module engine the module part cannot be read and the workspace opens without
    // it; a damaged module part fails the open, since the next save would drop the module
    // selection and the logo.
    if (version > kLastVersionWithoutModules) {
        const HRESULT hr = flex->Load(stream);
        if (FAILED(hr) && flex->HasEngine())
            return hr;
    }
    cmos_ = cmos;
    smbios_ = smbios;
    therm_ = therm;
    flex_ = flex;
    return S_OK;
}

HRESULT Workspace::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    return Boundary(kWorkspaceErrorSource, [&]() -> HRESULT {
        RecordReader in(stream);
        std::uint16_t signature[6];
        for (std::uint16_t& unit : signature)
            CVK_RETURN_IF_FAILED(in.U16(&unit));
        if (!SignatureMatches(signature))
            return ReportError(kWorkspaceErrorSource, u"Halvex(R) Corvane file signature not found",
                               E_ACCESSDENIED);
        float version = 0;
        CVK_RETURN_IF_FAILED(in.Float(&version));
        if (!VersionSupported(version))
            return ReportError(kWorkspaceErrorSource, u"Workspace file version is not supported",
                               E_ACCESSDENIED);

        std::uint32_t blockVersion = 0;
        CVK_RETURN_IF_FAILED(in.U32(&blockVersion));
        if (blockVersion > kPropertyBlockVersion)
            return E_FAIL;
        VARIANT_BOOL requiresSave = VARIANT_FALSE, valid = VARIANT_FALSE;
        CVK_RETURN_IF_FAILED(in.Bool(&requiresSave));
        CVK_RETURN_IF_FAILED(in.Bool(&valid));
        CVK_RETURN_IF_FAILED(in.I32(&mask_));
        valid_ = valid != VARIANT_FALSE;
        requiresSave_ = false;

        CVK_RETURN_IF_FAILED(LoadStrings(stream));
        return LoadSubsystems(stream, version);
    });
}

} // namespace cvk
