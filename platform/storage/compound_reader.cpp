// The compound file reader: the structure is checked in full before any stream is handed out.
#include "platform/storage/compound_reader.h"

#include "platform/com/errorinfo.h"
#include "platform/storage/compound_format.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace cvk::storage::detail {
namespace fmt = cvk::storage::format;

namespace {

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    HRESULT ReadAt(std::uint64_t offset, void* data, std::size_t size) const override {
        if (offset > bytes_.size() || size > bytes_.size() - offset)
            return STG_E_READFAULT;
        std::memcpy(data, bytes_.data() + offset, size);
        return S_OK;
    }

private:
    std::string bytes_;
};

class FileSource final : public ByteSource {
public:
    FileSource(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    ~FileSource() override { close(fd_); }
    std::uint64_t Size() const override { return size_; }
    HRESULT ReadAt(std::uint64_t offset, void* data, std::size_t size) const override {
        char* p = static_cast<char*>(data);
        while (size > 0) {
            ssize_t got = pread(fd_, p, size, static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return STG_E_READFAULT;
            p += got;
            size -= static_cast<std::size_t>(got);
            offset += static_cast<std::uint64_t>(got);
        }
        return S_OK;
    }

private:
    int fd_;
    std::uint64_t size_;
};

bool FolderExists(const char* path) {
    const char* slash = std::strrchr(path, '/');
    if (!slash)
        return true;
    std::string folder(path, slash == path ? 1 : static_cast<std::size_t>(slash - path));
    struct stat st {};
    return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string Num(std::uint64_t v) {
    return std::to_string(v);
}

std::string Hex(std::uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", v);
    return text;
}

std::uint64_t CeilDiv(std::uint64_t a, std::uint64_t b) {
    return a / b + (a % b != 0);
}

// Appends a piece to the layout, merging it with the previous one when contiguous in the file.
void AddPiece(StreamLayout& layout, std::uint64_t fileOffset, std::uint64_t length) {
    std::uint64_t at = layout.extents.empty()
                           ? 0
                           : layout.extents.back().streamOffset + layout.extents.back().length;
    if (!layout.extents.empty()) {
        Extent& last = layout.extents.back();
        if (last.fileOffset + last.length == fileOffset) {
            last.length += length;
            return;
        }
    }
    layout.extents.push_back({at, fileOffset, length});
}

// The name ends at its first zero unit; the length field is checked against it separately.
std::u16string EntryName(const std::uint8_t* entry) {
    std::u16string name;
    for (std::size_t i = 0; i <= fmt::kMaxNameUnits; ++i) {
        char16_t c = fmt::Get16(entry + 2 * i);
        if (c == 0)
            break;
        name.push_back(c);
    }
    return name;
}

struct DirEntry {
    std::u16string name;
    std::uint16_t nameLength = 0; // the field, in bytes, terminator included
    std::uint8_t type = 0;
    std::uint32_t left = fmt::kNoStream;
    std::uint32_t right = fmt::kNoStream;
    std::uint32_t child = fmt::kNoStream;
    std::uint32_t start = fmt::kEndOfChain;
    std::uint64_t size = 0;
};

} // namespace

// Walks the header, DIFAT, FAT, directory, mini FAT and every stream's chain in turn. Each
// sector may serve one purpose once; that single rule catches loops and cross-linked chains.
class StructureParser {
public:
    StructureParser(const ByteSource& source, std::string* diagnostic)
        : source_(source), diagnostic_(diagnostic) {}

    HRESULT Parse(CompoundFileReader& reader) {
        HRESULT hr = ReadHeader();
        if (SUCCEEDED(hr))
            hr = ReadFatSectorList();
        if (SUCCEEDED(hr))
            hr = ReadFat();
        if (SUCCEEDED(hr))
            hr = ReadDirectory();
        if (SUCCEEDED(hr))
            hr = WalkDirectoryTree();
        if (SUCCEEDED(hr))
            hr = ReadMiniStream();
        if (SUCCEEDED(hr))
            hr = LayOutStreams(reader);
        reader.sectorShift_ = shift_;
        return hr;
    }

private:
    HRESULT NotCompound(const std::string& why) {
        if (diagnostic_)
            *diagnostic_ = why;
        return STG_E_FILEALREADYEXISTS;
    }
    HRESULT Corrupt(const std::string& why) {
        if (diagnostic_)
            *diagnostic_ = why;
        return STG_E_DOCFILECORRUPT;
    }

    std::uint64_t SectorOffset(std::uint32_t sector) const {
        return (static_cast<std::uint64_t>(sector) + 1) << shift_;
    }

    // Reads whole sectors; consecutive sectors are fetched in one read.
    HRESULT ReadSectors(const std::vector<std::uint32_t>& sectors, std::vector<std::uint8_t>* out,
                        const char* what) {
        out->resize(sectors.size() << shift_);
        std::size_t i = 0;
        while (i < sectors.size()) {
            std::size_t run = 1;
            while (i + run < sectors.size() && sectors[i + run] == sectors[i] + run)
                ++run;
            std::uint64_t offset = SectorOffset(sectors[i]);
            std::uint64_t length = static_cast<std::uint64_t>(run) << shift_;
            if (offset + length > fileSize_)
                return Corrupt(std::string(what) + ": sector " + Num(sectors[i + run - 1]) +
                               " is cut off by the end of the file");
            if (FAILED(source_.ReadAt(offset, out->data() + (i << shift_), length)))
                return STG_E_READFAULT;
            i += run;
        }
        return S_OK;
    }

    HRESULT ReadHeader() {
        fileSize_ = source_.Size();
        if (fileSize_ < fmt::kHeaderSize)
            return NotCompound("not a compound file: " + Num(fileSize_) +
                               " bytes, shorter than the 512-byte header");
        if (FAILED(source_.ReadAt(0, header_, sizeof header_)))
            return STG_E_READFAULT;
        if (std::memcmp(header_, fmt::kSignature, sizeof fmt::kSignature) != 0)
            return NotCompound("not a compound file: signature not found");
        std::uint16_t major = fmt::Get16(header_ + fmt::kOffMajorVersion);
        if (major != 3 && major != 4)
            return Corrupt("major version: expected 3 or 4, found " + Num(major));
        std::uint16_t byteOrder = fmt::Get16(header_ + fmt::kOffByteOrder);
        if (byteOrder != 0xFFFE)
            return Corrupt("byte order: expected 0xFFFE, found " + Hex(byteOrder));
        shift_ = fmt::Get16(header_ + fmt::kOffSectorShift);
        if (shift_ != 9 && shift_ != 12)
            return Corrupt("sector shift: expected 9 or 12, found " + Num(shift_));
        // A version 3 file laid out in 4096-byte sectors (or the reverse) is refused even when
        // it is consistent: other readers take the size from the version and would read
        // different bytes.
        const unsigned versionShift = major == 3 ? 9 : 12;
        if (shift_ != versionShift)
            return Corrupt("sector shift: expected " + Num(versionShift) + " for major version " +
                           Num(major) + ", found " + Num(shift_));
        sectorSize_ = 1u << shift_;
        std::uint16_t miniShift = fmt::Get16(header_ + fmt::kOffMiniSectorShift);
        if (miniShift != 6)
            return Corrupt("mini sector shift: expected 6, found " + Num(miniShift));
        std::uint32_t cutoff = fmt::Get32(header_ + fmt::kOffMiniCutoff);
        if (cutoff != fmt::kMiniStreamCutoff)
            return Corrupt("mini stream cutoff: expected 4096, found " + Num(cutoff));
        // The header fills the first sector; a last, partial sector still counts.
        numSectors_ = fileSize_ > sectorSize_ ? CeilDiv(fileSize_ - sectorSize_, sectorSize_) : 0;
        numSectors_ = std::min<std::uint64_t>(numSectors_, fmt::kMaxRegularSector + 1ull);
        used_.assign(numSectors_, 0);
        return S_OK;
    }

    // Claims a sector for one purpose; a second claim means a loop or a cross-link.
    HRESULT Claim(std::uint32_t sector, const char* what) {
        if (sector > fmt::kMaxRegularSector)
            return Corrupt(std::string(what) + ": special value " + Num(sector) +
                           " where a sector was expected");
        if (sector >= numSectors_)
            return Corrupt(std::string(what) + ": sector " + Num(sector) +
                           " is past the end of the file (" + Num(numSectors_) + " sectors)");
        if (used_[sector])
            return Corrupt(std::string(what) + ": sector " + Num(sector) + " is used twice");
        used_[sector] = 1;
        return S_OK;
    }

    HRESULT ReadFatSectorList() {
        std::uint32_t numFat = fmt::Get32(header_ + fmt::kOffNumFatSectors);
        if (numFat > numSectors_)
            return Corrupt("FAT sector count " + Num(numFat) + " exceeds the " + Num(numSectors_) +
                           " sectors of the file");
        std::size_t inHeader = std::min<std::size_t>(numFat, fmt::kHeaderDifatEntries);
        for (std::size_t i = 0; i < inHeader; ++i)
            fatSectors_.push_back(fmt::Get32(header_ + fmt::kOffDifat + 4 * i));
        CVK_RETURN_IF_FAILED(ReadDifatSectors(numFat));
        for (std::uint32_t sector : fatSectors_)
            CVK_RETURN_IF_FAILED(Claim(sector, "FAT sector list"));
        return S_OK;
    }

    // Walks the DIFAT chain to its end, each sector once: it must be as long as the header
    // counts, and that count must cover the FAT sectors.
    HRESULT ReadDifatSectors(std::uint32_t numFat) {
        const std::size_t perSector = sectorSize_ / 4 - 1;
        const std::uint64_t needed = numFat > fmt::kHeaderDifatEntries
                                         ? CeilDiv(numFat - fmt::kHeaderDifatEntries, perSector)
                                         : 0;
        const std::uint32_t numDifat = fmt::Get32(header_ + fmt::kOffNumDifat);
        if (numDifat < needed || numDifat > numSectors_)
            return Corrupt("DIFAT sector count: expected " + Num(needed) + " for " + Num(numFat) +
                           " FAT sectors, found " + Num(numDifat));
        std::uint32_t sector = fmt::Get32(header_ + fmt::kOffFirstDifat);
        // Some writers mark "no DIFAT" with a free sector instead of the end of chain.
        if (numDifat == 0 && sector == fmt::kFreeSector)
            return S_OK;
        std::uint64_t walked = 0;
        std::vector<std::uint8_t> bytes;
        for (; sector != fmt::kEndOfChain; ++walked) {
            CVK_RETURN_IF_FAILED(Claim(sector, "DIFAT chain"));
            if (walked == numDifat)
                return Corrupt("DIFAT chain: expected to end after " + Num(numDifat) +
                               " sectors as the header counts, found more");
            CVK_RETURN_IF_FAILED(ReadSectors({sector}, &bytes, "DIFAT chain"));
            for (std::size_t k = 0; k < perSector && fatSectors_.size() < numFat; ++k)
                fatSectors_.push_back(fmt::Get32(bytes.data() + 4 * k));
            sector = fmt::Get32(bytes.data() + 4 * perSector);
        }
        if (walked != numDifat)
            return Corrupt("DIFAT sector count: expected " + Num(walked) +
                           " (the length of the DIFAT chain), found " + Num(numDifat));
        return S_OK;
    }

    HRESULT ReadFat() {
        std::vector<std::uint8_t> bytes;
        CVK_RETURN_IF_FAILED(ReadSectors(fatSectors_, &bytes, "FAT"));
        // Entries past the end of the file are common (the FAT fills whole sectors); they are
        // harmless because no chain may reach a sector outside the file.
        fat_.resize(bytes.size() / 4);
        for (std::size_t i = 0; i < fat_.size(); ++i)
            fat_[i] = fmt::Get32(bytes.data() + 4 * i);
        return S_OK;
    }

    // Follows a FAT chain from `start`, claiming every sector.
    HRESULT WalkChain(std::uint32_t start, const char* what, std::vector<std::uint32_t>* chain) {
        chain->clear();
        for (std::uint32_t s = start; s != fmt::kEndOfChain;) {
            if (s == fmt::kFreeSector)
                return Corrupt(std::string(what) + ": chain runs into a free sector after " +
                               Num(chain->size()) + " sectors");
            CVK_RETURN_IF_FAILED(Claim(s, what));
            if (s >= fat_.size())
                return Corrupt(std::string(what) + ": sector " + Num(s) +
                               " has no FAT entry (FAT holds " + Num(fat_.size()) + ")");
            chain->push_back(s);
            s = fat_[s];
        }
        return S_OK;
    }

    HRESULT ReadDirectory() {
        std::vector<std::uint32_t> chain;
        CVK_RETURN_IF_FAILED(
            WalkChain(fmt::Get32(header_ + fmt::kOffFirstDirSector), "directory", &chain));
        if (chain.empty())
            return Corrupt("directory: the chain is empty");
        std::vector<std::uint8_t> bytes;
        CVK_RETURN_IF_FAILED(ReadSectors(chain, &bytes, "directory"));
        const std::size_t count = bytes.size() / fmt::kDirEntrySize;
        entries_.resize(count);
        for (std::size_t i = 0; i < count; ++i)
            entries_[i] = ParseEntry(bytes.data() + i * fmt::kDirEntrySize);
        if (entries_[0].type != fmt::kTypeRoot)
            return Corrupt("directory entry 0: expected the root (type 5), found type " +
                           Num(entries_[0].type));
        return S_OK;
    }

    DirEntry ParseEntry(const std::uint8_t* p) const {
        DirEntry e;
        e.name = EntryName(p);
        e.nameLength = fmt::Get16(p + fmt::kOffEntryNameLength);
        e.type = p[fmt::kOffEntryType];
        e.left = fmt::Get32(p + fmt::kOffEntryLeft);
        e.right = fmt::Get32(p + fmt::kOffEntryRight);
        e.child = fmt::Get32(p + fmt::kOffEntryChild);
        e.start = fmt::Get32(p + fmt::kOffEntryStart);
        e.size = fmt::Get64(p + fmt::kOffEntrySize);
        // Version 3 files may carry garbage in the high half of the size; it is not part of it.
        if (shift_ == 9)
            e.size &= 0xFFFFFFFFu;
        return e;
    }

    // Visits every entry reachable from the root without recursion; an entry reached twice
    // is a cycle or a shared subtree.
    HRESULT WalkDirectoryTree() {
        struct Pending {
            std::uint32_t index;
            std::uint32_t from;
            std::uint32_t storage; // the storage whose member tree holds the entry
        };
        std::vector<std::uint8_t> seen(entries_.size(), 0);
        seen[0] = 1;
        CVK_RETURN_IF_FAILED(CheckNameLength(0));
        std::vector<std::pair<std::uint32_t, std::uint32_t>> members; // (storage, entry)
        std::vector<Pending> todo{{entries_[0].child, 0, 0}};
        while (!todo.empty()) {
            Pending p = todo.back();
            todo.pop_back();
            if (p.index == fmt::kNoStream)
                continue;
            if (p.index >= entries_.size())
                return Corrupt("directory entry " + Num(p.from) + " links to entry " +
                               Num(p.index) + ", past the " + Num(entries_.size()) + " entries");
            if (seen[p.index])
                return Corrupt("directory entry " + Num(p.index) +
                               " is reached twice (the tree has a cycle)");
            seen[p.index] = 1;
            const DirEntry& e = entries_[p.index];
            if (e.type != fmt::kTypeStorage && e.type != fmt::kTypeStream)
                return Corrupt("directory entry " + Num(p.index) +
                               ": expected a storage or a stream, found type " + Num(e.type));
            CVK_RETURN_IF_FAILED(CheckNameLength(p.index));
            members.emplace_back(p.storage, p.index);
            todo.push_back({e.left, p.index, p.storage});
            todo.push_back({e.right, p.index, p.storage});
            if (e.type == fmt::kTypeStorage) {
                todo.push_back({e.child, p.index, p.index});
                continue;
            }
            // A stream has no members; a child link would hand its entries a second parent.
            if (e.child != fmt::kNoStream)
                return Corrupt("directory entry " + Num(p.index) + " (stream \"" + Narrow(e.name) +
                               "\"): child: expected none (" + Num(fmt::kNoStream) + "), found " +
                               Num(e.child));
            streams_.push_back({p.index, p.storage == 0});
        }
        CVK_RETURN_IF_FAILED(CheckUniqueNames(members));
        std::sort(streams_.begin(), streams_.end(),
                  [](const auto& a, const auto& b) { return a.index < b.index; });
        return S_OK;
    }

    // The length field counts the name's UTF-16 units and its terminator, in bytes, and the
    // terminator stands where it says: a reader trusting the field must see the same name.
    HRESULT CheckNameLength(std::uint32_t index) {
        const DirEntry& e = entries_[index];
        const std::string where = "directory entry " + Num(index) + ": name length";
        if (e.nameLength > 2 * (fmt::kMaxNameUnits + 1))
            return Corrupt(where + ": expected at most 64, found " + Num(e.nameLength));
        const std::size_t expected = 2 * (e.name.size() + 1);
        if (e.name.size() > fmt::kMaxNameUnits)
            return Corrupt(where + ": expected a terminator within 64 bytes, found none");
        if (e.nameLength != expected)
            return Corrupt(where + ": expected " + Num(expected) + " for \"" + Narrow(e.name) +
                           "\", found " + Num(e.nameLength));
        return S_OK;
    }

    // No two members of one storage may have names that the format compares equal (length
    // first, then upper case): which of them a lookup finds would depend on the reader.
    HRESULT CheckUniqueNames(const std::vector<std::pair<std::uint32_t, std::uint32_t>>& members) {
        struct Member {
            std::uint32_t storage;
            std::uint32_t index;
            std::u16string key;
        };
        std::vector<Member> list;
        for (auto [storage, index] : members) {
            Member m{storage, index, entries_[index].name};
            for (char16_t& c : m.key)
                c = fmt::UpperUnit(c);
            list.push_back(std::move(m));
        }
        auto order = [](const Member& a, const Member& b) {
            return std::tie(a.storage, a.key, a.index) < std::tie(b.storage, b.key, b.index);
        };
        std::sort(list.begin(), list.end(), order);
        for (std::size_t i = 1; i < list.size(); ++i) {
            const Member& a = list[i - 1];
            const Member& b = list[i];
            if (a.storage == b.storage && a.key == b.key)
                return Corrupt("directory entry " + Num(b.index) + ": name \"" +
                               Narrow(entries_[b.index].name) +
                               "\": expected a name unique in its storage, found it also at "
                               "entry " +
                               Num(a.index));
        }
        return S_OK;
    }

    HRESULT ReadMiniStream() {
        const DirEntry& root = entries_[0];
        miniStreamSize_ = root.size;
        if (miniStreamSize_ > 0) {
            if (miniStreamSize_ > fileSize_)
                return Corrupt("mini stream: size " + Num(miniStreamSize_) +
                               " is larger than the file");
            CVK_RETURN_IF_FAILED(WalkChain(root.start, "mini stream", &miniChain_));
            std::uint64_t needed = CeilDiv(miniStreamSize_, sectorSize_);
            if (miniChain_.size() < needed)
                return Corrupt("mini stream: chain ends after " + Num(miniChain_.size()) + " of " +
                               Num(needed) + " sectors");
        }
        std::uint32_t first = fmt::Get32(header_ + fmt::kOffFirstMiniFat);
        std::uint32_t count = fmt::Get32(header_ + fmt::kOffNumMiniFat);
        if (count == 0 || first == fmt::kEndOfChain)
            return S_OK;
        std::vector<std::uint32_t> chain;
        CVK_RETURN_IF_FAILED(WalkChain(first, "mini FAT", &chain));
        std::vector<std::uint8_t> bytes;
        CVK_RETURN_IF_FAILED(ReadSectors(chain, &bytes, "mini FAT"));
        miniFat_.resize(bytes.size() / 4);
        for (std::size_t i = 0; i < miniFat_.size(); ++i)
            miniFat_[i] = fmt::Get32(bytes.data() + 4 * i);
        miniUsed_.assign(miniFat_.size(), 0);
        return S_OK;
    }

    HRESULT LayOutStreams(CompoundFileReader& reader) {
        for (const auto& s : streams_) {
            const DirEntry& e = entries_[s.index];
            StreamLayout layout;
            layout.size = e.size;
            CVK_RETURN_IF_FAILED(e.size == 0                       ? S_OK
                                 : e.size < fmt::kMiniStreamCutoff ? LayOutMini(e, &layout)
                                                                   : LayOutRegular(e, &layout));
            if (s.atRoot)
                reader.streams_.push_back({e.name, std::move(layout)});
        }
        return S_OK;
    }

    HRESULT LayOutRegular(const DirEntry& e, StreamLayout* layout) {
        if (e.size > fileSize_)
            return Corrupt("stream \"" + Narrow(e.name) + "\": size " + Num(e.size) +
                           " is larger than the file (" + Num(fileSize_) + " bytes)");
        std::vector<std::uint32_t> chain;
        CVK_RETURN_IF_FAILED(WalkChain(e.start, "stream chain", &chain));
        std::uint64_t needed = CeilDiv(e.size, sectorSize_);
        if (chain.size() < needed)
            return Corrupt("stream \"" + Narrow(e.name) + "\": chain ends after " +
                           Num(chain.size()) + " of " + Num(needed) + " sectors");
        for (std::uint64_t k = 0; k < needed; ++k) {
            std::uint64_t length = std::min<std::uint64_t>(sectorSize_, e.size - k * sectorSize_);
            AddPiece(*layout, SectorOffset(chain[k]), length);
        }
        return CheckWithinFile(e, *layout);
    }

    HRESULT LayOutMini(const DirEntry& e, StreamLayout* layout) {
        const std::uint64_t miniSectors = CeilDiv(miniStreamSize_, fmt::kMiniSectorSize);
        const std::uint64_t needed = CeilDiv(e.size, fmt::kMiniSectorSize);
        std::uint64_t k = 0;
        for (std::uint32_t m = e.start; m != fmt::kEndOfChain; m = miniFat_[m], ++k) {
            if (m == fmt::kFreeSector)
                return Corrupt("stream \"" + Narrow(e.name) +
                               "\": mini chain runs into a free sector after " + Num(k));
            if (m >= miniSectors || m >= miniFat_.size())
                return Corrupt("stream \"" + Narrow(e.name) + "\": mini sector " + Num(m) +
                               " is past the end of the mini stream (" + Num(miniSectors) +
                               " mini sectors)");
            if (miniUsed_[m])
                return Corrupt("stream \"" + Narrow(e.name) + "\": mini sector " + Num(m) +
                               " is used twice");
            miniUsed_[m] = 1;
            if (k < needed) {
                std::uint64_t at = static_cast<std::uint64_t>(m) * fmt::kMiniSectorSize;
                std::uint64_t fileOffset =
                    SectorOffset(miniChain_[at >> shift_]) + (at & (sectorSize_ - 1));
                std::uint64_t length = std::min<std::uint64_t>(fmt::kMiniSectorSize,
                                                               e.size - k * fmt::kMiniSectorSize);
                AddPiece(*layout, fileOffset, length);
            }
        }
        if (k < needed)
            return Corrupt("stream \"" + Narrow(e.name) + "\": mini chain ends after " + Num(k) +
                           " of " + Num(needed) + " mini sectors");
        return CheckWithinFile(e, *layout);
    }

    HRESULT CheckWithinFile(const DirEntry& e, const StreamLayout& layout) {
        for (const Extent& x : layout.extents)
            if (x.fileOffset + x.length > fileSize_)
                return Corrupt("stream \"" + Narrow(e.name) +
                               "\": data runs past the end of the file");
        return S_OK;
    }

    static std::string Narrow(const std::u16string& name) {
        std::string out;
        for (char16_t c : name)
            out.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
        return out;
    }

    struct StreamRef {
        std::uint32_t index;
        bool atRoot;
    };

    const ByteSource& source_;
    std::string* diagnostic_;
    std::uint8_t header_[fmt::kHeaderSize] = {};
    std::uint64_t fileSize_ = 0;
    unsigned shift_ = 9;
    std::uint32_t sectorSize_ = 512;
    std::uint64_t numSectors_ = 0;
    std::vector<std::uint8_t> used_;
    std::vector<std::uint32_t> fatSectors_;
    std::vector<std::uint32_t> fat_;
    std::vector<DirEntry> entries_;
    std::vector<StreamRef> streams_;
    std::uint64_t miniStreamSize_ = 0;
    std::vector<std::uint32_t> miniChain_;
    std::vector<std::uint32_t> miniFat_;
    std::vector<std::uint8_t> miniUsed_;
};

std::unique_ptr<ByteSource> MakeMemorySource(std::string bytes) {
    return std::make_unique<MemorySource>(std::move(bytes));
}

HRESULT OpenFileSource(const char* utf8Path, std::unique_ptr<ByteSource>* out) {
    int fd = open(utf8Path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        int error = errno;
        if (error == ENOENT)
            return FolderExists(utf8Path) ? STG_E_FILENOTFOUND : STG_E_PATHNOTFOUND;
        if (error == ENOTDIR)
            return STG_E_PATHNOTFOUND;
        if (error == EACCES || error == EPERM)
            return STG_E_ACCESSDENIED;
        return STG_E_READFAULT;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return STG_E_ACCESSDENIED;
    }
    *out = std::make_unique<FileSource>(fd, static_cast<std::uint64_t>(st.st_size));
    return S_OK;
}

HRESULT CompoundFileReader::Open(std::unique_ptr<ByteSource> source,
                                 std::unique_ptr<CompoundFileReader>* out,
                                 std::string* diagnostic) {
    std::unique_ptr<CompoundFileReader> reader(new CompoundFileReader());
    StructureParser parser(*source, diagnostic);
    CVK_RETURN_IF_FAILED(parser.Parse(*reader));
    reader->source_ = std::move(source);
    *out = std::move(reader);
    return S_OK;
}

bool NamesEqual(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fmt::UpperUnit(a[i]) != fmt::UpperUnit(b[i]))
            return false;
    return true;
}

const RootStream* CompoundFileReader::FindRootStream(std::u16string_view name) const {
    for (const RootStream& s : streams_)
        if (NamesEqual(s.name, name))
            return &s;
    return nullptr;
}

HRESULT CompoundFileReader::Read(const StreamLayout& layout, std::uint64_t offset, void* data,
                                 std::size_t size, std::size_t* got) const {
    *got = 0;
    if (offset >= layout.size || size == 0)
        return S_OK;
    size = static_cast<std::size_t>(std::min<std::uint64_t>(size, layout.size - offset));
    auto it =
        std::upper_bound(layout.extents.begin(), layout.extents.end(), offset,
                         [](std::uint64_t at, const Extent& x) { return at < x.streamOffset; });
    --it; // the extents start at 0, so one lies at or before `offset`
    char* p = static_cast<char*>(data);
    std::size_t left = size;
    for (; left > 0 && it != layout.extents.end(); ++it) {
        std::uint64_t within = offset - it->streamOffset;
        std::size_t piece =
            static_cast<std::size_t>(std::min<std::uint64_t>(left, it->length - within));
        CVK_RETURN_IF_FAILED(source_->ReadAt(it->fileOffset + within, p, piece));
        p += piece;
        left -= piece;
        offset += piece;
    }
    *got = size - left;
    return S_OK;
}

} // namespace cvk::storage::detail
