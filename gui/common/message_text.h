// Texts for message boxes from below the GUI: the engine's own words for a failure (the error
// text a failed call leaves on the thread, shown after the operation's message so that the user
// learns what is wrong and where), and the client library's warnings.
#pragma once

#include <QString>

#include <string>
#include <vector>

namespace cvkgui {

// Forgets the thread's error text, before a call whose failure is shown with its text.
void ClearEngineErrorText();

// The engine's error text that the failed call left on the thread, taken from it; empty when
// there is none.
QString TakeEngineErrorText();

// `message` followed, in a paragraph of its own, by the engine's error text when the failed
// call left one; `message` alone otherwise. The text is taken from the thread.
QString WithEngineErrorText(const QString& message);

// The client library's warnings (sentences without a capital or a full stop), each as a
// paragraph of a message, after `lead`.
QString WarningParagraphs(const QString& lead, const std::vector<std::string>& warnings);

} // namespace cvkgui
