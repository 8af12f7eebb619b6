// The Server reached by class identifier: properties, creating, changing, updating, saving and
// closing the current workspace, and the statuses its clients rely on.
#include "engine/include/engine_status.h"
#include "tests/engine/core/engine_test_support.h"
#include "tests/engine/core/map_test_support.h"

#include <sys/stat.h>

namespace cvk::testing {
namespace {

constexpr char16_t kInvalidRequest[] = u"Invalid request for subsystems.";

using ServerTest = EngineTest;

TEST_F(ServerTest, PublishesVersionMasksAndErrorInfoSupport) {
    Bstr version;
    ASSERT_EQ(server()->get_Version(version.put()), S_OK);
    EXPECT_EQ(version.str(), u"2.10.0.0012");

    struct MaskProperty {
        HRESULT (IServer::*getter)(LONG*);
        LONG value;
    };
    const MaskProperty masks[] = {
        {&IServer::get_SUB_SYS_MASK_BOM, 1},     {&IServer::get_SUB_SYS_MASK_CMOS, 2},
        {&IServer::get_SUB_SYS_MASK_ENVCTL, 4},  {&IServer::get_SUB_SYS_MASK_SMBIOS, 8},
        {&IServer::get_SUB_SYS_MASK_SPLASH, 16}, {&IServer::get_SUB_SYS_MASK_FLEX, 32},
        {&IServer::get_AvailableSubSystems, 46},
    };
    for (const MaskProperty& mask : masks) {
        LONG value = -1;
        EXPECT_EQ((server()->*mask.getter)(&value), S_OK);
        EXPECT_EQ(value, mask.value);
        EXPECT_EQ((server()->*mask.getter)(nullptr), E_POINTER);
    }
    VARIANT_BOOL valid = VARIANT_FALSE;
    EXPECT_EQ(server()->get_Valid(&valid), S_OK);
    EXPECT_EQ(valid, VARIANT_TRUE);

    ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(server()->QueryInterface(ISupportErrorInfo::iid, support.put_void()), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IServer::iid), S_OK);

