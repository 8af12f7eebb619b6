// The module engine through the registered component: registration, opening images, the
// catalogue, selection rules, space, and the BIOS update file.
#include "tests/modweave/modweave_test_support.h"

#include "platform/storage/memory_stream.h"
#include "platform/text/codepage.h"

#include <sys/stat.h>

namespace modweave::test {
namespace {

using cvk::Bstr;
using cvk::ComPtr;

LONG Number(HRESULT (IModweaveEngine::*get)(LONG*), IModweaveEngine* engine) {
    LONG value = -99;
    EXPECT_EQ((engine->*get)(&value), S_OK);
    return value;
}

std::u16string Text(HRESULT (IModweaveEngine::*get)(BSTR*), IModweaveEngine* engine) {
    Bstr text;
    EXPECT_EQ((engine->*get)(text.put()), S_OK);
    return text.str();
}

LONG Count(IModweaveEngine* engine) {
    ComPtr<IModweaveModules> modules;
    EXPECT_EQ(engine->get_Modules(modules.put()), S_OK);
    LONG count = -1;
    EXPECT_EQ(modules->get_Count(&count), S_OK);
    return count;
}

TEST_F(EngineTest, RegistersItsClassAndIdentifiers) {
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(u"Modweave.Engine", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_ModweaveEngine);
    ASSERT_EQ(CLSIDFromProgID(u"Modweave.Engine.1", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_ModweaveEngine);
    std::string model;
    std::string key = "CLSID\\" + cvk::FormatGuid(CLSID_ModweaveEngine) + "\\InprocServer32";
    ASSERT_EQ(cvk::registry::GetValue(key, "ThreadingModel", &model), S_OK);
    EXPECT_EQ(model, "Apartment");

    auto engine = NewEngine();
    ASSERT_TRUE(engine);
    ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(engine.As(&support), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IModweaveEngine::iid), S_OK);
    EXPECT_EQ(Text(&IModweaveEngine::get_EngineVersion, engine.get()), u"Modweave 3.1.0");
    EXPECT_EQ(engine->Initialize(0), E_INVALIDARG);
    EXPECT_FALSE(TakeErrorDescription().empty());
}

TEST_F(EngineTest, FreshEngineHasNoImage) {
    auto engine = NewEngine();
    EXPECT_EQ(Number(&IModweaveEngine::get_FlashPartSize, engine.get()), 0);
    EXPECT_EQ(Number(&IModweaveEngine::get_RequiredSpace, engine.get()), 0);
    EXPECT_EQ(Count(engine.get()), 0);
    EXPECT_FALSE(Valid(engine.get()));
    VARIANT_BOOL changed = 7;
    EXPECT_EQ(engine->get_Changed(&changed), S_OK);
    EXPECT_EQ(changed, VARIANT_FALSE);
    EXPECT_EQ(engine->CreateUpdateFile(Bstr::FromUtf8(PathOf("u.bio")).get()), MODWEAVE_E_NOIMAGE);
    EXPECT_FALSE(std::filesystem::exists(PathOf("u.bio")));
}

TEST_F(EngineTest, OpensSingleAndMultiFileImagesWithTheirCatalogue) {
    for (std::size_t parts : {1u, 3u}) {
        std::string name = "board" + std::to_string(parts) + ".bio";
        WriteSample(name, parts);
        auto engine = NewEngine();
        ASSERT_EQ(Open(engine.get(), name), VARIANT_TRUE) << parts;
        EXPECT_EQ(Text(&IModweaveEngine::get_ImageVersion, engine.get()), u"P1.11 Caf\u00E9");
        EXPECT_EQ(Number(&IModweaveEngine::get_FlashPartSize, engine.get()), 65536);
        ASSERT_EQ(Count(engine.get()), 8);

        ComPtr<IModweaveModules> modules;
        ASSERT_EQ(engine->get_Modules(modules.put()), S_OK);
        ComPtr<IModweaveModule> language;
        ASSERT_EQ(modules->GetItem(1, language.put()), S_OK);
        LONG value = 0;
        VARIANT_BOOL flag = 0;
        Bstr text;
        EXPECT_EQ(language->get_Handle(&value), S_OK);
        EXPECT_EQ(value, 2);
        EXPECT_EQ(language->get_Type(&value), S_OK);
        EXPECT_EQ(value, MODWEAVE_TYPE_LANGUAGE);
        EXPECT_EQ(language->get_Size(&value), S_OK);
        EXPECT_EQ(value, 1000);
        EXPECT_EQ(language->get_UserUpdateable(&flag), S_OK);
        EXPECT_EQ(flag, VARIANT_TRUE);
        EXPECT_EQ(language->get_Required(&flag), S_OK);
        EXPECT_EQ(flag, VARIANT_FALSE);
        EXPECT_EQ(language->get_ShortDescription(text.put()), S_OK);
        EXPECT_EQ(text.str(), u"Language");
        EXPECT_EQ(language->get_LongDescription(text.put()), S_OK);
        EXPECT_EQ(text.str(), u"Long text of Language");
        EXPECT_EQ(language->get_DependencyCount(&value), S_OK);
        EXPECT_EQ(value, 1);
        EXPECT_EQ(language->GetDependency(0, &value), S_OK);
        EXPECT_EQ(value, 1);
        EXPECT_EQ(language->GetDependency(1, &value), E_INVALIDARG);
        ComPtr<IModweaveLogo> logo;
        EXPECT_EQ(language->get_Logo(logo.put()), E_NOINTERFACE);

        ComPtr<IModweaveModule> missing;
        EXPECT_EQ(modules->GetByHandle(99, missing.put()), E_INVALIDARG);
        EXPECT_FALSE(TakeErrorDescription().empty());
        EXPECT_EQ(modules->GetItem(8, missing.put()), E_INVALIDARG);
        EXPECT_EQ(modules->GetItem(-1, missing.put()), E_INVALIDARG);
    }
}

TEST_F(EngineTest, FilesThatAreNotIntactImagesAnswerNotLoadedAndKeepTheOpenImage) {
    WriteSample("good.bio");
    WriteFile(folder() / "text.bio", "just some text that is long enough to be a file");
    std::string broken = ReadFile(folder() / "good.bio");
    broken[broken.size() / 2] ^= 0x11;
    WriteFile(folder() / "broken.bio", broken);
    WriteSample("loop.bio", 2);
    std::string second = ReadFile(folder() / "loop_2.bio");
    second[kLastFileFlagOffset] = 0;
    std::copy_n("loop.bio", 9, second.begin() + kNextNameOffset);
    WriteFile(folder() / "loop_2.bio", second);

    auto engine = NewEngine();
    ASSERT_EQ(Open(engine.get(), "good.bio"), VARIANT_TRUE);
    // Files that are no modular image answer S_OK; damaged images S_FALSE and say why.
    const struct {
        const char* name;
        HRESULT status;
        const char* why;
    } cases[] = {
        {"text.bio", S_OK, ""},
        {"absent.bio", S_OK, ""},
        {"broken.bio", S_FALSE, "\" cannot be read: broken.bio: part checksum does not match."},
        {"loop.bio", S_FALSE, "\" cannot be read: loop_2.bio: chain returns to loop.bio."},
    };
    for (const auto& c : cases) {
        SetErrorInfo(0, nullptr);
        HRESULT status = E_FAIL;
        EXPECT_EQ(Open(engine.get(), c.name, &status), VARIANT_FALSE) << c.name;
        EXPECT_EQ(status, c.status) << c.name;
        const std::string why = cvk::text::Utf16ToUtf8(TakeErrorDescription());
        const std::string expected =
            *c.why ? "The flash image \"" + PathOf(c.name) + c.why : std::string();
        EXPECT_EQ(why, expected);
        EXPECT_EQ(Count(engine.get()), 8) << c.name;
    }
    VARIANT_BOOL loaded = 7;
    EXPECT_EQ(engine->OpenFlashImage(nullptr, &loaded), S_OK);
    EXPECT_EQ(loaded, VARIANT_FALSE);
    EXPECT_EQ(engine->OpenFlashImage(nullptr, nullptr), E_POINTER);
}

TEST_F(EngineTest, DefaultSelectionAndValidityRules) {
    WriteSample("board.bio");
    auto engine = NewEngine();
    ASSERT_EQ(Open(engine.get(), "board.bio"), VARIANT_TRUE);
    // The image records only the core as selected; the defaults add language, logo, badge 10.
    EXPECT_FALSE(Selected(engine.get(), 2));
    ASSERT_EQ(engine->SelectDefaults(), S_OK);
    for (LONG h : {1, 2, 3, 10})
        EXPECT_TRUE(Selected(engine.get(), h)) << h;
    for (LONG h : {4, 5, 11, 12})
        EXPECT_FALSE(Selected(engine.get(), h)) << h;
    EXPECT_TRUE(Valid(engine.get()));

    // Putting a selection records it without applying any rule.
    Select(engine.get(), 1, false);
    EXPECT_FALSE(Selected(engine.get(), 1));
    EXPECT_FALSE(Valid(engine.get())) << "required module left out";
    Select(engine.get(), 1, true);
    Select(engine.get(), 4, true);
    EXPECT_TRUE(Selected(engine.get(), 4));
    EXPECT_FALSE(Valid(engine.get())) << "network without its stack";
    Select(engine.get(), 5, true);
    EXPECT_TRUE(Valid(engine.get()));
}

TEST_F(EngineTest, SpaceCountsRequiredContentAndRequiredModules) {
    WriteSample("board.bio");
    auto engine = NewEngine();
    ASSERT_EQ(Open(engine.get(), "board.bio"), VARIANT_TRUE);
    ASSERT_EQ(engine->SelectDefaults(), S_OK);
    // 6000 bytes of required content and the 4000-byte core.
    EXPECT_EQ(Number(&IModweaveEngine::get_RequiredSpace, engine.get()), 10000);
    // Optional selection: language 1000 + logo 2000 + badge 100 = 3100; total 13100.
    ASSERT_EQ(engine->put_FlashPartSize(13100), S_OK);
    EXPECT_TRUE(Valid(engine.get()));
    ASSERT_EQ(engine->put_FlashPartSize(13099), S_OK);
    EXPECT_FALSE(Valid(engine.get()));
    ASSERT_EQ(engine->put_FlashPartSize(0), S_OK);
    EXPECT_EQ(Number(&IModweaveEngine::get_FlashPartSize, engine.get()), 0);
    EXPECT_FALSE(Valid(engine.get()));
    EXPECT_EQ(engine->put_FlashPartSize(-1), E_INVALIDARG);
}

TEST_F(EngineTest, ChangedFollowsEditsAndSaves) {
    WriteSample("board.bio");
    auto engine = NewEngine();
    ASSERT_EQ(Open(engine.get(), "board.bio"), VARIANT_TRUE);
    auto changed = [&] {
        VARIANT_BOOL value = 7;
        EXPECT_EQ(engine->get_Changed(&value), S_OK);
        return value == VARIANT_TRUE;
    };
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateMemoryStream(stream.put()), S_OK);
    ASSERT_EQ(engine->SaveState(stream.get(), VARIANT_TRUE), S_OK);
    EXPECT_FALSE(changed());
    Select(engine.get(), 4, true);
    EXPECT_TRUE(changed());
    ASSERT_EQ(engine->SaveState(stream.get(), VARIANT_FALSE), S_OK);
    EXPECT_TRUE(changed());
    ASSERT_EQ(engine->SaveState(stream.get(), VARIANT_TRUE), S_OK);
    ASSERT_EQ(engine->put_FlashPartSize(65536), S_OK);
    EXPECT_FALSE(changed()) << "putting the same size changes nothing";
    ASSERT_EQ(LogoOf(engine.get())->put_BadgeX(5), S_OK);
    EXPECT_TRUE(changed());
}

TEST_F(EngineTest, ModuleObjectsOfAReplacedImageAreStale) {
    WriteSample("board.bio");
    auto engine = NewEngine();
    ASSERT_EQ(Open(engine.get(), "board.bio"), VARIANT_TRUE);
    auto old = ByHandle(engine.get(), 4);
    ASSERT_EQ(Open(engine.get(), "board.bio"), VARIANT_TRUE);
    LONG handle = 0;
    EXPECT_EQ(old->get_Handle(&handle), E_UNEXPECTED);
    EXPECT_EQ(old->put_Selected(VARIANT_TRUE), E_UNEXPECTED);
    EXPECT_FALSE(TakeErrorDescription().empty());
}

TEST_F(EngineTest, UpdateFileHoldsTheSelectionAndLogoAndOpensAgain) {
    WriteSample("board.bio");
    WriteFile(folder() / "logo.jpg", JpegPicture(800, 600));
    auto engine = NewEngine();
    ASSERT_EQ(Open(engine.get(), "board.bio"), VARIANT_TRUE);
    ASSERT_EQ(engine->SelectDefaults(), S_OK);
    Select(engine.get(), 4, true);
    Select(engine.get(), 5, true);
    Select(engine.get(), 10, false);
    Select(engine.get(), 11, true);
    auto logo = LogoOf(engine.get());
    ASSERT_EQ(logo->SetImageFromFile(Bstr::FromUtf8(PathOf("logo.jpg")).get()), S_OK);
    ASSERT_EQ(logo->put_Resolution(1), S_OK);
    ASSERT_EQ(logo->put_BadgeX(600), S_OK);
    ASSERT_EQ(logo->put_BadgeY(400), S_OK);
    ASSERT_EQ(logo->put_DisplayBadge(VARIANT_TRUE), S_OK);
    ASSERT_EQ(engine->CreateUpdateFile(Bstr::FromUtf8(PathOf("update.bio")).get()), S_OK);

    // An independent read of the file: one file, the selected modules only, the logo bytes.
    Image written;
    ReadResult result = ReadImageFile(PathOf("update.bio"), &written);
    ASSERT_TRUE(result.ok()) << result.message;
    EXPECT_EQ(result.files.size(), 1u);
    std::vector<std::uint32_t> handles;
    for (const Module& m : written.modules)
        handles.push_back(m.handle);
    EXPECT_EQ(handles, (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 11}));
    EXPECT_EQ(written.requiredContent, SampleImage().requiredContent);
    EXPECT_EQ(written.modules[3].payload, SampleImage().modules[3].payload);
    EXPECT_EQ(written.logo.imageBytes, JpegPicture(800, 600));

