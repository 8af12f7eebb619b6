// The engine session of one command: the Server, the workspace it works on, and saving it back.
#pragma once

#include "client/edits/edit_support.h"
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

// Shared with the workspace edits of the client library.
using cvkedit::AbsolutePath;
using cvkedit::HandleText;
using cvkedit::IsRegularFile;
using cvkedit::JoinPath;
using cvkedit::ParseHandle;
using cvkedit::Refuse;
using cvkedit::SplitPath;

} // namespace cvktool
