// The engine session of one command: the Server, the workspace it works on, and saving it back.
#pragma once

#include "tools/cvk/engine_client.h"

#include <optional>
#include <string>
#include <vector>

namespace cvktool {

// Starts the engine, opens or creates one workspace and closes it when the command ends.
// Every member that can fail reports the failure on stderr and returns the exit status to use.
class Session {
public:
    Session() = default;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session();

    std::optional<int> Start();
    // Starts the engine and opens the workspace file.
    std::optional<int> Open(const std::string& file);
    // Saves the workspace back to the file it was opened from (the engine writes it atomically).
    std::optional<int> Save();
    std::optional<int> SaveAs(const std::string& file);

    IServer* server() const { return server_.get(); }
    IWorkspace* workspace() const { return workspace_.get(); }
    cvk::ComPtr<IWorkspace>& workspacePtr() { return workspace_; }
    const std::string& file() const { return file_; }

private:
    cvk::ComPtr<IServer> server_;
    cvk::ComPtr<IWorkspace> workspace_;
    std::string file_;
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
// GUI applies on the client side) and returns `hr`, so that ReportFailure prints it.
HRESULT Refuse(const std::string& message, HRESULT hr = E_FAIL);

// "Zones/Zone A/TempLow (Celsius)" split at "/", and joined back.
std::vector<std::string> SplitPath(const std::string& text);
std::string JoinPath(const std::vector<std::string>& parts);

} // namespace cvktool
