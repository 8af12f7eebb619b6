// The engine's public interfaces and class identifiers, as its clients (cvk, the GUI) see them.
#pragma once

#include "platform/com/unknown.h"

// Class identifiers of the engine's creatable classes.
constexpr CLSID CLSID_Server{0x02668D99, 0xFD36, 0x4744,
                             {0xA8, 0x9B, 0xF0, 0x10, 0x30, 0x76, 0x5B, 0xC9}};
constexpr CLSID CLSID_Workspace{0x66C25546, 0xBA47, 0x403D,
                                {0xA8, 0x4F, 0x4F, 0xD1, 0xCB, 0x87, 0x1B, 0xA8}};
constexpr CLSID CLSID_Cmos{0xF246FC83, 0xB235, 0x4BB3,
                           {0x8E, 0xE8, 0xB1, 0x4B, 0x6A, 0x30, 0x31, 0x00}};
constexpr CLSID CLSID_SmbiosList{0x09999E27, 0x764B, 0x493D,
                                 {0xBD, 0xCE, 0xE3, 0xF8, 0x4D, 0x4E, 0x18, 0xDF}};
constexpr CLSID CLSID_CoTherm{0xFB6ED75B, 0x6E02, 0x4E93,
                              {0x95, 0x62, 0xE7, 0xE7, 0x1A, 0xCC, 0x74, 0x6E}};
constexpr CLSID CLSID_Flex{0x75C4A6A1, 0xD481, 0x4F5E,
                           {0xBA, 0x48, 0x7F, 0xC9, 0x6D, 0x97, 0xB6, 0x45}};
constexpr CLSID CLSID_Report{0x49D6CF8A, 0xFF10, 0x48A6,
                             {0xA3, 0x60, 0x0B, 0x5D, 0x68, 0x01, 0xAA, 0xC6}};

// The type library the classes register with.
constexpr GUID LIBID_CVKSERVERLib{0x43F59FF9, 0x8FAF, 0x4A4F,
                                  {0xAE, 0x5B, 0x95, 0xAA, 0xFE, 0x89, 0xED, 0x97}};

// Subsystem mask bits.
constexpr LONG SUBSYS_BOM = 1;
constexpr LONG SUBSYS_CMOS = 2;
constexpr LONG SUBSYS_ENVCTL = 4;
constexpr LONG SUBSYS_SMBIOS = 8;
constexpr LONG SUBSYS_SPLASH = 16;
constexpr LONG SUBSYS_FLEX = 32;
constexpr LONG SUBSYS_AVAILABLE = SUBSYS_CMOS | SUBSYS_ENVCTL | SUBSYS_SMBIOS | SUBSYS_FLEX;

// The subsystem interfaces. Their members are declared with the subsystems; the workspace hands
// them out as they are.
struct ICmos : IUnknown {
    static constexpr IID iid{0xFE52B929, 0xFB52, 0x4104,
                             {0xB7, 0x35, 0xF0, 0xC2, 0x50, 0xBC, 0x07, 0x0F}};

protected:
    ~ICmos() = default;
};

struct ISmbiosList : IUnknown {
    static constexpr IID iid{0xCD1B2BA9, 0x87E3, 0x4AF3,
                             {0xB3, 0xA9, 0x92, 0x63, 0x9C, 0x64, 0x5C, 0xEE}};

protected:
    ~ISmbiosList() = default;
};

struct ITherm : IUnknown {
    static constexpr IID iid{0xCB90E822, 0xF3C3, 0x4C7C,
                             {0x89, 0x39, 0x3C, 0x6B, 0xF2, 0xB0, 0xDA, 0x30}};

protected:
    ~ITherm() = default;
};

struct IFlex : IUnknown {
    static constexpr IID iid{0x383B69C7, 0x5CF7, 0x4D6A,
                             {0xAA, 0x7C, 0x34, 0xBE, 0x5C, 0x7D, 0xFF, 0x92}};

protected:
    ~IFlex() = default;
};

struct IReport : IUnknown {
    static constexpr IID iid{0xC2464984, 0x5A4B, 0x4317,
                             {0xA1, 0xDA, 0xC5, 0x9C, 0x31, 0x75, 0x90, 0x7B}};

protected:
    ~IReport() = default;
};

