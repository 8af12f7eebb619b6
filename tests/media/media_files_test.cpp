// The media set's file handling on its own: base names, free-space texts, the continuation
// chain of a BIOS file, and copies that fail without leaving a partial file.
#include "media/base_name.h"
#include "media/bios_chain.h"
#include "media/copy_file.h"
#include "media/free_space.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace cvk::media {
namespace {

namespace fs = std::filesystem;

class MediaFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> serial{0};
        folder_ = fs::temp_directory_path() /
                  ("cvk-media-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override {
        if (mounted_)
            ::umount2(mounted_->c_str(), MNT_DETACH);
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }

    std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(folder_ / name, std::ios::binary) << bytes;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    // A BIOS flash file whose header carries `flag` at 89 and `next` at 96.
    void WriteChainFile(const std::string& name, unsigned char flag, const std::string& next) {
        std::string bytes(400, '\x11');
        bytes[kLastFileFlagOffset] = char(flag);
        std::fill_n(bytes.begin() + kNextNameOffset, kNextNameSize, '\0');
        bytes.replace(kNextNameOffset, next.size(), next);
        Write(name, bytes);
    }
    std::vector<std::string> Entries(const std::string& folder) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // A tmpfs of `kilobytes` (read-only when asked) as `name`; false where mounting is not
    // allowed.
    bool MountTmpfs(const std::string& name, int kilobytes, bool readOnly) {
        const std::string target = PathOf(name);
        fs::create_directory(target);
        const std::string options = "size=" + std::to_string(kilobytes) + "k";
        if (::mount("tmpfs", target.c_str(), "tmpfs", readOnly ? MS_RDONLY : 0, options.c_str()) !=
            0)
            return false;
        mounted_ = target;
        return true;
    }

    fs::path folder_;
    std::optional<std::string> mounted_;
};

TEST(BaseNameTest, DosFileNamesOnly) {
    for (const char* good : {"cvtool", "CVK", "A", "12345678", "a_b-c~d", "$x!{}"})
        EXPECT_TRUE(IsDosBaseName(good)) << good;
    for (const char* bad : {"", "123456789", "a b", "a.b", "a/b", "a\\b", "..", "a:b", "a\tb",
                            "a*b", "\xC3\xA9t\xC3\xA9"})
        EXPECT_FALSE(IsDosBaseName(bad)) << bad;
}

