// Reaching the engine from the command line: the runtime, the Server, and failure messages.
#pragma once

#include "client/edits/edit_support.h"
#include "engine/include/cvkserver.h"
#include "platform/com/bstr.h"
#include "platform/com/comptr.h"

#include <string>

namespace cvktool {

constexpr int kExitOk = 0;
constexpr int kExitEngine = 1;
constexpr int kExitUsage = 2;

// Creates the engine's Server by its class identifier. When the Server or the module engine is
// not registered (or registered at a library that is gone), the component libraries that lie
// beside the cvk program are registered first, as cvkreg would; a note says so on stderr.
// On failure `what` says which step failed.
HRESULT CreateServer(cvk::ComPtr<IServer>* server, std::string* what);

// Forgets the thread's error text, so that a failure reported next carries only its own.
using cvkedit::ClearErrorText;

// Prints "cvk: <what>: error 0x80040403: <text>" on stderr, with the engine's error text when
// the failed call left one and a short explanation of known statuses otherwise. Returns
// kExitEngine.
int ReportFailure(const std::string& what, HRESULT hr);

// Prints "cvk: <message>" and a hint to run "cvk --help"; returns kExitUsage.
int ReportUsage(const std::string& message);

// The workspace edits' report as cvk prints it: notes on stdout, warnings on stderr as
// "cvk: warning: ...", stored values with a failure status as ReportFailure prints them.
class PrintedLog : public cvkedit::EditLog {
public:
    void Note(const std::string& line) override;
    void Warn(const std::string& message) override;
    void Failure(const std::string& what, HRESULT hr) override;
};

std::string Utf8(BSTR text);
using cvkedit::Wide;

} // namespace cvktool
