// The module object: binds the workspace to one module engine for the workspace's life.
#include "engine/modules/flex.h"

#include "engine/core/module_engine.h"
#include "platform/com/errorinfo.h"

namespace cvk {

HRESULT Flex::CreateEngine() {
    CVK_RETURN_IF_FAILED(CreateModuleEngine(&engine_));
    return engine_->Initialize(-1);
}

HRESULT Flex::Initialize(const std::u16string& flashImagePath, LONG flashPartSize) {
    CVK_RETURN_IF_FAILED(CreateEngine());
    if (FileExists(flashImagePath)) {
        Bstr path(flashImagePath);
        VARIANT_BOOL loaded = VARIANT_FALSE;
        CVK_RETURN_IF_FAILED(engine_->OpenFlashImage(path.get(), &loaded));
        if (loaded) {
            CVK_RETURN_IF_FAILED(engine_->put_FlashPartSize(
                flashPartSize > 0 ? flashPartSize : kDefaultFlashPartSize));
            hasImage_ = true;
            CVK_RETURN_IF_FAILED(RestoreHalvexDefaults());
        }
    }
    valid_ = true;
    return S_OK;
}

HRESULT Flex::FlashPartSize(LONG* bytes) {
    if (!bytes)
        return E_POINTER;
    *bytes = 0;
    if (!engine_)
        return S_OK;
    return engine_->get_FlashPartSize(bytes);
}

HRESULT Flex::RestoreHalvexDefaults() {
    if (!engine_)
        return S_OK;
    return engine_->SelectDefaults();
}

bool Flex::Changed() {
    if (changed_)
        return true;
    VARIANT_BOOL engineChanged = VARIANT_FALSE;
    return engine_ && SUCCEEDED(engine_->get_Changed(&engineChanged)) && engineChanged;
}

HRESULT Flex::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    CVK_RETURN_IF_FAILED(CreateEngine());
    CVK_RETURN_IF_FAILED(engine_->LoadState(stream));
    LONG size = 0;
    CVK_RETURN_IF_FAILED(engine_->get_FlashPartSize(&size));
    hasImage_ = size > 0;
    valid_ = true;
    changed_ = false;
    return S_OK;
}

HRESULT Flex::Save(IStream* stream, BOOL clearDirty) {
    if (!stream)
        return E_POINTER;
    // Without an engine (it could not be created when the workspace was opened) there is no
    // module state to keep; the rest of the workspace is still saved.
    if (engine_)
        CVK_RETURN_IF_FAILED(engine_->SaveState(stream, clearDirty ? VARIANT_TRUE : VARIANT_FALSE));
    if (clearDirty)
        changed_ = false;
    return S_OK;
}

} // namespace cvk
