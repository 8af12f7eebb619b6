// Whole media runs against the real engine: what lands in the destination, which questions and
// messages the user gets, and what a failed or refused run leaves behind.
#include "media/media_writer.h"
#include "modweave/image_format.h"
#include "tests/engine/core/engine_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

namespace cvk::media {
namespace {

namespace fs = std::filesystem;
using cvk::testing::EngineTest;

constexpr LONG kInstallAll = SUBSYS_CMOS | SUBSYS_ENVCTL | SUBSYS_SMBIOS;

class MediaWriterTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        fs::create_directories(PathOf("tools"));
        fs::create_directories(PathOf("media"));
        WriteFile("tools/cvtool.exe", "cvtool");
        WriteFile("tools/romwrite.exe", "romwrite");
        choices_.destination = PathOf("media");
        choices_.subsystemMask = kInstallAll;
        choices_.batchFile = true;
        choices_.copyCvtool = true;
        choices_.cvtoolFolder = PathOf("tools");
        choices_.copyRomwrite = true;
        choices_.romwriteFolder = PathOf("tools");
        callbacks_.tell = [this](const Notice& notice) { notices_.push_back(notice.id); };
        callbacks_.confirmOverwrite = [this](const std::string& target) {
            asked_.push_back(fs::path(target).filename().string());
            return overwrite_;
        };
    }

    std::vector<std::string> Media() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(PathOf("media")))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    MediaRun Write(IWorkspace* workspace) { return WriteMedia(workspace, choices_, callbacks_); }

    MediaChoices choices_;
    MediaCallbacks callbacks_;
    std::vector<int> notices_;
    std::vector<std::string> asked_;
    bool overwrite_ = false;
};

TEST_F(MediaWriterTest, PlainBiosCopiesRomwriteLanguagePackAndTheBiosChain) {
    ComPtr<IWorkspace> workspace = NewWorkspace(kInstallAll, WriteMap("board.cvk"));
    WriteFile("tools/romwrite2.exe", "romwrite2"); // only for a modular BIOS
    WriteFile("asia.lng", "lng");
    WriteFile("asia.sln", "sln");
    std::string first(400, '\0'), second(400, '\0');
    first.replace(96, 10, "BOARD2.BIO");
    second[89] = '\xFF';
    WriteFile("board.bio", first);
    WriteFile("board.sig", "sig");
    WriteFile("BOARD2.BIO", second);
    choices_.copyLangPack = true;
    choices_.langPackPath = PathOf("asia.lng");
    choices_.copyBios = true;
    choices_.biosPath = PathOf("board.bio");
    EXPECT_EQ(Write(workspace.get()), MediaRun::kSucceeded);
    EXPECT_EQ(notices_, std::vector<int>{168});
    EXPECT_EQ(Media(), (std::vector<std::string>{
                           "BOARD2.BIO", "asia.lng", "asia.sln", "autoexec.bat", "board.bio",
                           "board.sig", "cvk.bat", "cvtool.exe", "cvtool.ini", "romwrite.exe"}));
    EXPECT_EQ(ReadFile(PathOf("media/BOARD2.BIO")), second);
    EXPECT_NE(ReadFile(PathOf("media/cvk.bat")).find("board.bio"), std::string::npos);
}

