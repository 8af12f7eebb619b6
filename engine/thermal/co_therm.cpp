// The thermal object. Its tree, tables and record are added with the thermal subsystem.
#include "engine/thermal/co_therm.h"

namespace cvk {

HRESULT CoTherm::RestoreHalvexDefaults() {
    requiresSave_ = true;
    return S_OK;
}

HRESULT CoTherm::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    requiresSave_ = false;
    return S_OK;
}

HRESULT CoTherm::Save(IStream* stream, BOOL clearDirty) {
    if (!stream)
        return E_POINTER;
    if (clearDirty)
        requiresSave_ = false;
    return S_OK;
}

} // namespace cvk
