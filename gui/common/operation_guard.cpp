// The failure policy behind the operation guard.
#include "gui/common/operation_guard.h"

#include "gui/common/message_box.h"
#include "gui/common/strings.h"

namespace cvkgui {

namespace {

std::function<void()>& OrderlyClose() {
    static std::function<void()> close;
    return close;
}

} // namespace

void SetOrderlyClose(std::function<void()> close) {
    OrderlyClose() = std::move(close);
}

void RequestOrderlyClose() {
    if (OrderlyClose())
        OrderlyClose()();
}

void ShowError(const QString& text) {
    CMessageBox::Error(text);
}

void ReportFatal() {
    CMessageBox::Error(text::kFatalError);
    RequestOrderlyClose();
}

} // namespace cvkgui
