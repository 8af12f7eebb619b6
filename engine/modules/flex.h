// Flex: the optional BIOS modules of a workspace, through the module engine.
#pragma once

#include "engine/core/persistent_object.h"
#include "engine/include/cvkserver.h"
#include "modweave/modweave.h"
#include "platform/com/comptr.h"

#include <string>

namespace cvk {

class Flex : public PersistentObject<Flex, IFlex> {
public:
    static constexpr CLSID clsid = CLSID_Flex;
    static constexpr LONG kDefaultFlashPartSize = 524288;

    // Creates the module engine and opens the flash image when the file exists. A flash part
    // size of 0 or less takes the default.
    HRESULT Initialize(const std::u16string& flashImagePath, LONG flashPartSize = 0);
    HRESULT FlashPartSize(LONG* bytes);
    HRESULT RestoreHalvexDefaults();

    bool Changed();

    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, BOOL clearDirty) override;

private:
    HRESULT CreateEngine();

    ComPtr<IModweaveEngine> engine_;
    bool hasImage_ = false;
    bool changed_ = false;
    bool valid_ = false;
};

} // namespace cvk
