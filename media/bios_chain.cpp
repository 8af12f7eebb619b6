// The continuation chain of a BIOS flash file: the further files a flash image continues in.
#include "media/bios_chain.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>

namespace cvk::media {

namespace {

namespace fs = std::filesystem;

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return text;
}

// The stored next-file name of `path`, or none when the file is the last or unreadable.
std::optional<std::string> NextName(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    char header[kNextNameOffset + kNextNameSize];
    in.read(header, sizeof header);
    const std::size_t got = in ? sizeof header : std::size_t(in.gcount());
    if (got <= kLastFileFlagOffset)
        return std::nullopt;
    if (static_cast<unsigned char>(header[kLastFileFlagOffset]) == kLastFileFlag)
        return std::nullopt;
    if (got <= kNextNameOffset)
        return std::nullopt;
    const char* name = header + kNextNameOffset;
    const char* end = std::find(name, static_cast<const char*>(header + got), '\0');
    if (end == header + got)
        return std::nullopt; // no terminator within the field
    return std::string(name, end);
}

// A name the chain may follow: a file of the first file's folder and nothing else.
bool IsPlainFileName(const std::string& name) {
    if (name == "." || name == "..")
        return false;
    return name.find_first_of("/\\:") == std::string::npos;
}

} // namespace

std::vector<std::string> ReadContinuationNames(const std::string& biosFile) {
    const fs::path first(biosFile);
    const fs::path folder = first.parent_path();
    const std::string base = Upper(first.stem().string());
    std::set<std::string> seen{Upper(first.filename().string())};
    std::vector<std::string> names;
    fs::path current = first;
    while (names.size() + 1 < kMaxChainFiles) {
        const std::optional<std::string> next = NextName(current);
        if (!next)
            break;
        if (next->empty()) {
            names.emplace_back();
            break;
        }
        const std::string upper = Upper(*next);
        if (!IsPlainFileName(*next) || upper.find(base) == std::string::npos ||
            !seen.insert(upper).second)
            break;
        names.push_back(*next);
        current = folder / *next;
    }
    return names;
}

} // namespace cvk::media
