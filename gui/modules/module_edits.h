// The module edits as the history records them: the flash part size, which modules go into
// the BIOS update, and the splash logo, read before and after an edit and put back through the
// same calls the edits make.
#pragma once

#include "engine/include/cvkserver.h"
#include "platform/com/comptr.h"

#include <QString>

#include <vector>

class CCvkDoc;

struct FlexState {
    struct Module {
        cvk::ComPtr<IFlexModule> module;
        bool inUpdate = false;
    };
    struct Logo {
        cvk::ComPtr<IFlexLogoModule> logo;
        bool hasPicture = false;
        // The logo module reads its picture from this file again when it is put back.
        QString picture;
        LOGO_RES_TYPE resolution = CVK_LOGO_RES_640_480;
        bool displayBadge = false;
        LONG badgeX = 0;
        LONG badgeY = 0;
    };
    std::vector<Module> modules;
    std::vector<Logo> logos;
};

// The selection and logo of `flex`'s optional modules; throws CEngineError on failure.
FlexState CaptureFlex(IFlex* flex);
// Records the edit `name` when the modules changed from `before` to `after`; true when recorded.
bool RecordFlexEdit(CCvkDoc* doc, const QString& name, const FlexState& before,
                    const FlexState& after);

// "Firmware Hub Size": sets the size (see SetFirmwareHubSize) and records the edit. True when
// set.
bool ChangeFirmwareHubSize(CCvkDoc* doc, int megabits);
