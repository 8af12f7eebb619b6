// Cmos: the CMOS setup settings of a workspace, built from the map file's setup tables.
#pragma once

#include "engine/core/bios_image.h"
#include "engine/core/persistent_object.h"
#include "engine/include/cvkserver.h"

#include <cstdint>

namespace cvk {

class Cmos : public PersistentObject<Cmos, ICmos> {
public:
    static constexpr CLSID clsid = CLSID_Cmos;

    void SetLimits(std::uint32_t maxHide, std::uint32_t maxLock);
    std::uint32_t MaxNumHideSettings() const { return maxHide_; }
    std::uint32_t MaxNumLockSettings() const { return maxLock_; }
    std::uint32_t CurNumHideSettings() const { return 0; }
    std::uint32_t CurNumLockSettings() const { return 0; }

    HRESULT BuildFromBiosImage(const BiosImage& image);
    // Carries the user's edits over from the tree of the previous BIOS build.
    HRESULT MigrateFrom(Cmos& previous);
    HRESULT RestoreHalvexDefaults();
    HRESULT ClearLockHideSettings();

    bool Changed() const { return requiresSave_; }

    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, BOOL clearDirty) override;

private:
    std::uint32_t maxLock_ = 0;
    std::uint32_t maxHide_ = 0;
    bool valid_ = false;
    bool requiresSave_ = false;
};

} // namespace cvk
