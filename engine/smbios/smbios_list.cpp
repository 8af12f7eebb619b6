// The SMBIOS list. Its strings and record are added with the SMBIOS subsystem.
#include "engine/smbios/smbios_list.h"

namespace cvk {

HRESULT SmbiosList::ClearAllStrings() {
    requiresSave_ = true;
    return S_OK;
}

HRESULT SmbiosList::ResetAllPromptFlags() {
    requiresSave_ = true;
    return S_OK;
}

HRESULT SmbiosList::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    requiresSave_ = false;
    return S_OK;
}

HRESULT SmbiosList::Save(IStream* stream, BOOL clearDirty) {
    if (!stream)
        return E_POINTER;
    if (clearDirty)
        requiresSave_ = false;
    return S_OK;
}

} // namespace cvk
