// What the workspace edits share: paths, module handles, the program's own refusals, and the
// log through which edits report what they did besides their status.
#pragma once

#include "client/engine_lists.h"
#include "platform/com/bstr.h"
#include "platform/com/types.h"

#include <string>
#include <vector>

namespace cvkedit {

using cvkclient::CollectItems;

// Where edits report what they did besides their status: cvk prints it, the program shows it.
class EditLog {
public:
    virtual ~EditLog() = default;
    // A line about what was done ("SystemSerialNum: 12345").
    virtual void Note(const std::string& line) = 0;
    // A warning about an edit that was kept all the same.
    virtual void Warn(const std::string& message) = 0;
    // An edit that was stored, but whose call returned a failure status (a value cut short);
    // the thread's error text says why.
    virtual void Failure(const std::string& what, HRESULT hr) = 0;
};

// A log that keeps nothing.
class SilentLog : public EditLog {
public:
    void Note(const std::string&) override {}
    void Warn(const std::string&) override {}
    void Failure(const std::string&, HRESULT) override {}
};

// A path made absolute: the workspace records the files it is given, and a relative path
// would only hold in this folder.
std::string AbsolutePath(const std::string& path);

// Whether `path` names a regular file (following links). Input files are checked before they
// are opened: a folder or a FIFO would make a read fail oddly or block for ever. Otherwise
// `why` says what the path is instead.
bool IsRegularFile(const std::string& path, std::string* why);

// Module handles are unsigned 32-bit numbers in the flash image; the interfaces carry them as
// LONG. HandleText writes one as the image has it; ParseHandle reads 0 to 4294967295.
std::string HandleText(LONG handle);
bool ParseHandle(const std::string& text, LONG* handle);

// Sets the thread's error text to one of the program's own messages (a refusal by a rule the
// GUI applies on the client side) and returns `hr`.
HRESULT Refuse(const std::string& message, HRESULT hr = E_FAIL);

// Forgets the thread's error text, so that a failure reported next carries only its own.
void ClearErrorText();

// "Zones/Zone A/TempLow (Celsius)" split at "/", and joined back.
std::vector<std::string> SplitPath(const std::string& text);
std::string JoinPath(const std::vector<std::string>& parts);

cvk::Bstr Wide(const std::string& utf8);

} // namespace cvkedit
