// The CMOS sections that WriteIni puts into an INI document: image, mask, lock/hide, extras.
#include "tests/engine/cmos/cmos_test_support.h"

#include "engine/output/ini_writer.h"

#include <gtest/gtest.h>

namespace cvk::testing {
namespace {

// The value of `key` in `section` of a document WriteIni filled ("<none>" when missing).
std::string Value(const Cmos& cmos, const char* section, const char* key) {
    IniWriter ini;
    EXPECT_EQ(cmos.WriteIni(ini), S_OK);
    std::string value;
    ini.GetString(section, key, value, "<none>");
    return value;
}

std::string Encoded(std::initializer_list<std::uint8_t> head, std::size_t size, std::uint8_t fill) {
    std::string text;
    std::size_t i = 0;
    for (std::uint8_t byte : head) {
        text += static_cast<char>('A' + (byte >> 4));
        text += static_cast<char>('A' + (byte & 15));
        ++i;
    }
    for (; i < size; ++i) {
        text += static_cast<char>('A' + (fill >> 4));
        text += static_cast<char>('A' + (fill & 15));
    }
    return text;
}

TEST(CmosIni, PlacesAValueInTheImageAndClearsItsMaskBits) {
    auto cmos = BuildCmos(BoardMap(OneMenuBoard(
        R"([{"setting": "Two bits", "choices": ["0", "1", "2", "3"], "default": "2",
             "cmos": {"byte": 1, "bit": 4, "bits": 2}}])")));
    const std::string image = Encoded({0x00, 0x20}, 256, 0x00);
    const std::string mask = Encoded({0xFF, 0xCF}, 256, 0xFF);
    for (int k = 0; k < 8; ++k) {
        const std::string key = "Image" + std::to_string(k + 1);
        EXPECT_EQ(Value(*cmos, "CMOS.ImageData", key.c_str()), image.substr(64 * k, 64));
        EXPECT_EQ(Value(*cmos, "CMOS.ImageMask", key.c_str()), mask.substr(64 * k, 64));
    }
    EXPECT_EQ(Value(*cmos, "CMOS.ImageData", "Image9"), "<none>");
    // 0x20 ^ 1 plus every other index: 32672, negated.
    EXPECT_EQ(Value(*cmos, "CMOS.ImageData", "CheckSum"), "32864");
}

TEST(CmosIni, AnEmptyLockHideTableOfSixteenAndSixteenIsOneHundredTwentyEightA) {
    auto cmos = BuildCmos(BoardMap(OneMenuBoard(R"([{"setting": "A", "choices": ["x", "y"]}])")));
    EXPECT_EQ(Value(*cmos, "CMOS.LockHide", "Image1"), std::string(64, 'A'));
    EXPECT_EQ(Value(*cmos, "CMOS.LockHide", "Image2"), std::string(64, 'A'));
    EXPECT_EQ(Value(*cmos, "CMOS.LockHide", "Image3"), "<none>");
    EXPECT_EQ(Value(*cmos, "CMOS.LockHide", "CheckSum"), "63520"); // 65536 - (0 + ... + 63)

    cmos->SetLimits(0, 0);
    EXPECT_EQ(Value(*cmos, "CMOS.LockHide", "Image1"), "<none>");
    EXPECT_EQ(Value(*cmos, "CMOS.LockHide", "CheckSum"), "0");
}

TEST(CmosIni, ChecksumOfTheUntouchedImageIsTheNegatedSumOfTheIndices) {
    auto cmos = BuildCmos(
        BoardMap(OneMenuBoard(R"([{"setting": "A", "choices": ["x", "y"], "cmos": "none"}])")));
    EXPECT_EQ(Value(*cmos, "CMOS.ImageData", "CheckSum"), std::to_string(65536 - 32640));
}

class CmosLockHide : public ::testing::Test {
protected:
    void Build(int maxLocked, int maxHidden) {
        cmos_ = BuildCmos(BoardMap(OneMenuBoard(
            R"([{"setting": "A", "choices": ["x", "y"], "token": "0x1234"},
                {"setting": "B", "choices": ["x", "y"], "token": "0x2345"},
                {"setting": "C", "choices": ["x", "y"], "token": "0x3456"}])",
            maxLocked, maxHidden)));
    }
    SettingNode& Setting(const char16_t* name) { return *FindSetting(*cmos_, {u"Main"}, name); }
    ComPtr<Cmos> cmos_;
};

