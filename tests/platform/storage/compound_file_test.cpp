// The compound file storage through its interfaces: streams, modes, commit and failure paths.
#include "platform/storage/compound_file.h"
#include "storage_test_support.h"

#include <filesystem>
#include <sys/stat.h>

namespace cvk::storage::test {
namespace {

constexpr DWORD kCreate = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kStreamWrite = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kStreamRead = STGM_READ | STGM_SHARE_EXCLUSIVE;

// Owns one reference; enough for tests that do not depend on the shared smart pointer.
template <typename T> struct Ref {
    T* p = nullptr;
    ~Ref() {
        if (p)
            p->Release();
    }
    T** put() {
        if (p)
            p->Release();
        p = nullptr;
        return &p;
    }
    T* operator->() const { return p; }
};

std::string ReadAll(IStream* stream) {
    std::string bytes;
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    char buffer[8192];
    ULONG got = 0;
    while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &got)) && got > 0)
        bytes.append(buffer, got);
    return bytes;
}

HRESULT Write(IStream* stream, std::string_view bytes) {
    ULONG written = 0;
    HRESULT hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    return SUCCEEDED(hr) && written != bytes.size() ? E_FAIL : hr;
}

std::string StreamBytes(const std::string& file, const char16_t* name) {
    Ref<IStorage> storage;
    std::string why;
    EXPECT_EQ(OpenCompoundFile(file.c_str(), storage.put(), &why), S_OK) << why;
    if (!storage.p)
        return "<no storage>";
    Ref<IStream> stream;
    EXPECT_EQ(storage->OpenStream(name, kStreamRead, stream.put()), S_OK);
    return stream.p ? ReadAll(stream.p) : "<no stream>";
}

class CompoundFile : public testing::Test {
protected:
    ScratchFolder folder_;
    std::string file_ = folder_.File("work.cvw");
};

TEST_F(CompoundFile, StreamsOfEverySizeRoundTripAndNamesIgnoreCase) {
    const std::string small = Pattern(1, 100);
    const std::string edge = Pattern(2, 4096);
    const std::string large = Pattern(3, 300000);
    {
        Ref<IStorage> storage;
        ASSERT_EQ(StgCreateDocfile(file_.c_str(), kCreate, storage.put()), S_OK);
        for (auto [name, bytes] : {std::pair{u"cvkData", &small}, std::pair{u"Edge", &edge},
                                   std::pair{u"\u00e9t\u00e9", &large}}) {
            Ref<IStream> stream;
            ASSERT_EQ(storage->CreateStream(name, kStreamWrite, stream.put()), S_OK);
            ASSERT_EQ(Write(stream.p, *bytes), S_OK);
        }
        Ref<IStream> empty;
        ASSERT_EQ(storage->CreateStream(u"Empty", kStreamWrite, empty.put()), S_OK);
        ASSERT_EQ(storage->Commit(STGC_DEFAULT), S_OK);
    }
    EXPECT_EQ(StreamBytes(file_, u"CVKDATA"), small);
    EXPECT_EQ(StreamBytes(file_, u"edge"), edge);
    EXPECT_EQ(StreamBytes(file_, u"\u00c9T\u00c9"), large);
    EXPECT_EQ(StreamBytes(file_, u"Empty"), "");
    Ref<IStorage> storage;
    ASSERT_EQ(StgOpenStorage(file_.c_str(), STGM_READ | STGM_SHARE_DENY_WRITE, storage.put()),
              S_OK);
    std::vector<std::u16string> names;
    ASSERT_EQ(ListRootStreams(storage.p, &names), S_OK);
    EXPECT_EQ(names,
              (std::vector<std::u16string>{u"cvkData", u"Edge", u"\u00e9t\u00e9", u"Empty"}));
    Ref<IStream> missing;
    EXPECT_EQ(storage->OpenStream(u"cvkDat", kStreamRead, missing.put()), STG_E_FILENOTFOUND);
}

