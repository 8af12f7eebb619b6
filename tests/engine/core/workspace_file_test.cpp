// The workspace file: its container and record as written, and how opening treats files that
// were damaged, cut short or written by other versions.
#include "engine/modules/flex.h"
#include "platform/storage/compound_file.h"
#include "tests/engine/core/engine_test_support.h"

#include <cmath>
#include <limits>

namespace cvk::testing {
namespace {

constexpr char16_t kBadSignature[] = u"Halvex(R) Corvane file signature not found";
constexpr char16_t kBadVersion[] = u"Workspace file version is not supported";

using WorkspaceFileTest = EngineTest;

// The counted string at `offset`: its byte count and text.
std::u16string CountedStringAt(std::string_view stream, std::size_t offset) {
    const std::uint32_t count = U32At(stream, offset);
    std::u16string text;
    for (std::uint32_t i = 0; i + 2 < count; i += 2)
        text += static_cast<char16_t>(U16At(stream, offset + 4 + i));
    return text;
}

TEST_F(WorkspaceFileTest, RecordFollowsTheWorkspaceFileLayout) {
    const std::string map = WriteMap("board.cvk");
    ComPtr<IWorkspace> workspace = NewWorkspace(0x0E, map);
    const std::string path = Save(workspace.get(), "ws.cvw");

    ComPtr<IStorage> storage;
    ASSERT_EQ(StgOpenStorage(path.c_str(), STGM_READ, storage.put()), S_OK);
    std::vector<std::u16string> names;
    ASSERT_EQ(storage::ListRootStreams(storage.get(), &names), S_OK);
    EXPECT_EQ(names, std::vector<std::u16string>{u"cvkData"});

    const std::string stream = ReadWorkspaceStream(path);
    const std::string signature("$\0C\0V\0K\0$\0\0\0", 12);
    EXPECT_EQ(stream.substr(0, 12), signature);
    EXPECT_EQ(U32At(stream, kVersionOffset), 0x3FA66666u);
    EXPECT_EQ(U32At(stream, kPropertyBlockOffset), 0x00000300u);
    EXPECT_EQ(U16At(stream, kRequiresSaveOffset), 0xFFFF);
    EXPECT_EQ(U16At(stream, kValidOffset), 0xFFFF);
    EXPECT_EQ(U32At(stream, kMaskOffset), 0x0Eu);

    // Build date, BIOS version, BIOS ID, INI path (null: a zero count), map path.
    std::size_t offset = kStringsOffset;
    const std::u16string expected[] = {u"15 Jul 2003", u"P1.11 \u00E9t\u00E9", u"TR865PE.86A.0037",
                                       u"", Bstr::FromUtf8(map).str()};
    for (int i = 0; i < 5; ++i) {
        const std::uint32_t count = U32At(stream, offset);
        if (i == 3) {
            EXPECT_EQ(count, 0u) << "a null INI path is stored as a zero count";
        } else {
            EXPECT_EQ(count, 2 * expected[i].size() + 2) << i;
            EXPECT_EQ(U16At(stream, offset + count + 2), 0) << "terminator of string " << i;
        }
        EXPECT_EQ(CountedStringAt(stream, offset), expected[i]) << i;
        offset += 4 + count;
    }
    EXPECT_EQ(offset, EndOfStrings(stream));
    EXPECT_LE(offset, stream.size());
}

TEST_F(WorkspaceFileTest, SavedWorkspaceOpensWithItsFields) {
    const std::string map = WriteMap("board.cvk");
    ComPtr<IWorkspace> workspace = NewWorkspace(SUBSYS_CMOS | SUBSYS_SMBIOS, map);
    const std::string path = Save(workspace.get(), "ws.cvw");
    ASSERT_EQ(server()->CloseWorkspace(workspace.get()), S_OK);
    workspace = nullptr;

    ComPtr<IWorkspace> opened;
    ASSERT_EQ(Open(path, &opened), S_OK);
    VARIANT_BOOL valid = VARIANT_FALSE, requiresSave = VARIANT_TRUE;
    LONG mask = 0;
    EXPECT_EQ(opened->get_Valid(&valid), S_OK);
    EXPECT_EQ(valid, VARIANT_TRUE);
    EXPECT_EQ(opened->get_RequiresSave(&requiresSave), S_OK);
    EXPECT_EQ(requiresSave, VARIANT_FALSE);
    EXPECT_EQ(opened->get_SubsystemMask(&mask), S_OK);
    EXPECT_EQ(mask, SUBSYS_CMOS | SUBSYS_SMBIOS);
    EXPECT_EQ(TextOf(opened.get(), &IWorkspace::get_BIOSID), u"TR865PE.86A.0037");
    EXPECT_EQ(TextOf(opened.get(), &IWorkspace::get_BIOSVersion), u"P1.11 \u00E9t\u00E9");
    EXPECT_EQ(TextOf(opened.get(), &IWorkspace::get_BIOSBuildDate), u"15 Jul 2003");
    EXPECT_EQ(TextOf(opened.get(), &IWorkspace::get_MapFilePath), Bstr::FromUtf8(map).str());
    EXPECT_EQ(TextOf(opened.get(), &IWorkspace::get_IniFilePath), u"");
    ComPtr<ICmos> cmos;
    EXPECT_EQ(opened->get_Cmos(cmos.put()), S_OK);

    // Each record stores its flags as they stood before the save, so the saves after the first
    // of an unchanged workspace are byte-identical.
    const std::string secondPath = Save(opened.get(), "second.cvw");
    const std::string second = ReadWorkspaceStream(secondPath);
    ASSERT_EQ(server()->CloseWorkspace(opened.get()), S_OK);
    opened = nullptr;
    ComPtr<IWorkspace> reopened;
    ASSERT_EQ(Open(secondPath, &reopened), S_OK);
    const std::string third = ReadWorkspaceStream(Save(reopened.get(), "third.cvw"));
    EXPECT_EQ(U16At(second, kRequiresSaveOffset), 0);
    EXPECT_EQ(third, second);
}

TEST_F(WorkspaceFileTest, StoredRequiresSaveIsTheValueBeforeTheSave) {
    ComPtr<IWorkspace> workspace = NewWorkspace(SUBSYS_CMOS, WriteMap("board.cvk"));
    const std::string first = ReadWorkspaceStream(Save(workspace.get(), "first.cvw"));
    VARIANT_BOOL requiresSave = VARIANT_TRUE;
    EXPECT_EQ(workspace->get_RequiresSave(&requiresSave), S_OK);
    EXPECT_EQ(requiresSave, VARIANT_FALSE);
    EXPECT_EQ(U16At(first, kRequiresSaveOffset), 0xFFFF);
    const std::string second = ReadWorkspaceStream(Save(workspace.get(), "second.cvw"));
    EXPECT_EQ(U16At(second, kRequiresSaveOffset), 0);
}

TEST_F(WorkspaceFileTest, SignatureMismatchIsRefusedWithItsText) {
    const std::string good = SavedStream(SUBSYS_CMOS);
    std::string narrow = good;
    narrow.replace(0, 12, std::string("$CVK$\0\0\0\0\0\0\0", 12));
    std::string other = good;
    other[2] = 'X';
    std::string unterminated = good;
    PutU16(&unterminated, 10, u'!');
    std::string trailing = good; // "$CVK$" without its zero, then more text
    trailing.replace(0, 12, std::string("$\0C\0V\0K\0$\0$\0", 12));
    for (const std::string& bytes : {narrow, other, unterminated, trailing}) {
        ComPtr<IWorkspace> workspace;
        EXPECT_EQ(OpenStream(bytes, &workspace), E_ACCESSDENIED);
        ErrorText error;
        ASSERT_TRUE(TakeErrorText(&error));
        EXPECT_EQ(error.description, kBadSignature);
        EXPECT_EQ(error.source, u"CvkServer.Workspace.1");
        EXPECT_EQ(workspace.get(), nullptr);
    }
}

TEST_F(WorkspaceFileTest, VersionsNoWriterProducedAreRefused) {
    const std::string good = SavedStream(SUBSYS_CMOS);
    const float refused[] = {1.25f,
                             2.0f,
                             1.31f,
                             1.4f,
                             0.0f,
                             -1.0f,
                             std::numeric_limits<float>::quiet_NaN(),
                             std::numeric_limits<float>::infinity()};
    for (float version : refused) {
        std::string bytes = good;
        PutFloat(&bytes, kVersionOffset, version);
        ComPtr<IWorkspace> workspace;
        EXPECT_EQ(OpenStream(bytes, &workspace), E_ACCESSDENIED) << version;
        EXPECT_EQ(TakeErrorDescription(), kBadVersion) << version;
    }
    // Older versions of the format open.
    for (float version : {1.0f, 1.1f, 1.3f}) {
        std::string bytes = good;
        PutFloat(&bytes, kVersionOffset, version);
        ComPtr<IWorkspace> workspace;
        EXPECT_EQ(OpenStream(bytes, &workspace), S_OK) << version;
    }
}

TEST_F(WorkspaceFileTest, Version12FileWithoutModulePartOpens) {
    const std::string good = SavedStream(SUBSYS_CMOS | SUBSYS_SMBIOS);
    // Up to version 1.2 the record ends after the thermal part, where the module engine's own
    // record (which opens with its "MWSTATE" tag) begins.
    const std::size_t modulePart = good.find(std::string("MWSTATE\0", 8));
    ASSERT_NE(modulePart, std::string::npos);
    std::string bytes = good.substr(0, modulePart);
    PutFloat(&bytes, kVersionOffset, 1.2f);
    ComPtr<IWorkspace> workspace;
    ASSERT_EQ(OpenStream(bytes, &workspace), S_OK);
    LONG mask = 0;
    EXPECT_EQ(workspace->get_SubsystemMask(&mask), S_OK);
    EXPECT_EQ(mask, SUBSYS_CMOS | SUBSYS_SMBIOS);
    VARIANT_BOOL available = VARIANT_TRUE;
    EXPECT_EQ(workspace->IsFlexAvailable(&available), S_OK);
    EXPECT_EQ(available, VARIANT_FALSE);
    // Saved again, it is a 1.3 file that opens.
    const std::string resaved = ReadWorkspaceStream(Save(workspace.get(), "resaved.cvw"));
    EXPECT_EQ(U32At(resaved, kVersionOffset), 0x3FA66666u);
    ComPtr<IWorkspace> reopened;
    EXPECT_EQ(OpenStream(resaved, &reopened), S_OK);
}

TEST_F(WorkspaceFileTest, PropertyBlockVersionAboveItsOwnFails) {
    const std::string good = SavedStream(SUBSYS_CMOS);
    std::string bytes = good;
    PutU32(&bytes, kPropertyBlockOffset, 0x301);
    ComPtr<IWorkspace> workspace;
    EXPECT_EQ(OpenStream(bytes, &workspace), E_FAIL);
    PutU32(&bytes, kPropertyBlockOffset, 0xFFFFFFFF);
    EXPECT_EQ(OpenStream(bytes, &workspace), E_FAIL);
    PutU32(&bytes, kPropertyBlockOffset, 0x200);
    EXPECT_EQ(OpenStream(bytes, &workspace), S_OK);
}

TEST_F(WorkspaceFileTest, StoredMaskAndValidityAreRestoredAsStored) {
    const std::string good = SavedStream(SUBSYS_CMOS);
    std::string bytes = good;
    PutU32(&bytes, kMaskOffset, 0x3F);
    ComPtr<IWorkspace> workspace;
    ASSERT_EQ(OpenStream(bytes, &workspace), S_OK);
    LONG mask = 0;
    EXPECT_EQ(workspace->get_SubsystemMask(&mask), S_OK);
    EXPECT_EQ(mask, 0x3F);

    PutU32(&bytes, kMaskOffset, SUBSYS_SPLASH);
    ASSERT_EQ(OpenStream(bytes, &workspace), S_OK);
    VARIANT_BOOL inUse = VARIANT_FALSE;
    EXPECT_EQ(workspace->get_MapFileInUse(&inUse), S_OK);
    EXPECT_EQ(inUse, VARIANT_TRUE);

    // A file that says the workspace is not valid opens as a workspace that is not valid.
    bytes = good;
    PutU16(&bytes, kValidOffset, 0);
    ASSERT_EQ(OpenStream(bytes, &workspace), S_OK);
    VARIANT_BOOL valid = VARIANT_TRUE;
    EXPECT_EQ(workspace->get_Valid(&valid), S_OK);
    EXPECT_EQ(valid, VARIANT_FALSE);
    ComPtr<ICmos> cmos;
    EXPECT_EQ(workspace->get_Cmos(cmos.put()), E_FAIL);
}

TEST_F(WorkspaceFileTest, EmptyAndNullStringsAreToldApart) {
    const std::string good = SavedStream(SUBSYS_CMOS);
    // Replace the null INI path (count 0) by an empty but present one (count 2, one zero unit).
    std::size_t ini = kStringsOffset;
    for (int i = 0; i < 3; ++i)
        ini += 4 + U32At(good, ini);
    ASSERT_EQ(U32At(good, ini), 0u);
    std::string bytes = good;
    bytes.insert(ini + 4, std::string(2, '\0'));
    PutU32(&bytes, ini, 2);
    ComPtr<IWorkspace> workspace;
    ASSERT_EQ(OpenStream(bytes, &workspace), S_OK);
    EXPECT_EQ(TextOf(workspace.get(), &IWorkspace::get_IniFilePath), u"");
    const std::string resaved = ReadWorkspaceStream(Save(workspace.get(), "resaved.cvw"));
    EXPECT_EQ(U32At(resaved, ini), 2u) << "an empty string stays present";
}

TEST_F(WorkspaceFileTest, DamagedStringCountsFailWithoutReadingPastTheStream) {
    const std::string good = SavedStream(SUBSYS_CMOS);
    const std::uint32_t counts[] = {3, 0x7FFFFFFE, 0xFFFFFFFE, 0xFFFFFFFF,
                                    static_cast<std::uint32_t>(good.size())};
    for (std::uint32_t count : counts) {
        std::string bytes = good;
        PutU32(&bytes, kStringsOffset, count);
        ComPtr<IWorkspace> workspace;
        EXPECT_TRUE(FAILED(OpenStream(bytes, &workspace))) << count;
        EXPECT_EQ(workspace.get(), nullptr);
    }
    // A string whose last unit is not a zero.
    std::string bytes = good;
    const std::uint32_t count = U32At(good, kStringsOffset);
    PutU16(&bytes, kStringsOffset + 4 + count - 2, u'x');
    ComPtr<IWorkspace> workspace;
    EXPECT_EQ(OpenStream(bytes, &workspace), E_FAIL);
}

TEST_F(WorkspaceFileTest, StreamCutAnywhereFailsCleanly) {
    const std::string good = SavedStream(SUBSYS_CMOS | SUBSYS_SMBIOS);
    const std::size_t end = EndOfStrings(good);
    for (std::size_t length = 0; length < good.size(); ++length) {
        ComPtr<IWorkspace> workspace;
        const HRESULT hr = OpenStream(good.substr(0, length), &workspace);
        EXPECT_TRUE(FAILED(hr)) << "cut at " << length;
        EXPECT_EQ(workspace.get(), nullptr);
        // A cut in the module part names that part, since the next save would drop it.
        ErrorText error;
        if (length > end && hr == STG_E_DOCFILECORRUPT) {
            ASSERT_TRUE(TakeErrorText(&error)) << length;
            EXPECT_EQ(error.description, kDamagedModuleRecord);
        }
    }
    ComPtr<IWorkspace> cutInModules;
    EXPECT_EQ(OpenStream(good.substr(0, good.size() - 1), &cutInModules), STG_E_DOCFILECORRUPT);
    // The server keeps no workspace from a failed open.
    ComPtr<IWorkspace> workspace;
    EXPECT_EQ(OpenStream(good.substr(0, 10), &workspace), E_FAIL);
    ComPtr<IWorkspace> fresh = NewWorkspace(SUBSYS_CMOS, WriteMap("fresh.cvk"));
    EXPECT_TRUE(fresh);
}

TEST_F(WorkspaceFileTest, FileWithoutTheDataStreamFails) {
    const std::string path = PathOf("other.cvw");
    {
        ComPtr<IStorage> storage;
        ASSERT_EQ(StgCreateDocfile(path.c_str(), STGM_CREATE | STGM_READWRITE, storage.put()),
                  S_OK);
        ComPtr<IStream> stream;
        ASSERT_EQ(storage->CreateStream(u"Contents", STGM_CREATE | STGM_READWRITE, stream.put()),
                  S_OK);
        ASSERT_EQ(storage->Commit(STGC_DEFAULT), S_OK);
    }
    ComPtr<IWorkspace> workspace;
    EXPECT_EQ(Open(path, &workspace), STG_E_FILENOTFOUND);
}

} // namespace
} // namespace cvk::testing