    auto reopened = NewEngine();
    ASSERT_EQ(Open(reopened.get(), "update.bio"), VARIANT_TRUE);
    EXPECT_EQ(Count(reopened.get()), 6);
    for (LONG h : {1, 2, 3, 4, 5, 11})
        EXPECT_TRUE(Selected(reopened.get(), h)) << h;
    EXPECT_TRUE(Valid(reopened.get()));
    auto again = LogoOf(reopened.get());
    LONG value = 0;
    VARIANT_BOOL flag = 0;
    Bstr name;
    EXPECT_EQ(again->get_ImageName(name.put()), S_OK);
    EXPECT_EQ(name.utf8(), PathOf("logo.jpg"));
    EXPECT_EQ(again->get_BadgeX(&value), S_OK);
    EXPECT_EQ(value, 600);
    EXPECT_EQ(again->get_BadgeY(&value), S_OK);
    EXPECT_EQ(value, 400);
    EXPECT_EQ(again->get_Resolution(&value), S_OK);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(again->get_DisplayBadge(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_TRUE);
    EXPECT_EQ(ByHandle(reopened.get(), 3)->get_ContainsUserData(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_TRUE);
}

TEST_F(EngineTest, UpdateFileFailuresLeaveThePreviousFile) {
    WriteSample("board.bio");
    auto engine = NewEngine();
    ASSERT_EQ(Open(engine.get(), "board.bio"), VARIANT_TRUE);
    ASSERT_EQ(engine->SelectDefaults(), S_OK);

    EXPECT_EQ(engine->CreateUpdateFile(Bstr::FromUtf8(PathOf("no/such/update.bio")).get()),
              MODWEAVE_E_WRITEFILE);
    EXPECT_NE(TakeErrorDescription().find(u"cannot be written"), std::u16string::npos);

    WriteFile(folder() / "old.bio", "previous update");
    ::chmod(PathOf("old.bio").c_str(), 0444);
    EXPECT_EQ(engine->CreateUpdateFile(Bstr::FromUtf8(PathOf("old.bio")).get()),
              MODWEAVE_E_WRITEFILE);
    EXPECT_FALSE(TakeErrorDescription().empty());
    EXPECT_EQ(ReadFile(folder() / "old.bio"), "previous update");

    // An invalid selection is refused before anything is written.
    Select(engine.get(), 1, false);
    EXPECT_EQ(engine->CreateUpdateFile(Bstr::FromUtf8(PathOf("new.bio")).get()), E_ACCESSDENIED);
    EXPECT_FALSE(TakeErrorDescription().empty());
    EXPECT_FALSE(std::filesystem::exists(PathOf("new.bio")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder()), {}), 3)
        << "no temporary file left behind";
}

} // namespace
} // namespace modweave::test
