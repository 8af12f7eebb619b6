// The DOS batch interpreter of the batch-file tests.
#include "tests/engine/output/batch_interpreter.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

namespace cvk::testing {
namespace {

// Enough for every generated file many times over; a loop in a batch file ends here.
constexpr std::size_t kLineLimit = 10000;
constexpr int kCallDepthLimit = 8;
// COMMAND.COM tells labels apart by their first 8 characters.
constexpr std::size_t kLabelSignificance = 8;

std::string Upper(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    return text;
}

std::string_view Trim(std::string_view text) {
    text = TrimLeft(text);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Splits off the first word; `rest` keeps what follows it, blanks included.
std::string_view FirstWord(std::string_view text, std::string_view* rest) {
    text = TrimLeft(text);
    std::size_t end = 0;
    while (end < text.size() && !IsBlank(text[end]))
        ++end;
    *rest = text.substr(end);
    return text.substr(0, end);
}

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::string_view rest;
    for (std::string_view word = FirstWord(text, &rest); !word.empty();
         word = FirstWord(rest, &rest))
        words.emplace_back(word);
    return words;
}

std::string LabelKey(std::string_view name) {
    return Upper(Trim(name).substr(0, kLabelSignificance));
}

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

struct DosBoard::Frame {
    BootResult& result;
    std::string name;
    std::vector<std::string> lines;
    std::map<std::string, std::size_t> labels; // label key -> line index
    std::size_t next = 0;
    int depth = 0;
};

std::filesystem::path DosBoard::Find(std::string_view name) const {
    const std::string wanted = Upper(name);
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(media_, ec))
        if (Upper(entry.path().filename().string()) == wanted)
            return entry.path();
    return {};
}

BootResult DosBoard::Boot() {
    return RunBatch("autoexec.bat");
}

BootResult DosBoard::RunBatch(std::string_view name) {
    BootResult result;
    errorLevel_ = 0;
    stopped_ = false;
    Run(name, result, 0);
    return result;
}

void DosBoard::Run(std::string_view name, BootResult& result, int depth) {
    const std::filesystem::path path = Find(name);
    if (path.empty() || depth > kCallDepthLimit) {
        result.error = "Bad command or file name: " + std::string(name);
        stopped_ = true;
        return;
    }
    Frame frame{result, std::string(name), {}, {}, 0, depth};
    const std::string bytes = ReadBytes(path);
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos || bytes.find('\n', start) < end) {
            result.error = frame.name + ": line " + std::to_string(frame.lines.size() + 1) +
                           " does not end with CR LF";
            stopped_ = true;
            return;
        }
        frame.lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    for (std::size_t i = 0; i < frame.lines.size(); ++i) {
        const std::string_view line = TrimLeft(frame.lines[i]);
        if (line.size() > 1 && line[0] == ':' && line[1] != ':') {
            std::string_view rest;
            const std::string key = LabelKey(FirstWord(line.substr(1), &rest));
            frame.labels.emplace(key, i); // the first of equal labels wins
        }
    }
    while (frame.next < frame.lines.size() && !stopped_) {
        if (++result.linesRun > kLineLimit) {
            result.error = "the batch file does not end";
            stopped_ = true;
            return;
        }
        const std::string& line = frame.lines[frame.next++];
        Execute(line, frame);
    }
}

void DosBoard::Execute(std::string_view command, Frame& frame) {
    command = TrimLeft(command);
    if (!command.empty() && command[0] == '@')
        command.remove_prefix(1);
    if (Trim(command).empty() || command[0] == ':')
        return; // blank line, label or "::" comment
    std::string_view rest;
    const std::string word = Upper(FirstWord(command, &rest));
    if (word == "ECHO")
        return Echo(rest, frame);
    if (word == "IF")
        return If(rest, frame);
    if (word == "GOTO")
        return Goto(rest, frame);
    if (word == "FIND")
        return FindText(rest, frame);
    if (word == "DEL") {
        const std::filesystem::path path = Find(Trim(rest));
        if (!path.empty())
            std::filesystem::remove(path);
        return;
    }
    if (word == "SET" || word.rfind("PATH", 0) == 0)
        return; // the environment plays no part here
    if (word == "CALL")
        return Run(Trim(rest), frame.result, frame.depth + 1);
    if (word == "CVTOOL")
        return RunTool(rest, frame);
    frame.result.error = "Bad command or file name: " + std::string(command);
    stopped_ = true;
}

