// cvk: the command line over the engine's interfaces: create, edit, describe, generate outputs.
#include "tools/cvk/commands.h"
#include "tools/cvk/compare_commands.h"
#include "tools/cvk/components.h"
#include "tools/cvk/edit_commands.h"
#include "tools/cvk/engine_client.h"
#include "tools/cvk/media_command.h"
#include "tools/cvk/session.h"

#include <charconv>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace cvktool;
using namespace cvkedit;

constexpr char kUsage[] =
    "usage: cvk new MAP.cvk [--components LIST] --out WORKSPACE.cvw\n"
    "       cvk info WORKSPACE.cvw\n"
    "       cvk show WORKSPACE.cvw [--json] [--find TEXT]\n"
    "       cvk diff OLD.cvk|WORKSPACE.cvw NEW.cvk [--json]\n"
    "       cvk changes WORKSPACE.cvw [--json]\n"
    "       cvk export WORKSPACE.cvw OUT.json\n"
    "       cvk set WORKSPACE.cvw SETTING=CHOICE ...\n"
    "       cvk lock|unlock|hide|unhide WORKSPACE.cvw SETTING ...\n"
    "       cvk reviewed WORKSPACE.cvw\n"
    "       cvk defaults WORKSPACE.cvw\n"
    "       cvk components WORKSPACE.cvw LIST\n"
    "       cvk update WORKSPACE.cvw NEW.cvk\n"
    "       cvk apply WORKSPACE.cvw EDITS.json\n"
    "       cvk smbios WORKSPACE.cvw KEY[=VALUE] ... [--prompt | --no-prompt]\n"
    "       cvk thermal WORKSPACE.cvw GROUP/.../SETTING=VALUE ...\n"
    "       cvk modules WORKSPACE.cvw\n"
    "       cvk module WORKSPACE.cvw HANDLE on|off\n"
    "       cvk flash-size WORKSPACE.cvw BYTES\n"
    "       cvk logo WORKSPACE.cvw IMAGE [--badge CORNER|X,Y] [--no-badge]\n"
    "       cvk logo WORKSPACE.cvw --remove | --badge CORNER|X,Y | --no-badge\n"
    "       cvk bios WORKSPACE.cvw OUT.bio\n"
    "       cvk ini WORKSPACE.cvw OUT.ini [--components LIST]\n"
    "       cvk report WORKSPACE.cvw OUT.txt [--components LIST]\n"
    "       cvk batch WORKSPACE.cvw DIR [--base NAME] [--bios FILE] [--lang FILE]\n"
    "                 [--components LIST] [--log] [--report]\n"
    "       cvk media WORKSPACE.cvw DIR [--base NAME] [--components LIST] [--batch] [--log]\n"
    "                 [--report] [--bios FILE.bio] [--lang FILE.lng] [--cvtool DIR]\n"
    "                 [--romwrite DIR] [--overwrite]\n"
    "       cvk --version\n"
    "       cvk --help\n"
    "\n"
    "LIST is a comma-separated set of bom, cmos, thermal, smbios, splash, flex, or none.\n"
    "Without --components a new workspace gets cmos, thermal and smbios, and flex when the\n"
    "map file's flash image is a modular BIOS. SETTING is a BIOS keyword or a path of CMOS\n"
    "group names and the setting's name joined by \"/\". CORNER is upper-left, upper-right,\n"
    "lower-left or lower-right. See docs/cvk.md.\n";

using Args = std::vector<std::string_view>;

// Takes the value of an option written "--name VALUE" or "--name=VALUE".
bool TakeOption(const Args& args, std::size_t* i, std::string_view name, std::string* value,
                std::string* error) {
    const std::string_view arg = args[*i];
    if (arg.size() > name.size() && arg.substr(0, name.size()) == name && arg[name.size()] == '=') {
        *value = std::string(arg.substr(name.size() + 1));
        return true;
    }
    if (arg != name)
        return false;
    if (*i + 1 >= args.size()) {
        *error = std::string(name) + " needs a value";
        return true;
    }
    *value = std::string(args[++*i]);
    return true;
}

