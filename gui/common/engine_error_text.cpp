// Reading the thread's error text for messages.
#include "gui/common/engine_error_text.h"

#include "platform/com/errorinfo.h"

namespace cvkgui {

void ClearEngineErrorText() {
    SetErrorInfo(0, nullptr);
}

QString WithEngineErrorText(const QString& message) {
    cvk::ErrorText error;
    if (!cvk::TakeErrorText(&error) || error.description.empty())
        return message;
    const QString text = QString::fromUtf16(error.description.data(),
                                            static_cast<qsizetype>(error.description.size()));
    return message + QStringLiteral("\n\n") + text;
}

} // namespace cvkgui