// One customisation of one BIOS build.
struct IWorkspace : IUnknown {
    static constexpr IID iid{0x00967131, 0x0D07, 0x4DE8,
                             {0xBF, 0xA7, 0xEF, 0xBD, 0xD0, 0xCE, 0xD5, 0x9F}};
    virtual HRESULT DumpIni(BSTR fileName, LONG subsysMask, LONG subsysEncryptMask) = 0;
    virtual HRESULT get_Cmos(ICmos** cmos) = 0;
    virtual HRESULT get_SmbiosList(ISmbiosList** list) = 0;
    virtual HRESULT get_Valid(VARIANT_BOOL* valid) = 0;
    virtual HRESULT get_SubsystemMask(LONG* mask) = 0;
    virtual HRESULT InitSubsystems(LONG subsysMask, BSTR mapFile) = 0;
    virtual HRESULT get_MapFileInUse(VARIANT_BOOL* inUse) = 0;
    virtual HRESULT get_Therm(ITherm** therm) = 0;
    virtual HRESULT get_Report(IReport** report) = 0;
    virtual HRESULT get_BIOSBuildDate(BSTR* date) = 0;
    virtual HRESULT get_BIOSVersion(BSTR* version) = 0;
    virtual HRESULT get_BIOSID(BSTR* id) = 0;
    virtual HRESULT get_IniFilePath(BSTR* path) = 0;
    virtual HRESULT get_MapFilePath(BSTR* path) = 0;
    virtual HRESULT get_RequiresSave(VARIANT_BOOL* requiresSave) = 0;
    virtual HRESULT DumpBatchToFloppy(BSTR dir, BSTR baseFileName, BSTR biosName,
                                      BSTR langPackName, LONG subsysMask, LONG commandMask) = 0;
    virtual HRESULT DumpIniToFloppy(BSTR dir, BSTR baseFileName, LONG subsysMask) = 0;
    virtual HRESULT get_LangPackName(BSTR* name) = 0;
    virtual HRESULT ModifyAutoexecBatFile(BSTR dir) = 0;
    virtual HRESULT get_Flex(IFlex** flex) = 0;
    virtual HRESULT IsFlexAvailable(VARIANT_BOOL* available) = 0;

protected:
    ~IWorkspace() = default;
};

// The engine's root object: creates, opens, saves, changes, updates and closes the workspace.
struct IServer : IUnknown {
    static constexpr IID iid{0xBDF56E22, 0x9188, 0x446D,
                             {0x83, 0x4D, 0xCE, 0x97, 0xA5, 0x9D, 0x45, 0xE0}};
    virtual HRESULT ReadBiosID(BSTR biosFile, BSTR* id) = 0;
    virtual HRESULT get_Version(BSTR* version) = 0;
    virtual HRESULT OpenWorkspace(BSTR fileName, IWorkspace** workspace) = 0;
    virtual HRESULT NewWorkspace(LONG subsystemMask, BSTR mapFile, IWorkspace** workspace) = 0;
    virtual HRESULT SaveWorkspace(IWorkspace* workspace, BSTR fileName) = 0;
    virtual HRESULT get_AvailableSubSystems(LONG* mask) = 0;
    virtual HRESULT CloseWorkspace(IWorkspace* workspace) = 0;
    virtual HRESULT get_Valid(VARIANT_BOOL* valid) = 0;
    virtual HRESULT get_SUB_SYS_MASK_CMOS(LONG* mask) = 0;
    virtual HRESULT get_SUB_SYS_MASK_SMBIOS(LONG* mask) = 0;
    virtual HRESULT get_SUB_SYS_MASK_ENVCTL(LONG* mask) = 0;
    virtual HRESULT get_SUB_SYS_MASK_SPLASH(LONG* mask) = 0;
    virtual HRESULT get_SUB_SYS_MASK_BOM(LONG* mask) = 0;
    virtual HRESULT ChangeWorkspace(IWorkspace* workspace, LONG subsystemMask) = 0;
    virtual HRESULT UpdateWorkspace(IWorkspace* workspace, BSTR fileName) = 0;
    virtual HRESULT get_SUB_SYS_MASK_FLEX(LONG* mask) = 0;
    virtual HRESULT get_ModweaveVersion(BSTR* version) = 0;
    virtual HRESULT IsFlexBios(BSTR mapFile, VARIANT_BOOL* isFlex) = 0;

protected:
    ~IServer() = default;
};
