// The continuation chain of a BIOS flash file: the further files a flash image continues in.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace cvk::media {

// Where every file of a chain tells about the next one.
constexpr std::size_t kLastFileFlagOffset = 89; // 0xFF: no further file
constexpr std::size_t kNextNameOffset = 96;     // zero-terminated 8-bit name
constexpr std::size_t kNextNameSize = 260;
constexpr unsigned char kLastFileFlag = 0xFF;
constexpr std::size_t kMaxChainFiles = 64; // the chosen file included

// The names of the files that continue `biosFile`, in chain order, as stored. The walk ends at
// a flag of 0xFF, at a file that cannot be read, and at a name that is not a plain file name of
// the first file's folder (a separator, ".", "..", a drive), that does not contain the first
// file's base name (upper-cased), that ends no name within its field, or that was listed
// before; it never follows more than kMaxChainFiles files. An empty name is listed (as "") and
// ends the walk: the image is invalid and the copier says so.
std::vector<std::string> ReadContinuationNames(const std::string& biosFile);

} // namespace cvk::media
