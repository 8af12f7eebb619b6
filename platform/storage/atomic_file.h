// Writing files so that the target is replaced in one step or not at all.
#pragma once

#include "platform/com/types.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace cvk::storage {

// errno of a failed file operation as a storage status: ENOENT/ENOTDIR STG_E_PATHNOTFOUND,
// EACCES/EPERM/EROFS/EISDIR STG_E_ACCESSDENIED, ENOSPC/EDQUOT STG_E_MEDIUMFULL, ENOMEM
// E_OUTOFMEMORY, anything else STG_E_WRITEFAULT.
HRESULT StatusFromErrno(int error);

// STG_E_ACCESSDENIED when the target may not be replaced: it exists and has no write
// permission bit, is not a regular file, or its folder has no write permission bit. The
// superuser ignores permission bits, so this is checked by mode, not by trying. S_OK otherwise
// (including a target that does not exist yet); STG_E_PATHNOTFOUND when the folder is missing.
HRESULT CheckReplaceable(const std::string& utf8Path);

// A temporary file beside the target (same folder, unique name) that takes the output and, on
// Commit, is flushed to disk and renamed over the target. Destroyed without a successful commit,
// it removes the temporary file and the target stays as it was.
class AtomicFileWriter {
public:
    AtomicFileWriter() = default;
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Checks the target (CheckReplaceable) and creates the temporary file.
    HRESULT Open(const std::string& utf8Path);
    // Appends at the end of what was written so far.
    HRESULT Write(const void* data, std::size_t size);
    // Positioned access, for writers that lay out a file out of order.
    HRESULT WriteAt(std::uint64_t offset, const void* data, std::size_t size);
    // Reads back; bytes never written (holes, past the end) read as zero.
    HRESULT ReadAt(std::uint64_t offset, void* data, std::size_t size) const;
    // Flushes the data to disk and renames the temporary file over the target; then removes
    // the temporary files of earlier writers of the same target whose process has ended (a
    // killed save). After a commit the file stays open for ReadAt until destruction.
    HRESULT Commit();
    // Removes the temporary file now (also done by the destructor when not committed).
    void Abandon();

    bool IsOpen() const { return fd_ >= 0; }
    bool IsCommitted() const { return committed_; }
    const std::string& TargetPath() const { return target_; }

private:
    int fd_ = -1;
    bool committed_ = false;
    std::uint64_t appendAt_ = 0;
    std::string target_;
    std::string temp_;
};

// Removes the temporary files that writers of `utf8Path` left behind when their process ended
// before it could commit or clean up (killed during a save). A temporary file of a process that
// still runs is kept: it may be a save in progress.
void RemoveStaleTemporaries(const std::string& utf8Path);

// Writes `bytes` to `utf8Path` through an AtomicFileWriter.
HRESULT WriteFileAtomically(const std::string& utf8Path, std::string_view bytes);

} // namespace cvk::storage
