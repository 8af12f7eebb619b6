// Damaged and unusual compound files: every damage gives a failure status, never a crash, a
// hang or wrong bytes; the quirks of real files are accepted.
#include "platform/storage/compound_file.h"
#include "platform/storage/compound_format.h"
#include "platform/storage/storage_internal.h"
#include "storage_test_support.h"

#include <chrono>
#include <functional>

namespace cvk::storage::test {
namespace {
namespace fmt = cvk::storage::format;

struct StreamToWrite {
    const char16_t* name;
    std::uint64_t size;
};

// A valid file written by our writer, as bytes to patch.
std::string ValidFile(std::initializer_list<StreamToWrite> streams, unsigned sectorShift = 9) {
    ScratchFolder folder;
    const std::string path = folder.File("valid.cvw");
    IStorage* storage = nullptr;
    EXPECT_EQ(detail::CreateCompoundStorage(path.c_str(), STGM_CREATE | STGM_READWRITE, sectorShift,
                                            &storage),
              S_OK);
    for (const StreamToWrite& s : streams)
        EXPECT_EQ(WritePatternCompound(storage, s.name, s.size, s.size), S_OK);
    EXPECT_EQ(storage->Commit(STGC_DEFAULT), S_OK);
    storage->Release();
    return ReadFileBytes(path);
}

std::uint32_t Get32(const std::string& bytes, std::size_t at) {
    return fmt::Get32(reinterpret_cast<const std::uint8_t*>(bytes.data() + at));
}
void Put32(std::string& bytes, std::size_t at, std::uint32_t value) {
    fmt::Put32(reinterpret_cast<std::uint8_t*>(bytes.data() + at), value);
}
void Put16(std::string& bytes, std::size_t at, std::uint16_t value) {
    fmt::Put16(reinterpret_cast<std::uint8_t*>(bytes.data() + at), value);
}
std::size_t SectorAt(std::uint32_t sector) {
    return (std::size_t{sector} + 1) * 512;
}
std::size_t FatEntryAt(const std::string& file, std::uint32_t sector) {
    std::uint32_t fatSector = Get32(file, fmt::kOffDifat + 4 * (sector / 128));
    return SectorAt(fatSector) + 4 * (sector % 128);
}
std::size_t EntryAt(const std::string& file, std::uint32_t index) {
    return SectorAt(Get32(file, fmt::kOffFirstDirSector)) + index * fmt::kDirEntrySize;
}

// Opens the bytes; when that succeeds, every root stream must read back in full.
HRESULT OpenAndReadAll(const std::string& bytes, std::string* why = nullptr) {
    IStorage* storage = nullptr;
    HRESULT hr = OpenCompoundFileBytes(bytes, &storage, why);
    if (FAILED(hr)) {
        EXPECT_EQ(storage, nullptr);
        return hr;
    }
    std::vector<std::u16string> names;
    ListRootStreams(storage, &names);
    for (const auto& name : names) {
        IStream* stream = nullptr;
        EXPECT_EQ(storage->OpenStream(name.c_str(), STGM_READ, &stream), S_OK);
        ULONGLONG size = 0;
        stream->GetSize(&size);
        std::string content(static_cast<std::size_t>(size), '\0');
        ULONG got = 0;
        EXPECT_EQ(stream->Read(content.data(), static_cast<ULONG>(size), &got), S_OK);
        EXPECT_EQ(got, size);
        stream->Release();
    }
    storage->Release();
    return hr;
}

std::string ReadStream(const std::string& bytes, const char16_t* name) {
    IStorage* storage = nullptr;
    std::string why;
    EXPECT_EQ(OpenCompoundFileBytes(bytes, &storage, &why), S_OK) << why;
    if (!storage)
        return {};
    IStream* stream = nullptr;
    EXPECT_EQ(storage->OpenStream(name, STGM_READ, &stream), S_OK);
    std::string content;
    if (stream) {
        content.resize(1 << 20);
        ULONG got = 0;
        stream->Read(content.data(), static_cast<ULONG>(content.size()), &got);
        content.resize(got);
        stream->Release();
    }
    storage->Release();
    return content;
}

TEST(HostileFile, NotACompoundFileGivesFileAlreadyExists) {
    EXPECT_EQ(OpenAndReadAll(""), STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(OpenAndReadAll(std::string(4096, 'x')), STG_E_FILEALREADYEXISTS);
    std::string valid = ValidFile({{u"cvkData", 100}});
    EXPECT_EQ(OpenAndReadAll(valid.substr(0, 300)), STG_E_FILEALREADYEXISTS);
    valid[7] ^= 1;
    EXPECT_EQ(OpenAndReadAll(valid), STG_E_FILEALREADYEXISTS);
}

TEST(HostileFile, FileCutAtEverySectorBoundaryIsRejected) {
    const std::string valid = ValidFile({{u"cvkData", 9000}, {u"small", 700}});
    ASSERT_EQ(OpenAndReadAll(valid), S_OK);
    for (std::size_t cut = 512; cut < valid.size(); cut += 512)
        EXPECT_EQ(OpenAndReadAll(valid.substr(0, cut)), STG_E_DOCFILECORRUPT) << "cut at " << cut;
}

TEST(HostileFile, HeaderFieldsOutOfRangeAreNamed) {
    const std::string valid = ValidFile({{u"cvkData", 100}});
    struct Patch {
        std::size_t at;
        std::uint16_t value;
        const char* message;
    } patches[] = {
        {fmt::kOffSectorShift, 14, "sector shift: expected 9 or 12, found 14"},
        {fmt::kOffMiniSectorShift, 7, "mini sector shift: expected 6, found 7"},
        {fmt::kOffMajorVersion, 2, "major version: expected 3 or 4, found 2"},
    };
    for (const Patch& p : patches) {
        std::string bad = valid;
        fmt::Put16(reinterpret_cast<std::uint8_t*>(bad.data() + p.at), p.value);
        std::string why;
        EXPECT_EQ(OpenAndReadAll(bad, &why), STG_E_DOCFILECORRUPT);
        EXPECT_EQ(why, p.message);
    }
    // A 4096-byte sector size on a file laid out in 512-byte sectors.
    std::string bad = valid;
    fmt::Put16(reinterpret_cast<std::uint8_t*>(bad.data() + fmt::kOffSectorShift), 12);
    EXPECT_EQ(OpenAndReadAll(bad), STG_E_DOCFILECORRUPT);
}

// The regular stream occupies sectors 0..17 (9000 bytes), written first.
TEST(HostileFile, BrokenFatChainsAreRejected) {
    const std::string valid = ValidFile({{u"cvkData", 9000}});
    struct Case {
        std::uint32_t sector;
        std::uint32_t next;
        const char* what;
    } cases[] = {
        {17, 0, "loop back to the start"},
        {5, 5, "sector pointing to itself"},
        {3, fmt::kEndOfChain, "chain ends early"},
        {3, fmt::kFreeSector, "chain runs into a free sector"},
        {3, 100000, "sector index past the end"},
        {3, fmt::kFatSector, "chain runs into the FAT"},
    };
    for (const Case& c : cases) {
        std::string bad = valid;
        Put32(bad, FatEntryAt(bad, c.sector), c.next);
        std::string why;
        EXPECT_EQ(OpenAndReadAll(bad, &why), STG_E_DOCFILECORRUPT) << c.what;
        EXPECT_NE(why, "") << c.what;
    }
    // A chain that joins the directory's sectors.
    std::string bad = valid;
    Put32(bad, FatEntryAt(bad, 17), Get32(bad, fmt::kOffFirstDirSector));
    EXPECT_EQ(OpenAndReadAll(bad), STG_E_DOCFILECORRUPT);
    // Structures pointing past the end.
    bad = valid;
    Put32(bad, fmt::kOffFirstDirSector, 5000);
    EXPECT_EQ(OpenAndReadAll(bad), STG_E_DOCFILECORRUPT);
    bad = valid;
    Put32(bad, fmt::kOffDifat, 0xFFFFFFF0);
    EXPECT_EQ(OpenAndReadAll(bad), STG_E_DOCFILECORRUPT);
    bad = valid;
    Put32(bad, fmt::kOffNumFatSectors, 0x7FFFFFFF);
    EXPECT_EQ(OpenAndReadAll(bad), STG_E_DOCFILECORRUPT);
}

// "small" is 1000 bytes: mini sectors 0..15 of the mini stream.
TEST(HostileFile, BrokenMiniChainsAreRejected) {
    const std::string valid = ValidFile({{u"small", 1000}});
    ASSERT_EQ(ReadStream(valid, u"small"), Pattern(1000, 1000));
    const std::size_t miniFat = SectorAt(Get32(valid, fmt::kOffFirstMiniFat));
    for (auto [mini, next] : {std::pair<std::uint32_t, std::uint32_t>{15, 0},
                              {7, 3},
                              {4, fmt::kEndOfChain},
                              {4, fmt::kFreeSector},
                              {4, 16}}) {
        std::string bad = valid;
        Put32(bad, miniFat + 4 * mini, next);
        EXPECT_EQ(OpenAndReadAll(bad), STG_E_DOCFILECORRUPT) << mini << " -> " << next;
    }
    // A stream starting past the end of the mini stream (the root's size).
    std::string bad = valid;
    Put32(bad, EntryAt(bad, 1) + fmt::kOffEntryStart, 500);
    std::string why;
    EXPECT_EQ(OpenAndReadAll(bad, &why), STG_E_DOCFILECORRUPT);
    EXPECT_EQ(why, "stream \"small\": mini sector 500 is past the end of the mini stream "
                   "(16 mini sectors)");
    // A root (mini stream) larger than its chain.
    bad = valid;
    Put32(bad, EntryAt(bad, 0) + fmt::kOffEntrySize, 5000);
    EXPECT_EQ(OpenAndReadAll(bad), STG_E_DOCFILECORRUPT);
}

TEST(HostileFile, BrokenDirectoryTreesAreRejected) {
    const std::string valid = ValidFile({{u"a", 10}, {u"b", 20}, {u"c", 30}});
    ASSERT_EQ(OpenAndReadAll(valid), S_OK);
    const std::uint32_t top = Get32(valid, EntryAt(valid, 0) + fmt::kOffEntryChild);
    ASSERT_EQ(top, 2u); // "b", with "a" and "c" beside it
    struct Case {
        std::uint32_t entry;
        std::size_t field;
        std::uint32_t value;
        const char* message;
    } cases[] = {
        {1, fmt::kOffEntryLeft, 2, "directory entry 2 is reached twice (the tree has a cycle)"},
        {2, fmt::kOffEntryRight, 2, "directory entry 2 is reached twice (the tree has a cycle)"},
        {3, fmt::kOffEntryRight, 9, "directory entry 3 links to entry 9, past the 4 entries"},
        {0, fmt::kOffEntryChild, 0, "directory entry 0 is reached twice (the tree has a cycle)"},
    };
    for (const Case& c : cases) {
        std::string bad = valid;
        Put32(bad, EntryAt(bad, c.entry) + c.field, c.value);
        std::string why;
        EXPECT_EQ(OpenAndReadAll(bad, &why), STG_E_DOCFILECORRUPT) << c.message;
        EXPECT_EQ(why, c.message);
    }
    std::string bad = valid;
    bad[EntryAt(bad, 3) + fmt::kOffEntryType] = fmt::kTypeUnused;
    std::string why;
    EXPECT_EQ(OpenAndReadAll(bad, &why), STG_E_DOCFILECORRUPT);
    EXPECT_EQ(why, "directory entry 3: expected a storage or a stream, found type 0");
    bad = valid;
    bad[EntryAt(bad, 0) + fmt::kOffEntryType] = fmt::kTypeStream;
    EXPECT_EQ(OpenAndReadAll(bad), STG_E_DOCFILECORRUPT);
}

// A cycle through storages (sub-folders) is found as well; the storage's streams are checked
// but only root streams are offered.
TEST(HostileFile, StoragesAreWalkedAndTheirCyclesRejected) {
    std::string file = ValidFile({{u"a", 10}, {u"b", 5000}, {u"c", 30}});
    // Turn "c" (entry 3) into a storage holding "b" (entry 2), and make "a" the tree's top.
    const std::uint32_t b = 2, c = 3, a = 1;
    Put32(file, EntryAt(file, 0) + fmt::kOffEntryChild, a);
    Put32(file, EntryAt(file, a) + fmt::kOffEntryRight, c);
    file[EntryAt(file, c) + fmt::kOffEntryType] = fmt::kTypeStorage;
    Put32(file, EntryAt(file, c) + fmt::kOffEntryChild, b);
    Put32(file, EntryAt(file, b) + fmt::kOffEntryLeft, fmt::kNoStream);
    Put32(file, EntryAt(file, b) + fmt::kOffEntryRight, fmt::kNoStream);
    IStorage* storage = nullptr;
    std::string why;
    ASSERT_EQ(OpenCompoundFileBytes(file, &storage, &why), S_OK) << why;
    std::vector<std::u16string> names;
    ListRootStreams(storage, &names);
    EXPECT_EQ(names, std::vector<std::u16string>{u"a"});
    storage->Release();
    Put32(file, EntryAt(file, b) + fmt::kOffEntryLeft, c);
    EXPECT_EQ(OpenAndReadAll(file, &why), STG_E_DOCFILECORRUPT);
    EXPECT_EQ(why, "directory entry 3 is reached twice (the tree has a cycle)");
}

TEST(HostileFile, StreamSizeLargerThanTheFileIsRejected) {
    const std::string valid = ValidFile({{u"cvkData", 9000}});
    std::string bad = valid;
    Put32(bad, EntryAt(bad, 1) + fmt::kOffEntrySize, 0x7FFFFFF0);
    std::string why;
    EXPECT_EQ(OpenAndReadAll(bad, &why), STG_E_DOCFILECORRUPT);
    EXPECT_EQ(why, "stream \"cvkData\": size 2147483632 is larger than the file (10752 bytes)");
    bad = valid;
    Put32(bad, EntryAt(bad, 1) + fmt::kOffEntrySize, 9300); // one sector more than the chain
    EXPECT_EQ(OpenAndReadAll(bad), STG_E_DOCFILECORRUPT);
}

// More than 109 FAT sectors: the rest are listed in DIFAT sectors.
TEST(HostileFile, BrokenDifatIsRejected) {
    const std::string valid = ValidFile({{u"cvkData", 8 << 20}});
    ASSERT_EQ(Get32(valid, fmt::kOffNumDifat), 1u);
    ASSERT_EQ(OpenAndReadAll(valid), S_OK);
    const std::uint32_t difat = Get32(valid, fmt::kOffFirstDifat);
    std::string bad = valid;
    Put32(bad, fmt::kOffNumDifat, 0);
    std::string why;
    EXPECT_EQ(OpenAndReadAll(bad, &why), STG_E_DOCFILECORRUPT);
    EXPECT_EQ(why, "DIFAT sector count: expected 1 for 130 FAT sectors, found 0");
    bad = valid;
    Put32(bad, fmt::kOffNumDifat, 0xFFFFFFFF);
    EXPECT_EQ(OpenAndReadAll(bad), STG_E_DOCFILECORRUPT);
    // A DIFAT chain that loops: one more FAT sector than fits in one DIFAT sector.
    bad = valid;
    Put32(bad, fmt::kOffNumFatSectors, 109 + 127 + 1);
    Put32(bad, fmt::kOffNumDifat, 2);
    Put32(bad, SectorAt(difat) + 4 * 127, difat);
    EXPECT_EQ(OpenAndReadAll(bad, &why), STG_E_DOCFILECORRUPT);
    EXPECT_EQ(why, "DIFAT chain: sector " + std::to_string(difat) + " is used twice");
    // A DIFAT sector listing a FAT sector twice.
    bad = valid;
    Put32(bad, SectorAt(difat), Get32(bad, fmt::kOffDifat));
    EXPECT_EQ(OpenAndReadAll(bad), STG_E_DOCFILECORRUPT);
}

// Consistency rules that other readers apply in part: a file breaking one is refused, with
// what was expected and what was found.
struct RuleCase {
    const char* what;
    std::function<void(std::string&)> patch;
    std::string message;
};

void ExpectRefused(const std::string& valid, const std::vector<RuleCase>& cases) {
    ASSERT_EQ(OpenAndReadAll(valid), S_OK);
    for (const RuleCase& c : cases) {
        std::string bad = valid;
        c.patch(bad);
        std::string why;
        EXPECT_EQ(OpenAndReadAll(bad, &why), STG_E_DOCFILECORRUPT) << c.what;
        EXPECT_EQ(why, c.message) << c.what;
    }
}

TEST(HostileFile, HeaderMustAgreeWithItself) {
    ExpectRefused(
        ValidFile({{u"cvkData", 5000}}),
        {{"byte order swapped", [](std::string& f) { Put16(f, fmt::kOffByteOrder, 0xFEFF); },
          "byte order: expected 0xFFFE, found 0xFEFF"},
         {"version 4 with 512-byte sectors",
          [](std::string& f) { Put16(f, fmt::kOffMajorVersion, 4); },
          "sector shift: expected 12 for major version 4, found 9"}});
    // Laid out in 4096-byte sectors throughout, but called version 3.
    ExpectRefused(ValidFile({{u"cvkData", 5000}}, 12),
                  {{"version 3 with 4096-byte sectors",
                    [](std::string& f) { Put16(f, fmt::kOffMajorVersion, 3); },
                    "sector shift: expected 9 for major version 3, found 12"}});
}

TEST(HostileFile, DifatChainMustMatchItsCount) {
    const std::string valid = ValidFile({{u"cvkData", 8 << 20}});
    const std::uint32_t difat = Get32(valid, fmt::kOffFirstDifat);
    const std::size_t next = SectorAt(difat) + 4 * 127;
    ExpectRefused(
        valid, {{"points to itself", [&](std::string& f) { Put32(f, next, difat); },
                 "DIFAT chain: sector " + std::to_string(difat) + " is used twice"},
                {"goes on past its count", [&](std::string& f) { Put32(f, next, 0); },
                 "DIFAT chain: expected to end after 1 sectors as the header counts, found more"},
                {"count above the chain", [](std::string& f) { Put32(f, fmt::kOffNumDifat, 2); },
                 "DIFAT sector count: expected 1 (the length of the DIFAT chain), found 2"}});
    ExpectRefused(ValidFile({{u"cvkData", 5000}}),
                  {{"count without a chain", [](std::string& f) { Put32(f, fmt::kOffNumDifat, 1); },
                    "DIFAT sector count: expected 0 (the length of the DIFAT chain), found 1"}});
}

TEST(HostileFile, DirectoryEntriesMustBeWellFormed) {
    // Entries 1..3 are "a", "b", "c"; "b" is the top of the root's tree.
    auto rename = [](std::uint32_t entry, std::u16string name) {
        return [entry, name](std::string& f) {
            for (std::size_t i = 0; i < name.size(); ++i)
                Put16(f, EntryAt(f, entry) + 2 * i, name[i]);
            Put16(f, EntryAt(f, entry) + fmt::kOffEntryNameLength,
                  static_cast<std::uint16_t>(2 * name.size() + 2));
        };
    };
    auto nameLength = [](std::uint32_t entry, std::uint16_t length) {
        return [entry, length](std::string& f) {
            Put16(f, EntryAt(f, entry) + fmt::kOffEntryNameLength, length);
        };
    };
    const char* duplicate = "expected a name unique in its storage, found it also at entry ";
    ExpectRefused(
        ValidFile({{u"a", 10}, {u"b", 20}, {u"c", 10}}),
        {{"stream with a child",
          [](std::string& f) { Put32(f, EntryAt(f, 1) + fmt::kOffEntryChild, 3); },
          "directory entry 1 (stream \"a\"): child: expected none (4294967295), found 3"},
         {"name length past 64 bytes", nameLength(1, 90),
          "directory entry 1: name length: expected at most 64, found 90"},
         {"name length short of the terminator", nameLength(0, 4),
          "directory entry 0: name length: expected 22 for \"Root Entry\", found 4"},
         {"name length past the terminator", nameLength(2, 6),
          "directory entry 2: name length: expected 4 for \"b\", found 6"},
         {"no terminator", rename(3, std::u16string(32, u'x')),
          "directory entry 3: name length: expected at most 64, found 66"},
         {"no terminator within the length",
          [&](std::string& f) {
              rename(3, std::u16string(32, u'x'))(f);
              Put16(f, EntryAt(f, 3) + fmt::kOffEntryNameLength, 64);
          },
          "directory entry 3: name length: expected a terminator within 64 bytes, found none"},
         {"same name, same bytes", rename(3, u"a"),
          std::string("directory entry 3: name \"a\": ") + duplicate + "1"},
         {"same name in other case, other bytes", rename(2, u"A"),
          std::string("directory entry 2: name \"A\": ") + duplicate + "1"}});
}

TEST(HostileFile, QuirksOfRealFilesAreAccepted) {
    std::string file = ValidFile({{u"cvkData", 5000}, {u"small", 300}, {u"empty", 0}});
    // High half of a version 3 size, nonzero class id, state bits and times, odd colours,
    // an empty stream starting at sector 0.
    for (std::uint32_t entry : {1u, 2u}) {
        std::size_t at = EntryAt(file, entry);
        Put32(file, at + fmt::kOffEntrySize + 4, 0xDEADBEEF);
        for (std::size_t i = 0x50; i < 0x74; ++i)
            file[at + i] = static_cast<char>(0xA5);
        file[at + fmt::kOffEntryColour] = 7;
    }
    Put32(file, EntryAt(file, 3) + fmt::kOffEntryStart, 0);
    EXPECT_EQ(ReadStream(file, u"cvkData"), Pattern(5000, 5000));
    EXPECT_EQ(ReadStream(file, u"small"), Pattern(300, 300));
    EXPECT_EQ(ReadStream(file, u"empty"), "");

    // A FAT longer than the file: one more FAT sector at the end, all free.
    std::string longer = ValidFile({{u"cvkData", 5000}});
    const std::uint32_t added = static_cast<std::uint32_t>(longer.size() / 512 - 1);
    longer += std::string(512, '\xFF');
    Put32(longer, FatEntryAt(longer, added), fmt::kFatSector);
    Put32(longer, fmt::kOffDifat + 4, added);
    Put32(longer, fmt::kOffNumFatSectors, 2);
    EXPECT_EQ(ReadStream(longer, u"cvkData"), Pattern(5000, 5000));
}

TEST(HostileFile, ReadingInSmallPiecesIsNotQuadratic) {
    // Reading in small pieces must cost the same per byte at the end as at the start.
    const std::string file = ValidFile({{u"cvkData", 24 << 20}});
    IStorage* storage = nullptr;
    ASSERT_EQ(OpenCompoundFileBytes(file, &storage), S_OK);
    IStream* stream = nullptr;
    ASSERT_EQ(storage->OpenStream(u"cvkData", STGM_READ, &stream), S_OK);
    char buffer[512];
    ULONG got = 0;
    auto start = std::chrono::steady_clock::now();
    std::uint64_t total = 0;
    while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &got)) && got > 0)
        total += got;
    EXPECT_EQ(total, 24u << 20);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    stream->Release();
    storage->Release();
}

} // namespace
} // namespace cvk::storage::test
