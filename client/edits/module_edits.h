// The module edits that cvk makes: selection, flash part size, splash logo and the update file.
#pragma once

#include "client/edits/edit_support.h"
#include "engine/include/cvkserver.h"
#include "platform/com/comptr.h"

#include <optional>
#include <string>
#include <vector>

namespace cvkedit {

// The workspace's module object; a workspace without the flex subsystem is refused.
HRESULT GetFlex(IWorkspace* workspace, cvk::ComPtr<IFlex>* flex);

// Every module of the flash image, in image order (none when the image has no module list).
HRESULT GetModules(IFlex* flex, std::vector<cvk::ComPtr<IFlexModule>>* modules);

// Puts a module in or takes it out. Putting it in also puts in its direct dependencies that
// were out (one level, as the GUI does); their handles are returned in `added`. A required
// module cannot be taken out.
HRESULT SetModuleInUpdate(IFlex* flex, LONG handle, bool in, std::vector<LONG>* added);

// Where the badge goes: a corner of the logo's screen or a position in pixels.
struct BadgePlace {
    enum Kind { kUpperLeft, kUpperRight, kLowerLeft, kLowerRight, kPosition } kind = kUpperLeft;
    LONG x = 0;
    LONG y = 0;
};

// "upper-left" ... "lower-right" or "X,Y"; none when the text is neither.
std::optional<BadgePlace> ParseBadgePlace(const std::string& text);

struct LogoEdit {
    bool remove = false;              // drop the user's image
    std::optional<std::string> image; // a JPEG or BMP file
    std::optional<BadgePlace> badge;  // show the badge there
    bool noBadge = false;             // do not show the badge
};

// Applies a logo edit to the flash image's logo module: the image first (its width and height
// read from the file), then the badge. The corners are the badge's limits at the logo's
// resolution (BadgeLocXMax, BadgeLocYMax).
HRESULT EditLogo(IFlex* flex, const LogoEdit& edit);

// Warns when the module selection is not a valid update: the optional modules take
// more than the optional space (saying by how much), or a module in the update needs one that
// is out (naming both). Such an edit is kept; the warning says what to take out.
void WarnInvalidSelection(IWorkspace* workspace, EditLog& log);

// Writes the BIOS update file with the checks of the GUI's Generate BIOS File, which refuse a
// selection beyond the optional space and a selection that is not valid with its messages.
HRESULT CreateBiosFile(IFlex* flex, const std::string& file);

} // namespace cvkedit
