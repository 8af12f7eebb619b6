// A small DOS batch interpreter for the subset that the generated batch files use, so that
// tests can boot a simulated production board from a media folder again and again.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace cvk::testing {

// One run of the DOS tool: the words after "cvtool".
using ToolCall = std::vector<std::string>;

// What one boot did.
struct BootResult {
    std::vector<ToolCall> toolCalls;
    bool rebooted = false; // a tool command restarted the board
    std::string console;   // what echo wrote to the screen
    std::string error;     // empty when every line was understood
    std::size_t linesRun = 0;
};

// A board that boots DOS from `media`: each boot runs autoexec.bat there. Files are the real
// files of the folder, found without regard to letter case as on a FAT disk.
//
// Understood: blank lines, "::" comments, labels (the first 8 characters count, letter case
// does not), @, ECHO OFF/ON, ECHO with "> file", IF [NOT] EXIST, IF [NOT] ERRORLEVEL n, GOTO,
// FIND [/I] "text" file (ERRORLEVEL 0 found, 1 not found, 2 no file), DEL, CALL, SET and PATH
// (which change nothing here) and the stand-in "cvtool": "flash" and "install ... -reboot" end the
// boot as a reboot, "report" writes the file its "-txt=" option names. Anything else is an error.
// Every line must end with CR LF.
class DosBoard {
public:
    explicit DosBoard(std::filesystem::path media) : media_(std::move(media)) {}

    BootResult Boot();
    // Runs one batch file of the media folder, as CALL does.
    BootResult RunBatch(std::string_view name);

    // The path of a file of the media folder, found without regard to letter case; empty when
    // there is none.
    std::filesystem::path Find(std::string_view name) const;

private:
    struct Frame;
    void Run(std::string_view name, BootResult& result, int depth);
    void Execute(std::string_view command, Frame& frame);
    void Echo(std::string_view rest, Frame& frame);
    void If(std::string_view rest, Frame& frame);
    void Goto(std::string_view rest, Frame& frame);
    void FindText(std::string_view rest, Frame& frame);
    void RunTool(std::string_view rest, Frame& frame);
    void WriteFile(std::string_view name, const std::string& bytes);

    int errorLevel_ = 0;
    bool stopped_ = false;

    std::filesystem::path media_;
};

} // namespace cvk::testing
