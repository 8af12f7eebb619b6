// Staging the files of a batch run so that they are all written or none.
#include "tools/cvk/batch_stage.h"

#include "platform/com/errorinfo.h"
#include "tools/cvk/session.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace cvktool {
namespace {

namespace fs = std::filesystem;

HRESULT RefuseFolder(const std::string& folder, int error) {
    if (error == ENOENT || error == ENOTDIR)
        return Refuse("The folder \"" + folder + "\" does not exist.");
    return Refuse("Cannot write in the folder \"" + folder + "\": " + std::strerror(error) + ".");
}

// A target that a rename would not replace (a folder, say) is found before anything moves.
HRESULT CheckReplaceable(const fs::path& path) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (status.type() == fs::file_type::not_found || status.type() == fs::file_type::regular)
        return S_OK;
    return Refuse("Cannot write \"" + path.string() + "\": it is not a regular file.");
}

} // namespace

BatchStage::~BatchStage() {
    if (stage_.empty())
        return;
    std::error_code ec;
    fs::remove_all(stage_, ec);
}

HRESULT BatchStage::Create(const std::string& target, const std::vector<std::string>& copied) {
    target_ = target;
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0)
        return RefuseFolder(target, errno);
    if (!S_ISDIR(info.st_mode))
        return RefuseFolder(target, ENOTDIR);
    std::string pattern = (fs::path(target) / ".cvk-batch.XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        return RefuseFolder(target, errno);
    stage_ = pattern;
    for (const std::string& name : copied) {
        const fs::path from = fs::path(target) / name;
        CVK_RETURN_IF_FAILED(CheckReplaceable(from));
        std::error_code ec;
        if (!fs::exists(from, ec))
            continue;
        fs::copy_file(from, fs::path(stage_) / name, ec);
        if (ec)
            return Refuse("Cannot copy \"" + from.string() + "\": " + ec.message() + ".");
    }
    return S_OK;
}

HRESULT BatchStage::Commit(const std::vector<std::string>& names) {
    for (const std::string& name : names)
        CVK_RETURN_IF_FAILED(CheckReplaceable(fs::path(target_) / name));
    for (const std::string& name : names) {
        const fs::path to = fs::path(target_) / name;
        if (std::rename((fs::path(stage_) / name).c_str(), to.c_str()) != 0)
            return Refuse("Cannot move \"" + name + "\" into \"" + target_ +
                          "\": " + std::strerror(errno) + ".");
    }
    return S_OK;
}

} // namespace cvktool
