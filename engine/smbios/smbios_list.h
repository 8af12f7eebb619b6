// SmbiosList: the SMBIOS identification strings of a workspace.
#pragma once

#include "engine/core/persistent_object.h"
#include "engine/include/cvkserver.h"

namespace cvk {

class SmbiosList : public PersistentObject<SmbiosList, ISmbiosList> {
public:
    static constexpr CLSID clsid = CLSID_SmbiosList;

    HRESULT ClearAllStrings();
    HRESULT ResetAllPromptFlags();

    bool Changed() const { return requiresSave_; }

    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, BOOL clearDirty) override;

private:
    bool requiresSave_ = false;
};

} // namespace cvk
