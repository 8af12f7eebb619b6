// libFuzzer target: the walk along a BIOS flash file's continuation chain, over real files.
// The input holds the chain's files back to back, split at kFileSeparator; each file after the
// first is written under the name its predecessor gives, so that mutations reach every step of
// the walk (loops, names that climb out, long chains, unterminated names).
#include "media/bios_chain.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kFileSeparator = "--CVKNEXT--";
constexpr std::string_view kFirstName = "DEMO.BIO";

// A folder of this process's own, removed when the process ends.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "media-chain-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

const fs::path& Folder() {
    static const TempFolder folder;
    return folder.path();
}

std::vector<std::string_view> SplitFiles(std::string_view bytes) {
    std::vector<std::string_view> files;
    for (;;) {
        const std::size_t at = bytes.find(kFileSeparator);
        files.push_back(bytes.substr(0, at));
        if (at == std::string_view::npos)
            return files;
        bytes.remove_prefix(at + kFileSeparator.size());
    }
}

// The name a file gives its successor, when the fuzz harness can create a file of that name.
std::string StoredNextName(std::string_view file) {
    if (file.size() <= cvk::media::kNextNameOffset)
        return {};
    std::string_view field = file.substr(cvk::media::kNextNameOffset, cvk::media::kNextNameSize);
    field = field.substr(0, field.find('\0'));
    if (field.empty() || field.size() > 200 || field == "." || field == ".." ||
        field.find('/') != std::string_view::npos)
        return {};
    return std::string(field);
}

void Write(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return text;
}

// What the walk promises, whatever the files hold.
void CheckNames(const std::vector<std::string>& names) {
    if (names.size() >= cvk::media::kMaxChainFiles)
        std::abort();
    std::set<std::string> seen{std::string(kFirstName)};
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        if (name.empty() && i + 1 == names.size())
            break;
        if (name.empty() || name == "." || name == ".." ||
            name.find_first_of("/\\:") != std::string::npos || !seen.insert(Upper(name)).second)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path& folder = Folder();
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        fs::remove(entry.path());
    const std::vector<std::string_view> files =
        SplitFiles(std::string_view(reinterpret_cast<const char*>(data), size));
    Write(folder / kFirstName, files[0]);
    for (std::size_t i = 1; i < files.size(); ++i) {
        const std::string name = StoredNextName(files[i - 1]);
        if (name.empty())
            break;
        Write(folder / name, files[i]);
    }
    CheckNames(cvk::media::ReadContinuationNames((folder / kFirstName).string()));
    return 0;
}
