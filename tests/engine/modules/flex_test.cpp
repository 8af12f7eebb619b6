// The module object of a workspace: catalogue, space, badge rule, defaults, the BIOS update
// file and persistence, through the engine's public interfaces.
#include "modweave/modweave.h"
#include "tests/engine/modules/flex_test_support.h"

#include <sys/stat.h>

namespace cvk::testing {
namespace {

constexpr LONG kRequiredSpace = 60000 + 100000 + 20000;
constexpr LONG kDefaultFlashPart = 524288;

class FlexObject : public FlexTest {};

TEST_F(FlexObject, CatalogueComesFromTheFlashImage) {
    ComPtr<IFlex> flex;
    ComPtr<IWorkspace> workspace = NewModularWorkspace(&flex);
    ASSERT_TRUE(flex);
    ComPtr<IFlexModuleList> list;
    ASSERT_EQ(flex->get_OptionalModuleList(list.put()), S_OK);
    ASSERT_TRUE(list);
    LONG count = 0;
    VARIANT_BOOL valid = VARIANT_FALSE;
    EXPECT_EQ(list->get_Count(&count), S_OK);
    EXPECT_EQ(count, 10);
    EXPECT_EQ(list->get_Valid(&valid), S_OK);
    EXPECT_EQ(valid, VARIANT_TRUE);

    // Walk in image order with the list protocol, types mapped from the engine.
    std::vector<LONG> handles;
    std::vector<MODULE_TYPE> types;
    ComPtr<IFlexModule> module;
    VARIANT_BOOL eol = VARIANT_FALSE;
    ASSERT_EQ(list->GetFirst(module.put()), S_OK);
    for (; list->get_EOL(&eol) == S_OK && !eol; list->GetNext(module.put())) {
        LONG handle = 0;
        MODULE_TYPE type = CVK_MOD_TYPE_NORMAL;
        ASSERT_EQ(module->get_Handle(&handle), S_OK);
        ASSERT_EQ(module->get_Type(&type), S_OK);
        handles.push_back(handle);
        types.push_back(type);
    }
    EXPECT_FALSE(module);
    EXPECT_EQ(list->GetNext(module.put()), E_FAIL);
    EXPECT_EQ(handles, (std::vector<LONG>{1, 2, 3, 4, 10, 11, 12, 20, 21, 22}));
    EXPECT_EQ(types[2], CVK_MOD_TYPE_LANGUAGE);
    EXPECT_EQ(types[3], CVK_MOD_TYPE_LOGO);
    EXPECT_EQ(types[4], CVK_MOD_TYPE_BADGE);
    EXPECT_EQ(types[7], CVK_MOD_TYPE_NORMAL);

    ComPtr<IFlexModule> asia = Module(flex.get(), 3);
    VARIANT_BOOL flag = VARIANT_FALSE;
    LONG size = 0;
    Bstr name;
    EXPECT_EQ(asia->get_ShortDescription(name.put()), S_OK);
    EXPECT_EQ(name.str(), u"Asia");
    EXPECT_EQ(asia->get_Size(&size), S_OK);
    EXPECT_EQ(size, 30000);
    EXPECT_EQ(asia->get_UserUpdateable(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_TRUE);
    EXPECT_EQ(asia->get_HasDepModules(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_TRUE);
    ComPtr<IFlexDependencyList> deps;
    ASSERT_EQ(asia->get_DepModuleList(deps.put()), S_OK);
    LONG dep = 0;
    EXPECT_EQ(deps->GetFirst(&dep), S_OK);
    EXPECT_EQ(dep, 2);
    EXPECT_EQ(deps->GetNext(&dep), S_OK);
    EXPECT_EQ(deps->get_EOL(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_TRUE);
    EXPECT_EQ(deps->GetNext(&dep), E_FAIL);

    ComPtr<IFlexModule> core = Module(flex.get(), 1);
    EXPECT_EQ(core->get_Required(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_TRUE);
    EXPECT_EQ(core->get_LongDescription(name.put()), S_OK);
    EXPECT_EQ(name.str(), u"Runtime services");
    EXPECT_EQ(core->get_HasDepModules(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_FALSE);

    ComPtr<IFlexModule> missing;
    EXPECT_EQ(list->GetModule(99, missing.put()), E_INVALIDARG);
    EXPECT_EQ(list->GetModule(1, nullptr), E_POINTER);

    Bstr version;
    EXPECT_EQ(flex->get_BiosFileVersion(version.put()), S_OK);
    EXPECT_EQ(version.str(), u"T1.00 modular");
    Bstr engineVersion;
    Bstr serverVersion;
    EXPECT_EQ(flex->get_ModweaveVersionStr(engineVersion.put()), S_OK);
    EXPECT_EQ(server()->get_ModweaveVersion(serverVersion.put()), S_OK);
    EXPECT_EQ(engineVersion.str(), serverVersion.str());
    EXPECT_FALSE(engineVersion.empty());

    // A new workspace takes the default flash part, whatever the image suggests, and counts
    // as unsaved.
    LONG flashPart = 0;
    EXPECT_EQ(flex->get_FlashPartSize(&flashPart), S_OK);
    EXPECT_EQ(flashPart, kDefaultFlashPart);
    VARIANT_BOOL unsaved = VARIANT_FALSE;
    EXPECT_EQ(workspace->get_RequiresSave(&unsaved), S_OK);
    EXPECT_EQ(unsaved, VARIANT_TRUE);
}

TEST_F(FlexObject, SpaceArithmeticCountsOptionalModulesOnly) {
    ComPtr<IFlex> flex;
    ComPtr<IWorkspace> workspace = NewModularWorkspace(&flex);
    ASSERT_TRUE(flex);
    LONG max = 0;
    LONG current = 0;
    EXPECT_EQ(flex->get_MaxOptionalModuleSpace(&max), S_OK);
    EXPECT_EQ(max, kDefaultFlashPart - kRequiredSpace);
    // Defaults: Asia 30000, Logo 8000, Badge M 2000 (the first default badge), RAID 50000;
    // the required Core and Setup are not counted again.
    EXPECT_EQ(NumSelected(flex.get()), 90000);
    EXPECT_EQ(flex->get_CurrentOptionalModuleSpace(&current), S_OK);
    EXPECT_EQ(current, max - 90000);

    // A flash part that only just holds the required content leaves no optional space; the
    // selection then no longer fits.
    EXPECT_EQ(flex->put_FlashPartSize(kRequiredSpace + 1000), S_OK);
    EXPECT_EQ(flex->get_MaxOptionalModuleSpace(&max), S_OK);
    EXPECT_EQ(max, 1000);
    EXPECT_EQ(flex->get_CurrentOptionalModuleSpace(&current), S_OK);
    EXPECT_EQ(current, 0);
    EXPECT_FALSE(ValidUpdate(flex.get()));

    EXPECT_EQ(flex->put_FlashPartSize(0), S_OK);
    EXPECT_EQ(flex->get_MaxOptionalModuleSpace(&max), S_OK);
    EXPECT_EQ(flex->get_CurrentOptionalModuleSpace(&current), S_OK);
    EXPECT_EQ(max, 0);
    EXPECT_EQ(current, 0);
    VARIANT_BOOL available = VARIANT_TRUE;
    EXPECT_EQ(workspace->IsFlexAvailable(&available), S_OK);
    EXPECT_EQ(available, VARIANT_FALSE);

    EXPECT_EQ(flex->put_FlashPartSize(-1), E_INVALIDARG);
    EXPECT_EQ(flex->get_MaxOptionalModuleSpace(nullptr), E_POINTER);
}

TEST_F(FlexObject, FlashPartSizeChangeIsUnsavedUntilSaved) {
    ComPtr<IFlex> flex;
    ComPtr<IWorkspace> workspace = NewModularWorkspace(&flex);
    Bstr path = Bstr::FromUtf8(PathOf("ws.cvw"));
    ASSERT_EQ(server()->SaveWorkspace(workspace.get(), path.get()), S_OK);
    VARIANT_BOOL unsaved = VARIANT_TRUE;
    EXPECT_EQ(workspace->get_RequiresSave(&unsaved), S_OK);
    EXPECT_EQ(unsaved, VARIANT_FALSE);
    EXPECT_EQ(flex->put_FlashPartSize(1048576), S_OK);
    EXPECT_EQ(workspace->get_RequiresSave(&unsaved), S_OK);
    EXPECT_EQ(unsaved, VARIANT_TRUE);
}

TEST_F(FlexObject, ReadingTheSelectionLeavesASavedWorkspaceSaved) {
    ComPtr<IFlex> flex;
    ComPtr<IWorkspace> workspace = NewModularWorkspace(&flex);
    // The default badge is in once the selection has been read.
    EXPECT_EQ(SelectedBadges(flex.get()), std::vector<LONG>{11});
    Bstr path = Bstr::FromUtf8(PathOf("ws.cvw"));
    ASSERT_EQ(server()->SaveWorkspace(workspace.get(), path.get()), S_OK);
    // Reading it again chooses the same badge without changing anything.
    EXPECT_EQ(SelectedBadges(flex.get()), std::vector<LONG>{11});
    NumSelected(flex.get());
    VARIANT_BOOL unsaved = VARIANT_TRUE;
    EXPECT_EQ(workspace->get_RequiresSave(&unsaved), S_OK);
    EXPECT_EQ(unsaved, VARIANT_FALSE);
}

TEST_F(FlexObject, BadgesFollowTheLogo) {
    ComPtr<IFlex> flex;
    ComPtr<IWorkspace> workspace = NewModularWorkspace(&flex);
    ASSERT_TRUE(flex);
    // Without a user picture the badges go back to their defaults, up to the first default.
    SetInUpdate(flex.get(), 10, true);
    SetInUpdate(flex.get(), 12, true);
    NumSelected(flex.get());
    EXPECT_EQ(SelectedBadges(flex.get()), std::vector<LONG>{11});

    ASSERT_EQ(SetLogo(flex.get(), "logo.jpg", JpegPicture(800, 600), 800, 600), S_OK);
    ComPtr<IFlexLogoModule> logo = Logo(flex.get());
    // A user logo without the badge shown selects no badge at all.
    EXPECT_TRUE(ValidUpdate(flex.get()));
    EXPECT_EQ(SelectedBadges(flex.get()), std::vector<LONG>{});
    ASSERT_EQ(logo->put_DisplayBadge(VARIANT_TRUE), S_OK);
    EXPECT_TRUE(ValidUpdate(flex.get()));
    EXPECT_EQ(SelectedBadges(flex.get()), std::vector<LONG>{11});

    ASSERT_EQ(SetLogo(flex.get(), "big.bmp", BmpPicture(1024, 700), 1024, 700), S_OK);
    NumSelected(flex.get());
    EXPECT_EQ(SelectedBadges(flex.get()), std::vector<LONG>{12});
}

TEST_F(FlexObject, RestoreDefaultsDropsTheUserLogoFirst) {
    ComPtr<IFlex> flex;
    ComPtr<IWorkspace> workspace = NewModularWorkspace(&flex);
    ASSERT_TRUE(flex);
    ASSERT_EQ(SetLogo(flex.get(), "logo.bmp", BmpPicture(640, 480), 640, 480), S_OK);
    SetInUpdate(flex.get(), 20, true);
    SetInUpdate(flex.get(), 21, true);
    SetInUpdate(flex.get(), 3, false);
    ComPtr<IFlexModule> logoModule = Module(flex.get(), 4);
    VARIANT_BOOL userData = VARIANT_FALSE;
    ASSERT_EQ(logoModule->get_ContainsUserData(&userData), S_OK);
    ASSERT_EQ(userData, VARIANT_TRUE);

    ASSERT_EQ(flex->RestoreHalvexDefaults(), S_OK);
    EXPECT_EQ(logoModule->get_ContainsUserData(&userData), S_OK);
    EXPECT_EQ(userData, VARIANT_FALSE);
    Bstr name;
    EXPECT_EQ(Logo(flex.get())->get_ImageName(name.put()), S_OK);
    EXPECT_TRUE(name.empty());
    // Without a user picture the badges are the defaults up to the first default one: the list
    // shows what the update file would hold.
    EXPECT_EQ(Selected(flex.get()), (std::vector<LONG>{1, 2, 3, 4, 11, 22}));

    // Taking the module subsystem out of the workspace restores the defaults as well.
    ASSERT_EQ(SetLogo(flex.get(), "logo.bmp", BmpPicture(640, 480), 640, 480), S_OK);
    SetInUpdate(flex.get(), 22, false);
    ASSERT_EQ(server()->ChangeWorkspace(workspace.get(), SUBSYS_CMOS), S_OK);
    EXPECT_EQ(logoModule->get_ContainsUserData(&userData), S_OK);
    EXPECT_EQ(userData, VARIANT_FALSE);
    EXPECT_TRUE(InUpdate(flex.get(), 22));
    EXPECT_EQ(server()->ChangeWorkspace(workspace.get(), SUBSYS_CMOS | SUBSYS_FLEX), S_OK);
}

TEST_F(FlexObject, InvalidSelectionWritesNoUpdateFile) {
    ComPtr<IFlex> flex;
    ComPtr<IWorkspace> workspace = NewModularWorkspace(&flex);
    ASSERT_TRUE(flex);
    const std::string target = PathOf("update.bio");
    Bstr path = Bstr::FromUtf8(target);

    SetInUpdate(flex.get(), 20, true); // PXE without the UNDI driver it needs
    EXPECT_FALSE(ValidUpdate(flex.get()));
    EXPECT_EQ(flex->CreateBiosUpdateFile(path.get()), E_ACCESSDENIED);
    EXPECT_FALSE(std::filesystem::exists(target));

    SetInUpdate(flex.get(), 20, false);
    SetInUpdate(flex.get(), 1, false); // a required module left out
    EXPECT_FALSE(ValidUpdate(flex.get()));
    EXPECT_EQ(flex->CreateBiosUpdateFile(path.get()), E_ACCESSDENIED);
    EXPECT_FALSE(std::filesystem::exists(target));

    SetInUpdate(flex.get(), 1, true);
    EXPECT_TRUE(ValidUpdate(flex.get()));
    EXPECT_EQ(flex->CreateBiosUpdateFile(path.get()), S_OK);
    EXPECT_TRUE(std::filesystem::exists(target));
}

TEST_F(FlexObject, UpdateFileReopensWithSelectionLogoAndBadge) {
    ComPtr<IFlex> flex;
    ComPtr<IWorkspace> workspace = NewModularWorkspace(&flex);
    ASSERT_TRUE(flex);
    const std::string picture = JpegPicture(700, 500);
    ASSERT_EQ(SetLogo(flex.get(), "logo.jpg", picture, 700, 500), S_OK);
    ComPtr<IFlexLogoModule> logo = Logo(flex.get());
    ASSERT_EQ(logo->put_DisplayBadge(VARIANT_TRUE), S_OK);
    ASSERT_EQ(logo->put_BadgeLocX(600), S_OK);
    ASSERT_EQ(logo->put_BadgeLocY(400), S_OK);
    SetInUpdate(flex.get(), 20, true);
    SetInUpdate(flex.get(), 21, true);
    SetInUpdate(flex.get(), 22, false);
    Bstr path = Bstr::FromUtf8(PathOf("update.bio"));
    ASSERT_EQ(flex->CreateBiosUpdateFile(path.get()), S_OK);
    const std::vector<LONG> selected = Selected(flex.get());
    EXPECT_EQ(selected, (std::vector<LONG>{1, 2, 3, 4, 11, 20, 21}));

    ComPtr<IModweaveEngine> engine;
    ASSERT_EQ(CoCreateInstance(CLSID_ModweaveEngine, nullptr, CLSCTX_ALL, IModweaveEngine::iid,
                               engine.put_void()),
              S_OK);
    ASSERT_EQ(engine->Initialize(-1), S_OK);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    ASSERT_EQ(engine->OpenFlashImage(path.get(), &loaded), S_OK);
    ASSERT_EQ(loaded, VARIANT_TRUE);
    ComPtr<IModweaveModules> modules;
    ASSERT_EQ(engine->get_Modules(modules.put()), S_OK);
    LONG count = 0;
    ASSERT_EQ(modules->get_Count(&count), S_OK);
    std::vector<LONG> reopened;
    for (LONG i = 0; i < count; ++i) {
        ComPtr<IModweaveModule> module;
        ASSERT_EQ(modules->GetItem(i, module.put()), S_OK);
        LONG handle = 0;
        VARIANT_BOOL in = VARIANT_FALSE;
        ASSERT_EQ(module->get_Handle(&handle), S_OK);
        ASSERT_EQ(module->get_Selected(&in), S_OK);
        if (in)
            reopened.push_back(handle);
    }
    EXPECT_EQ(reopened, selected);

    ComPtr<IModweaveModule> logoModule;
    ASSERT_EQ(modules->GetByHandle(4, logoModule.put()), S_OK);
    LONG size = 0;
    VARIANT_BOOL userData = VARIANT_FALSE;
    EXPECT_EQ(logoModule->get_Size(&size), S_OK);
    EXPECT_EQ(size, LONG(8000 + picture.size()));
    EXPECT_EQ(logoModule->get_ContainsUserData(&userData), S_OK);
    EXPECT_EQ(userData, VARIANT_TRUE);
    ComPtr<IModweaveLogo> engineLogo;
    ASSERT_EQ(logoModule->get_Logo(engineLogo.put()), S_OK);
    LONG x = 0, y = 0, resolution = -1;
    VARIANT_BOOL display = VARIANT_FALSE;
    Bstr name;
    EXPECT_EQ(engineLogo->get_BadgeX(&x), S_OK);
    EXPECT_EQ(engineLogo->get_BadgeY(&y), S_OK);
    EXPECT_EQ(engineLogo->get_DisplayBadge(&display), S_OK);
    EXPECT_EQ(engineLogo->get_Resolution(&resolution), S_OK);
    EXPECT_EQ(engineLogo->get_ImageName(name.put()), S_OK);
    EXPECT_EQ(x, 600);
    EXPECT_EQ(y, 400);
    EXPECT_NE(display, VARIANT_FALSE);
    EXPECT_EQ(resolution, CVK_LOGO_RES_800_600);
    EXPECT_EQ(name.utf8(), PathOf("logo.jpg"));
}

TEST_F(FlexObject, SavedWorkspaceKeepsTheLogoWithoutItsFiles) {
    ComPtr<IFlex> flex;
    ComPtr<IWorkspace> workspace = NewModularWorkspace(&flex);
    ASSERT_TRUE(flex);
    const std::string picture = BmpPicture(1000, 700);
    ASSERT_EQ(SetLogo(flex.get(), "logo.bmp", picture, 1000, 700), S_OK);
    ASSERT_EQ(Logo(flex.get())->put_DisplayBadge(VARIANT_TRUE), S_OK);
    ASSERT_EQ(Logo(flex.get())->put_BadgeLocX(848), S_OK);
    ASSERT_EQ(flex->put_FlashPartSize(1048576), S_OK);
    SetInUpdate(flex.get(), 22, false);
    const std::vector<LONG> selected = Selected(flex.get());
    Bstr path = Bstr::FromUtf8(PathOf("ws.cvw"));
    ASSERT_EQ(server()->SaveWorkspace(workspace.get(), path.get()), S_OK);
    ASSERT_EQ(server()->CloseWorkspace(workspace.get()), S_OK);
    workspace = nullptr;
    flex = nullptr;
    std::filesystem::remove(PathOf("board.bio"));
    std::filesystem::remove(PathOf("logo.bmp"));

    ASSERT_EQ(server()->OpenWorkspace(path.get(), workspace.put()), S_OK);
    flex = FlexOf(workspace.get());
    ASSERT_TRUE(flex);
    VARIANT_BOOL flag = VARIANT_FALSE;
    EXPECT_EQ(workspace->IsFlexAvailable(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_TRUE);
    EXPECT_EQ(workspace->get_RequiresSave(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_FALSE);
    LONG flashPart = 0;
    EXPECT_EQ(flex->get_FlashPartSize(&flashPart), S_OK);
    EXPECT_EQ(flashPart, 1048576);
    EXPECT_EQ(Selected(flex.get()), selected);

    ComPtr<IFlexLogoModule> logo = Logo(flex.get());
    ASSERT_TRUE(logo);
    Bstr name;
    LONG x = 0;
    LOGO_RES_TYPE resolution = CVK_LOGO_RES_640_480;
    EXPECT_EQ(logo->get_ImageName(name.put()), S_OK);
    EXPECT_EQ(name.utf8(), PathOf("logo.bmp"));
    EXPECT_EQ(logo->get_BadgeLocX(&x), S_OK);
    EXPECT_EQ(x, 848);
    EXPECT_EQ(logo->get_LogoResolution(&resolution), S_OK);
    EXPECT_EQ(resolution, CVK_LOGO_RES_1024_768);
    EXPECT_EQ(Module(flex.get(), 4)->get_ContainsUserData(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_TRUE);

    // The picture itself came back: the update file made now still carries its bytes.
    Bstr update = Bstr::FromUtf8(PathOf("update.bio"));
    ASSERT_EQ(flex->CreateBiosUpdateFile(update.get()), S_OK);
    EXPECT_NE(ReadFile(PathOf("update.bio")).find(picture), std::string::npos);
}

TEST_F(FlexObject, FailedWritesLeaveThePreviousFiles) {
    ComPtr<IFlex> flex;
    ComPtr<IWorkspace> workspace = NewModularWorkspace(&flex);
    ASSERT_TRUE(flex);
    std::filesystem::create_directory(PathOf("out"));
    WriteFile("out/update.bio", "previous update");
    WriteFile("out/ws.cvw", "previous workspace");
    ASSERT_EQ(::chmod(PathOf("out").c_str(), 0555), 0);

    Bstr update = Bstr::FromUtf8(PathOf("out/update.bio"));
    EXPECT_EQ(flex->CreateBiosUpdateFile(update.get()), MODWEAVE_E_WRITEFILE);
    EXPECT_FALSE(TakeErrorDescription().empty());
    EXPECT_EQ(ReadFile(PathOf("out/update.bio")), "previous update");

    Bstr saved = Bstr::FromUtf8(PathOf("out/ws.cvw"));
    EXPECT_TRUE(FAILED(server()->SaveWorkspace(workspace.get(), saved.get())));
    EXPECT_EQ(ReadFile(PathOf("out/ws.cvw")), "previous workspace");
    VARIANT_BOOL unsaved = VARIANT_FALSE;
    EXPECT_EQ(workspace->get_RequiresSave(&unsaved), S_OK);
    EXPECT_EQ(unsaved, VARIANT_TRUE);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(PathOf("out")),
                            std::filesystem::directory_iterator()),
              2);
}

TEST_F(FlexObject, MissingFlashImageLeavesNoModuleList) {
    // No .bio beside the map: modules cannot be asked for.
    cvkgen::Board plain = TestBoard();
    plain.modules.reset();
    Bstr plainMap = Bstr::FromUtf8(WriteBoard("plain", plain));
    VARIANT_BOOL isFlex = VARIANT_TRUE;
    EXPECT_EQ(server()->IsFlexBios(plainMap.get(), &isFlex), S_OK);
    EXPECT_EQ(isFlex, VARIANT_FALSE);
    ComPtr<IWorkspace> refused;
    EXPECT_EQ(server()->NewWorkspace(SUBSYS_FLEX, plainMap.get(), refused.put()), E_ACCESSDENIED);
    EXPECT_EQ(TakeErrorDescription(), u"Invalid request for subsystems.");

    // A workspace moved to that map keeps a valid module object, without modules.
    ComPtr<IFlex> flex;
    ComPtr<IWorkspace> workspace = NewModularWorkspace(&flex);
    ASSERT_EQ(server()->UpdateWorkspace(workspace.get(), plainMap.get()), S_OK);
    flex = FlexOf(workspace.get());
    ASSERT_TRUE(flex);
    ComPtr<IFlexModuleList> list;
    EXPECT_EQ(flex->get_OptionalModuleList(list.put()), S_OK);
    EXPECT_FALSE(list);
    LONG bytes = -1;
    EXPECT_EQ(flex->get_FlashPartSize(&bytes), S_OK);
    EXPECT_EQ(bytes, 0);
    EXPECT_EQ(flex->get_NumOptionalModuleBytesSelected(&bytes), S_OK);
    EXPECT_EQ(bytes, 0);
    VARIANT_BOOL flag = VARIANT_TRUE;
    EXPECT_EQ(workspace->IsFlexAvailable(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_FALSE);
    EXPECT_FALSE(ValidUpdate(flex.get()));
    EXPECT_EQ(server()->ChangeWorkspace(workspace.get(), SUBSYS_CMOS), S_OK);
    EXPECT_EQ(server()->ChangeWorkspace(workspace.get(), SUBSYS_CMOS | SUBSYS_FLEX),
              E_ACCESSDENIED);
}

TEST_F(FlexObject, ClassesAreCreatableAndInertWithoutAnImage) {
    ComPtr<IFlexModuleList> list;
    ASSERT_EQ(CoCreateInstance(CLSID_FlexModuleList, nullptr, CLSCTX_INPROC_SERVER,
                               IFlexModuleList::iid, list.put_void()),
              S_OK);
    LONG count = -1;
    VARIANT_BOOL flag = VARIANT_TRUE;
    EXPECT_EQ(list->get_Count(&count), S_OK);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(list->get_Valid(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_FALSE);

    ComPtr<IFlexLogoModule> logo;
    ASSERT_EQ(CoCreateInstance(CLSID_FlexLogoModule, nullptr, CLSCTX_INPROC_SERVER,
                               IFlexLogoModule::iid, logo.put_void()),
              S_OK);
    LONG x = 0;
    EXPECT_EQ(logo->get_BadgeLocX(&x), E_UNEXPECTED);
    ComPtr<IFlexModule> asModule;
    EXPECT_EQ(logo->QueryInterface(IFlexModule::iid, asModule.put_void()), S_OK);
    EXPECT_EQ(asModule->get_Handle(&x), E_UNEXPECTED);

    ComPtr<IFlex> flex;
    ASSERT_EQ(
        CoCreateInstance(CLSID_Flex, nullptr, CLSCTX_INPROC_SERVER, IFlex::iid, flex.put_void()),
        S_OK);
    EXPECT_EQ(flex->get_ValidUpdate(&flag), E_UNEXPECTED);
    ComPtr<IFlexModuleList> none;
    EXPECT_EQ(flex->get_OptionalModuleList(none.put()), S_OK);
    EXPECT_FALSE(none);
}

} // namespace
} // namespace cvk::testing
