// The compound file writer: streams straight to a temporary file, structure on commit.
#include "platform/storage/compound_writer.h"

#include "platform/com/errorinfo.h"
#include "platform/storage/compound_file.h"
#include "platform/storage/compound_format.h"
#include "platform/storage/compound_reader.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace cvk::storage::detail {
namespace fmt = cvk::storage::format;

namespace {

constexpr std::size_t kPendingLimit = 256 * 1024;
// Sectors kept free of stream data so that the structure always finds sector numbers.
constexpr std::uint64_t kStructureReserve = 1u << 24;

std::uint64_t CeilDiv(std::uint64_t a, std::uint64_t b) {
    return a / b + (a % b != 0);
}

bool NameLess(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size())
        return a.size() < b.size();
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = fmt::UpperUnit(a[i]);
        char16_t y = fmt::UpperUnit(b[i]);
        if (x != y)
            return x < y;
    }
    return false;
}

struct TreeLinks {
    std::uint32_t left = fmt::kNoStream;
    std::uint32_t right = fmt::kNoStream;
    std::uint8_t colour = fmt::kBlack;
};

// Builds a balanced search tree over the stream entries (directory index = stream index + 1)
// and colours it as a valid red-black tree: nodes on the deepest level red, all others black.
// Splitting at the middle leaves every empty link on the last two levels, so every path
// from the top crosses the same number of black nodes.
std::uint32_t BuildTree(const std::vector<std::u16string>& names, std::vector<TreeLinks>* links) {
    std::vector<std::uint32_t> order(names.size());
    for (std::uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::uint32_t a, std::uint32_t b) { return NameLess(names[a], names[b]); });
    links->assign(names.size(), {});
    std::vector<int> depth(names.size(), 0);
    int deepest = 0;
    std::function<std::uint32_t(std::size_t, std::size_t, int)> build =
        [&](std::size_t lo, std::size_t hi, int level) -> std::uint32_t {
        if (lo >= hi)
            return fmt::kNoStream;
        std::size_t mid = lo + (hi - lo) / 2;
        std::uint32_t node = order[mid];
        depth[node] = level;
        deepest = std::max(deepest, level);
        std::uint32_t left = build(lo, mid, level + 1);
        std::uint32_t right = build(mid + 1, hi, level + 1);
        (*links)[node].left = left == fmt::kNoStream ? left : left + 1;
        (*links)[node].right = right == fmt::kNoStream ? right : right + 1;
        return node;
    };
    std::uint32_t top = build(0, order.size(), 0);
    for (std::size_t i = 0; i < names.size(); ++i)
        if (depth[i] == deepest && deepest > 0)
            (*links)[i].colour = fmt::kRed;
    return top == fmt::kNoStream ? top : top + 1;
}

void PutEntry(std::uint8_t* p, const std::u16string& name, std::uint8_t type,
              const TreeLinks& links, std::uint32_t child, std::uint32_t start,
              std::uint64_t size) {
    for (std::size_t i = 0; i < name.size(); ++i)
        fmt::Put16(p + 2 * i, name[i]);
    fmt::Put16(p + fmt::kOffEntryNameLength, static_cast<std::uint16_t>(2 * (name.size() + 1)));
    p[fmt::kOffEntryType] = type;
    p[fmt::kOffEntryColour] = links.colour;
    fmt::Put32(p + fmt::kOffEntryLeft, links.left);
    fmt::Put32(p + fmt::kOffEntryRight, links.right);
    fmt::Put32(p + fmt::kOffEntryChild, child);
    fmt::Put32(p + fmt::kOffEntryStart, start);
    fmt::Put64(p + fmt::kOffEntrySize, size);
}

void PutUnusedEntry(std::uint8_t* p) {
    fmt::Put32(p + fmt::kOffEntryLeft, fmt::kNoStream);
    fmt::Put32(p + fmt::kOffEntryRight, fmt::kNoStream);
    fmt::Put32(p + fmt::kOffEntryChild, fmt::kNoStream);
}

} // namespace

