// Server: the engine's root object, owner of the one current workspace.
#pragma once

#include "engine/core/server_module.h"
#include "engine/core/workspace.h"
#include "engine/include/cvkserver.h"

namespace cvk {

inline constexpr char16_t kServerErrorSource[] = u"cvtool.Server.1";

class Server : public EngineObject<IServer, ISupportErrorInfo> {
public:
    static constexpr CLSID clsid = CLSID_Server;

    HRESULT ReadBiosID(BSTR biosFile, BSTR* id) override;
    HRESULT get_Version(BSTR* version) override;
    HRESULT OpenWorkspace(BSTR fileName, IWorkspace** workspace) override;
    HRESULT NewWorkspace(LONG subsystemMask, BSTR mapFile, IWorkspace** workspace) override;
    HRESULT SaveWorkspace(IWorkspace* workspace, BSTR fileName) override;
    HRESULT get_AvailableSubSystems(LONG* mask) override;
    HRESULT CloseWorkspace(IWorkspace* workspace) override;
    HRESULT get_Valid(VARIANT_BOOL* valid) override;
    HRESULT get_SUB_SYS_MASK_CMOS(LONG* mask) override;
    HRESULT get_SUB_SYS_MASK_SMBIOS(LONG* mask) override;
    HRESULT get_SUB_SYS_MASK_ENVCTL(LONG* mask) override;
    HRESULT get_SUB_SYS_MASK_SPLASH(LONG* mask) override;
    HRESULT get_SUB_SYS_MASK_BOM(LONG* mask) override;
    HRESULT ChangeWorkspace(IWorkspace* workspace, LONG subsystemMask) override;
    HRESULT UpdateWorkspace(IWorkspace* workspace, BSTR fileName) override;
    HRESULT get_SUB_SYS_MASK_FLEX(LONG* mask) override;
    HRESULT get_ModweaveVersion(BSTR* version) override;
    HRESULT IsFlexBios(BSTR mapFile, VARIANT_BOOL* isFlex) override;

private:
    HRESULT MaskValue(LONG value, LONG* mask) const;
    HRESULT InvalidSubsystems() const;

    bool valid_ = true;
    ComPtr<Workspace> current_;
};

} // namespace cvk
