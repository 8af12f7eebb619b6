// Reading and checking a compound file: byte sources, the checked structure, stream layouts.
#pragma once

#include "platform/com/types.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace cvk::storage::detail {

// Where the file's bytes come from: an open file or bytes in memory.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Fills exactly `size` bytes or fails (STG_E_READFAULT).
    virtual HRESULT ReadAt(std::uint64_t offset, void* data, std::size_t size) const = 0;
};

std::unique_ptr<ByteSource> MakeMemorySource(std::string bytes);
// STG_E_FILENOTFOUND, STG_E_PATHNOTFOUND or STG_E_ACCESSDENIED when it cannot be opened.
HRESULT OpenFileSource(const char* utf8Path, std::unique_ptr<ByteSource>* out);

// A run of a stream's bytes that lies contiguously in the file.
struct Extent {
    std::uint64_t streamOffset;
    std::uint64_t fileOffset;
    std::uint64_t length;
};

struct StreamLayout {
    std::uint64_t size = 0;
    std::vector<Extent> extents; // ordered by streamOffset, covering [0, size)
};

struct RootStream {
    std::u16string name;
    StreamLayout layout;
};

// A compound file whose structure has been checked completely: every chain is bounded and
// within the file, no sector serves twice, the directory tree has no cycle, and every stream's
// bytes lie within the file. Reading a stream can then only fail if the file changes under us.
class CompoundFileReader {
public:
    // STG_E_FILEALREADYEXISTS for bytes that are not a compound file, STG_E_DOCFILECORRUPT for a
    // damaged one; `diagnostic` (may be null) receives the reason.
    static HRESULT Open(std::unique_ptr<ByteSource> source,
                        std::unique_ptr<CompoundFileReader>* out, std::string* diagnostic);

    const std::vector<RootStream>& RootStreams() const { return streams_; }
    // Name comparison ignores case, as the format's directory does.
    const RootStream* FindRootStream(std::u16string_view name) const;
    unsigned SectorShift() const { return sectorShift_; }

    // Copies up to `size` bytes at `offset`; `got` receives how many (0 at or past the end).
    HRESULT Read(const StreamLayout& layout, std::uint64_t offset, void* data, std::size_t size,
                 std::size_t* got) const;

private:
    CompoundFileReader() = default;
    friend class StructureParser;

    std::unique_ptr<ByteSource> source_;
    std::vector<RootStream> streams_;
    unsigned sectorShift_ = 9;
};

bool NamesEqual(std::u16string_view a, std::u16string_view b);

} // namespace cvk::storage::detail
