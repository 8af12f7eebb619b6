// The CMOS object. Its setting tree and records are added with the CMOS subsystem; until then
// it keeps the lock/hide limits and has nothing of its own to persist.
#include "engine/cmos/cmos.h"

#include "engine/include/engine_status.h"

namespace cvk {

void Cmos::SetLimits(std::uint32_t maxHide, std::uint32_t maxLock) {
    maxHide_ = maxHide;
    maxLock_ = maxLock;
}

HRESULT Cmos::BuildFromBiosImage(const BiosImage& image) {
    if (!image.IsLoaded())
        return E_IMAGE_NOT_LOADED;
    valid_ = true;
    requiresSave_ = true;
    return S_OK;
}

HRESULT Cmos::MigrateFrom(Cmos&) {
    requiresSave_ = true;
    return S_OK;
}

HRESULT Cmos::RestoreHalvexDefaults() {
    requiresSave_ = true;
    return S_OK;
}

HRESULT Cmos::ClearLockHideSettings() { return S_OK; }

HRESULT Cmos::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    valid_ = true;
    requiresSave_ = false;
    return S_OK;
}

HRESULT Cmos::Save(IStream* stream, BOOL clearDirty) {
    if (!stream)
        return E_POINTER;
    if (clearDirty)
        requiresSave_ = false;
    return S_OK;
}

} // namespace cvk
