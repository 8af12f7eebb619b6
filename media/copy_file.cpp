// Copying one file to the media: through a temporary name, and the user's message on failure.
#include "media/copy_file.h"

#include "media/messages.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <utility>
#include <vector>

namespace cvk::media {

namespace {

constexpr std::size_t kChunkBytes = std::size_t(1) << 20;

// Closes a descriptor when it goes out of scope.
struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0)
            ::close(fd);
    }
    int release() { return std::exchange(fd, -1); }
};

ssize_t ReadWriteChunk(int in, int out, std::size_t count) {
    static thread_local std::vector<char> buffer(kChunkBytes);
    const ssize_t got = ::read(in, buffer.data(), std::min(count, buffer.size()));
    if (got <= 0)
        return got;
    for (ssize_t done = 0; done < got;) {
        const ssize_t put = ::write(out, buffer.data() + done, std::size_t(got - done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return -1;
        done += put;
    }
    return got;
}

int CopyBytes(int in, int out, const CopyChunk& chunk) {
    for (;;) {
        const ssize_t moved = chunk(in, out, kChunkBytes);
        if (moved == 0)
            return 0;
        if (moved < 0 && errno != EINTR)
            return errno ? errno : EIO;
    }
}

// Puts the finished temporary file in place; without `overwrite` never over an existing file.
int Rename(const std::string& from, const std::string& to, bool overwrite) {
    if (!overwrite) {
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
            return 0;
        if (errno != EINVAL && errno != ENOSYS)
            return errno;
        // A file system without the flag: test first, as the DOS copy would.
        if (::access(to.c_str(), F_OK) == 0)
            return EEXIST;
    }
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

std::string TemporaryPattern(const std::string& target) {
    const std::filesystem::path path(target);
    return (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
}

} // namespace

ssize_t SystemCopyChunk(int in, int out, std::size_t count) {
    const ssize_t moved = ::copy_file_range(in, nullptr, out, nullptr, count, 0);
    if (moved >= 0 || (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP))
        return moved;
    return ReadWriteChunk(in, out, count);
}

CopyError CopyFileAtomically(const std::string& source, const std::string& target, bool overwrite,
                             const CopyChunk& chunk) {
    Fd in{::open(source.c_str(), O_RDONLY | O_CLOEXEC)};
    struct stat info {};
    if (in.fd < 0 || ::fstat(in.fd, &info) != 0)
        return {errno, true};
    if (!S_ISREG(info.st_mode))
        return {EISDIR, true};
    if (!overwrite && ::access(target.c_str(), F_OK) == 0)
        return {EEXIST};
    std::string temporary = TemporaryPattern(target);
    Fd out{::mkostemp(temporary.data(), O_CLOEXEC)};
    if (out.fd < 0)
        return {errno};
    int error = CopyBytes(in.fd, out.fd, chunk);
    if (!error && ::fchmod(out.fd, info.st_mode & 0777) != 0)
        error = errno;
    // A delayed write error (a full disk on some file systems) shows only at close.
    if (::close(out.release()) != 0 && !error)
        error = errno;
    if (!error)
        error = Rename(temporary, target, overwrite);
    if (error)
        ::unlink(temporary.c_str());
    return {error};
}

std::string CopyFailureMessage(const CopyError& error, const std::string& source,
                               const std::string& target) {
    const char* text = "Unknown error occurred.\nFailed to copy %s to %s"; // 202
    switch (error.atSource ? 0 : error.code) {
    case ENOSPC:
    case EDQUOT:
        text = "Disk full.\nFailed to copy %s to %s"; // 138
        break;
    case ENOENT:
        text = "The system cannot find the drive specified.\nFailed to copy %s to %s"; // 139
        break;
    case EROFS:
    case EACCES:
    case EPERM:
        text = "The media is write protected.\nFailed to copy %s to %s"; // 140
        break;
    case ENODEV:
    case ENXIO:
    case ENOMEDIUM:
        text = "The system cannot find the device specified.\nFailed to copy %s to %s"; // 141
        break;
    case EBUSY:
    case ETXTBSY:
        text = "The process cannot access the file because it is being used by another "
               "process.\nFailed to copy %s to %s"; // 201
        break;
    }
    return FillIn(text, {source, target});
}

std::string JoinFolder(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + '/' + name;
}

} // namespace cvk::media