// Tiny writes, interleaved streams (whose sectors alternate), overwrites after a seek back,
// a gap left by a seek past the end, and a stream shrunk below the mini stream cutoff after it
// had its own sectors.
TEST_F(CompoundFile, WritesInAnyOrderGiveTheBytesOfAPlainBuffer) {
    std::string expectA;
    std::string expectB;
    {
        Ref<IStorage> storage;
        ASSERT_EQ(StgCreateDocfile(file_.c_str(), kCreate, storage.put()), S_OK);
        Ref<IStream> a;
        Ref<IStream> b;
        ASSERT_EQ(storage->CreateStream(u"A", kStreamWrite, a.put()), S_OK);
        ASSERT_EQ(storage->CreateStream(u"B", kStreamWrite, b.put()), S_OK);
        const std::string data = Pattern(7, 600000);
        for (std::size_t at = 0; at < data.size(); at += 3) {
            ASSERT_EQ(Write(a.p, data.substr(at, 3)), S_OK);
            if (at % 999 == 0) {
                ASSERT_EQ(Write(b.p, data.substr(at, 700)), S_OK);
            }
        }
        expectA = data;
        ASSERT_EQ(a->Seek(12345, STREAM_SEEK_SET, nullptr), S_OK);
        ASSERT_EQ(Write(a.p, "overwritten"), S_OK);
        expectA.replace(12345, 11, "overwritten");
        ULONGLONG end = 0;
        ASSERT_EQ(a->Seek(5000, STREAM_SEEK_END, &end), S_OK);
        EXPECT_EQ(end, data.size() + 5000);
        ASSERT_EQ(Write(a.p, "tail"), S_OK);
        expectA += std::string(5000, '\0') + "tail";
        EXPECT_EQ(ReadAll(a.p), expectA); // readable before the commit

        expectB = ReadAll(b.p);
        ASSERT_GT(expectB.size(), 4096u);
        ASSERT_EQ(b->SetSize(1000), S_OK);
        ASSERT_EQ(b->SetSize(1500), S_OK);
        expectB = expectB.substr(0, 1000) + std::string(500, '\0');
        EXPECT_EQ(ReadAll(b.p), expectB);
        ASSERT_EQ(storage->Commit(STGC_DEFAULT), S_OK);
        EXPECT_EQ(ReadAll(a.p), expectA); // and after it
    }
    EXPECT_EQ(StreamBytes(file_, u"A"), expectA);
    EXPECT_EQ(StreamBytes(file_, u"B"), expectB);
}

TEST_F(CompoundFile, ShrinkingAndGrowingAgainReadsZeros) {
    {
        Ref<IStorage> storage;
        ASSERT_EQ(StgCreateDocfile(file_.c_str(), kCreate, storage.put()), S_OK);
        Ref<IStream> small;
        Ref<IStream> large;
        ASSERT_EQ(storage->CreateStream(u"small", kStreamWrite, small.put()), S_OK);
        ASSERT_EQ(storage->CreateStream(u"large", kStreamWrite, large.put()), S_OK);
        ASSERT_EQ(Write(small.p, Pattern(1, 3000)), S_OK);
        ASSERT_EQ(Write(large.p, Pattern(2, 20000)), S_OK);
        for (IStream* s : {small.p, large.p}) {
            ASSERT_EQ(s->SetSize(700), S_OK);
            ASSERT_EQ(s->SetSize(9000), S_OK);
        }
        ASSERT_EQ(storage->Commit(STGC_DEFAULT), S_OK);
    }
    EXPECT_EQ(StreamBytes(file_, u"small"), Pattern(1, 700) + std::string(8300, '\0'));
    EXPECT_EQ(StreamBytes(file_, u"large"), Pattern(2, 700) + std::string(8300, '\0'));
}

