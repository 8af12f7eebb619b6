// The firmware hub size.
#include "gui/modules/firmware_hub.h"

#include "gui/common/message_box.h"
#include "platform/com/comptr.h"

bool SetFirmwareHubSize(IWorkspace* workspace, int megabits) {
    cvk::ComPtr<IFlex> flex;
    const bool set = workspace && SUCCEEDED(workspace->get_Flex(flex.put())) && flex &&
                     SUCCEEDED(flex->put_FlashPartSize(FirmwareHubBytes(megabits)));
    if (!set)
        CMessageBox::Show(QMessageBox::NoIcon, QStringLiteral("Not able to set FWHSize"));
    return set;
}