TEST(FreeSpaceTest, TextsByAmount) {
    const std::uint64_t mb = 1048576;
    struct Case {
        std::optional<DiskSpace> space;
        const char* text;
    } cases[] = {
        {DiskSpace{mb / 2, std::uint64_t(1.44 * mb)}, "0.50MB Available / 1.44MB Total"},
        {DiskSpace{0, 0}, "Drive not available"},
        {DiskSpace{0, 1457664}, "0.00MB Available / 1.39MB Total"},
        {DiskSpace{mb, 2 * mb}, "1 MB Available/2 MB Total"},
        {DiskSpace{5 * mb + mb / 2, 100 * mb + 7}, "5 MB Available/100 MB Total"},
        {std::nullopt, "Could not determine available disk space"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FreeSpaceText(c.space), c.text);
}

TEST_F(MediaFilesTest, FreeSpaceAsksTheQueryAboutTheFolder) {
    std::string asked;
    auto query = [&](const std::string& folder) -> std::optional<DiskSpace> {
        asked = folder;
        return DiskSpace{524288, 1509949};
    };
    EXPECT_EQ(FreeSpaceText("/media/floppy", query), "0.50MB Available / 1.44MB Total");
    EXPECT_EQ(asked, "/media/floppy");
    EXPECT_EQ(FreeSpaceText(PathOf("missing")), "Could not determine available disk space");
    EXPECT_NE(FreeSpaceText(folder_.string()).find("Available"), std::string::npos);
    if (MountTmpfs("floppy", 1440, false)) {
        Write("floppy/data", std::string(1440 * 1024 - 512 * 1024, 'x'));
        EXPECT_EQ(FreeSpaceText(PathOf("floppy")), "0.50MB Available / 1.41MB Total");
    }
}

TEST_F(MediaFilesTest, ChainEndsAtFlagNameCheckAndDirectoryParts) {
    struct Case {
        const char* second; // what BIOS_2.BIO's header names next
        std::vector<std::string> names;
    } cases[] = {
        {"BIOS_3.BIO", {"BIOS_2.BIO", "BIOS_3.BIO"}},
        {"OTHER.BIO", {"BIOS_2.BIO"}},     // no base name: the chain ends
        {"../BIOS_3.BIO", {"BIOS_2.BIO"}}, // a directory part ends it like a bad name
        {"sub/BIOS_3.BIO", {"BIOS_2.BIO"}},
        {"/tmp/BIOS_3.BIO", {"BIOS_2.BIO"}},
        {"..", {"BIOS_2.BIO"}},
        {"bios.bio", {"BIOS_2.BIO"}}, // back to the first file: no loop
        {"", {"BIOS_2.BIO", ""}},     // an empty name: the image is invalid
        {"bios_missing.bio", {"BIOS_2.BIO", "bios_missing.bio"}},
    };
    fs::create_directory(folder_ / "sub");
    WriteChainFile("sub/BIOS_3.BIO", 0xFF, "");
    WriteChainFile("BIOS_3.BIO", 0xFF, "");
    for (const Case& c : cases) {
        WriteChainFile("bios.bio", 0x00, "BIOS_2.BIO");
        WriteChainFile("BIOS_2.BIO", 0x00, c.second);
        EXPECT_EQ(ReadContinuationNames(PathOf("bios.bio")), c.names) << c.second;
    }
    WriteChainFile("bios.bio", 0xFF, "BIOS_2.BIO");
    EXPECT_TRUE(ReadContinuationNames(PathOf("bios.bio")).empty()) << "flag 0xFF";
    Write("bios.bio", std::string(90, '\0')); // no room for a name
    EXPECT_TRUE(ReadContinuationNames(PathOf("bios.bio")).empty());
    std::string unterminated(kNextNameOffset + kNextNameSize, 'B');
    unterminated[kLastFileFlagOffset] = 0;
    Write("bios.bio", unterminated);
    EXPECT_TRUE(ReadContinuationNames(PathOf("bios.bio")).empty());
}

TEST_F(MediaFilesTest, ChainOfManyFilesStopsAtTheBound) {
    for (int i = 0; i < 100; ++i)
        WriteChainFile(i ? "bios" + std::to_string(i) + ".bio" : "bios.bio", 0,
                       "bios" + std::to_string(i + 1) + ".bio");
    EXPECT_EQ(ReadContinuationNames(PathOf("bios.bio")).size(), kMaxChainFiles - 1);
}

TEST_F(MediaFilesTest, CopyKeepsBytesAndModeAndJoinsWithTheSeparator) {
    Write("tool.exe", std::string("MZ\0\1tool", 8));
    fs::permissions(PathOf("tool.exe"), fs::perms(0755));
    fs::create_directory(folder_ / "out");
    for (const std::string& folder : {PathOf("out"), PathOf("out") + "/"}) {
        const std::string target = JoinFolder(folder, "tool.exe");
        EXPECT_EQ(target, PathOf("out/tool.exe"));
        EXPECT_FALSE(CopyFileAtomically(PathOf("tool.exe"), target, true));
        EXPECT_EQ(Read(target), std::string("MZ\0\1tool", 8));
        EXPECT_EQ(fs::status(target).permissions(), fs::perms(0755));
    }
    const CopyError refused = CopyFileAtomically(PathOf("tool.exe"), PathOf("out/tool.exe"), false);
    EXPECT_EQ(refused.code, EEXIST);
    EXPECT_EQ(Entries(PathOf("out")), std::vector<std::string>{"tool.exe"});
}

TEST_F(MediaFilesTest, FailedCopyLeavesNoPartialFileAndTheEarlierOneIntact) {
    Write("big.bio", std::string(3 << 20, 'b'));
    fs::create_directory(folder_ / "out");
    Write("out/big.bio", "earlier");
    int calls = 0;
    auto fullAfterOneChunk = [&](int in, int out, std::size_t count) -> ssize_t {
        if (++calls > 1) {
            errno = ENOSPC;
            return -1;
        }
        return SystemCopyChunk(in, out, count);
    };
    const CopyError error =
        CopyFileAtomically(PathOf("big.bio"), PathOf("out/big.bio"), true, fullAfterOneChunk);
    EXPECT_EQ(error.code, ENOSPC);
    EXPECT_EQ(CopyFailureMessage(error, "A:/x", "B:/y"), "Disk full.\nFailed to copy A:/x to B:/y");
    EXPECT_EQ(Entries(PathOf("out")), std::vector<std::string>{"big.bio"});
    EXPECT_EQ(Read(PathOf("out/big.bio")), "earlier");
}

TEST_F(MediaFilesTest, FullTmpfsGivesTheDiskFullMessage) {
    if (!MountTmpfs("floppy", 64, false))
        GTEST_SKIP() << "mounting a tmpfs is not allowed here";
    Write("big.bio", std::string(256 << 10, 'b'));
    const std::string target = JoinFolder(PathOf("floppy"), "big.bio");
    const CopyError error = CopyFileAtomically(PathOf("big.bio"), target, false);
    EXPECT_EQ(CopyFailureMessage(error, PathOf("big.bio"), target),
              "Disk full.\nFailed to copy " + PathOf("big.bio") + " to " + target);
    EXPECT_TRUE(Entries(PathOf("floppy")).empty());
}

TEST_F(MediaFilesTest, ReadOnlyFolderGivesTheWriteProtectedMessage) {
    Write("tool.exe", "tool");
    std::string folder = PathOf("locked");
    if (::geteuid() != 0) {
        fs::create_directory(folder);
        fs::permissions(folder, fs::perms(0555));
    } else if (!MountTmpfs("locked", 64, true)) {
        GTEST_SKIP() << "no way to make a folder read-only for this user";
    }
    const std::string target = JoinFolder(folder, "tool.exe");
    const CopyError error = CopyFileAtomically(PathOf("tool.exe"), target, false);
    EXPECT_EQ(CopyFailureMessage(error, "s", "t"),
              "The media is write protected.\nFailed to copy s to t");
    EXPECT_TRUE(Entries(folder).empty());
    std::error_code ec;
    fs::permissions(folder, fs::perms(0755), ec);
}

TEST(CopyFailureTest, MessagesByErrorCode) {
    struct Case {
        CopyError error;
        const char* first;
    } cases[] = {
        {{ENOSPC}, "Disk full."},
        {{ENOENT}, "The system cannot find the drive specified."},
        {{EROFS}, "The media is write protected."},
        {{ENODEV}, "The system cannot find the device specified."},
        {{EBUSY},
         "The process cannot access the file because it is being used by another process."},
        {{ETXTBSY},
         "The process cannot access the file because it is being used by another process."},
        {{EIO}, "Unknown error occurred."},
        {{ENOENT, true}, "Unknown error occurred."}, // a missing source is not a missing drive
    };
    for (const Case& c : cases)
        EXPECT_EQ(CopyFailureMessage(c.error, "s", "t"),
                  std::string(c.first) + "\nFailed to copy s to t");
}

} // namespace
} // namespace cvk::media
