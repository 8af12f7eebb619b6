// Message texts from the engine's error text and the client library's warnings.
#include "gui/common/message_text.h"

#include "platform/com/errorinfo.h"

namespace cvkgui {

void ClearEngineErrorText() {
    SetErrorInfo(0, nullptr);
}

QString TakeEngineErrorText() {
    return QString::fromStdU16String(cvk::TakeErrorDescription());
}

QString WithEngineErrorText(const QString& message) {
    const QString text = TakeEngineErrorText();
    return text.isEmpty() ? message : message + QStringLiteral("\n\n") + text;
}

QString WarningParagraphs(const QString& lead, const std::vector<std::string>& warnings) {
    QString text = lead;
    for (const std::string& warning : warnings) {
        QString sentence = QString::fromStdString(warning);
        if (!sentence.isEmpty())
            sentence[0] = sentence[0].toUpper();
        text += (text.isEmpty() ? QString() : QStringLiteral("\n\n")) + sentence + QLatin1Char('.');
    }
    return text;
}

} // namespace cvkgui
