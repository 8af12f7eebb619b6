// The INI document: the loader's line kinds, key placement, saving, and the read operations.
#include "engine/output/ini_writer.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace cvk {
namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::temp_directory_path() /
                  ("cvk-ini-" + std::to_string(::getpid()) + "-" + info->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::string Path(const std::string& name) const { return (folder_ / name).string(); }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    std::filesystem::path folder_;
    IniWriter ini_;
};

TEST_F(IniFileTest, OpenStartsWithTheHeaderWhateverTheFileHeld) {
    Write(Path("a.ini"), "[Hand]\r\nWritten=1\r\n");
    ASSERT_EQ(ini_.Open(Path("a.ini")), kIniDone);
    const std::string text = ini_.Text();
    EXPECT_EQ(text.substr(0, 22), ";\r\n; cvtool INI file\r\n");
    EXPECT_EQ(text.find("Hand"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 7), "\r\n;\r\n\r\n");
    // Nothing is written until Save.
    EXPECT_EQ(Read(Path("a.ini")), "[Hand]\r\nWritten=1\r\n");
    ASSERT_EQ(ini_.Save(""), kIniDone);
    EXPECT_EQ(Read(Path("a.ini")), text);
}

TEST_F(IniFileTest, OpenChecksThePath) {
    EXPECT_EQ(ini_.Open(Path("")), kIniNoFileName);
    EXPECT_EQ(ini_.Open(Path("missing/a.ini")), kIniNoFolder);
    Write(Path("ro.ini"), "x");
    ::chmod(Path("ro.ini").c_str(), 0444);
    EXPECT_EQ(ini_.Open(Path("ro.ini")), kIniCannotOpen);
    EXPECT_EQ(ini_.Save(Path("ro.ini")), kIniCannotWrite);
    EXPECT_EQ(Read(Path("ro.ini")), "x");
}

TEST_F(IniFileTest, TheLoaderKeepsCommentsAndCommentsOutStrayLines) {
    ini_.LoadText("; note\r\nstray words\r\n[Open\r\n\r\n[One]\r\n  key = value \r\n"
                  "=no key\r\n[Two]\r\nA=1\r\n");
    EXPECT_EQ(ini_.Text(), "; note\r\n;stray words\r\n;[Open\r\n\r\n[One]\r\nkey = value\r\n"
                           "=no key\r\n[Two]\r\nA=1\r\n");
    std::string value;
    EXPECT_EQ(ini_.GetString("one", "KEY ", value), kIniDone);
    EXPECT_EQ(value, "value");
}

TEST_F(IniFileTest, NewKeysGoBeforeTheNextSectionAndOldKeysAreReplaced) {
    ini_.LoadText("[One]\r\nA=1\r\n; about One\r\n\r\n[Two]\r\nB=2\r\n");
    ASSERT_EQ(ini_.SetString(" ONE ", "C", "3"), kIniDone);
    ASSERT_EQ(ini_.SetString("two", "b", "two"), kIniDone);
    ASSERT_EQ(ini_.SetInt("Three", "D", -4), kIniDone);
    EXPECT_EQ(ini_.Text(), "[One]\r\nA=1\r\n; about One\r\n\r\nC=3\r\n[Two]\r\nB=two\r\n"
                           "[Three]\r\nD=-4\r\n");
}

TEST_F(IniFileTest, LongTextsAreKeptWhole) {
    const std::string value(600, 'v');
    ini_.SetString("S", std::string(300, 'k'), value);
    ini_.LoadText(ini_.Text());
    std::string read;
    EXPECT_EQ(ini_.GetString("S", std::string(300, 'K'), read), kIniDone);
    EXPECT_EQ(read, value);
}

TEST_F(IniFileTest, ReadOperationsReportWhatTheyFound) {
    ini_.LoadText("[S]\r\nQuoted= \"a b\" \r\nEmpty=\r\nPrompt=$prompt$,Enter\r\n"
                  "Like=xPROMPT$\r\nZero=0\r\nNum=42\r\nWord=abc\r\n");
    std::string value;
    EXPECT_EQ(ini_.GetString("Nope", "Quoted", value, "dflt"), kIniSectionNotFound);
    EXPECT_EQ(value, "dflt");
    EXPECT_EQ(ini_.GetString("S", "Nope", value, "d"), kIniKeyNotFound);
    EXPECT_EQ(ini_.GetString("S", "Quoted", value), kIniDone);
    EXPECT_EQ(value, "a b");
    EXPECT_EQ(ini_.GetString("S", "Empty", value), kIniEmpty);
    EXPECT_EQ(ini_.GetPromptString("S", "Prompt", value), kIniPrompt);
    EXPECT_EQ(ini_.GetPromptString("S", "Like", value), kIniPromptLike);
    std::int32_t number = -1;
    EXPECT_EQ(ini_.GetInt("S", "Zero", number), kIniDone);
    EXPECT_EQ(number, 0);
    EXPECT_EQ(ini_.GetInt("S", "Num", number), kIniDone);
    EXPECT_EQ(number, 42);
    EXPECT_EQ(ini_.GetInt("S", "Word", number), kIniPrompt);
}

TEST(IniChecksum, NegatesTheIndexedSum) {
    EXPECT_EQ(IniChecksum("A"), 65471);
    EXPECT_EQ(IniChecksum(""), 0);
    EXPECT_EQ(IniChecksum(std::string(256, '\0')), 65536 - 32640);
    EXPECT_EQ(IniChecksum(std::string("\x01", 1)), 65535);
}

} // namespace
} // namespace cvk