TEST_F(MediaWriterTest, ModularBiosCopiesRomwrite2AndNoLanguagePack) {
    WriteMap("flex.cvk");
    modweave::Image image;
    image.version = "P1.11";
    image.requiredContent = std::string(3000, 'r');
    std::string why;
    ASSERT_EQ(modweave::WriteImageFiles(image, PathOf(""), {"flex.bio", "flex_2.bio"}, &why), S_OK)
        << why;
    ComPtr<IWorkspace> workspace = NewWorkspace(kInstallAll | SUBSYS_FLEX, PathOf("flex.cvk"));
    WriteFile("flex.sig", "sig");
    WriteFile("asia.lng", "lng");
    WriteFile("tools/romwrite2.exe", "romwrite2");
    choices_.copyLangPack = true; // a modular BIOS has none: ignored
    choices_.langPackPath = PathOf("asia.lng");
    choices_.copyBios = true;
    choices_.biosPath = PathOf("flex.bio");
    EXPECT_EQ(Write(workspace.get()), MediaRun::kSucceeded);
    EXPECT_EQ(Media(),
              (std::vector<std::string>{"autoexec.bat", "cvk.bat", "cvtool.exe", "cvtool.ini",
                                        "flex.bio", "flex.sig", "flex_2.bio", "romwrite2.exe"}));
    EXPECT_EQ(ReadFile(PathOf("media/flex_2.bio")), ReadFile(PathOf("flex_2.bio")));

    // Without romwrite2.exe the plain utility goes instead.
    fs::remove(PathOf("tools/romwrite2.exe"));
    fs::remove_all(PathOf("media"));
    fs::create_directory(PathOf("media"));
    EXPECT_EQ(Write(workspace.get()), MediaRun::kSucceeded);
    EXPECT_TRUE(fs::exists(PathOf("media/romwrite.exe")));
    EXPECT_FALSE(fs::exists(PathOf("media/romwrite2.exe")));
}

TEST_F(MediaWriterTest, LastFileFlagCopiesTheFileAndItsSignatureOnly) {
    ComPtr<IWorkspace> workspace = NewWorkspace(kInstallAll, WriteMap("board.cvk"));
    std::string bios(400, '\0');
    bios[89] = '\xFF';
    bios.replace(96, 11, "BOARD_2.BIO"); // a name after the flag counts for nothing
    WriteFile("board.bio", bios);
    WriteFile("board.sig", "sig");
    WriteFile("BOARD_2.BIO", "not part of this image");
    choices_ = MediaChoices{PathOf("media"), "cvtool", kInstallAll};
    choices_.copyBios = true;
    choices_.biosPath = PathOf("board.bio");
    EXPECT_EQ(Write(workspace.get()), MediaRun::kSucceeded);
    EXPECT_EQ(Media(), (std::vector<std::string>{"board.bio", "board.sig", "cvtool.ini"}));
}

TEST_F(MediaWriterTest, FullDiskShowsTheMessageAndLeavesNoPartialFile) {
    ComPtr<IWorkspace> workspace = NewWorkspace(kInstallAll, WriteMap("board.cvk"));
    std::vector<std::string> texts;
    callbacks_.tell = [&](const Notice& notice) { texts.push_back(notice.text); };
    callbacks_.copyChunk = [](int, int, std::size_t) -> ssize_t {
        errno = ENOSPC;
        return -1;
    };
    choices_.copyRomwrite = false;
    EXPECT_EQ(Write(workspace.get()), MediaRun::kFailed);
    EXPECT_EQ(texts,
              (std::vector<std::string>{"Disk full.\nFailed to copy " + PathOf("tools/cvtool.exe") +
                                            " to " + PathOf("media/cvtool.exe"),
                                        kRunFailed}));
    // The INI and batch files are the engine's; no copy left anything behind.
    EXPECT_EQ(Media(), (std::vector<std::string>{"autoexec.bat", "cvk.bat", "cvtool.ini"}));
}

TEST_F(MediaWriterTest, OnlyCopiedFilesAskBeforeOverwriting) {
    ComPtr<IWorkspace> workspace = NewWorkspace(kInstallAll, WriteMap("board.cvk"));
    WriteFile("media/cvk.bat", "old batch\r\n");
    WriteFile("media/cvtool.ini", "old ini\r\n");
    WriteFile("media/cvtool.exe", "old tool");
    WriteFile("media/romwrite.exe", "old flash");
    EXPECT_EQ(Write(workspace.get()), MediaRun::kSucceeded);
    EXPECT_EQ(asked_, (std::vector<std::string>{"cvtool.exe", "romwrite.exe"}));
    EXPECT_EQ(ReadFile(PathOf("media/cvtool.exe")), "old tool"); // No is the default answer
    EXPECT_NE(ReadFile(PathOf("media/cvk.bat")), "old batch\r\n");
    EXPECT_NE(ReadFile(PathOf("media/cvtool.ini")), "old ini\r\n");
    overwrite_ = true;
    EXPECT_EQ(Write(workspace.get()), MediaRun::kSucceeded);
    EXPECT_EQ(ReadFile(PathOf("media/cvtool.exe")), "cvtool");
}

