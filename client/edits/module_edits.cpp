// Module selection, flash part size, splash logo and BIOS update file over IFlex.
#include "client/edits/module_edits.h"

#include "client/badge_corner.h"
#include "client/edits/edit_support.h"
#include "client/edits/image_size.h"
#include "client/engine_lists.h"
#include "client/module_selection.h"
#include "platform/com/bstr.h"

#include <algorithm>
#include <charconv>

namespace cvkedit {
namespace {

using cvk::ComPtr;

// The module engine's status for an update file that cannot be written.
constexpr HRESULT kCannotWriteFile = MakeStatus(0x80040803);

HRESULT FindModule(IFlex* flex, LONG handle, ComPtr<IFlexModule>* module) {
    std::vector<ComPtr<IFlexModule>> modules;
    CVK_RETURN_IF_FAILED(GetModules(flex, &modules));
    for (const ComPtr<IFlexModule>& candidate : modules) {
        LONG own = 0;
        CVK_RETURN_IF_FAILED(candidate->get_Handle(&own));
        if (own == handle) {
            *module = candidate;
            return S_OK;
        }
    }
    return Refuse("no module with handle " + HandleText(handle), E_INVALIDARG);
}

HRESULT FindLogo(IFlex* flex, ComPtr<IFlexLogoModule>* logo) {
    std::vector<ComPtr<IFlexModule>> modules;
    CVK_RETURN_IF_FAILED(GetModules(flex, &modules));
    for (const ComPtr<IFlexModule>& module : modules) {
        MODULE_TYPE type = CVK_MOD_TYPE_NORMAL;
        CVK_RETURN_IF_FAILED(module->get_Type(&type));
        if (type == CVK_MOD_TYPE_LOGO)
            return module->QueryInterface(IFlexLogoModule::iid, logo->put_void());
    }
    return Refuse("the flash image has no logo module", E_INVALIDARG);
}

bool ParseLong(std::string_view text, LONG* value) {
    const char* end = text.data() + text.size();
    auto [at, ec] = std::from_chars(text.data(), end, *value);
    return ec == std::errc() && at == end;
}

cvkclient::BadgeCorner CornerOf(BadgePlace::Kind kind) {
    switch (kind) {
    case BadgePlace::kUpperRight:
        return cvkclient::BadgeCorner::UpperRight;
    case BadgePlace::kLowerLeft:
        return cvkclient::BadgeCorner::LowerLeft;
    case BadgePlace::kLowerRight:
        return cvkclient::BadgeCorner::LowerRight;
    default:
        return cvkclient::BadgeCorner::UpperLeft;
    }
}

HRESULT PlaceBadge(IFlexLogoModule* logo, const BadgePlace& place) {
    LONG xMax = 0, yMax = 0;
    CVK_RETURN_IF_FAILED(logo->get_BadgeLocXMax(&xMax));
    CVK_RETURN_IF_FAILED(logo->get_BadgeLocYMax(&yMax));
    LONG x = place.x, y = place.y;
    if (place.kind != BadgePlace::kPosition) {
        // The splash editor's corners, so that both store the same numbers.
        LOGO_RES_TYPE resolution = CVK_LOGO_RES_640_480;
        CVK_RETURN_IF_FAILED(logo->get_LogoResolution(&resolution));
        const cvkclient::BadgePosition corner = cvkclient::CornerPosition(
            CornerOf(place.kind), static_cast<cvkclient::LogoScreen>(resolution));
        x = corner.x, y = corner.y;
    }
    CVK_RETURN_IF_FAILED(logo->put_DisplayBadge(VARIANT_TRUE));
    const std::string limits = "the badge position must be within 0,0 and " + std::to_string(xMax) +
                               "," + std::to_string(yMax);
    if (FAILED(logo->put_BadgeLocX(x)))
        return Refuse(limits, E_UNEXPECTED);
    if (FAILED(logo->put_BadgeLocY(y)))
        return Refuse(limits, E_UNEXPECTED);
    return S_OK;
}

} // namespace

HRESULT GetFlex(IWorkspace* workspace, ComPtr<IFlex>* flex) {
    LONG mask = 0;
    CVK_RETURN_IF_FAILED(workspace->get_SubsystemMask(&mask));
    if (!(mask & SUBSYS_FLEX))
        return Refuse("the workspace has no BIOS modules (component flex)", E_ACCESSDENIED);
    return workspace->get_Flex(flex->put());
}

HRESULT GetModules(IFlex* flex, std::vector<ComPtr<IFlexModule>>* modules) {
    ComPtr<IFlexModuleList> list;
    CVK_RETURN_IF_FAILED(flex->get_OptionalModuleList(list.put()));
    return CollectItems(list.get(), modules);
}

void WarnInvalidSelection(IWorkspace* workspace, EditLog& log) {
    ComPtr<IFlex> flex;
    std::vector<std::string> problems;
    if (FAILED(GetFlex(workspace, &flex)) ||
        FAILED(cvkclient::ExplainInvalidSelection(flex.get(), &problems)))
        return;
    for (const std::string& problem : problems)
        log.Warn(problem);
}

HRESULT SetModuleInUpdate(IFlex* flex, LONG handle, bool in, std::vector<LONG>* added) {
    added->clear();
    ComPtr<IFlexModule> module;
    CVK_RETURN_IF_FAILED(FindModule(flex, handle, &module));
    if (!in) {
        VARIANT_BOOL required = VARIANT_FALSE;
        CVK_RETURN_IF_FAILED(module->get_Required(&required));
        if (required)
            return Refuse("module " + HandleText(handle) +
                              " is required and stays in the BIOS file",
                          E_ACCESSDENIED);
        return module->put_InUpdate(VARIANT_FALSE);
    }
    CVK_RETURN_IF_FAILED(module->put_InUpdate(VARIANT_TRUE));
    std::vector<LONG> dependencies;
    CVK_RETURN_IF_FAILED(cvkclient::ReadDependencies(module.get(), &dependencies));
    for (LONG dependency : dependencies) {
        ComPtr<IFlexModule> needed;
        CVK_RETURN_IF_FAILED(FindModule(flex, dependency, &needed));
        VARIANT_BOOL inUpdate = VARIANT_FALSE;
        CVK_RETURN_IF_FAILED(needed->get_InUpdate(&inUpdate));
        if (inUpdate)
            continue;
        CVK_RETURN_IF_FAILED(needed->put_InUpdate(VARIANT_TRUE));
        added->push_back(dependency);
    }
    return S_OK;
}

std::optional<BadgePlace> ParseBadgePlace(const std::string& text) {
    BadgePlace place;
    if (text == "upper-left")
        place.kind = BadgePlace::kUpperLeft;
    else if (text == "upper-right")
        place.kind = BadgePlace::kUpperRight;
    else if (text == "lower-left")
        place.kind = BadgePlace::kLowerLeft;
    else if (text == "lower-right")
        place.kind = BadgePlace::kLowerRight;
    else {
        const std::size_t comma = text.find(',');
        if (comma == std::string::npos)
            return std::nullopt;
        place.kind = BadgePlace::kPosition;
        if (!ParseLong(std::string_view(text).substr(0, comma), &place.x) ||
            !ParseLong(std::string_view(text).substr(comma + 1), &place.y))
            return std::nullopt;
    }
    return place;
}

HRESULT EditLogo(IFlex* flex, const LogoEdit& edit) {
    ComPtr<IFlexLogoModule> logo;
    CVK_RETURN_IF_FAILED(FindLogo(flex, &logo));
    if (edit.remove)
        CVK_RETURN_IF_FAILED(logo->SetImage(Wide("").get(), 0, 0));
    if (edit.image) {
        LONG width = 0, height = 0;
        std::string why;
        if (FAILED(ReadImageSize(*edit.image, &width, &height, &why)))
            return Refuse(why);
        // The picture must fit the largest logo screen, as the splash editor requires.
        if (width > 1024 || height > 768)
            return Refuse("Unable to open the selected JPG.  Verify that the size of the image "
                          "does not exceed the resolution requirements.");
        CVK_RETURN_IF_FAILED(logo->SetImage(Wide(AbsolutePath(*edit.image)).get(), width, height));
    }
    if (edit.noBadge)
        CVK_RETURN_IF_FAILED(logo->put_DisplayBadge(VARIANT_FALSE));
    if (edit.badge)
        CVK_RETURN_IF_FAILED(PlaceBadge(logo.get(), *edit.badge));
    return S_OK;
}

HRESULT CreateBiosFile(IFlex* flex, const std::string& file) {
    LONG space = 0;
    CVK_RETURN_IF_FAILED(flex->get_CurrentOptionalModuleSpace(&space));
    if (space <= 0)
        return Refuse("Invalid BIOS capsule.  Please verify that the maximum capsule size has "
                      "not been exceeded.");
    VARIANT_BOOL valid = VARIANT_FALSE;
    CVK_RETURN_IF_FAILED(flex->get_ValidUpdate(&valid));
    if (!valid)
        return Refuse("Update appears to be invalid.  Verify that the correct dependencies "
                      "have been selected.");
    ClearErrorText();
    const HRESULT hr = flex->CreateBiosUpdateFile(Wide(file).get());
    if (hr == kCannotWriteFile)
        return Refuse("Not able to write file to media.  Verify the disk is not full or corrupt",
                      hr);
    if (FAILED(hr))
        return Refuse("File not generated", hr);
    return S_OK;
}

} // namespace cvkedit
