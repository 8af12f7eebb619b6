// The atomic file writer: temporary file beside the target, fsync, rename.
#include "platform/storage/atomic_file.h"

#include "platform/com/errorinfo.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace cvk::storage {
namespace {

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool HasNoWriteBit(const struct stat& st) {
    return (st.st_mode & 0222) == 0;
}

// Unique within the process by a counter, across processes by the pid, and against leftovers
// of a crashed run by O_EXCL and a retry.
std::string TempNameFor(const std::string& target, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    std::string folder = FolderOf(target);
    std::string name = "." + BaseNameOf(target) + "." + std::to_string(getpid()) + "." +
                       std::to_string(counter++) + "." + std::to_string(attempt) + ".tmp";
    return folder == "/" ? "/" + name : folder + "/" + name;
}

HRESULT WriteAll(int fd, std::uint64_t offset, const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t done = pwrite(fd, p, size, static_cast<off_t>(offset));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return StatusFromErrno(errno);
        }
        if (done == 0)
            return STG_E_WRITEFAULT;
        p += done;
        size -= static_cast<std::size_t>(done);
        offset += static_cast<std::uint64_t>(done);
    }
    return S_OK;
}

} // namespace

HRESULT StatusFromErrno(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
        return STG_E_PATHNOTFOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        return STG_E_ACCESSDENIED;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return STG_E_MEDIUMFULL;
    case ENOMEM:
        return E_OUTOFMEMORY;
    default:
        return STG_E_WRITEFAULT;
    }
}

HRESULT CheckReplaceable(const std::string& utf8Path) {
    if (utf8Path.empty() || utf8Path.back() == '/')
        return STG_E_INVALIDNAME;
    struct stat folder {};
    if (stat(FolderOf(utf8Path).c_str(), &folder) != 0)
        return errno == EACCES ? STG_E_ACCESSDENIED : STG_E_PATHNOTFOUND;
    if (!S_ISDIR(folder.st_mode))
        return STG_E_PATHNOTFOUND;
    if (HasNoWriteBit(folder))
        return STG_E_ACCESSDENIED;
    struct stat target {};
    if (stat(utf8Path.c_str(), &target) != 0)
        return errno == ENOENT ? S_OK : StatusFromErrno(errno);
    if (!S_ISREG(target.st_mode) || HasNoWriteBit(target))
        return STG_E_ACCESSDENIED;
    return S_OK;
}

AtomicFileWriter::~AtomicFileWriter() {
    Abandon();
    if (fd_ >= 0)
        close(fd_);
}

HRESULT AtomicFileWriter::Open(const std::string& utf8Path) {
    if (fd_ >= 0)
        return E_UNEXPECTED;
    CVK_RETURN_IF_FAILED(CheckReplaceable(utf8Path));
    for (unsigned attempt = 0; attempt < 16; ++attempt) {
        std::string temp = TempNameFor(utf8Path, attempt);
        int fd = open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            fd_ = fd;
            temp_ = std::move(temp);
            target_ = utf8Path;
            return S_OK;
        }
        if (errno != EEXIST)
            return StatusFromErrno(errno);
    }
    return STG_E_WRITEFAULT;
}

HRESULT AtomicFileWriter::Write(const void* data, std::size_t size) {
    HRESULT hr = WriteAt(appendAt_, data, size);
    if (SUCCEEDED(hr))
        appendAt_ += size;
    return hr;
}

HRESULT AtomicFileWriter::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
    if (fd_ < 0 || committed_)
        return E_UNEXPECTED;
    return WriteAll(fd_, offset, data, size);
}

HRESULT AtomicFileWriter::ReadAt(std::uint64_t offset, void* data, std::size_t size) const {
    if (fd_ < 0)
        return STG_E_INVALIDHANDLE;
    char* p = static_cast<char*>(data);
    while (size > 0) {
        ssize_t got = pread(fd_, p, size, static_cast<off_t>(offset));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return STG_E_READFAULT;
        }
        if (got == 0) {
            std::memset(p, 0, size); // past the end: never written
            return S_OK;
        }
        p += got;
        size -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return S_OK;
}

HRESULT AtomicFileWriter::Commit() {
    if (fd_ < 0 || committed_)
        return E_UNEXPECTED;
    if (fsync(fd_) != 0) {
        HRESULT hr = StatusFromErrno(errno);
        Abandon();
        return hr;
    }
    if (rename(temp_.c_str(), target_.c_str()) != 0) {
        HRESULT hr = StatusFromErrno(errno);
        Abandon();
        return hr;
    }
    // The rename is atomic: a crash leaves either the old file or the complete new one. The
    // folder is not flushed as well; that would double the cost of a small save.
    committed_ = true;
    temp_.clear();
    RemoveStaleTemporaries(target_);
    return S_OK;
}

void AtomicFileWriter::Abandon() {
    if (committed_ || temp_.empty())
        return;
    unlink(temp_.c_str());
    temp_.clear();
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
}

HRESULT WriteFileAtomically(const std::string& utf8Path, std::string_view bytes) {
    AtomicFileWriter writer;
    HRESULT hr = writer.Open(utf8Path);
    if (SUCCEEDED(hr))
        hr = writer.Write(bytes.data(), bytes.size());
    if (SUCCEEDED(hr))
        hr = writer.Commit();
    return hr;
}

namespace {

// The process id in a temporary name of the target's: ".<name>.<pid>.<n>.<attempt>.tmp"; 0 when
// `entry` is not one.
pid_t WriterOfTemporary(const std::string& entry, const std::string& prefix) {
    const std::string suffix = ".tmp";
    if (entry.size() <= prefix.size() + suffix.size() || entry.compare(0, prefix.size(), prefix) ||
        entry.compare(entry.size() - suffix.size(), suffix.size(), suffix))
        return 0;
    const std::string numbers =
        entry.substr(prefix.size(), entry.size() - prefix.size() - suffix.size());
    int dots = 0;
    for (char c : numbers) {
        if (c == '.')
            ++dots;
        else if (c < '0' || c > '9')
            return 0;
    }
    const std::size_t end = numbers.find('.');
    if (dots != 2 || end == 0 || end > 9)
        return 0;
    return static_cast<pid_t>(std::stol(numbers.substr(0, end)));
}

bool ProcessRuns(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

} // namespace

void RemoveStaleTemporaries(const std::string& utf8Path) {
    const std::string folder = FolderOf(utf8Path);
    const std::string prefix = "." + BaseNameOf(utf8Path) + ".";
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        const pid_t writer = WriterOfTemporary(entry->d_name, prefix);
        if (writer > 0 && writer != ::getpid() && !ProcessRuns(writer))
            ::unlink((folder + "/" + entry->d_name).c_str());
    }
    ::closedir(dir);
}

} // namespace cvk::storage