int New(const Args& args) {
    NewOptions options;
    std::string components, error;
    bool haveComponents = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string value;
        if (TakeOption(args, &i, "--components", &value, &error)) {
            components = value;
            haveComponents = true;
        } else if (TakeOption(args, &i, "--out", &value, &error)) {
            options.outFile = value;
        } else if (args[i].starts_with("-")) {
            return ReportUsage("new: unknown option " + std::string(args[i]));
        } else if (options.mapFile.empty()) {
            options.mapFile = std::string(args[i]);
        } else {
            return ReportUsage("new: more than one map file given");
        }
        if (!error.empty())
            return ReportUsage("new: " + error);
    }
    if (options.mapFile.empty())
        return ReportUsage("new: no map file given");
    if (options.outFile.empty())
        return ReportUsage("new: no workspace file given (--out WORKSPACE.cvw)");
    if (haveComponents) {
        std::string unknown;
        options.mask = ParseComponents(components, &unknown);
        if (!options.mask)
            return ReportUsage("new: unknown component \"" + unknown + "\"");
    }
    return RunNew(options);
}

// Commands that take one workspace file and, for show, the --json flag and --find TEXT.
int OnWorkspace(std::string_view command, const Args& args) {
    std::string file, error;
    std::optional<std::string> find;
    bool json = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        std::string value;
        if (command == "show" && arg == "--json")
            json = true;
        else if (command == "show" && TakeOption(args, &i, "--find", &value, &error)) {
            if (!error.empty())
                return ReportUsage("show: " + error);
            find = value;
        } else if (arg.starts_with("-"))
            return ReportUsage(std::string(command) + ": unknown option " + std::string(arg));
        else if (file.empty())
            file = std::string(arg);
        else
            return ReportUsage(std::string(command) + ": more than one workspace file given");
    }
    if (file.empty())
        return ReportUsage(std::string(command) + ": no workspace file given");
    if (find)
        return RunFind(file, *find, json);
    return command == "info" ? RunInfo(file) : RunShow(file, json);
}

// The arguments of a command after its name: positional words and the options it knows.
struct Parsed {
    std::vector<std::string> words;
    std::vector<std::pair<std::string, std::string>> options; // name, value ("" for flags)

    bool Has(std::string_view name) const {
        for (const auto& option : options)
            if (option.first == name)
                return true;
        return false;
    }
    std::optional<std::string> Value(std::string_view name) const {
        std::optional<std::string> value;
        for (const auto& option : options)
            if (option.first == name)
                value = option.second;
        return value;
    }
};

// Splits `args` into words and options; `withValue` and `flags` list the options the command
// takes. A usage error has been reported when this returns an exit status.
std::optional<int> Parse(std::string_view command, const Args& args,
                         std::initializer_list<std::string_view> withValue,
                         std::initializer_list<std::string_view> flags, Parsed* parsed) {
    const std::string prefix = std::string(command) + ": ";
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (!arg.starts_with("--") || arg == "--") {
            parsed->words.emplace_back(arg);
            continue;
        }
        bool known = false;
        for (std::string_view flag : flags)
            if (arg == flag) {
                parsed->options.emplace_back(std::string(flag), "");
                known = true;
            }
        for (std::string_view name : withValue) {
            std::string value, error;
            if (known || !TakeOption(args, &i, name, &value, &error))
                continue;
            if (!error.empty())
                return ReportUsage(prefix + error);
            parsed->options.emplace_back(std::string(name), value);
            known = true;
        }
        if (!known)
            return ReportUsage(prefix + "unknown option " + std::string(arg));
    }
    return std::nullopt;
}

// Checks the number of words: at least `least`, at most `most`.
std::optional<int> CountWords(std::string_view command, const Parsed& parsed, std::size_t least,
                              std::size_t most, const char* wanted) {
    if (parsed.words.size() < least || parsed.words.size() > most)
        return ReportUsage(std::string(command) + ": expected " + wanted);
    return std::nullopt;
}

std::optional<int> MaskOption(std::string_view command, const Parsed& parsed,
                              std::optional<LONG>* mask) {
    const std::optional<std::string> list = parsed.Value("--components");
    if (!list)
        return std::nullopt;
    std::string unknown;
    *mask = ParseComponents(*list, &unknown);
    if (!*mask)
        return ReportUsage(std::string(command) + ": unknown component \"" + unknown + "\"");
    return std::nullopt;
}

bool ParseNumber(const std::string& text, LONG* value) {
    const char* end = text.data() + text.size();
    auto [at, ec] = std::from_chars(text.data(), end, *value);
    return !text.empty() && ec == std::errc() && at == end;
}

std::vector<std::string> Rest(const Parsed& parsed) {
    return {parsed.words.begin() + 1, parsed.words.end()};
}

