// Copying one file to the media: through a temporary name, and the user's message on failure.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>

namespace cvk::media {

// Moves up to `count` bytes from `in` to `out`; returns the bytes moved, 0 at the end of `in`,
// or -1 with errno set. Tests put a failing one in place of the system's.
using CopyChunk = std::function<ssize_t(int in, int out, std::size_t count)>;
ssize_t SystemCopyChunk(int in, int out, std::size_t count);

// Why a copy failed: the system's error code (0: it did not fail), and whether reading the
// source failed rather than writing the target.
struct CopyError {
    int code = 0;
    bool atSource = false;
    explicit operator bool() const { return code != 0; }
};

// Copies `source` to `target`: the bytes go to a temporary file in the target's folder, which
// is renamed to the target only when every byte is written, so that a failure leaves no partial
// file under the target name and an earlier target as it was. Without `overwrite` an existing
// target is refused with EEXIST.
CopyError CopyFileAtomically(const std::string& source, const std::string& target, bool overwrite,
                             const CopyChunk& chunk = SystemCopyChunk);

// The message for a failed copy, chosen by the system's error code: a full disk, a missing
// destination, a write-protected medium or folder, a missing device, a file in use, else (and
// for any failure to read the source) the unknown error; the source and target filled in.
std::string CopyFailureMessage(const CopyError& error, const std::string& source,
                               const std::string& target);

// The folder text joined with a file name by the platform's separator, whether or not the
// folder text ends in one.
std::string JoinFolder(const std::string& folder, const std::string& name);

} // namespace cvk::media
