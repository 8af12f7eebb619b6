// Workspace: one customisation of one BIOS build, with its four subsystem objects.
#pragma once

#include "engine/cmos/cmos.h"
#include "engine/core/persistent_object.h"
#include "engine/include/cvkserver.h"
#include "engine/modules/flex.h"
#include "engine/smbios/smbios_list.h"
#include "engine/thermal/co_therm.h"
#include "platform/com/bstr.h"

namespace cvk {

// The source named in the error info that the workspace publishes.
inline constexpr char16_t kWorkspaceErrorSource[] = u"CvkServer.Workspace.1";

class Workspace : public PersistentObject<Workspace, IWorkspace> {
public:
    static constexpr CLSID clsid = CLSID_Workspace;

    // IWorkspace
    HRESULT DumpIni(BSTR fileName, LONG subsysMask, LONG subsysEncryptMask) override;
    HRESULT get_Cmos(ICmos** cmos) override;
    HRESULT get_SmbiosList(ISmbiosList** list) override;
    HRESULT get_Valid(VARIANT_BOOL* valid) override;
    HRESULT get_SubsystemMask(LONG* mask) override;
    HRESULT InitSubsystems(LONG subsysMask, BSTR mapFile) override;
    HRESULT get_MapFileInUse(VARIANT_BOOL* inUse) override;
    HRESULT get_Therm(ITherm** therm) override;
    HRESULT get_Report(IReport** report) override;
    HRESULT get_BIOSBuildDate(BSTR* date) override;
    HRESULT get_BIOSVersion(BSTR* version) override;
    HRESULT get_BIOSID(BSTR* id) override;
    HRESULT get_IniFilePath(BSTR* path) override;
    HRESULT get_MapFilePath(BSTR* path) override;
    HRESULT get_RequiresSave(VARIANT_BOOL* requiresSave) override;
    HRESULT DumpBatchToFloppy(BSTR dir, BSTR baseFileName, BSTR biosName, BSTR langPackName,
                              LONG subsysMask, LONG commandMask) override;
    HRESULT DumpIniToFloppy(BSTR dir, BSTR baseFileName, LONG subsysMask) override;
    HRESULT get_LangPackName(BSTR* name) override;
    HRESULT ModifyAutoexecBatFile(BSTR dir) override;
    HRESULT get_Flex(IFlex** flex) override;
    HRESULT IsFlexAvailable(VARIANT_BOOL* available) override;

    // IPersistStreamInit (the workspace file's stream)
    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, BOOL clearDirty) override;
    bool Changed() const { return requiresSave_; }

    // Used by the server.
    HRESULT ChangeSubsystems(LONG mask);
    HRESULT UpdateMapFile(const Bstr& mapFile);
    // After a save that did not reach the file: the edits are still unsaved.
    void MarkChanged() { requiresSave_ = true; }

private:
    template <class T, class I> HRESULT Guarded(LONG bit, const ComPtr<T>& object, I** out);
    HRESULT CreateSubsystems();
    HRESULT RemoveSubsystem(LONG bit);
    HRESULT SaveStrings(IStream* stream);
    HRESULT LoadStrings(IStream* stream);
    HRESULT LoadSubsystems(IStream* stream, float version);
    HRESULT CheckOutputMask(LONG subsysMask) const;
    HRESULT CheckFloppyTarget(BSTR dir, BSTR baseFileName) const;

    bool valid_ = false;
    bool requiresSave_ = true;
    LONG mask_ = 0;
    ComPtr<SmbiosList> smbios_;
    ComPtr<Cmos> cmos_;
    ComPtr<CoTherm> therm_;
    ComPtr<Flex> flex_;
    Bstr version_;
    Bstr buildDate_;
    Bstr biosId_;
    Bstr mapFile_;
    Bstr iniFile_;
};

} // namespace cvk