// Commands on one workspace and a list of settings, assignments or keys.
int WorkspaceWithItems(std::string_view command, const Args& args) {
    Parsed parsed;
    const bool smbios = command == "smbios";
    if (auto bad = Parse(command, args, {},
                         smbios ? std::initializer_list<std::string_view>{"--prompt", "--no-prompt"}
                                : std::initializer_list<std::string_view>{},
                         &parsed))
        return *bad;
    if (auto bad =
            CountWords(command, parsed, 2, SIZE_MAX, "a workspace file and one or more items"))
        return *bad;
    const std::string& ws = parsed.words[0];
    if (command == "set")
        return RunSet(ws, Rest(parsed));
    if (command == "thermal")
        return RunThermal(ws, Rest(parsed));
    if (smbios) {
        if (parsed.Has("--prompt") && parsed.Has("--no-prompt"))
            return ReportUsage("smbios: --prompt and --no-prompt together");
        std::optional<bool> prompt;
        if (parsed.Has("--prompt") || parsed.Has("--no-prompt"))
            prompt = parsed.Has("--prompt");
        return RunSmbios(ws, Rest(parsed), prompt);
    }
    const Mark mark = command == "lock"     ? Mark::kLock
                      : command == "unlock" ? Mark::kUnlock
                      : command == "hide"   ? Mark::kHide
                                            : Mark::kUnhide;
    return RunMark(ws, mark, Rest(parsed));
}

// Commands on one workspace and nothing else.
int WorkspaceOnly(std::string_view command, const Args& args) {
    Parsed parsed;
    if (auto bad = Parse(command, args, {}, {}, &parsed))
        return *bad;
    if (auto bad = CountWords(command, parsed, 1, 1, "one workspace file"))
        return *bad;
    if (command == "reviewed")
        return RunReviewed(parsed.words[0]);
    if (command == "defaults")
        return RunDefaults(parsed.words[0]);
    return RunModules(parsed.words[0]);
}

// Commands on one workspace and one more argument.
int WorkspaceAndOne(std::string_view command, const Args& args) {
    Parsed parsed;
    const bool masked = command == "ini" || command == "report";
    if (auto bad = Parse(command, args,
                         masked ? std::initializer_list<std::string_view>{"--components"}
                                : std::initializer_list<std::string_view>{},
                         {}, &parsed))
        return *bad;
    if (auto bad = CountWords(command, parsed, 2, 2, "a workspace file and one argument"))
        return *bad;
    const std::string& ws = parsed.words[0];
    const std::string& second = parsed.words[1];
    std::optional<LONG> mask;
    if (auto bad = MaskOption(command, parsed, &mask))
        return *bad;
    if (command == "ini")
        return RunIni(ws, second, mask);
    if (command == "report")
        return RunReport(ws, second, mask);
    if (command == "update")
        return RunUpdate(ws, second);
    if (command == "apply")
        return RunApply(ws, second);
    if (command == "bios")
        return RunBios(ws, second);
    if (command == "components") {
        std::string unknown;
        const std::optional<LONG> list = ParseComponents(second, &unknown);
        if (!list)
            return ReportUsage("components: unknown component \"" + unknown + "\"");
        return RunComponents(ws, *list);
    }
    LONG bytes = 0;
    if (!ParseNumber(second, &bytes) || bytes < 0)
        return ReportUsage("flash-size: \"" + second + "\" is not a number of bytes");
    return RunFlashSize(ws, bytes);
}

// diff, changes and export: one or two files and, for the first two, the --json flag.
int Compare(std::string_view command, const Args& args) {
    Parsed parsed;
    const bool takesJson = command != "export";
    if (auto bad = Parse(command, args, {},
                         takesJson ? std::initializer_list<std::string_view>{"--json"}
                                   : std::initializer_list<std::string_view>{},
                         &parsed))
        return *bad;
    if (command == "changes") {
        if (auto bad = CountWords(command, parsed, 1, 1, "one workspace file"))
            return *bad;
        return RunChanges(parsed.words[0], parsed.Has("--json"));
    }
    if (command == "export") {
        if (auto bad = CountWords(command, parsed, 2, 2, "a workspace file and an output file"))
            return *bad;
        return RunExport(parsed.words[0], parsed.words[1]);
    }
    if (auto bad = CountWords(command, parsed, 2, 2, "an old map or workspace and a new map"))
        return *bad;
    return RunDiff(parsed.words[0], parsed.words[1], parsed.Has("--json"));
}