HRESULT CompoundFileWriter::Open(const std::string& utf8Path, unsigned sectorShift) {
    if (sectorShift != 9 && sectorShift != 12)
        return E_INVALIDARG;
    shift_ = sectorShift;
    sectorSize_ = 1u << shift_;
    // Version 3 keeps only 31 bits of a stream size; version 4 sizes are bounded by the
    // sector numbers in practice.
    maxStreamSize_ = shift_ == 9 ? 0x80000000ull : (1ull << 44);
    return file_.Open(utf8Path);
}

std::ptrdiff_t CompoundFileWriter::Find(std::u16string_view name) const {
    for (std::size_t i = 0; i < streams_.size(); ++i)
        if (NamesEqual(streams_[i].name, name))
            return static_cast<std::ptrdiff_t>(i);
    return -1;
}

HRESULT CompoundFileWriter::CreateStream(std::u16string_view name, std::size_t* index) {
    if (finished_)
        return STG_E_REVERTED;
    std::ptrdiff_t found = Find(name);
    if (found >= 0) {
        *index = static_cast<std::size_t>(found);
        return SetSize(*index, 0);
    }
    Stream s;
    s.name = std::u16string(name);
    streams_.push_back(std::move(s));
    *index = streams_.size() - 1;
    return S_OK;
}

std::vector<std::u16string> CompoundFileWriter::Names() const {
    std::vector<std::u16string> names;
    for (const Stream& s : streams_)
        names.push_back(s.name);
    return names;
}

HRESULT CompoundFileWriter::EnsureSectors(Stream& s, std::uint64_t count) {
    if (count <= s.sectors.size())
        return S_OK;
    if (nextSector_ + (count - s.sectors.size()) > fmt::kMaxRegularSector - kStructureReserve)
        return STG_E_DOCFILETOOLARGE;
    while (s.sectors.size() < count)
        s.sectors.push_back(static_cast<std::uint32_t>(nextSector_++));
    return S_OK;
}

HRESULT CompoundFileWriter::Spill(Stream& s) {
    s.spilled = true;
    std::string head;
    head.swap(s.head);
    HRESULT hr = EnsureSectors(s, CeilDiv(s.size, sectorSize_));
    if (SUCCEEDED(hr))
        hr = WriteToSectors(s, 0, head.data(), head.size());
    return hr;
}

// Writes a byte range whose sectors exist; consecutive sectors take one write.
HRESULT CompoundFileWriter::WriteToSectors(Stream& s, std::uint64_t offset, const char* data,
                                           std::size_t size) {
    HRESULT hr = EnsureSectors(s, CeilDiv(offset + size, sectorSize_));
    while (SUCCEEDED(hr) && size > 0) {
        std::uint64_t k = offset >> shift_;
        std::uint64_t within = offset & (sectorSize_ - 1);
        std::uint64_t run = 1;
        while (k + run < s.sectors.size() && s.sectors[k + run] == s.sectors[k] + run &&
               (run << shift_) - within < size)
            ++run;
        std::size_t piece =
            static_cast<std::size_t>(std::min<std::uint64_t>(size, (run << shift_) - within));
        hr = file_.WriteAt(SectorOffset(s.sectors[k]) + within, data, piece);
        data += piece;
        size -= piece;
        offset += piece;
    }
    return hr;
}

HRESULT CompoundFileWriter::ReadFromSectors(const Stream& s, std::uint64_t offset, char* data,
                                            std::size_t size) {
    HRESULT hr = S_OK;
    while (SUCCEEDED(hr) && size > 0) {
        std::uint64_t k = offset >> shift_;
        std::uint64_t within = offset & (sectorSize_ - 1);
        std::uint64_t run = 1;
        while (k + run < s.sectors.size() && s.sectors[k + run] == s.sectors[k] + run &&
               (run << shift_) - within < size)
            ++run;
        std::size_t piece =
            static_cast<std::size_t>(std::min<std::uint64_t>(size, (run << shift_) - within));
        hr = file_.ReadAt(SectorOffset(s.sectors[k]) + within, data, piece);
        data += piece;
        size -= piece;
        offset += piece;
    }
    return hr;
}

HRESULT CompoundFileWriter::FlushPending(Stream& s) {
    if (s.pending.empty())
        return S_OK;
    HRESULT hr = WriteToSectors(s, s.pendingAt, s.pending.data(), s.pending.size());
    s.pending.clear();
    return hr;
}

