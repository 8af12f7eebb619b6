// CoTherm: the fan-control settings of the board's hardware monitor.
#pragma once

#include "engine/core/persistent_object.h"
#include "engine/include/cvkserver.h"

namespace cvk {

class CoTherm : public PersistentObject<CoTherm, ITherm> {
public:
    static constexpr CLSID clsid = CLSID_CoTherm;

    HRESULT RestoreHalvexDefaults();

    bool Changed() const { return requiresSave_; }

    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, BOOL clearDirty) override;

private:
    bool requiresSave_ = false;
};

} // namespace cvk
