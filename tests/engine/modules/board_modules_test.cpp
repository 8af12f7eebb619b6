// Modular flash images written by cvkgen: the modules section, multi-file chains and the demo
// board's images as the engine sees them.
#include "tests/engine/modules/flex_test_support.h"
#include "tools/cvkgen/flash_image.h"

#include <algorithm>

namespace cvk::testing {
namespace {

class BoardModules : public FlexTest {};

// The message cvkgen gives for the test board with `from` replaced by `to` in its modules.
std::string ErrorFor(const std::string& from, const std::string& to) {
    std::string json = TestBoardJson();
    const std::size_t at = json.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    json.replace(at, from.size(), to);
    try {
        cvkgen::ParseBoard(json);
    } catch (const cvkgen::BoardError& e) {
        return e.what();
    }
    return "accepted";
}

TEST_F(BoardModules, SectionIsCheckedWithThePlaceOfTheFault) {
    EXPECT_EQ(ErrorFor(R"("handle": 21,)", R"("handle": 20,)"),
              "modules/list[8](UNDI)/handle: handle 20 is used twice");
    EXPECT_EQ(ErrorFor(R"("depends": [21])", R"("depends": [23])"),
              "modules/list[7](PXE)/depends: handle 23 is not in the image");
    EXPECT_EQ(ErrorFor(R"("depends": [21])", R"("depends": [20])"),
              "modules/list[7](PXE)/depends: a module cannot depend on itself");
    EXPECT_NE(ErrorFor(R"("handle": 12,)", R"("handle": 13,)").find("badge modules take"),
              std::string::npos);
    EXPECT_EQ(ErrorFor(R"("name": "RAID")", R"("name": "RAID", "type": "logo")"),
              "modules/list[9](RAID)/type: an image has one logo module");
    EXPECT_EQ(ErrorFor(R"("name": "Setup", "required": true)",
                       R"("name": "Setup", "required": true, "default": false)"),
              "modules/list[1](Setup)/default: a required module is always in the default "
              "selection");
    EXPECT_EQ(ErrorFor(R"("size": 10000})", R"("sise": 10000})"),
              "modules/list[8](UNDI): unknown key \"sise\"");
    EXPECT_EQ(ErrorFor(R"("type": "language")", R"("type": "font")"),
              "modules/list[2](Asia)/type: \"font\" is none of normal, language, logo, badge");
    EXPECT_EQ(ErrorFor(R"("files": 1)", R"("files": 65)"), "modules/files: 65 is above 64");
    EXPECT_EQ(ErrorFor(R"("size": 40000)", R"("size": 4294967295)"),
              "modules/list[7](PXE)/size: 4294967295 is above 2147483647");
}

TEST_F(BoardModules, ImageCarriesTheDescribedCatalogue) {
    const cvkgen::Board board = TestBoard();
    ASSERT_TRUE(board.modules);
    const modweave::Image& image = board.modules->image;
    EXPECT_EQ(image.version, "T1.00 modular");
    EXPECT_EQ(image.flashPartSize, 1048576u);
    EXPECT_EQ(image.requiredContent.size(), 60000u);
    ASSERT_EQ(image.modules.size(), 10u);
    const modweave::Module& core = image.modules[0];
    EXPECT_TRUE(core.required && core.isDefault && core.selected);
    EXPECT_EQ(core.payload.size(), core.size);
    // Vendor images record the factory selection, which opening the image takes over.
    for (const modweave::Module& m : image.modules)
        EXPECT_EQ(m.selected, m.isDefault) << m.handle;
    EXPECT_EQ(image.logo.badgeX, 12u);
    EXPECT_EQ(image.logo.badgeY, 34u);
    // Payloads differ from module to module, so that a mix-up shows in the update file.
    EXPECT_NE(image.modules[7].payload.substr(0, 64), image.modules[8].payload.substr(0, 64));
}

TEST_F(BoardModules, MultiFileImageNeedsEveryFile) {
    const std::string map = WriteBoard("chain", TestBoard(3));
    for (const char* name : {"chain.bio", "chain_2.bio", "chain_3.bio"})
        EXPECT_TRUE(std::filesystem::exists(PathOf(name))) << name;
    Bstr path = Bstr::FromUtf8(map);
    VARIANT_BOOL isFlex = VARIANT_FALSE;
    EXPECT_EQ(server()->IsFlexBios(path.get(), &isFlex), S_OK);
    EXPECT_EQ(isFlex, VARIANT_TRUE);
    ComPtr<IWorkspace> workspace;
    ASSERT_EQ(server()->NewWorkspace(SUBSYS_FLEX, path.get(), workspace.put()), S_OK);
    ComPtr<IFlex> flex = FlexOf(workspace.get());
    EXPECT_EQ(NumSelected(flex.get()), 90000);
    ASSERT_EQ(server()->CloseWorkspace(workspace.get()), S_OK);

    // A missing part: not modular, and the answer says why; a workspace asked for the modules
    // is refused with that text.
    std::filesystem::remove(PathOf("chain_3.bio"));
    EXPECT_EQ(server()->IsFlexBios(path.get(), &isFlex), S_FALSE);
    EXPECT_EQ(isFlex, VARIANT_FALSE);
    const std::u16string why = u"chain_3.bio: continuation file cannot be read.";
    EXPECT_TRUE(TakeErrorDescription().ends_with(why));
    EXPECT_EQ(server()->NewWorkspace(SUBSYS_FLEX, path.get(), workspace.put()), E_ACCESSDENIED);
    EXPECT_TRUE(TakeErrorDescription().ends_with(why));
}

TEST_F(BoardModules, DemoBoardHasAModularAndAPlainVariant) {
    Bstr modular(Bstr::FromUtf8(CORVANE_DEMO_MAP));
    Bstr plain(Bstr::FromUtf8(CORVANE_DEMO_PLAIN_MAP));
    VARIANT_BOOL isFlex = VARIANT_FALSE;
    EXPECT_EQ(server()->IsFlexBios(plain.get(), &isFlex), S_OK);
    EXPECT_EQ(isFlex, VARIANT_FALSE);
    EXPECT_EQ(server()->IsFlexBios(modular.get(), &isFlex), S_OK);
    EXPECT_EQ(isFlex, VARIANT_TRUE);

    ComPtr<IWorkspace> workspace;
    ASSERT_EQ(server()->NewWorkspace(SUBSYS_AVAILABLE, modular.get(), workspace.put()), S_OK);
    ComPtr<IFlex> flex = FlexOf(workspace.get());
    ASSERT_TRUE(flex);
    std::vector<MODULE_TYPE> types;
    ComPtr<IFlexModuleList> list;
    ASSERT_EQ(flex->get_OptionalModuleList(list.put()), S_OK);
    ComPtr<IFlexModule> module;
    VARIANT_BOOL eol = VARIANT_FALSE;
    for (list->GetFirst(module.put()); list->get_EOL(&eol) == S_OK && !eol;
         list->GetNext(module.put())) {
        MODULE_TYPE type = CVK_MOD_TYPE_NORMAL;
        ASSERT_EQ(module->get_Type(&type), S_OK);
        types.push_back(type);
    }
    EXPECT_EQ(std::count(types.begin(), types.end(), CVK_MOD_TYPE_LANGUAGE), 2);
    EXPECT_EQ(std::count(types.begin(), types.end(), CVK_MOD_TYPE_LOGO), 1);
    EXPECT_EQ(std::count(types.begin(), types.end(), CVK_MOD_TYPE_BADGE), 3);
    // The factory selection is a valid update within the default flash part.
    EXPECT_TRUE(ValidUpdate(flex.get()));
    LONG space = 0;
    EXPECT_EQ(flex->get_CurrentOptionalModuleSpace(&space), S_OK);
    EXPECT_GT(space, 0);
}

} // namespace
} // namespace cvk::testing