TEST_F(CmosLockHide, LockedTokensFillTheFirstHalfAndHiddenTheSecond) {
    Build(2, 2);
    Setting(u"A").put_Hidden(VARIANT_TRUE);
    Setting(u"B").put_Locked(VARIANT_TRUE);
    Setting(u"C").put_Locked(VARIANT_TRUE);
    EXPECT_EQ(Value(*cmos_, "CMOS.LockHide", "Image1"),
              Encoded({0x45, 0x23, 0x56, 0x34, 0x34, 0x12, 0x00, 0x00}, 8, 0));
}

TEST_F(CmosLockHide, AFullHalfFailsTheRun) {
    Build(1, 1);
    Setting(u"A").put_Locked(VARIANT_TRUE);
    Setting(u"B").put_Locked(VARIANT_TRUE);
    HRESULT hr = S_OK;
    IniText(*cmos_, &hr);
    // The settings are in a sub-group: its walk ends there and the run goes on.
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(Value(*cmos_, "CMOS.LockHide", "Image1"), Encoded({0x34, 0x12, 0, 0}, 4, 0));
}

TEST_F(CmosLockHide, AnOddTableNeverTakesAnEntryPastItsEnd) {
    // Three entries: six bytes, halves of three bytes; one two-byte entry fits in each.
    Build(1, 2);
    Setting(u"A").put_Locked(VARIANT_TRUE);
    Setting(u"B").put_Hidden(VARIANT_TRUE);
    Setting(u"C").put_Hidden(VARIANT_TRUE); // would need bytes 5 and 6 of a 6-byte table
    EXPECT_EQ(Value(*cmos_, "CMOS.LockHide", "Image1"),
              Encoded({0x34, 0x12, 0x00, 0x45, 0x23, 0x00}, 6, 0));
}

TEST_F(CmosLockHide, MaximaAboveTheEncodingLimitFailBeforeAnyTable) {
    Build(64, 64);
    HRESULT hr = E_FAIL;
    IniText(*cmos_, &hr);
    EXPECT_EQ(hr, S_OK);
    cmos_->SetLimits(0x7FFFFFFF, 0x7FFFFFFF);
    IniText(*cmos_, &hr);
    EXPECT_EQ(hr, E_FAIL);
    cmos_->SetLimits(65, 64);
    IniText(*cmos_, &hr);
    EXPECT_EQ(hr, E_FAIL);
}

TEST(CmosIni, AnOffsetPastTheImageWritesNoBitsButKeepsItsLockEntry) {
    auto content = BoardMap(OneMenuBoard(
        R"([{"setting": "Far", "choices": ["x", "y"], "default": "y", "token": "0x77"}])"));
    for (auto& token : content.tokens.records)
        if (token.tokenId == 0x77) {
            token.bitOffset = 2048 + 4;
            token.bitMask = 0xFF;
        }
    auto cmos = BuildCmos(content);
    FindSetting(*cmos, {u"Main"}, u"Far")->put_Locked(VARIANT_TRUE);
    EXPECT_EQ(Value(*cmos, "CMOS.ImageData", "Image1"), std::string(64, 'A'));
    EXPECT_EQ(Value(*cmos, "CMOS.ImageMask", "Image8"), std::string(64, 'P'));
    EXPECT_EQ(Value(*cmos, "CMOS.LockHide", "Image1").substr(0, 4), "HHAA");
}

