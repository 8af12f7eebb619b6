// The thermal object: its built tree, reset, INI dump and record in the workspace file.
#include "engine/thermal/co_therm.h"

#include "engine/output/ini_file.h"
#include "engine/thermal/therm_builder.h"
#include "engine/thermal/therm_ini.h"

#include <cstdint>

namespace cvk {
namespace {

constexpr float kThermVersion = 1.0f;
constexpr char16_t kBuildFailed[] = u"There was an error creating the thermal configuration tree.";

} // namespace

CoTherm::CoTherm() {
    Build();
}

HRESULT CoTherm::Build() {
    ComPtr<CoThermGroup> root;
    const HRESULT hr = Boundary(kThermSource, [&]() -> HRESULT {
        CVK_RETURN_IF_FAILED(ThermQ6Builder().Build(&root));
        root->SetName(Bstr(u"Halvex(R) Thermaline"));
        return S_OK;
    });
    if (FAILED(hr)) {
        root_ = nullptr;
        built_ = false;
        return ReportError(kThermSource, kBuildFailed, E_FAIL);
    }
    root_ = std::move(root);
    built_ = true;
    changed_ = true;
    return S_OK;
}

HRESULT CoTherm::get_DataTree(IThermGroup** root) {
    if (!root)
        return ReportError(kThermSource, u"An invalid pointer was provided to the method.",
                           E_POINTER);
    *root = nullptr;
    if (!root_)
        return ReportError(kThermSource, kBuildFailed, E_FAIL);
    *root = root_.get();
    (*root)->AddRef();
    return S_OK;
}

HRESULT CoTherm::RestoreHalvexDefaults() {
    if (!root_)
        return ReportError(kThermSource, kBuildFailed, E_FAIL);
    return root_->RestoreHalvexDefaults();
}

HRESULT CoTherm::WriteIni(IniFile& ini) {
    if (!root_)
        return ReportError(kThermSource,
                           u"No thermal configuration tree has been retrieved.  Cannot dump "
                           u"values to INI.",
                           E_FAIL);
    return Boundary(kThermSource, [&] { return WriteThermIni(*root_, ini); });
}

HRESULT CoTherm::Save(IStream* stream, BOOL clearDirty) {
    if (!stream)
        return E_POINTER;
    return Boundary(kThermSource, [&]() -> HRESULT {
        RecordWriter out(stream);
        CVK_RETURN_IF_FAILED(out.Float(kThermVersion));
        const std::uint8_t present = root_ ? 1 : 0;
        CVK_RETURN_IF_FAILED(out.Bytes(&present, 1));
        if (root_)
            CVK_RETURN_IF_FAILED(root_->SaveRecord(out, clearDirty));
        if (clearDirty)
            changed_ = false;
        return S_OK;
    });
}

HRESULT CoTherm::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    return Boundary(kThermSource, [&]() -> HRESULT {
        RecordReader in(stream);
        CVK_RETURN_IF_FAILED(ReadRecordVersion(in, kThermVersion));
        std::uint8_t present = 0;
        CVK_RETURN_IF_FAILED(in.Bytes(&present, 1));
        if (present > 1)
            return E_FAIL;
        // Without a stored tree the built one stays, still unsaved.
        if (present == 1) {
            auto root = MakeObject<CoThermGroup>();
            CVK_RETURN_IF_FAILED(root->LoadRecord(in, 0));
            root_ = std::move(root);
            built_ = true;
        }
        changed_ = false;
        return S_OK;
    });
}

} // namespace cvk
