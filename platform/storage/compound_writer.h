// Writing a compound file: stream data goes to a temporary file as it comes, the structure
// (mini stream, mini FAT, directory, FAT, DIFAT, header) is laid out on commit.
#pragma once

#include "platform/storage/atomic_file.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cvk::storage::detail {

class CompoundFileWriter {
public:
    // `sectorShift` 9 writes version 3 (what the storage API uses); 12 writes version 4.
    HRESULT Open(const std::string& utf8Path, unsigned sectorShift);

    // The index of the stream named `name`, or -1.
    std::ptrdiff_t Find(std::u16string_view name) const;
    // Adds an empty stream, or empties the existing one of that name; gives its index.
    HRESULT CreateStream(std::u16string_view name, std::size_t* index);
    std::vector<std::u16string> Names() const;

    std::uint64_t Size(std::size_t stream) const { return streams_[stream].size; }
    HRESULT WriteAt(std::size_t stream, std::uint64_t offset, const void* data, std::size_t size);
    HRESULT ReadAt(std::size_t stream, std::uint64_t offset, void* data, std::size_t size,
                   std::size_t* got);
    HRESULT SetSize(std::size_t stream, std::uint64_t size);

    // Lays out the structure, writes it and renames the file over the target. Once only.
    HRESULT Commit();
    bool IsFinished() const { return finished_; }

private:
    struct Stream {
        std::u16string name;
        std::uint64_t size = 0;
        // Streams start in memory: most stay below the mini stream cutoff and end up in the
        // mini stream. A stream that reaches the cutoff is "spilled" into its own sectors.
        bool spilled = false;
        std::string head;
        std::vector<std::uint32_t> sectors;
        // Small writes to a spilled stream are gathered here and written in one piece.
        std::string pending;
        std::uint64_t pendingAt = 0;
        // Assigned by the commit.
        std::uint32_t start = 0;
    };

    std::uint64_t SectorOffset(std::uint64_t sector) const { return (sector + 1) << shift_; }
    HRESULT Spill(Stream& s);
    HRESULT EnsureSectors(Stream& s, std::uint64_t count);
    HRESULT WriteToSectors(Stream& s, std::uint64_t offset, const char* data, std::size_t size);
    HRESULT ReadFromSectors(const Stream& s, std::uint64_t offset, char* data, std::size_t size);
    HRESULT FlushPending(Stream& s);
    HRESULT WriteStructure();

    AtomicFileWriter file_;
    unsigned shift_ = 9;
    std::uint32_t sectorSize_ = 512;
    std::uint64_t maxStreamSize_ = 0;
    std::uint64_t nextSector_ = 0;
    std::vector<Stream> streams_;
    bool finished_ = false;
};

} // namespace cvk::storage::detail