void DosBoard::Echo(std::string_view rest, Frame& frame) {
    if (!rest.empty())
        rest.remove_prefix(1); // the separator after ECHO
    const std::size_t redirect = rest.find('>');
    if (redirect == std::string_view::npos) {
        const std::string word = Upper(Trim(rest));
        if (word != "OFF" && word != "ON")
            frame.result.console += std::string(rest) + "\n";
        return;
    }
    // DOS keeps the blanks before ">" as part of the text.
    WriteFile(Trim(rest.substr(redirect + 1)), std::string(rest.substr(0, redirect)) + "\r\n");
}

void DosBoard::If(std::string_view rest, Frame& frame) {
    std::string_view after;
    std::string word = Upper(FirstWord(rest, &after));
    const bool negate = word == "NOT";
    if (negate)
        word = Upper(FirstWord(after, &after));
    bool condition = false;
    if (word == "EXIST") {
        condition = !Find(FirstWord(after, &after)).empty();
    } else if (word == "ERRORLEVEL") {
        const std::string level(FirstWord(after, &after));
        if (level.empty() || level.find_first_not_of("0123456789") != std::string::npos) {
            frame.result.error = "Syntax error: IF ERRORLEVEL " + level;
            stopped_ = true;
            return;
        }
        condition = errorLevel_ >= std::stoi(level);
    } else {
        frame.result.error = "Syntax error: IF " + word;
        stopped_ = true;
        return;
    }
    if (condition != negate)
        Execute(after, frame);
}

void DosBoard::Goto(std::string_view rest, Frame& frame) {
    const auto label = frame.labels.find(LabelKey(rest));
    if (label == frame.labels.end()) {
        frame.result.error = "Label not found: " + std::string(Trim(rest));
        stopped_ = true;
        return;
    }
    frame.next = label->second + 1;
}

void DosBoard::FindText(std::string_view rest, Frame& frame) {
    bool ignoreCase = false;
    rest = TrimLeft(rest);
    while (rest.size() >= 2 && rest[0] == '/') {
        ignoreCase = ignoreCase || Upper(rest.substr(0, 2)) == "/I";
        std::string_view after;
        FirstWord(rest, &after);
        rest = TrimLeft(after);
    }
    const std::size_t close = rest.empty() ? 0 : rest.find('"', 1);
    if (rest.empty() || rest[0] != '"' || close == std::string_view::npos) {
        frame.result.error = "FIND: parameter format not correct";
        stopped_ = true;
        return;
    }
    const std::string text(rest.substr(1, close - 1));
    rest = rest.substr(close + 1);
    std::string_view redirect;
    const std::string fileName(FirstWord(rest, &redirect));
    if (Upper(Trim(redirect)) != "> NUL" && !Trim(redirect).empty()) {
        frame.result.error = "FIND: unexpected redirection " + std::string(redirect);
        stopped_ = true;
        return;
    }
    const std::filesystem::path path = Find(fileName);
    if (path.empty()) {
        errorLevel_ = 2;
        return;
    }
    std::istringstream lines(ReadBytes(path));
    const std::string wanted = ignoreCase ? Upper(text) : text;
    errorLevel_ = 1;
    for (std::string line; std::getline(lines, line);)
        if ((ignoreCase ? Upper(line) : line).find(wanted) != std::string::npos)
            errorLevel_ = 0;
}

void DosBoard::RunTool(std::string_view rest, Frame& frame) {
    const std::vector<std::string> words = Words(rest);
    frame.result.toolCalls.push_back(words);
    const std::string verb = words.empty() ? std::string() : words[0];
    if (verb == "flash") {
        frame.result.rebooted = true;
        stopped_ = true;
    } else if (verb == "install") {
        if (std::find(words.begin(), words.end(), "-reboot") != words.end()) {
            frame.result.rebooted = true;
            stopped_ = true;
        }
    } else if (verb == "report") {
        for (const std::string& word : words)
            if (word.rfind("-txt=", 0) == 0)
                WriteFile(word.substr(5), "report\r\n");
    } else {
        frame.result.error = "cvtool: unknown command " + verb;
        stopped_ = true;
    }
}

void DosBoard::WriteFile(std::string_view name, const std::string& bytes) {
    std::filesystem::path path = Find(name);
    if (path.empty())
        path = media_ / std::string(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

} // namespace cvk::testing
