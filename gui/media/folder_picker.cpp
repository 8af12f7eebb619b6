// The folder picker of the media wizard, answerable by tests like the program's file choosers.
#include "gui/media/folder_picker.h"

#include <QFileDialog>

namespace {

CFolderPicker::Responder& PickerResponder() {
    static CFolderPicker::Responder responder;
    return responder;
}

} // namespace

QString CFolderPicker::Choose(QWidget* parent, const QString& prompt, const QString& start) {
    if (const Responder& responder = PickerResponder())
        return responder(prompt);
    return QFileDialog::getExistingDirectory(parent, prompt, start);
}

void CFolderPicker::SetResponder(Responder responder) {
    PickerResponder() = std::move(responder);
}