TEST(CmosIni, ASettingWithoutAnAnswerFailsOnlyWhereItStands) {
    const std::string odd = R"({"setting": "Odd", "choices": ["x", "y"], "default": 5})";
    auto inMenu = BuildCmos(BoardMap(OneMenuBoard("[" + odd + "]")));
    HRESULT hr = E_FAIL;
    IniText(*inMenu, &hr);
    EXPECT_EQ(hr, S_OK);
    auto inRoot = BuildCmos(BoardMap(R"({"setup": [)" + odd + "]}"));
    IniText(*inRoot, &hr);
    EXPECT_EQ(hr, E_FAIL);
}

TEST(CmosIni, LanguagePackAndBootOrder) {
    auto cmos = BuildCmos(BoardMap(R"({
        "languages": {"builtIn": {"name": "Std", "codes": ["us"]},
                      "packs": [{"name": "Asia Pack", "codes": ["jp"]}]},
        "setup": [{"menu": "Boot", "items": [
            {"setting": "Language", "keyword": "CMOS_LANGUAGE", "choices": ["E"]},
            {"setting": "1st", "keyword": "CMOS_1STBOOTDEV"},
            {"setting": "2nd", "keyword": "CMOS_2NDBOOTDEV"},
            {"setting": "3rd", "keyword": "CMOS_3RDBOOTDEV"}]}]})"));
    EXPECT_EQ(Value(*cmos, "CMOS.Values", "LanguageFile"), ""); // present, but empty
    std::u16string pack = u"?";
    EXPECT_EQ(cmos->LanguagePackName(&pack), S_OK);
    EXPECT_EQ(pack, u"");

    SettingNode* language = cmos->FindByKeyword(u"CMOS_LANGUAGE");
    language->put_CurrentChoice(&language->Choices().At(1));
    EXPECT_EQ(Value(*cmos, "CMOS.Values", "LanguageFile"), "Asia Pack");

    SettingNode* first = cmos->FindByKeyword(u"CMOS_1STBOOTDEV");
    SettingNode* second = cmos->FindByKeyword(u"CMOS_2NDBOOTDEV");
    first->put_CurrentChoice(&first->Choices().At(1));
    second->put_CurrentChoice(&second->Choices().At(0));
    EXPECT_EQ(Value(*cmos, "BootableDevices", "HardDrive"), "1");
    EXPECT_EQ(Value(*cmos, "BootableDevices", "RemovableDevices"), "2");
    EXPECT_EQ(Value(*cmos, "BootableDevices", "CD-ROM"), "3");

    // Two positions naming one device: the later one wins.
    second->put_CurrentChoice(&second->Choices().At(1));
    EXPECT_EQ(Value(*cmos, "BootableDevices", "HardDrive"), "2");
    EXPECT_EQ(Value(*cmos, "BootableDevices", "RemovableDevices"), "<none>");
    EXPECT_EQ(IniText(*cmos), IniText(*cmos));
}

TEST(CmosIni, OnlyTheBootPositionsThatExistAreWritten) {
    auto cmos = BuildCmos(BoardMap(OneMenuBoard(
        R"([{"setting": "1st", "keyword": "CMOS_1STBOOTDEV"},
            {"setting": "3rd", "keyword": "CMOS_3RDBOOTDEV"}])")));
    EXPECT_EQ(Value(*cmos, "BootableDevices", "RemovableDevices"), "1");
    EXPECT_EQ(Value(*cmos, "BootableDevices", "CD-ROM"), "3");
    EXPECT_EQ(Value(*cmos, "BootableDevices", "HardDrive"), "<none>");

    auto without =
        BuildCmos(BoardMap(OneMenuBoard(R"([{"setting": "2nd", "keyword": "CMOS_2NDBOOTDEV"}])")));
    EXPECT_EQ(IniText(*without).find("BootableDevices"), std::string::npos);
}

} // namespace
} // namespace cvk::testing
