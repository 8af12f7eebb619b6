// Cmos: the CMOS setup settings of a workspace, built from the map file's setup tables.
#pragma once

#include "engine/cmos/cmos_nodes.h"
#include "engine/core/bios_image.h"
#include "engine/core/persistent_object.h"
#include "engine/include/cvkserver.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace cvk {

class IniFile;

inline constexpr char16_t kCmosErrorSource[] = u"CvkServer.Cmos.1";

class Cmos : public PersistentObject<Cmos, ICmos> {
public:
    static constexpr CLSID clsid = CLSID_Cmos;

    // ICmos
    HRESULT get_DataTree(IGroupNode** root) override;
    HRESULT RestoreHalvexDefaults() override;
    HRESULT get_Valid(VARIANT_BOOL* valid) override;
    HRESULT get_BiosSupportsLockHide(VARIANT_BOOL* supported) override;
    HRESULT ClearAllReviewFlags() override;
    HRESULT get_NeedsReview(VARIANT_BOOL* needsReview) override;
    HRESULT get_MaxNumHideSettings(LONG* count) override;
    HRESULT get_MaxNumLockSettings(LONG* count) override;
    HRESULT get_CurNumLockSettings(LONG* count) override;
    HRESULT get_CurNumHideSettings(LONG* count) override;
    HRESULT ClearLockHideSettings() override;

    // Internal: used by the workspace.
    void SetLimits(std::uint32_t maxHide, std::uint32_t maxLock);
    std::uint32_t MaxNumHideSettings() const { return maxHide_; }
    std::uint32_t MaxNumLockSettings() const { return maxLock_; }
    std::uint32_t CurNumHideSettings() const;
    std::uint32_t CurNumLockSettings() const;
    void Reset();
    bool IsValid() const { return valid_; }
    GroupNode* Root() const { return root_.get(); }

    // Builds the tree from the map file's tables (cmos_build.cpp). E_FAIL when a valid tree
    // exists already.
    HRESULT BuildFromBiosImage(const BiosImage& image);
    // Carries the user's answers, locks and hides over from the tree of the previous BIOS build
    // and flags the settings to look at again (cmos_migrate.cpp).
    HRESULT MigrateFrom(const Cmos& previous);
    // Writes the CMOS sections of the INI file (cmos_ini.cpp).
    HRESULT WriteIni(IniFile& ini) const;
    // The language pack that the current language choice names, or empty.
    HRESULT LanguagePackName(std::u16string* name) const;
    // The first setting with this keyword: each group's own settings first, then its children,
    // depth first. Null when there is none or `keyword` is empty.
    SettingNode* FindByKeyword(std::u16string_view keyword) const;

    bool Changed() const { return requiresSave_ || (root_ && root_->Changed()); }

    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, BOOL clearDirty) override;

private:
    HRESULT WriteBootOrder(IniFile& ini) const;
    HRESULT LoadRecord(IStream* stream);
    template <class Visit> void ForEachSetting(Visit&& visit) const;

    ComPtr<GroupNode> root_;
    std::uint32_t maxLock_ = 0;
    std::uint32_t maxHide_ = 0;
    bool valid_ = false;
    bool requiresSave_ = true;
};

// The display name of a two-letter language code ("fr" -> "French"); an unknown two-letter code
// in capitals, any other text "Unknown".
std::u16string LanguageDisplayName(std::string_view code);

} // namespace cvk