TEST_F(CompoundFile, ManyStreamsGiveAValidDirectoryTree) {
    {
        Ref<IStorage> storage;
        ASSERT_EQ(StgCreateDocfile(file_.c_str(), kCreate, storage.put()), S_OK);
        for (int i = 0; i < 45; ++i) {
            std::u16string name = u"s" + std::u16string(static_cast<std::size_t>(i % 7), u'x') +
                                  static_cast<char16_t>(u'A' + i % 26) +
                                  static_cast<char16_t>(u'0' + i / 26);
            Ref<IStream> stream;
            ASSERT_EQ(storage->CreateStream(name.c_str(), kStreamWrite, stream.put()), S_OK);
            ASSERT_EQ(Write(stream.p, Pattern(i, 10 * i)), S_OK);
        }
        ASSERT_EQ(storage->Commit(STGC_DEFAULT), S_OK);
    }
    EXPECT_EQ(StreamBytes(file_, u"SV0"), Pattern(21, 210));
    // olefile walks the tree by its links and rejects duplicates and bad links.
    std::string listed;
    if (RunCommand("/usr/bin/python3 -c 'import olefile' 2>/dev/null") == 0) {
        ASSERT_EQ(RunCommand("/usr/bin/python3 -c 'import olefile, sys\n"
                             "o = olefile.OleFileIO(sys.argv[1], "
                             "raise_defects=olefile.DEFECT_INCORRECT)\n"
                             "print(len(o.listdir()))' " +
                                 Quote(file_),
                             &listed),
                  0);
        EXPECT_EQ(listed, "45\n");
    }
}

TEST_F(CompoundFile, ModesAndNamesAreChecked) {
    Ref<IStorage> storage;
    EXPECT_EQ(StgCreateDocfile(file_.c_str(), STGM_READ | STGM_CREATE, storage.put()),
              STG_E_INVALIDFLAG);
    EXPECT_EQ(StgCreateDocfile(file_.c_str(), STGM_WRITE | STGM_READWRITE, storage.put()),
              STG_E_INVALIDFLAG);
    EXPECT_EQ(StgCreateDocfile(file_.c_str(), kCreate | 0x80000, storage.put()), STG_E_INVALIDFLAG);
    EXPECT_EQ(StgCreateDocfile(file_.c_str(), kCreate, nullptr), STG_E_INVALIDPOINTER);
    ASSERT_EQ(StgCreateDocfile(file_.c_str(), kCreate, storage.put()), S_OK);
    Ref<IStream> stream;
    EXPECT_EQ(storage->CreateStream(u"", kStreamWrite, stream.put()), STG_E_INVALIDNAME);
    EXPECT_EQ(storage->CreateStream(u"a/b", kStreamWrite, stream.put()), STG_E_INVALIDNAME);
    EXPECT_EQ(
        storage->CreateStream(u"0123456789012345678901234567890X", kStreamWrite, stream.put()),
        STG_E_INVALIDNAME);
    EXPECT_EQ(storage->CreateStream(u"cvkData", STGM_READ, stream.put()), STG_E_INVALIDFLAG);
    ASSERT_EQ(storage->CreateStream(u"cvkData", kStreamWrite, stream.put()), S_OK);
    ASSERT_EQ(Write(stream.p, "first"), S_OK);
    Ref<IStream> again;
    EXPECT_EQ(storage->CreateStream(u"CVKDATA", kStreamWrite, again.put()),
              STG_E_FILEALREADYEXISTS);
    ASSERT_EQ(storage->CreateStream(u"CVKDATA", kStreamWrite | STGM_CREATE, again.put()), S_OK);
    ULONGLONG size = 1;
    ASSERT_EQ(again->GetSize(&size), S_OK);
    EXPECT_EQ(size, 0u);
    ASSERT_EQ(storage->Commit(STGC_DEFAULT), S_OK);

    // After the commit the storage is finished; the file stays as committed.
    EXPECT_EQ(Write(again.p, "late"), STG_E_REVERTED);
    EXPECT_EQ(storage->Commit(STGC_DEFAULT), STG_E_REVERTED);
    Ref<IStorage> exists;
    EXPECT_EQ(StgCreateDocfile(file_.c_str(), STGM_READWRITE, exists.put()),
              STG_E_FILEALREADYEXISTS);

    Ref<IStorage> reader;
    EXPECT_EQ(StgOpenStorage(file_.c_str(), STGM_READWRITE, reader.put()), STG_E_INVALIDFLAG);
    ASSERT_EQ(StgOpenStorage(file_.c_str(), STGM_READ, reader.put()), S_OK);
    Ref<IStream> readStream;
    EXPECT_EQ(reader->OpenStream(u"cvkData", kStreamWrite, readStream.put()), STG_E_ACCESSDENIED);
    EXPECT_EQ(reader->CreateStream(u"other", kStreamWrite, readStream.put()), STG_E_ACCESSDENIED);
    ASSERT_EQ(reader->OpenStream(u"cvkData", kStreamRead, readStream.put()), S_OK);
    EXPECT_EQ(Write(readStream.p, "x"), STG_E_ACCESSDENIED);
    EXPECT_EQ(readStream->Seek(-1, STREAM_SEEK_SET, nullptr), STG_E_INVALIDFUNCTION);
}

