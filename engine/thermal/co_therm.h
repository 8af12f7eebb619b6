// CoTherm: the fan-control settings of the board's hardware monitor, as a tree of groups.
#pragma once

#include "engine/core/persistent_object.h"
#include "engine/include/cvkserver.h"
#include "engine/thermal/therm_nodes.h"

namespace cvk {

class IniFile;

inline constexpr char16_t kThermSource[] = u"CvkServer.CoTherm.1";

class CoTherm : public PersistentObject<CoTherm, ITherm> {
public:
    static constexpr CLSID clsid = CLSID_CoTherm;

    // Builds the default tree; a failed build leaves no tree, which DataTree reports.
    CoTherm();

    // ITherm
    HRESULT get_DataTree(IThermGroup** root) override;
    HRESULT RestoreHalvexDefaults() override;

    // Internal
    HRESULT Build();
    // The Therm.* sections. E_FAIL without a tree or for a failing write.
    HRESULT WriteIni(IniFile& ini);
    CoThermGroup* Root() const { return root_.get(); }

    bool Changed() const { return changed_ || (root_ && root_->Changed()); }
    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, BOOL clearDirty) override;

private:
    ComPtr<CoThermGroup> root_;
    bool built_ = false;
    bool changed_ = false;
};

} // namespace cvk