HRESULT CompoundFileWriter::WriteAt(std::size_t stream, std::uint64_t offset, const void* data,
                                    std::size_t size) {
    if (finished_)
        return STG_E_REVERTED;
    Stream& s = streams_[stream];
    if (offset > maxStreamSize_ || size > maxStreamSize_ - offset)
        return STG_E_DOCFILETOOLARGE;
    const std::uint64_t end = offset + size;
    const char* bytes = static_cast<const char*>(data);
    if (!s.spilled && end < fmt::kMiniStreamCutoff) {
        if (s.head.size() < end)
            s.head.resize(static_cast<std::size_t>(end), '\0');
        std::memcpy(s.head.data() + offset, bytes, size);
        s.size = std::max(s.size, end);
        return S_OK;
    }
    CVK_RETURN_IF_FAILED(s.spilled ? S_OK : Spill(s));
    s.size = std::max(s.size, end);
    if (!s.pending.empty() && offset == s.pendingAt + s.pending.size() &&
        s.pending.size() + size <= kPendingLimit) {
        s.pending.append(bytes, size);
        return S_OK;
    }
    CVK_RETURN_IF_FAILED(FlushPending(s));
    if (size >= kPendingLimit / 2)
        return WriteToSectors(s, offset, bytes, size);
    s.pending.assign(bytes, size);
    s.pendingAt = offset;
    return S_OK;
}

HRESULT CompoundFileWriter::ReadAt(std::size_t stream, std::uint64_t offset, void* data,
                                   std::size_t size, std::size_t* got) {
    Stream& s = streams_[stream];
    *got = 0;
    if (offset >= s.size || size == 0)
        return S_OK;
    size = static_cast<std::size_t>(std::min<std::uint64_t>(size, s.size - offset));
    if (!s.spilled) {
        std::memcpy(data, s.head.data() + offset, size);
        *got = size;
        return S_OK;
    }
    HRESULT hr = FlushPending(s);
    if (SUCCEEDED(hr))
        hr = EnsureSectors(s, CeilDiv(s.size, sectorSize_));
    if (SUCCEEDED(hr))
        hr = ReadFromSectors(s, offset, static_cast<char*>(data), size);
    if (SUCCEEDED(hr))
        *got = size;
    return hr;
}

HRESULT CompoundFileWriter::SetSize(std::size_t stream, std::uint64_t size) {
    if (finished_)
        return STG_E_REVERTED;
    if (size > maxStreamSize_)
        return STG_E_DOCFILETOOLARGE;
    Stream& s = streams_[stream];
    if (!s.spilled && size < fmt::kMiniStreamCutoff) {
        s.head.resize(static_cast<std::size_t>(size), '\0');
        s.size = size;
        return S_OK;
    }
    CVK_RETURN_IF_FAILED(s.spilled ? FlushPending(s) : Spill(s));
    if (size < s.size) {
        // Bytes past the new end within its last sector must read as zero if it grows again.
        std::uint64_t sectorEnd = CeilDiv(size, sectorSize_) << shift_;
        std::uint64_t zeroEnd = std::min(sectorEnd, s.size);
        if (zeroEnd > size) {
            std::string zeros(static_cast<std::size_t>(zeroEnd - size), '\0');
            CVK_RETURN_IF_FAILED(WriteToSectors(s, size, zeros.data(), zeros.size()));
        }
        // Cut sectors are left free in the file; they are not reused, so a stream that grows
        // again gets fresh (zero) sectors.
        s.sectors.resize(static_cast<std::size_t>(CeilDiv(size, sectorSize_)));
    }
    s.size = size;
    return EnsureSectors(s, CeilDiv(size, sectorSize_));
}

HRESULT CompoundFileWriter::Commit() {
    if (finished_)
        return STG_E_REVERTED;
    finished_ = true; // a failed commit leaves nothing to retry: the temporary file is gone
    HRESULT hr = WriteStructure();
    if (SUCCEEDED(hr))
        hr = file_.Commit();
    if (FAILED(hr))
        file_.Abandon();
    return hr;
}

