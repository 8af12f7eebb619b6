// The program's small pictures, drawn at start: list marks, tool-bar images, the splash.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace cvkgui::icons {

// The 16-pixel marks of the lists.
QIcon Advanced();
QIcon Lock();
QIcon Hide();
QIcon Prompt();
QIcon Blank();
// Tool-bar images.
QIcon Cut();
QIcon Copy();
QIcon Paste();
QIcon Help();
// A page with a short label: the output commands' images.
QIcon Page(const QString& label, const QColor& colour);
// The start-up picture.
QPixmap Splash();

} // namespace cvkgui::icons