TEST_F(MediaWriterTest, FailuresAreReportedAndTheRunEndsFailed) {
    ComPtr<IWorkspace> workspace = NewWorkspace(kInstallAll, WriteMap("board.cvk"));
    std::string first(400, '\0');
    first.replace(96, 11, "BOARD_2.BIO"); // a continuation that is not there
    WriteFile("board.bio", first);
    choices_.copyBios = true;
    choices_.biosPath = PathOf("board.bio"); // and no board.sig
    EXPECT_EQ(Write(workspace.get()), MediaRun::kFailed);
    EXPECT_EQ(notices_, (std::vector<int>{0, 132, 133, 200}));
    EXPECT_TRUE(fs::exists(PathOf("media/board.bio")));

    // A run that cannot find the DOS tool's folder asks for one; a cancel ends it.
    notices_.clear();
    choices_.cvtoolFolder = PathOf("nowhere");
    std::vector<std::string> prompts;
    callbacks_.pickFolder = [&](const std::string& prompt) -> std::optional<std::string> {
        prompts.push_back(prompt);
        if (prompts.size() == 1)
            return PathOf("media/..");
        return std::nullopt;
    };
    EXPECT_EQ(Write(workspace.get()), MediaRun::kCancelled);
    EXPECT_EQ(prompts, std::vector<std::string>(2, kCvtoolFolderPrompt));
    EXPECT_EQ(notices_, std::vector<int>{0}); // "Cvtool.exe not found in the specified directory"
}

TEST_F(MediaWriterTest, AMissingMediumIsAskedForAndRetryRunsAgain) {
    ComPtr<IWorkspace> workspace = NewWorkspace(kInstallAll, WriteMap("board.cvk"));
    fs::remove(PathOf("media"));
    int asked = 0;
    callbacks_.retryMedium = [&] {
        if (++asked == 2)
            return false;                      // Cancel
        fs::create_directory(PathOf("media")); // the medium is back
        return true;
    };
    EXPECT_EQ(Write(workspace.get()), MediaRun::kSucceeded);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(notices_, std::vector<int>{168});
    fs::remove_all(PathOf("media"));
    callbacks_.retryMedium = [&] { return ++asked == 1; };
    EXPECT_EQ(Write(workspace.get()), MediaRun::kCancelled);
    EXPECT_EQ(asked, 2);
}

TEST_F(MediaWriterTest, RefusedBaseNameOrMissingFolderWritesNothing) {
    ComPtr<IWorkspace> workspace = NewWorkspace(kInstallAll, WriteMap("board.cvk"));
    for (const char* name : {"", "toolong12", "a b", "../x"}) {
        choices_.baseName = name;
        EXPECT_EQ(Write(workspace.get()), MediaRun::kFailed) << name;
    }
    EXPECT_TRUE(Media().empty());
    choices_.baseName = "cvtool";
    choices_.copyCvtool = false;
    choices_.destination = PathOf("gone");
    notices_.clear();
    EXPECT_EQ(Write(workspace.get()), MediaRun::kFailed);
    EXPECT_EQ(notices_, std::vector<int>{205});
    EXPECT_EQ(WriteMedia(nullptr, choices_, callbacks_), MediaRun::kFailed);
    EXPECT_EQ(notices_.back(), 183);
}

} // namespace
} // namespace cvk::media
