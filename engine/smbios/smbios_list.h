// SmbiosList: the SMBIOS identification strings of a workspace.
#pragma once

#include "engine/core/list_protocol.h"
#include "engine/core/persistent_object.h"
#include "engine/include/cvkserver.h"
#include "engine/smbios/smbios_node.h"
#include "platform/com/bstr.h"

namespace cvk {

class IniFile;

inline constexpr char16_t kSmbiosListSource[] = u"CvkServer.SmbiosList.1";

class SmbiosList : public PersistentObject<SmbiosList, ISmbiosList> {
public:
    static constexpr CLSID clsid = CLSID_SmbiosList;

    // Initializes: the eight strings of the fixed table, valid and unsaved.
    SmbiosList();

    // ISmbiosList
    HRESULT get_Count(LONG* count) override;
    HRESULT get_EOL(VARIANT_BOOL* eol) override;
    HRESULT GetFirst(ISmbiosNode** node) override;
    HRESULT GetNext(ISmbiosNode** node) override;
    HRESULT ClearAllStrings() override;
    HRESULT ResetAllPromptFlags() override;
    HRESULT InitList() override;
    HRESULT get_Valid(VARIANT_BOOL* valid) override;
    HRESULT get_Name(BSTR* name) override;
    HRESULT put_Name(BSTR name) override;
    HRESULT get_HelpString(BSTR* help) override;
    HRESULT put_HelpString(BSTR help) override;

    // Internal
    HRESULT Initialize();
    // The section "SMBIOS.Values": each keyword with its value, a prompt behind "$PROMPT$, ".
    HRESULT WriteIni(IniFile& ini);
    std::size_t Size() const { return nodes_.Size(); }
    SmbiosNode& At(std::size_t index) const { return nodes_.At(index); }

    bool Changed() const;
    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, BOOL clearDirty) override;

private:
    HRESULT SaveRecord(IStream* stream, BOOL clearDirty);
    HRESULT LoadRecord(IStream* stream);

    ListProtocol<SmbiosNode> nodes_;
    Bstr name_;
    Bstr helpString_;
    bool valid_ = false;
    bool requiresSave_ = true;
};

} // namespace cvk
