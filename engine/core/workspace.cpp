// The workspace: its fields, guarded getters, initialisation from a map file, subsystem changes
// and the move to a new BIOS build.
#include "engine/core/workspace.h"

#include "engine/core/bios_image.h"
#include "engine/core/module_engine.h"
#include "engine/include/engine_status.h"
#include "engine/output/batch_files.h"
#include "engine/output/ini_writer.h"
#include "engine/output/output_errors.h"
#include "engine/output/report.h"
#include "platform/com/errorinfo.h"
#include "platform/text/codepage.h"

#include <sys/stat.h>

#include <utility>

namespace cvk {
namespace {

// A copy for a getter: a null string comes out empty.
HRESULT CopyOut(const Bstr& text, BSTR* out) {
    if (!out)
        return E_POINTER;
    *out = SysAllocStringLen(text.is_null() ? u"" : text.get(), text.length());
    return *out ? S_OK : E_OUTOFMEMORY;
}

VARIANT_BOOL ToVariantBool(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

bool FolderExists(BSTR dir) {
    struct stat info {};
    const std::string path = text::Utf16ToUtf8(Bstr(dir).view());
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Joins a folder and a file name with the platform's separator.
Bstr JoinPath(BSTR dir, std::u16string_view name) {
    std::u16string path(Bstr(dir).view());
    if (!path.empty() && path.back() != u'/')
        path += u'/';
    path += name;
    return Bstr(path);
}

} // namespace

template <class T, class I> HRESULT Workspace::Guarded(LONG bit, const ComPtr<T>& object, I** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!valid_)
        return E_FAIL;
    if (!(mask_ & bit))
        return E_ACCESSDENIED;
    if (!object)
        return E_FAIL;
    *out = static_cast<I*>(object.get());
    (*out)->AddRef();
    return S_OK;
}

HRESULT Workspace::get_Cmos(ICmos** cmos) {
    return Guarded(SUBSYS_CMOS, cmos_, cmos);
}
HRESULT Workspace::get_SmbiosList(ISmbiosList** list) {
    return Guarded(SUBSYS_SMBIOS, smbios_, list);
}
HRESULT Workspace::get_Therm(ITherm** therm) {
    return Guarded(SUBSYS_ENVCTL, therm_, therm);
}
HRESULT Workspace::get_Flex(IFlex** flex) {
    return Guarded(SUBSYS_FLEX, flex_, flex);
}

HRESULT Workspace::get_Valid(VARIANT_BOOL* valid) {
    if (!valid)
        return E_POINTER;
    *valid = ToVariantBool(valid_);
    return S_OK;
}

HRESULT Workspace::get_SubsystemMask(LONG* mask) {
    if (!mask)
        return E_POINTER;
    *mask = mask_;
    return S_OK;
}

HRESULT Workspace::get_MapFileInUse(VARIANT_BOOL* inUse) {
    if (!inUse)
        return E_POINTER;
    *inUse = ToVariantBool(mask_ & (SUBSYS_CMOS | SUBSYS_SPLASH));
    return S_OK;
}

HRESULT Workspace::get_BIOSBuildDate(BSTR* date) {
    return CopyOut(buildDate_, date);
}
HRESULT Workspace::get_BIOSVersion(BSTR* version) {
    return CopyOut(version_, version);
}
HRESULT Workspace::get_BIOSID(BSTR* id) {
    return CopyOut(biosId_, id);
}
HRESULT Workspace::get_IniFilePath(BSTR* path) {
    return CopyOut(iniFile_, path);
}
HRESULT Workspace::get_MapFilePath(BSTR* path) {
    return CopyOut(mapFile_, path);
}

HRESULT Workspace::get_RequiresSave(VARIANT_BOOL* requiresSave) {
    if (!requiresSave)
        return E_POINTER;
    *requiresSave = VARIANT_TRUE;
    if (requiresSave_)
        return S_OK;
    IPersistStreamInit* parts[] = {cmos_.get(), smbios_.get(), therm_.get(), flex_.get()};
    for (IPersistStreamInit* part : parts) {
        if (!part)
            continue;
        const HRESULT dirty = part->IsDirty();
        if (FAILED(dirty))
            return E_FAIL;
        if (dirty == S_OK)
            return S_OK;
    }
    *requiresSave = VARIANT_FALSE;
    return S_OK;
}

HRESULT Workspace::IsFlexAvailable(VARIANT_BOOL* available) {
    if (!available)
        return E_POINTER;
    *available = VARIANT_FALSE;
    if (!flex_)
        return E_FAIL;
    LONG size = 0;
    CVK_RETURN_IF_FAILED(flex_->FlashPartSize(&size));
    *available = ToVariantBool(size > 0);
    return S_OK;
}

HRESULT Workspace::CreateSubsystems() {
    therm_ = MakeObject<CoTherm>();
    smbios_ = MakeObject<SmbiosList>();
    flex_ = MakeObject<Flex>();
    return S_OK;
}

HRESULT Workspace::InitSubsystems(LONG subsysMask, BSTR mapFile) {
    return Boundary(kWorkspaceErrorSource, [&]() -> HRESULT {
        if (valid_)
            return E_FAIL;
        BiosImage image;
        CVK_RETURN_IF_FAILED(image.Load(text::Utf16ToUtf8(Bstr(mapFile).view())));
        const BuildInfo* build = nullptr;
        CVK_RETURN_IF_FAILED(image.GetBuildInfo(&build));

        mapFile_ = Bstr::CopyOf(mapFile);
        if (mapFile_.is_null())
            mapFile_ = Bstr(u"");
        buildDate_ = Bstr(build->BuildDate());
        version_ = Bstr(build->BiosVersion());
        biosId_ = Bstr(build->BiosId());

        auto cmos = MakeObject<Cmos>();
        cmos->SetLimits(build->MaxNumHideSettings(), build->MaxNumLockSettings());
        HRESULT hr = cmos->BuildFromBiosImage(image);
        if (SUCCEEDED(hr)) {
            cmos_ = cmos;
            hr = CreateSubsystems();
        }
        if (SUCCEEDED(hr))
            hr = flex_->Initialize(FlashImagePathOf(mapFile_.view()));
        if (FAILED(hr)) {
            cmos_ = nullptr;
            therm_ = nullptr;
            smbios_ = nullptr;
            flex_ = nullptr;
            return hr;
        }
        mask_ |= subsysMask & SUBSYS_AVAILABLE;
        valid_ = true;
        requiresSave_ = true;
        return S_OK;
    });
}

HRESULT Workspace::RemoveSubsystem(LONG bit) {
    switch (bit) {
    case SUBSYS_CMOS:
        CVK_RETURN_IF_FAILED(cmos_->RestoreHalvexDefaults());
        return cmos_->ClearLockHideSettings();
    case SUBSYS_SMBIOS:
        if (smbios_->ClearAllStrings() != S_OK || smbios_->ResetAllPromptFlags() != S_OK)
            return E_FAIL;
        return S_OK;
    case SUBSYS_ENVCTL:
        therm_->RestoreHalvexDefaults();
        return S_OK;
    case SUBSYS_FLEX:
        flex_->RestoreHalvexDefaults();
        return S_OK;
    }
    return S_OK;
}

HRESULT Workspace::ChangeSubsystems(LONG mask) {
    if (!valid_ || !cmos_ || !smbios_ || !therm_ || !flex_)
        return E_FAIL;
    const LONG removed = mask_ & ~mask;
    for (LONG bit : {SUBSYS_CMOS, SUBSYS_SMBIOS, SUBSYS_ENVCTL, SUBSYS_FLEX}) {
        if (!(removed & bit))
            continue;
        if (FAILED(RemoveSubsystem(bit)))
            return E_FAIL;
        mask_ &= ~bit;
    }
    mask_ |= mask & ~mask_ & SUBSYS_AVAILABLE;
    requiresSave_ = true;
    return S_OK;
}

HRESULT Workspace::UpdateMapFile(const Bstr& mapFile) {
    return Boundary(kWorkspaceErrorSource, [&]() -> HRESULT {
        BiosImage image;
        CVK_RETURN_IF_FAILED(image.Load(text::Utf16ToUtf8(mapFile.view())));
        const BuildInfo* build = nullptr;
        CVK_RETURN_IF_FAILED(image.GetBuildInfo(&build));

        auto cmos = MakeObject<Cmos>();
        cmos->SetLimits(build->MaxNumHideSettings(), build->MaxNumLockSettings());
        const bool keepEdits = (mask_ & SUBSYS_CMOS) && cmos_;
        if (keepEdits && (build->MaxNumHideSettings() < cmos_->CurNumHideSettings() ||
                          build->MaxNumLockSettings() < cmos_->CurNumLockSettings()))
            return E_LIMITS_EXCEEDED;

        // All or nothing: the new tree, the carried-over answers and the new module object are
        // made aside, and the workspace takes them only when every step has succeeded.
        CVK_RETURN_IF_FAILED(cmos->BuildFromBiosImage(image));
        if (keepEdits)
            CVK_RETURN_IF_FAILED(cmos->MigrateFrom(*cmos_));
        auto flex = MakeObject<Flex>();
        CVK_RETURN_IF_FAILED(flex->Initialize(FlashImagePathOf(mapFile.view())));

        cmos_ = cmos;
        mapFile_ = mapFile;
        buildDate_ = Bstr(build->BuildDate());
        version_ = Bstr(build->BiosVersion());
        biosId_ = Bstr(build->BiosId());
        flex_ = flex;
        requiresSave_ = true;
        return S_OK;
    });
}

HRESULT Workspace::CheckOutputMask(LONG subsysMask) const {
    return (subsysMask & ~mask_) ? E_ACCESSDENIED : S_OK;
}

HRESULT Workspace::CheckFloppyTarget(BSTR dir, BSTR baseFileName) const {
    // The base name becomes part of a path and of the batch file's command lines: a name that
    // climbs out of the folder or holds a blank would write elsewhere or break the command.
    if (!FolderExists(dir))
        return ReportMissingFolder(kWorkspaceErrorSource, Bstr(dir).view());
    if (!IsDosBaseName(Bstr(baseFileName).view()))
        return ReportBadBaseName(kWorkspaceErrorSource, Bstr(baseFileName).view());
    return S_OK;
}

HRESULT Workspace::DumpIni(BSTR fileName, LONG subsysMask, LONG) {
    if (!valid_)
        return E_FAIL;
    CVK_RETURN_IF_FAILED(CheckOutputMask(subsysMask));
    return Boundary(kWorkspaceErrorSource, [&]() -> HRESULT {
        // The document is built in memory and written by Save alone, through a temporary file:
        // a failure on the way leaves an earlier file exactly as it was.
        IniWriter ini;
        const std::string path = text::Utf16ToUtf8(Bstr(fileName).view());
        if (!IniSucceeded(ini.Open(path)))
            return ReportWriteFailure(kWorkspaceErrorSource, path);
        iniFile_ = Bstr::CopyOf(fileName);
        CVK_RETURN_IF_FAILED(IniResult(ini.SetString("System", "INIVersion", "2.1")));
        if (subsysMask & SUBSYS_CMOS) {
            const std::string biosId = text::EncodeWindows1252(biosId_.view());
            CVK_RETURN_IF_FAILED(
                IniResult(ini.SetString("ReferenceSystem", "ReferenceID", biosId)));
            CVK_RETURN_IF_FAILED(
                IniResult(ini.SetInt("ReferenceSystem", "ReferenceChecksum", IniChecksum(biosId))));
            CVK_RETURN_IF_FAILED(cmos_->WriteIni(ini));
        }
        if (subsysMask & SUBSYS_ENVCTL)
            CVK_RETURN_IF_FAILED(therm_->WriteIni(ini));
        if (subsysMask & SUBSYS_SMBIOS)
            CVK_RETURN_IF_FAILED(smbios_->WriteIni(ini));
        const LONG withContent = SUBSYS_CMOS | SUBSYS_ENVCTL | SUBSYS_SMBIOS;
        if ((subsysMask & SUBSYS_FLEX) && !(subsysMask & withContent))
            return E_FAIL; // the modules have no INI content of their own
        if (!IniSucceeded(ini.Save(std::string())))
            return ReportWriteFailure(kWorkspaceErrorSource, path);
        return S_OK;
    });
}

HRESULT Workspace::DumpIniToFloppy(BSTR dir, BSTR baseFileName, LONG subsysMask) {
    CVK_RETURN_IF_FAILED(CheckOutputMask(subsysMask));
    CVK_RETURN_IF_FAILED(CheckFloppyTarget(dir, baseFileName));
    return Boundary(kWorkspaceErrorSource, [&] {
        Bstr path = JoinPath(dir, std::u16string(Bstr(baseFileName).view()) + u".ini");
        return DumpIni(path.get(), subsysMask, 0);
    });
}

HRESULT Workspace::DumpBatchToFloppy(BSTR dir, BSTR baseFileName, BSTR biosName, BSTR langPackName,
                                     LONG subsysMask, LONG commandMask) {
    CVK_RETURN_IF_FAILED(CheckOutputMask(subsysMask));
    CVK_RETURN_IF_FAILED(CheckFloppyTarget(dir, baseFileName));
    return Boundary(kWorkspaceErrorSource, [&] {
        BatchOptions options;
        options.baseName = Bstr(baseFileName).view();
        options.biosName = Bstr(biosName).view();
        options.langPackName = Bstr(langPackName).view();
        options.subsysMask = subsysMask;
        options.commandMask = commandMask;
        const std::string folder = text::Utf16ToUtf8(Bstr(dir).view());
        const HRESULT hr = WriteBatchFile(folder, options);
        if (FAILED(hr))
            return ReportWriteFailure(kWorkspaceErrorSource,
                                      text::Utf16ToUtf8(JoinPath(dir, kBatchFileName).view()));
        return hr;
    });
}

HRESULT Workspace::ModifyAutoexecBatFile(BSTR dir) {
    if (!FolderExists(dir))
        return ReportMissingFolder(kWorkspaceErrorSource, Bstr(dir).view());
    return Boundary(kWorkspaceErrorSource, [&] {
        const HRESULT hr = AddBatchCallToAutoexec(text::Utf16ToUtf8(Bstr(dir).view()));
        if (FAILED(hr))
            return ReportWriteFailure(kWorkspaceErrorSource,
                                      text::Utf16ToUtf8(JoinPath(dir, kAutoexecFileName).view()));
        return hr;
    });
}

HRESULT Workspace::get_LangPackName(BSTR* name) {
    if (!name)
        return E_POINTER;
    *name = nullptr;
    if (!cmos_)
        return E_FAIL;
    return Boundary(kWorkspaceErrorSource, [&]() -> HRESULT {
        std::u16string pack;
        CVK_RETURN_IF_FAILED(cmos_->LanguagePackName(&pack));
        return Bstr(pack).CopyTo(name);
    });
}

HRESULT Workspace::get_Report(IReport** report) {
    if (!report)
        return E_POINTER;
    *report = nullptr;
    return Boundary(kWorkspaceErrorSource, [&]() -> HRESULT {
        ReportSources sources;
        sources.cmos = cmos_;
        sources.smbios = smbios_;
        sources.therm = therm_;
        sources.flex = flex_;
        sources.biosVersion = version_;
        sources.buildDate = buildDate_;
        sources.mapFile = mapFile_;
        sources.biosId = biosId_;
        sources.iniFile = iniFile_;
        auto made = MakeObject<Report>();
        made->SetSources(std::move(sources));
        *report = made.detach();
        return S_OK;
    });
}

} // namespace cvk