    Bstr modweave;
    ASSERT_EQ(server()->get_ModweaveVersion(modweave.put()), S_OK);
    EXPECT_FALSE(modweave.empty());
}

TEST_F(ServerTest, RefusesSubsystemsTheEngineDoesNotOffer) {
    const std::string map = WriteMap("board.cvk");
    for (LONG mask : {1, 16, 0x3F, 0x40, 0x0E | 0x100, LONG(0x80000000)}) {
        ComPtr<IWorkspace> workspace;
        SetErrorInfo(0, nullptr);
        EXPECT_EQ(server()->NewWorkspace(mask, Bstr::FromUtf8(map).get(), workspace.put()),
                  E_ACCESSDENIED)
            << mask;
        EXPECT_EQ(TakeErrorDescription(), kInvalidRequest) << mask;
        EXPECT_EQ(workspace.get(), nullptr);
    }
    // Nothing was left current: a proper request succeeds.
    NewWorkspace(0x2E & ~SUBSYS_FLEX, map);
}

TEST_F(ServerTest, EmptyMaskGivesValidWorkspaceWithoutSubsystems) {
    ComPtr<IWorkspace> workspace = NewWorkspace(0, WriteMap("board.cvk"));
    ASSERT_TRUE(workspace);
    VARIANT_BOOL valid = VARIANT_FALSE;
    LONG mask = -1;
    EXPECT_EQ(workspace->get_Valid(&valid), S_OK);
    EXPECT_EQ(valid, VARIANT_TRUE);
    EXPECT_EQ(workspace->get_SubsystemMask(&mask), S_OK);
    EXPECT_EQ(mask, 0);
}

TEST_F(ServerTest, ModulesNeedAModularFlashImageBesideTheMapFile) {
    const std::string map = WriteMap("board.cvk");
    ComPtr<IWorkspace> workspace;
    EXPECT_EQ(server()->NewWorkspace(SUBSYS_FLEX, Bstr::FromUtf8(map).get(), workspace.put()),
              E_ACCESSDENIED);
    EXPECT_EQ(TakeErrorDescription(), kInvalidRequest);

    // A .bio that is no modular image is refused the same way.
    WriteFile("board.bio", "not a flash image");
    EXPECT_EQ(server()->NewWorkspace(SUBSYS_FLEX, Bstr::FromUtf8(map).get(), workspace.put()),
              E_ACCESSDENIED);
    EXPECT_EQ(TakeErrorDescription(), kInvalidRequest);

    WriteFlashImage("board.bio");
    workspace = NewWorkspace(SUBSYS_FLEX | SUBSYS_CMOS, map);
    ASSERT_TRUE(workspace);
    ComPtr<IFlex> flex;
    EXPECT_EQ(workspace->get_Flex(flex.put()), S_OK);
    VARIANT_BOOL available = VARIANT_FALSE;
    EXPECT_EQ(workspace->IsFlexAvailable(&available), S_OK);
    EXPECT_EQ(available, VARIANT_TRUE);
}

TEST_F(ServerTest, IsFlexBiosConsultsTheBioFileOfTheSameBaseName) {
    const std::string map = WriteMap("board.cvk");
    VARIANT_BOOL isFlex = VARIANT_TRUE;
    EXPECT_EQ(server()->IsFlexBios(Bstr::FromUtf8(map).get(), &isFlex), S_OK);
    EXPECT_EQ(isFlex, VARIANT_FALSE);
    EXPECT_EQ(server()->IsFlexBios(Bstr::FromUtf8(map).get(), nullptr), E_POINTER);

    WriteFlashImage("other.bio");
    isFlex = VARIANT_TRUE;
    EXPECT_EQ(server()->IsFlexBios(Bstr::FromUtf8(map).get(), &isFlex), S_OK);
    EXPECT_EQ(isFlex, VARIANT_FALSE);

    WriteFlashImage("board.bio");
    EXPECT_EQ(server()->IsFlexBios(Bstr::FromUtf8(map).get(), &isFlex), S_OK);
    EXPECT_EQ(isFlex, VARIANT_TRUE);
}

TEST_F(ServerTest, SecondNewWorkspaceFailsAndKeepsTheFirst) {
    ComPtr<IWorkspace> first = NewWorkspace(SUBSYS_CMOS, WriteMap("board.cvk"));
    cvkgen::MapFileContent other = SmallMap();
    other.buildInfo.biosId = "OTHER.ID";
    const std::string otherMap = WriteMap("other.cvk", other);
    ComPtr<IWorkspace> second;
    EXPECT_EQ(server()->NewWorkspace(SUBSYS_SMBIOS, Bstr::FromUtf8(otherMap).get(), second.put()),
              E_FAIL);
    EXPECT_EQ(second.get(), nullptr);
    // The server still works on the first: what it saves is the first workspace.
    ComPtr<IWorkspace> reopened;
    const std::string saved = Save(first.get(), "first.cvw");
    ASSERT_EQ(server()->CloseWorkspace(first.get()), S_OK);
    ASSERT_EQ(Open(saved, &reopened), S_OK);
    EXPECT_EQ(TextOf(reopened.get(), &IWorkspace::get_BIOSID), u"TR865PE.86A.0037");
    LONG mask = 0;
    EXPECT_EQ(reopened->get_SubsystemMask(&mask), S_OK);
    EXPECT_EQ(mask, SUBSYS_CMOS);
}

TEST_F(ServerTest, CloseWorkspaceWithoutWorkspaceSucceedsAndAllowsANewOne) {
    EXPECT_EQ(server()->CloseWorkspace(nullptr), S_OK);
    const std::string map = WriteMap("board.cvk");
    ComPtr<IWorkspace> first = NewWorkspace(SUBSYS_CMOS, map);
    EXPECT_EQ(server()->CloseWorkspace(first.get()), S_OK);
    EXPECT_EQ(server()->CloseWorkspace(first.get()), S_OK);
    EXPECT_TRUE(NewWorkspace(SUBSYS_SMBIOS, map));
}

TEST_F(ServerTest, MapFileStatusesReachTheClientUnchanged) {
    ComPtr<IWorkspace> workspace;
    EXPECT_EQ(server()->NewWorkspace(SUBSYS_CMOS, Bstr::FromUtf8(PathOf("missing.cvk")).get(),
                                     workspace.put()),
              E_IMAGE_OPEN);
    WriteFile("garbage.cvk", std::string(4096, 'x'));
    EXPECT_EQ(server()->NewWorkspace(SUBSYS_CMOS, Bstr::FromUtf8(PathOf("garbage.cvk")).get(),
                                     workspace.put()),
              E_IMAGE_FORMAT);
    cvkgen::LayoutOptions unaligned;
    unaligned.section0Offset = 24;
    const std::vector<std::uint8_t> bytes = cvkgen::WriteMapFile(SmallMap(), unaligned);
    WriteFile("unaligned.cvk", std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(
        server()->NewWorkspace(0, Bstr::FromUtf8(PathOf("unaligned.cvk")).get(), workspace.put()),
        E_IMAGE_FORMAT);
    EXPECT_EQ(workspace.get(), nullptr);
    // No failed creation is left current.
    EXPECT_TRUE(NewWorkspace(SUBSYS_CMOS, WriteMap("board.cvk")));
}

TEST_F(ServerTest, OpenAndSaveCheckTheirArguments) {
    ComPtr<IWorkspace> workspace;
    EXPECT_EQ(server()->OpenWorkspace(Bstr(u"x.cvw").get(), nullptr), E_POINTER);
    EXPECT_EQ(server()->OpenWorkspace(nullptr, workspace.put()), E_FAIL);
    EXPECT_EQ(server()->OpenWorkspace(Bstr(u"").get(), workspace.put()), E_FAIL);
    EXPECT_EQ(Open(PathOf("missing.cvw"), &workspace), STG_E_FILENOTFOUND);

    const Bstr target = Bstr::FromUtf8(PathOf("out.cvw"));
    // No current workspace yet.
    ComPtr<IWorkspace> unused;
    ASSERT_EQ(CoCreateInstance(CLSID_Workspace, nullptr, CLSCTX_INPROC_SERVER, IWorkspace::iid,
                               unused.put_void()),
              S_OK);
    EXPECT_EQ(server()->SaveWorkspace(unused.get(), target.get()), E_FAIL);
    workspace = NewWorkspace(SUBSYS_CMOS, WriteMap("board.cvk"));
    EXPECT_EQ(server()->SaveWorkspace(nullptr, target.get()), E_POINTER);
    EXPECT_EQ(server()->SaveWorkspace(workspace.get(), nullptr), E_FAIL);
    EXPECT_EQ(server()->SaveWorkspace(workspace.get(), Bstr(u"").get()), E_FAIL);
    EXPECT_FALSE(std::filesystem::exists(PathOf("out.cvw")));
}

TEST_F(ServerTest, AFileThatIsNoCompoundFileIsReportedAsSuch) {
    WriteFile("text.cvw", std::string(2048, 'a'));
    WriteFile("empty.cvw", "");
    ComPtr<IWorkspace> workspace;
    EXPECT_EQ(Open(PathOf("text.cvw"), &workspace), STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(Open(PathOf("empty.cvw"), &workspace), STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(workspace.get(), nullptr);
}

TEST_F(ServerTest, ReadOnlyTargetIsRefusedAndKeepsTheOldFile) {
    ComPtr<IWorkspace> workspace = NewWorkspace(SUBSYS_CMOS, WriteMap("board.cvk"));
    const std::string path = PathOf("locked.cvw");
    WriteFile("locked.cvw", "previous contents");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(server()->SaveWorkspace(workspace.get(), Bstr::FromUtf8(path).get()),
              STG_E_ACCESSDENIED);
    EXPECT_EQ(ReadFile(path), "previous contents");
    // The failed save saved nothing: the workspace still has unsaved changes.
    VARIANT_BOOL requiresSave = VARIANT_FALSE;
    EXPECT_EQ(workspace->get_RequiresSave(&requiresSave), S_OK);
    EXPECT_EQ(requiresSave, VARIANT_TRUE);
}

TEST_F(ServerTest, SaveReplacesAnExistingWorkspaceFile) {
    const std::string map = WriteMap("board.cvk");
    ComPtr<IWorkspace> workspace = NewWorkspace(SUBSYS_CMOS, map);
    WriteFile("ws.cvw", "an older file");
    Save(workspace.get(), "ws.cvw");
    ComPtr<IWorkspace> reopened;
    ASSERT_EQ(server()->CloseWorkspace(workspace.get()), S_OK);
    EXPECT_EQ(Open(PathOf("ws.cvw"), &reopened), S_OK);
}

TEST_F(ServerTest, ChangeWorkspaceChecksItsRequest) {
    ComPtr<IWorkspace> none;
    ASSERT_EQ(CoCreateInstance(CLSID_Workspace, nullptr, CLSCTX_INPROC_SERVER, IWorkspace::iid,
                               none.put_void()),
              S_OK);
    EXPECT_EQ(server()->ChangeWorkspace(nullptr, SUBSYS_CMOS), E_POINTER);
    EXPECT_EQ(server()->ChangeWorkspace(none.get(), SUBSYS_CMOS), E_FAIL);

    ComPtr<IWorkspace> workspace = NewWorkspace(SUBSYS_CMOS, WriteMap("board.cvk"));
    Save(workspace.get(), "ws.cvw");
    for (LONG mask : {SUBSYS_BOM, SUBSYS_SPLASH, 0x3F, SUBSYS_FLEX}) {
        SetErrorInfo(0, nullptr);
        EXPECT_EQ(server()->ChangeWorkspace(workspace.get(), mask), E_ACCESSDENIED) << mask;
        EXPECT_EQ(TakeErrorDescription(), kInvalidRequest) << mask;
    }
    LONG mask = 0;
    VARIANT_BOOL requiresSave = VARIANT_TRUE;
    EXPECT_EQ(workspace->get_SubsystemMask(&mask), S_OK);
    EXPECT_EQ(mask, SUBSYS_CMOS);
    EXPECT_EQ(workspace->get_RequiresSave(&requiresSave), S_OK);
    EXPECT_EQ(requiresSave, VARIANT_FALSE) << "a refused change changed the workspace";

    EXPECT_EQ(server()->ChangeWorkspace(workspace.get(), SUBSYS_SMBIOS | SUBSYS_ENVCTL), S_OK);
    EXPECT_EQ(workspace->get_SubsystemMask(&mask), S_OK);
    EXPECT_EQ(mask, SUBSYS_SMBIOS | SUBSYS_ENVCTL);
    EXPECT_EQ(workspace->get_RequiresSave(&requiresSave), S_OK);
    EXPECT_EQ(requiresSave, VARIANT_TRUE);
    ComPtr<ICmos> cmos;
    EXPECT_EQ(workspace->get_Cmos(cmos.put()), E_ACCESSDENIED);
}

TEST_F(ServerTest, ChangeWorkspaceAddsModulesWhenTheFlashImageHasAFlashPart) {
    const std::string map = WriteMap("board.cvk");
    WriteFlashImage("board.bio");
    ComPtr<IWorkspace> workspace = NewWorkspace(SUBSYS_CMOS, map);
    EXPECT_EQ(server()->ChangeWorkspace(workspace.get(), SUBSYS_CMOS | SUBSYS_FLEX), S_OK);
    ComPtr<IFlex> flex;
    EXPECT_EQ(workspace->get_Flex(flex.put()), S_OK);
}

TEST_F(ServerTest, UpdateWorkspaceMovesToTheNewMapFile) {
    ComPtr<IWorkspace> none;
    EXPECT_EQ(server()->UpdateWorkspace(none.get(), Bstr(u"x.cvk").get()), E_FAIL);

    const std::string map = WriteMap("board.cvk");
    ComPtr<IWorkspace> workspace = NewWorkspace(SUBSYS_CMOS | SUBSYS_SMBIOS, map);
    Save(workspace.get(), "ws.cvw");

    // A malformed new map file leaves everything as it was.
    WriteFile("bad.cvk", std::string(100, '$'));
    EXPECT_EQ(server()->UpdateWorkspace(workspace.get(), Bstr::FromUtf8(PathOf("bad.cvk")).get()),
              E_IMAGE_FORMAT);
    EXPECT_EQ(server()->UpdateWorkspace(workspace.get(), Bstr::FromUtf8(PathOf("no.cvk")).get()),
              E_IMAGE_OPEN);
    EXPECT_EQ(TextOf(workspace.get(), &IWorkspace::get_MapFilePath), Bstr::FromUtf8(map).str());
    EXPECT_EQ(TextOf(workspace.get(), &IWorkspace::get_BIOSID), u"TR865PE.86A.0037");
    EXPECT_EQ(TextOf(workspace.get(), &IWorkspace::get_BIOSBuildDate), u"15 Jul 2003");
    VARIANT_BOOL requiresSave = VARIANT_TRUE;
    EXPECT_EQ(workspace->get_RequiresSave(&requiresSave), S_OK);
    EXPECT_EQ(requiresSave, VARIANT_FALSE);

    cvkgen::MapFileContent newer = SmallMap();
    newer.buildInfo.biosId = "TR865PE.86A.0040";
    newer.buildInfo.biosVersion = "P1.20";
    newer.buildInfo.buildDateStamp = "0312240000";
    const std::string newMap = WriteMap("newer.cvk", newer);
    EXPECT_EQ(server()->UpdateWorkspace(workspace.get(), Bstr::FromUtf8(newMap).get()), S_OK);
    EXPECT_EQ(TextOf(workspace.get(), &IWorkspace::get_MapFilePath), Bstr::FromUtf8(newMap).str());
    EXPECT_EQ(TextOf(workspace.get(), &IWorkspace::get_BIOSID), u"TR865PE.86A.0040");
    EXPECT_EQ(TextOf(workspace.get(), &IWorkspace::get_BIOSVersion), u"P1.20");
    EXPECT_EQ(TextOf(workspace.get(), &IWorkspace::get_BIOSBuildDate), u"24 Dec 2003");
    LONG mask = 0;
    EXPECT_EQ(workspace->get_SubsystemMask(&mask), S_OK);
    EXPECT_EQ(mask, SUBSYS_CMOS | SUBSYS_SMBIOS);
    EXPECT_EQ(workspace->get_RequiresSave(&requiresSave), S_OK);
    EXPECT_EQ(requiresSave, VARIANT_TRUE);
}

} // namespace
} // namespace cvk::testing
