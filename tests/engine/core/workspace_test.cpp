// The Workspace object: its state before and after initialisation, the guarded subsystem
// getters, the identification copied from the map file and the entry checks of its outputs.
#include "engine/include/engine_status.h"
#include "platform/storage/memory_stream.h"
#include "tests/engine/core/engine_test_support.h"
#include "tests/engine/core/map_test_support.h"

#include <filesystem>

namespace cvk::testing {
namespace {

class WorkspaceTest : public EngineTest {
protected:
    // A Workspace made by its class identifier, as a client of the component library would.
    ComPtr<IWorkspace> CreateWorkspace() {
        ComPtr<IWorkspace> workspace;
        EXPECT_EQ(CoCreateInstance(CLSID_Workspace, nullptr, CLSCTX_INPROC_SERVER, IWorkspace::iid,
                                   workspace.put_void()),
                  S_OK);
        return workspace;
    }

    static LONG MaskOf(IWorkspace* workspace) {
        LONG mask = -1;
        EXPECT_EQ(workspace->get_SubsystemMask(&mask), S_OK);
        return mask;
    }

    static bool RequiresSave(IWorkspace* workspace) {
        VARIANT_BOOL flag = 7;
        EXPECT_EQ(workspace->get_RequiresSave(&flag), S_OK);
        return flag == VARIANT_TRUE;
    }
};

// Each guarded getter's status for a workspace.
struct GuardStatus {
    HRESULT cmos, smbios, therm, flex;
};

GuardStatus GuardsOf(IWorkspace* workspace) {
    ComPtr<ICmos> cmos;
    ComPtr<ISmbiosList> smbios;
    ComPtr<ITherm> therm;
    ComPtr<IFlex> flex;
    return {workspace->get_Cmos(cmos.put()), workspace->get_SmbiosList(smbios.put()),
            workspace->get_Therm(therm.put()), workspace->get_Flex(flex.put())};
}

TEST_F(WorkspaceTest, FreshWorkspaceIsNotValidAndRequiresSave) {
    ComPtr<IWorkspace> workspace = CreateWorkspace();
    VARIANT_BOOL valid = VARIANT_TRUE;
    EXPECT_EQ(workspace->get_Valid(&valid), S_OK);
    EXPECT_EQ(valid, VARIANT_FALSE);
    EXPECT_TRUE(RequiresSave(workspace.get()));
    EXPECT_EQ(MaskOf(workspace.get()), 0);
    const GuardStatus guards = GuardsOf(workspace.get());
    EXPECT_EQ(guards.cmos, E_FAIL);
    EXPECT_EQ(guards.smbios, E_FAIL);
    EXPECT_EQ(guards.therm, E_FAIL);
    EXPECT_EQ(guards.flex, E_FAIL);
    // Null strings come out as empty ones.
    for (auto getter :
         {&IWorkspace::get_BIOSID, &IWorkspace::get_BIOSVersion, &IWorkspace::get_BIOSBuildDate,
          &IWorkspace::get_MapFilePath, &IWorkspace::get_IniFilePath}) {
        Bstr text;
        EXPECT_EQ((workspace.get()->*getter)(text.put()), S_OK);
        EXPECT_FALSE(text.is_null());
        EXPECT_TRUE(text.empty());
        EXPECT_EQ((workspace.get()->*getter)(nullptr), E_POINTER);
    }
}

TEST_F(WorkspaceTest, InitSubsystemsKeepsOnlyTheOfferedBitsAndRunsOnce) {
    ComPtr<IWorkspace> workspace = CreateWorkspace();
    const Bstr map = Bstr::FromUtf8(WriteMap("board.cvk"));
    ASSERT_EQ(workspace->InitSubsystems(0x3F, map.get()), S_OK);
    EXPECT_EQ(MaskOf(workspace.get()), 0x2E);
    EXPECT_TRUE(RequiresSave(workspace.get()));
    EXPECT_EQ(workspace->InitSubsystems(SUBSYS_CMOS, map.get()), E_FAIL);
    EXPECT_EQ(MaskOf(workspace.get()), 0x2E);
}

TEST_F(WorkspaceTest, FailedInitialisationLeavesTheWorkspaceInvalid) {
    ComPtr<IWorkspace> workspace = CreateWorkspace();
    EXPECT_EQ(workspace->InitSubsystems(SUBSYS_CMOS, Bstr::FromUtf8(PathOf("no.cvk")).get()),
              E_IMAGE_OPEN);
    VARIANT_BOOL valid = VARIANT_TRUE;
    EXPECT_EQ(workspace->get_Valid(&valid), S_OK);
    EXPECT_EQ(valid, VARIANT_FALSE);
    EXPECT_EQ(MaskOf(workspace.get()), 0);
    EXPECT_EQ(TextOf(workspace.get(), &IWorkspace::get_MapFilePath), u"");
    // A later initialisation with a good file still works.
    EXPECT_EQ(workspace->InitSubsystems(SUBSYS_CMOS, Bstr::FromUtf8(WriteMap("b.cvk")).get()),
              S_OK);
}

TEST_F(WorkspaceTest, GuardedGettersFollowTheMask) {
    const std::string map = WriteMap("board.cvk");
    ComPtr<IWorkspace> workspace = NewWorkspace(SUBSYS_CMOS | SUBSYS_ENVCTL, map);
    GuardStatus guards = GuardsOf(workspace.get());
    EXPECT_EQ(guards.cmos, S_OK);
    EXPECT_EQ(guards.smbios, E_ACCESSDENIED);
    EXPECT_EQ(guards.therm, S_OK);
    EXPECT_EQ(guards.flex, E_ACCESSDENIED);
    EXPECT_EQ(workspace->get_Cmos(nullptr), E_POINTER);

    // A getter hands out a new reference to the one object the workspace owns.
    ComPtr<ICmos> first, second;
    ASSERT_EQ(workspace->get_Cmos(first.put()), S_OK);
    ASSERT_EQ(workspace->get_Cmos(second.put()), S_OK);
    EXPECT_EQ(first.get(), second.get());

    ASSERT_EQ(server()->ChangeWorkspace(workspace.get(), SUBSYS_SMBIOS), S_OK);
    guards = GuardsOf(workspace.get());
    EXPECT_EQ(guards.cmos, E_ACCESSDENIED);
    EXPECT_EQ(guards.smbios, S_OK);
    EXPECT_EQ(guards.therm, E_ACCESSDENIED);
}

TEST_F(WorkspaceTest, MapFileInUseFollowsTheCmosBit) {
    const std::string map = WriteMap("board.cvk");
    ComPtr<IWorkspace> workspace = NewWorkspace(SUBSYS_SMBIOS, map);
    VARIANT_BOOL inUse = VARIANT_TRUE;
    EXPECT_EQ(workspace->get_MapFileInUse(&inUse), S_OK);
    EXPECT_EQ(inUse, VARIANT_FALSE);
    ASSERT_EQ(server()->ChangeWorkspace(workspace.get(), SUBSYS_SMBIOS | SUBSYS_CMOS), S_OK);
    EXPECT_EQ(workspace->get_MapFileInUse(&inUse), S_OK);
    EXPECT_EQ(inUse, VARIANT_TRUE);
    EXPECT_EQ(workspace->get_MapFileInUse(nullptr), E_POINTER);
}

TEST_F(WorkspaceTest, IdentificationComesFromTheMapFile) {
    const std::string map = WriteMap("board.cvk");
    ComPtr<IWorkspace> workspace = NewWorkspace(SUBSYS_CMOS, map);
    EXPECT_EQ(TextOf(workspace.get(), &IWorkspace::get_BIOSID), u"TR865PE.86A.0037");
    EXPECT_EQ(TextOf(workspace.get(), &IWorkspace::get_BIOSVersion), u"P1.11 \u00E9t\u00E9");
    EXPECT_EQ(TextOf(workspace.get(), &IWorkspace::get_BIOSBuildDate), u"15 Jul 2003");
    EXPECT_EQ(TextOf(workspace.get(), &IWorkspace::get_MapFilePath), Bstr::FromUtf8(map).str());
    EXPECT_EQ(TextOf(workspace.get(), &IWorkspace::get_IniFilePath), u"");
}

TEST_F(WorkspaceTest, MalformedBuildDateGivesAnEmptyDate) {
    cvkgen::MapFileContent content = SmallMap();
    content.buildInfo.buildDateStamp = "0313150930";
    ComPtr<IWorkspace> workspace = NewWorkspace(SUBSYS_CMOS, WriteMap("board.cvk", content));
    EXPECT_EQ(TextOf(workspace.get(), &IWorkspace::get_BIOSBuildDate), u"");
}

TEST_F(WorkspaceTest, RemovingAndAddingSubsystemsMarksTheWorkspaceChanged) {
    ComPtr<IWorkspace> workspace = NewWorkspace(0x0E, WriteMap("board.cvk"));
    Save(workspace.get(), "ws.cvw");
    EXPECT_FALSE(RequiresSave(workspace.get()));
    ASSERT_EQ(server()->ChangeWorkspace(workspace.get(), 0x0E), S_OK);
    EXPECT_TRUE(RequiresSave(workspace.get())) << "every change counts, even to the same mask";
    Save(workspace.get(), "ws.cvw");
    ASSERT_EQ(server()->ChangeWorkspace(workspace.get(), 0), S_OK);
    EXPECT_EQ(MaskOf(workspace.get()), 0);
    ASSERT_EQ(server()->ChangeWorkspace(workspace.get(), SUBSYS_ENVCTL), S_OK);
    EXPECT_EQ(MaskOf(workspace.get()), SUBSYS_ENVCTL);
}

TEST_F(WorkspaceTest, OutputEntryChecksComeBeforeAnyWriting) {
    ComPtr<IWorkspace> workspace = NewWorkspace(SUBSYS_CMOS | SUBSYS_SMBIOS, WriteMap("b.cvk"));
    const Bstr folder = Bstr::FromUtf8(PathOf(""));
    const Bstr missing = Bstr::FromUtf8(PathOf("no-such-folder"));
    const Bstr file = Bstr::FromUtf8(PathOf("b.cvk"));
    const Bstr name(u"cvk");
    const Bstr empty(u"");
    const Bstr eight(u"abcdefgh");
    const Bstr nine(u"abcdefghi");

    // A bit outside the workspace's mask is refused first.
    EXPECT_EQ(workspace->DumpIniToFloppy(folder.get(), name.get(), SUBSYS_ENVCTL), E_ACCESSDENIED);
    EXPECT_EQ(workspace->DumpIniToFloppy(missing.get(), empty.get(), SUBSYS_FLEX), E_ACCESSDENIED);
    EXPECT_EQ(
        workspace->DumpBatchToFloppy(folder.get(), name.get(), nullptr, nullptr, SUBSYS_SPLASH, 0),
        E_ACCESSDENIED);
    EXPECT_EQ(workspace->DumpIni(Bstr::FromUtf8(PathOf("x.ini")).get(), SUBSYS_ENVCTL, 0),
              E_ACCESSDENIED);

    // Then the folder and the base name.
    for (BSTR dir : {missing.get(), file.get(), static_cast<BSTR>(nullptr)}) {
        EXPECT_EQ(workspace->DumpIniToFloppy(dir, name.get(), SUBSYS_CMOS), E_FAIL);
        EXPECT_EQ(workspace->DumpBatchToFloppy(dir, name.get(), nullptr, nullptr, SUBSYS_CMOS, 0),
                  E_FAIL);
        EXPECT_EQ(workspace->ModifyAutoexecBatFile(dir), E_FAIL);
    }
    for (BSTR base : {empty.get(), nine.get(), static_cast<BSTR>(nullptr)}) {
        EXPECT_EQ(workspace->DumpIniToFloppy(folder.get(), base, SUBSYS_CMOS), E_FAIL);
        EXPECT_EQ(workspace->DumpBatchToFloppy(folder.get(), base, nullptr, nullptr, 0, 3), E_FAIL);
    }
    // Eight characters pass the checks (what follows belongs to the writers).
    EXPECT_NE(workspace->DumpIniToFloppy(folder.get(), eight.get(), SUBSYS_CMOS), E_FAIL);
    EXPECT_NE(workspace->DumpBatchToFloppy(folder.get(), eight.get(), nullptr, nullptr, 0, 0),
              E_FAIL);
    EXPECT_NE(workspace->ModifyAutoexecBatFile(folder.get()), E_FAIL);
}

TEST_F(WorkspaceTest, BaseNamesOutsideTheDosNameRuleAreRefusedWithTheirText) {
    ComPtr<IWorkspace> workspace = NewWorkspace(SUBSYS_CMOS, WriteMap("b.cvk"));
    std::filesystem::create_directories(PathOf("media"));
    const Bstr folder = Bstr::FromUtf8(PathOf("media"));
    for (const char16_t* base :
         {u"../x", u"a b", u"a/b", u"x.y", u"a\\b", u"tab\t", u"\u00e9t\u00e9"}) {
        const Bstr name(base);
        const std::u16string text = u"The base name \"" + std::u16string(base) + u"\" is not a DOS";
        EXPECT_EQ(workspace->DumpIniToFloppy(folder.get(), name.get(), SUBSYS_CMOS), E_FAIL);
        ErrorText error;
        ASSERT_TRUE(TakeErrorText(&error));
        EXPECT_EQ(error.description.substr(0, text.size()), text);
        EXPECT_EQ(workspace->DumpBatchToFloppy(folder.get(), name.get(), nullptr, nullptr, 0, 0),
                  E_FAIL);
    }
    EXPECT_TRUE(std::filesystem::is_empty(PathOf("media")));
    EXPECT_FALSE(std::filesystem::exists(PathOf("x.ini")));
    // The DOS marks are file-name characters.
    const Bstr marks(u"A_1-$~!");
    EXPECT_EQ(workspace->DumpIniToFloppy(folder.get(), marks.get(), SUBSYS_CMOS), S_OK);
}

TEST_F(WorkspaceTest, OutputFailuresNameThePathAndTheCause) {
    ComPtr<IWorkspace> workspace = NewWorkspace(SUBSYS_CMOS, WriteMap("b.cvk"));
    std::filesystem::create_directories(PathOf("target.ini"));
    std::filesystem::create_directories(PathOf("locked"));
    std::filesystem::permissions(PathOf("locked"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    const struct {
        std::string path;
        const char* cause;
    } cases[] = {
        {PathOf("no-such-folder/x.ini"), "its folder does not exist"},
        {PathOf("target.ini"), "it is a folder"},
        {PathOf("locked/x.ini"), "read-only"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(workspace->DumpIni(Bstr::FromUtf8(c.path).get(), SUBSYS_CMOS, 0), E_FAIL);
        ErrorText error;
        ASSERT_TRUE(TakeErrorText(&error)) << c.path;
        const std::string text = Bstr(error.description).utf8();
        EXPECT_NE(text.find("\"" + c.path + "\""), std::string::npos) << text;
        EXPECT_NE(text.find(c.cause), std::string::npos) << text;
    }
    const Bstr missing = Bstr::FromUtf8(PathOf("gone"));
    EXPECT_EQ(workspace->DumpIniToFloppy(missing.get(), Bstr(u"cvk").get(), SUBSYS_CMOS), E_FAIL);
    ErrorText error;
    ASSERT_TRUE(TakeErrorText(&error));
    EXPECT_EQ(Bstr(error.description).utf8(),
              "The folder \"" + PathOf("gone") + "\" does not exist.");
}

TEST_F(WorkspaceTest, DumpIniNeedsAValidWorkspace) {
    ComPtr<IWorkspace> workspace = CreateWorkspace();
    EXPECT_EQ(workspace->DumpIni(Bstr::FromUtf8(PathOf("x.ini")).get(), 0, 0), E_FAIL);
}

struct TestModule : Module<TestModule> {};

// A stream that accepts `capacity` bytes and then fails every write.
class FullStream : public Object<TestModule, IStream> {
public:
    explicit FullStream(ULONG capacity) : capacity_(capacity) {}
    HRESULT Read(void*, ULONG, ULONG* read) override {
        if (read)
            *read = 0;
        return S_OK;
    }
    HRESULT Write(const void*, ULONG size, ULONG* written) override {
        if (written)
            *written = 0;
        if (size > capacity_)
            return STG_E_MEDIUMFULL;
        capacity_ -= size;
        if (written)
            *written = size;
        return S_OK;
    }
    HRESULT Seek(LONGLONG, DWORD, ULONGLONG* position) override {
        if (position)
            *position = 0;
        return S_OK;
    }
    HRESULT SetSize(ULONGLONG) override { return S_OK; }
    HRESULT GetSize(ULONGLONG* size) override {
        *size = 0;
        return S_OK;
    }
    HRESULT Commit(DWORD) override { return S_OK; }

private:
    ULONG capacity_;
};

TEST_F(WorkspaceTest, SaveThatFailsLeavesTheWorkspaceChanged) {
    ComPtr<IWorkspace> workspace = NewWorkspace(SUBSYS_CMOS, WriteMap("board.cvk"));
    ComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(workspace->QueryInterface(IPersistStreamInit::iid, persist.put_void()), S_OK);
    // Only the workspace's own flag is set: everything was saved, then the mask was set again.
    ComPtr<IStream> first;
    ASSERT_EQ(CreateMemoryStream(first.put()), S_OK);
    ASSERT_EQ(persist->Save(first.get(), TRUE), S_OK);
    ASSERT_EQ(server()->ChangeWorkspace(workspace.get(), SUBSYS_CMOS), S_OK);
    ASSERT_TRUE(RequiresSave(workspace.get()));
    // Past the property block, so that the flag has been written and cleared before the failure.
    for (ULONG capacity : {0u, 20u, 28u, 40u}) {
        auto stream = MakeObject<FullStream>(capacity);
        EXPECT_EQ(persist->Save(stream.get(), TRUE), STG_E_MEDIUMFULL) << capacity;
        EXPECT_TRUE(RequiresSave(workspace.get())) << capacity;
    }
    ComPtr<IStream> memory;
    ASSERT_EQ(CreateMemoryStream(memory.put()), S_OK);
    EXPECT_EQ(persist->Save(memory.get(), TRUE), S_OK);
    EXPECT_FALSE(RequiresSave(workspace.get()));
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    CLSID clsid{};
    EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_Workspace);
    ULONGLONG size = 0;
    EXPECT_EQ(persist->GetSizeMax(&size), E_NOTIMPL);
    EXPECT_EQ(persist->InitNew(), S_OK);
}

} // namespace
} // namespace cvk::testing
