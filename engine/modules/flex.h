// Flex: the optional BIOS modules of a workspace, through the module engine.
#pragma once

#include "engine/core/persistent_object.h"
#include "engine/include/cvkserver.h"
#include "engine/modules/flex_modules.h"
#include "modweave/modweave.h"
#include "platform/com/comptr.h"

#include <string>

namespace cvk {

inline constexpr char16_t kDamagedModuleRecord[] =
    u"The workspace file's module record is damaged: the module selection and the logo "
    u"cannot be read.";

class Flex : public PersistentObject<Flex, IFlex> {
public:
    static constexpr CLSID clsid = CLSID_Flex;
    static constexpr LONG kDefaultFlashPartSize = 524288;

    // IFlex
    HRESULT get_FlashPartSize(LONG* bytes) override;
    HRESULT put_FlashPartSize(LONG bytes) override;
    HRESULT get_ValidUpdate(VARIANT_BOOL* valid) override;
    HRESULT get_MaxOptionalModuleSpace(LONG* bytes) override;
    HRESULT get_BiosFileVersion(BSTR* version) override;
    HRESULT get_OptionalModuleList(IFlexModuleList** list) override;
    HRESULT CreateBiosUpdateFile(BSTR fileName) override;
    HRESULT RestoreHalvexDefaults() override;
    HRESULT get_ModweaveVersionStr(BSTR* version) override;
    HRESULT get_CurrentOptionalModuleSpace(LONG* bytes) override;
    HRESULT get_NumOptionalModuleBytesSelected(LONG* bytes) override;

    // Used by the workspace. Creates the module engine and opens the flash image when the file
    // exists. A flash part size of 0 or less takes the default.
    HRESULT Initialize(const std::u16string& flashImagePath, LONG flashPartSize = 0);
    // The engine's flash part size; 0 without an engine.
    HRESULT FlashPartSize(LONG* bytes);

    bool Changed();
    // Whether the module engine could be created (by Initialize or Load).
    bool HasEngine() const { return engine_ != nullptr; }

    // A module record that cannot be read fails with STG_E_DOCFILECORRUPT and
    // kDamagedModuleRecord; a module engine that cannot be created with its own status.
    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, BOOL clearDirty) override;

private:
    HRESULT CreateEngine();
    HRESULT RequireEngine() const;
    HRESULT MakeModuleList();
    // Selects the badge module that matches the logo (or the default badges for a logo
    // without a user picture).
    HRESULT SelectBadge();
    HRESULT BadgeForLogo(IFlexModule** badge);
    HRESULT DefaultBadge(IFlexModule** badge);
    HRESULT SelectedOptionalBytes(LONGLONG* bytes);
    HRESULT SelectionValid(bool* valid);
    // The first logo module of the list, or null.
    IFlexModule* FirstLogoModule() const;

    ComPtr<IModweaveEngine> engine_;
    ComPtr<FlexModuleList> modules_;
    bool changed_ = false;
};

} // namespace cvk