// Appends, after the stream data: the mini stream, the mini FAT, the directory, the FAT and
// the DIFAT, each in consecutive sectors; then writes the header.
HRESULT CompoundFileWriter::WriteStructure() {
    const std::uint32_t ss = sectorSize_;
    const std::uint32_t perFat = ss / 4;
    std::string mini;
    std::vector<std::uint32_t> miniFat;
    for (Stream& s : streams_) {
        CVK_RETURN_IF_FAILED(FlushPending(s));
        if (s.size == 0 || s.size >= fmt::kMiniStreamCutoff) {
            s.start = s.size == 0 ? fmt::kEndOfChain : (s.sectors.empty() ? 0 : s.sectors[0]);
            continue;
        }
        std::string bytes = s.head;
        if (s.spilled) { // grew past the cutoff and shrank again
            bytes.assign(static_cast<std::size_t>(s.size), '\0');
            CVK_RETURN_IF_FAILED(ReadFromSectors(s, 0, bytes.data(), bytes.size()));
        }
        s.start = static_cast<std::uint32_t>(miniFat.size());
        std::uint64_t count = CeilDiv(s.size, fmt::kMiniSectorSize);
        for (std::uint64_t k = 0; k < count; ++k)
            miniFat.push_back(k + 1 < count ? s.start + static_cast<std::uint32_t>(k) + 1
                                            : fmt::kEndOfChain);
        bytes.resize(static_cast<std::size_t>(count * fmt::kMiniSectorSize), '\0');
        mini += bytes;
    }

    const std::uint64_t miniSectors = CeilDiv(mini.size(), ss);
    const std::uint64_t miniFatSectors = CeilDiv(miniFat.size() * 4, ss);
    const std::uint64_t dirSectors = CeilDiv((streams_.size() + 1) * fmt::kDirEntrySize, ss);
    const std::uint64_t base = nextSector_ + miniSectors + miniFatSectors + dirSectors;
    std::uint64_t fatSectors = 0;
    std::uint64_t difatSectors = 0;
    for (;;) { // the FAT has to describe its own sectors and those of the DIFAT
        std::uint64_t total = base + fatSectors + difatSectors;
        std::uint64_t f = CeilDiv(total, perFat);
        std::uint64_t x =
            f > fmt::kHeaderDifatEntries ? CeilDiv(f - fmt::kHeaderDifatEntries, perFat - 1) : 0;
        if (f == fatSectors && x == difatSectors)
            break;
        fatSectors = f;
        difatSectors = x;
    }

    const std::uint64_t miniStart = nextSector_;
    const std::uint64_t miniFatStart = miniStart + miniSectors;
    const std::uint64_t dirStart = miniFatStart + miniFatSectors;
    const std::uint64_t fatStart = dirStart + dirSectors;
    const std::uint64_t difatStart = fatStart + fatSectors;
    const std::uint64_t tailSectors = difatStart + difatSectors - nextSector_;

    std::vector<std::uint32_t> fat(fatSectors * perFat, fmt::kFreeSector);
    auto chainRun = [&](std::uint64_t first, std::uint64_t count) {
        for (std::uint64_t i = 0; i < count; ++i)
            fat[first + i] =
                i + 1 < count ? static_cast<std::uint32_t>(first + i + 1) : fmt::kEndOfChain;
    };
    for (const Stream& s : streams_) {
        if (s.size < fmt::kMiniStreamCutoff)
            continue;
        for (std::size_t i = 0; i < s.sectors.size(); ++i)
            fat[s.sectors[i]] = i + 1 < s.sectors.size() ? s.sectors[i + 1] : fmt::kEndOfChain;
    }
    chainRun(miniStart, miniSectors);
    chainRun(miniFatStart, miniFatSectors);
    chainRun(dirStart, dirSectors);
    for (std::uint64_t i = 0; i < fatSectors; ++i)
        fat[fatStart + i] = fmt::kFatSector;
    for (std::uint64_t i = 0; i < difatSectors; ++i)
        fat[difatStart + i] = fmt::kDifatSector;

    std::vector<std::uint8_t> tail(tailSectors * ss, 0);
    std::memcpy(tail.data(), mini.data(), mini.size());
    std::uint8_t* p = tail.data() + miniSectors * ss;
    for (std::size_t i = 0; i < miniFatSectors * perFat; ++i)
        fmt::Put32(p + 4 * i, i < miniFat.size() ? miniFat[i] : fmt::kFreeSector);

    p = tail.data() + (dirStart - nextSector_) * ss;
    std::vector<std::u16string> names = Names();
    std::vector<TreeLinks> links;
    std::uint32_t top = BuildTree(names, &links);
    PutEntry(p, u"Root Entry", fmt::kTypeRoot, TreeLinks{}, top,
             miniSectors ? static_cast<std::uint32_t>(miniStart) : fmt::kEndOfChain, mini.size());
    for (std::size_t i = 0; i < streams_.size(); ++i)
        PutEntry(p + (i + 1) * fmt::kDirEntrySize, streams_[i].name, fmt::kTypeStream, links[i],
                 fmt::kNoStream, streams_[i].start, streams_[i].size);
    for (std::size_t i = streams_.size() + 1; i < dirSectors * ss / fmt::kDirEntrySize; ++i)
        PutUnusedEntry(p + i * fmt::kDirEntrySize);

    p = tail.data() + (fatStart - nextSector_) * ss;
    for (std::size_t i = 0; i < fat.size(); ++i)
        fmt::Put32(p + 4 * i, fat[i]);

    // FAT sector numbers: 109 in the header, the rest in DIFAT sectors, each ending with the
    // number of the next.
    std::vector<std::uint8_t> header(ss, 0);
    std::uint8_t* h = header.data();
    for (std::size_t i = 0; i < fmt::kHeaderDifatEntries; ++i)
        fmt::Put32(h + fmt::kOffDifat + 4 * i,
                   i < fatSectors ? static_cast<std::uint32_t>(fatStart + i) : fmt::kFreeSector);
    p = tail.data() + (difatStart - nextSector_) * ss;
    for (std::uint64_t d = 0; d < difatSectors; ++d) {
        std::uint8_t* sector = p + d * ss;
        for (std::uint64_t k = 0; k < perFat - 1; ++k) {
            std::uint64_t i = fmt::kHeaderDifatEntries + d * (perFat - 1) + k;
            fmt::Put32(sector + 4 * k, i < fatSectors ? static_cast<std::uint32_t>(fatStart + i)
                                                      : fmt::kFreeSector);
        }
        fmt::Put32(sector + 4 * (perFat - 1), d + 1 < difatSectors
                                                  ? static_cast<std::uint32_t>(difatStart + d + 1)
                                                  : fmt::kEndOfChain);
    }

    std::memcpy(h, fmt::kSignature, sizeof fmt::kSignature);
    fmt::Put16(h + fmt::kOffMinorVersion, 0x003E);
    fmt::Put16(h + fmt::kOffMajorVersion, shift_ == 9 ? 3 : 4);
    fmt::Put16(h + fmt::kOffByteOrder, 0xFFFE);
    fmt::Put16(h + fmt::kOffSectorShift, static_cast<std::uint16_t>(shift_));
    fmt::Put16(h + fmt::kOffMiniSectorShift, 6);
    fmt::Put32(h + fmt::kOffNumDirSectors,
               shift_ == 9 ? 0 : static_cast<std::uint32_t>(dirSectors));
    fmt::Put32(h + fmt::kOffNumFatSectors, static_cast<std::uint32_t>(fatSectors));
    fmt::Put32(h + fmt::kOffFirstDirSector, static_cast<std::uint32_t>(dirStart));
    fmt::Put32(h + fmt::kOffMiniCutoff, fmt::kMiniStreamCutoff);
    fmt::Put32(h + fmt::kOffFirstMiniFat,
               miniFatSectors ? static_cast<std::uint32_t>(miniFatStart) : fmt::kEndOfChain);
    fmt::Put32(h + fmt::kOffNumMiniFat, static_cast<std::uint32_t>(miniFatSectors));
    fmt::Put32(h + fmt::kOffFirstDifat,
               difatSectors ? static_cast<std::uint32_t>(difatStart) : fmt::kEndOfChain);
    fmt::Put32(h + fmt::kOffNumDifat, static_cast<std::uint32_t>(difatSectors));

    HRESULT hr = file_.WriteAt(SectorOffset(nextSector_), tail.data(), tail.size());
    if (SUCCEEDED(hr))
        hr = file_.WriteAt(0, header.data(), header.size());
    return hr;
}

} // namespace cvk::storage::detail
