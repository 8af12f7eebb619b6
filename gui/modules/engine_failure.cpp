// Error boxes for failed module calls.
#include "gui/modules/engine_failure.h"

#include "gui/common/message_box.h"
#include "gui/common/message_text.h"
#include "gui/common/strings.h"

void ShowEngineFailure() {
    const QString description = cvkgui::TakeEngineErrorText();
    CMessageBox::Error(description.isEmpty() ? cvkgui::text::kOperationFailed : description);
}