TEST_F(CompoundFile, OpeningSomethingElseGivesTheDocumentedStatus) {
    Ref<IStorage> storage;
    EXPECT_EQ(StgOpenStorage(folder_.File("none.cvw").c_str(), STGM_READ, storage.put()),
              STG_E_FILENOTFOUND);
    EXPECT_EQ(StgOpenStorage(folder_.File("no/such.cvw").c_str(), STGM_READ, storage.put()),
              STG_E_PATHNOTFOUND);
    WriteFileBytes(file_, "[Settings]\r\nThis is an INI file, not a workspace.\r\n");
    EXPECT_EQ(StgOpenStorage(file_.c_str(), STGM_READ, storage.put()), STG_E_FILEALREADYEXISTS);
    WriteFileBytes(file_, "");
    EXPECT_EQ(StgOpenStorage(file_.c_str(), STGM_READ, storage.put()), STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(StgOpenStorage(folder_.Path().c_str(), STGM_READ, storage.put()), STG_E_ACCESSDENIED);
    EXPECT_EQ(storage.p, nullptr);
}

// The superuser may write anything, so "read-only" means no write permission bit.
TEST_F(CompoundFile, ReadOnlyTargetOrFolderIsRefusedAndLeftAlone) {
    WriteFileBytes(file_, "previous contents");
    chmod(file_.c_str(), 0444);
    Ref<IStorage> storage;
    EXPECT_EQ(StgCreateDocfile(file_.c_str(), kCreate, storage.put()), STG_E_ACCESSDENIED);
    EXPECT_EQ(ReadFileBytes(file_), "previous contents");

    const std::string locked = folder_.File("locked");
    std::filesystem::create_directory(locked);
    chmod(locked.c_str(), 0555);
    EXPECT_EQ(StgCreateDocfile((locked + "/new.cvw").c_str(), kCreate, storage.put()),
              STG_E_ACCESSDENIED);
    EXPECT_TRUE(std::filesystem::is_empty(locked));
    EXPECT_EQ(StgCreateDocfile(folder_.File("missing/new.cvw").c_str(), kCreate, storage.put()),
              STG_E_PATHNOTFOUND);
}

TEST_F(CompoundFile, AbandonedSaveKeepsThePreviousFileAndLeavesNoTemporaryFile) {
    WriteFileBytes(file_, "previous contents");
    {
        Ref<IStorage> storage;
        ASSERT_EQ(StgCreateDocfile(file_.c_str(), kCreate, storage.put()), S_OK);
        ASSERT_EQ(WritePatternCompound(storage.p, u"cvkData", 1, 100000), S_OK);
    }
    EXPECT_EQ(ReadFileBytes(file_), "previous contents");
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder_.Path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

} // namespace
} // namespace cvk::storage::test