int Module(const Args& args) {
    Parsed parsed;
    if (auto bad = Parse("module", args, {}, {}, &parsed))
        return *bad;
    if (auto bad = CountWords("module", parsed, 3, 3, "a workspace file, a handle and on or off"))
        return *bad;
    LONG handle = 0;
    if (!ParseHandle(parsed.words[1], &handle))
        return ReportUsage("module: \"" + parsed.words[1] + "\" is not a module handle");
    const std::string& state = parsed.words[2];
    if (state != "on" && state != "off")
        return ReportUsage("module: expected on or off, not \"" + state + "\"");
    return RunModule(parsed.words[0], handle, state == "on");
}

int Logo(const Args& args) {
    Parsed parsed;
    if (auto bad = Parse("logo", args, {"--badge"}, {"--no-badge", "--remove"}, &parsed))
        return *bad;
    if (auto bad = CountWords("logo", parsed, 1, 2, "a workspace file and an image"))
        return *bad;
    LogoEdit edit;
    edit.remove = parsed.Has("--remove");
    edit.noBadge = parsed.Has("--no-badge");
    if (parsed.words.size() == 2)
        edit.image = parsed.words[1];
    if (const std::optional<std::string> badge = parsed.Value("--badge")) {
        edit.badge = ParseBadgePlace(*badge);
        if (!edit.badge)
            return ReportUsage("logo: --badge takes a corner or X,Y, not \"" + *badge + "\"");
    }
    if (edit.remove && edit.image)
        return ReportUsage("logo: --remove and an image together");
    if (edit.noBadge && edit.badge)
        return ReportUsage("logo: --badge and --no-badge together");
    if (!edit.remove && !edit.image && !edit.noBadge && !edit.badge)
        return ReportUsage("logo: nothing to do");
    return RunLogo(parsed.words[0], edit);
}

int Batch(const Args& args) {
    Parsed parsed;
    if (auto bad = Parse("batch", args, {"--base", "--bios", "--lang", "--components"},
                         {"--log", "--report"}, &parsed))
        return *bad;
    if (auto bad = CountWords("batch", parsed, 2, 2, "a workspace file and a folder"))
        return *bad;
    BatchOptions options;
    options.folder = parsed.words[1];
    options.baseName = parsed.Value("--base").value_or("cvtool");
    options.biosFile = parsed.Value("--bios").value_or("");
    options.langFile = parsed.Value("--lang").value_or("");
    options.log = parsed.Has("--log");
    options.report = parsed.Has("--report");
    if (auto bad = MaskOption("batch", parsed, &options.mask))
        return *bad;
    return RunBatch(parsed.words[0], options);
}

int Dispatch(int argc, char** argv) {
    if (argc < 2)
        return ReportUsage("no command given");
    const std::string_view command = argv[1];
    const Args rest(argv + 2, argv + argc);
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (command == "--version") {
        if (!rest.empty())
            return ReportUsage("--version takes no arguments");
        return RunVersion();
    }
    if (command == "new")
        return New(rest);
    if (command == "info" || command == "show")
        return OnWorkspace(command, rest);
    for (const char* name : {"set", "lock", "unlock", "hide", "unhide", "smbios", "thermal"})
        if (command == name)
            return WorkspaceWithItems(command, rest);
    for (const char* name : {"reviewed", "defaults", "modules"})
        if (command == name)
            return WorkspaceOnly(command, rest);
    for (const char* name :
         {"ini", "report", "update", "apply", "bios", "components", "flash-size"})
        if (command == name)
            return WorkspaceAndOne(command, rest);
    for (const char* name : {"diff", "changes", "export"})
        if (command == name)
            return Compare(command, rest);
    if (command == "module")
        return Module(rest);
    if (command == "logo")
        return Logo(rest);
    if (command == "batch")
        return Batch(rest);
    if (command == "media")
        return RunMediaCommand({rest.begin(), rest.end()});
    return ReportUsage("unknown command \"" + std::string(command) + "\"");
}

} // namespace

// No input may end the program other than with its exit statuses: an exception that escapes a
// command is reported like an engine failure.
int main(int argc, char** argv) {
    try {
        return Dispatch(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "cvk: internal error: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "cvk: internal error\n");
    }
    return kExitEngine;
}
