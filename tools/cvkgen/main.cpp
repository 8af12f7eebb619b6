// cvkgen: writes a BIOS map file, and the modular flash image, from a board description.
#include "engine/core/version.h"
#include "tools/cvkgen/board.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

struct CommandLine {
    std::string board;
    std::string mapFile;
    std::optional<std::string> flashImage; // --bio OUT.bio
};

constexpr const char* kUsage = "usage: cvkgen BOARD.json OUT.cvk [--bio OUT.bio]\n"
                               "       cvkgen --version\n"
                               "       cvkgen --help\n";

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& error) {
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--bio") {
            if (i + 1 >= args.size()) {
                error = "--bio needs a file name";
                return false;
            }
            line.flashImage = args[++i];
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            error = "unknown option " + args[i];
            return false;
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 2) {
        error = "expected a board description and an output file";
        return false;
    }
    line.board = positional[0];
    line.mapFile = positional[1];
    return true;
}

// Each output the command line asks for is produced from the one parsed board.
void WriteOutputs(const CommandLine& line) {
    const cvkgen::Board board = cvkgen::LoadBoard(line.board);
    if (line.flashImage && !board.modules)
        throw cvkgen::BoardError(line.board + ": --bio needs a \"modules\" section");
    const auto bytes = cvkgen::WriteMapFile(cvkgen::BuildMapFile(board));
    cvkgen::SaveFileAtomically(line.mapFile, bytes);
    if (line.flashImage)
        cvkgen::WriteFlashImage(*board.modules, *line.flashImage);
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--version") {
        std::printf("cvkgen %s\n", cvk::EngineVersionText().c_str());
        return 0;
    }
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    CommandLine line;
    std::string error;
    if (!ParseCommandLine(args, line, error)) {
        std::fprintf(stderr, "cvkgen: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    try {
        WriteOutputs(line);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cvkgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
