// cvk: the command line over the engine's interfaces: create a workspace, describe it.
#include "tools/cvk/commands.h"
#include "tools/cvk/components.h"
#include "tools/cvk/engine_client.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace cvktool;

constexpr char kUsage[] =
    "usage: cvk new MAP.cvk [--components LIST] --out WORKSPACE.cvw\n"
    "       cvk info WORKSPACE.cvw\n"
    "       cvk show WORKSPACE.cvw [--json]\n"
    "       cvk --version\n"
    "       cvk --help\n"
    "\n"
    "LIST is a comma-separated set of bom, cmos, thermal, smbios, splash, flex, or none.\n"
    "Without --components a new workspace gets cmos, thermal and smbios, and flex when the\n"
    "map file's flash image is a modular BIOS. See docs/cvk.md.\n";

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

// Commands that take one workspace file and, for show, the --json flag.
int OnWorkspace(std::string_view command, const Args& args) {
    std::string file;
    bool json = false;
    for (std::string_view arg : args) {
        if (command == "show" && arg == "--json")
            json = true;
        else if (arg.starts_with("-"))
            return ReportUsage(std::string(command) + ": unknown option " + std::string(arg));
        else if (file.empty())
            file = std::string(arg);
        else
            return ReportUsage(std::string(command) + ": more than one workspace file given");
    }
    if (file.empty())
        return ReportUsage(std::string(command) + ": no workspace file given");
    return command == "info" ? RunInfo(file) : RunShow(file, json);
}

} // namespace

int main(int argc, char** argv) {
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
    return ReportUsage("unknown command \"" + std::string(command) + "\"");
}
