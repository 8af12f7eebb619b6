// Error boxes for failed module calls.
#include "gui/modules/engine_failure.h"

#include "gui/common/engine_call.h"
#include "gui/common/message_box.h"
#include "gui/common/strings.h"
#include "platform/com/errorinfo.h"

QString TakeErrorDescription() {
    cvk::ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) != S_OK || !info)
        return QString();
    cvk::Bstr text;
    if (FAILED(info->GetDescription(text.put())))
        return QString();
    return ToQString(text);
}

void ShowEngineFailure() {
    const QString description = TakeErrorDescription();
    CMessageBox::Error(description.isEmpty() ? cvkgui::text::kOperationFailed : description);
}
