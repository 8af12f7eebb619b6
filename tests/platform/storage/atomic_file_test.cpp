// The atomic file writer: replace in one step, keep the old file on failure, honour read-only.
#include "platform/storage/atomic_file.h"
#include "storage_test_support.h"

#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace cvk::storage::test {
namespace {

std::size_t EntriesIn(const std::filesystem::path& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

TEST(AtomicFile, WritesAndReplacesWithTheDefaultMode) {
    ScratchFolder folder;
    const std::string path = folder.File("out.ini");
    ASSERT_EQ(WriteFileAtomically(path, "first"), S_OK);
    ASSERT_EQ(WriteFileAtomically(path, "second, longer"), S_OK);
    EXPECT_EQ(ReadFileBytes(path), "second, longer");
    EXPECT_EQ(EntriesIn(folder.Path()), 1u);
    mode_t mask = umask(0);
    umask(mask);
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644 & ~mask);
}

TEST(AtomicFile, UncommittedWriterLeavesTheTargetAndNoTemporaryFile) {
    ScratchFolder folder;
    const std::string path = folder.File("report.txt");
    WriteFileBytes(path, "old report");
    {
        AtomicFileWriter writer;
        ASSERT_EQ(writer.Open(path), S_OK);
        ASSERT_EQ(writer.Write("new", 3), S_OK);
        EXPECT_EQ(EntriesIn(folder.Path()), 2u); // the temporary file lies beside the target
    }
    EXPECT_EQ(ReadFileBytes(path), "old report");
    EXPECT_EQ(EntriesIn(folder.Path()), 1u);

    AtomicFileWriter writer;
    ASSERT_EQ(writer.Open(path), S_OK);
    ASSERT_EQ(writer.WriteAt(10, "end", 3), S_OK);
    ASSERT_EQ(writer.WriteAt(0, "start", 5), S_OK);
    char back[13] = {};
    ASSERT_EQ(writer.ReadAt(0, back, sizeof back), S_OK);
    EXPECT_EQ(std::string(back, 13), std::string("start\0\0\0\0\0end", 13));
    ASSERT_EQ(writer.Commit(), S_OK);
    EXPECT_EQ(writer.Commit(), E_UNEXPECTED);
    EXPECT_EQ(ReadFileBytes(path), std::string("start\0\0\0\0\0end", 13));
}

// The id of a process that has ended.
pid_t EndedProcess() {
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

TEST(AtomicFile, ASaveRemovesTheTemporariesOfKilledSavesOfItsFile) {
    ScratchFolder folder;
    const std::string dead = std::to_string(EndedProcess());
    const std::string alive = std::to_string(getpid());
    const std::string stale = ".out.cvw." + dead + ".0.0.tmp";
    const std::vector<std::string> kept = {
        ".out.cvw." + alive + ".7.0.tmp",  // a writer of this process, still at work
        ".other.cvw." + dead + ".0.0.tmp", // another file's
        ".out.cvw." + dead + ".x.0.tmp",   // not a name the writer makes
        "out.cvw." + dead + ".0.0.tmp",
    };
    for (const std::string& name : kept)
        WriteFileBytes(folder.File(name), "x");
    WriteFileBytes(folder.File(stale), "half a save");
    ASSERT_EQ(WriteFileAtomically(folder.File("out.cvw"), "whole"), S_OK);
    EXPECT_FALSE(std::filesystem::exists(folder.File(stale)));
    for (const std::string& name : kept)
        EXPECT_TRUE(std::filesystem::exists(folder.File(name))) << name;
}

TEST(AtomicFile, ReadOnlyTargetsAndFoldersAreRefusedEvenForTheSuperuser) {
    ScratchFolder folder;
    const std::string path = folder.File("bios.bin");
    WriteFileBytes(path, "keep me");
    chmod(path.c_str(), 0444);
    EXPECT_EQ(WriteFileAtomically(path, "replaced"), STG_E_ACCESSDENIED);
    EXPECT_EQ(ReadFileBytes(path), "keep me");

    const std::string locked = folder.File("locked");
    std::filesystem::create_directory(locked);
    chmod(locked.c_str(), 0555);
    EXPECT_EQ(WriteFileAtomically(locked + "/new.ini", "x"), STG_E_ACCESSDENIED);
    EXPECT_EQ(EntriesIn(locked), 0u);

    EXPECT_EQ(WriteFileAtomically(folder.File("missing/new.ini"), "x"), STG_E_PATHNOTFOUND);
    EXPECT_EQ(WriteFileAtomically(folder.Path().string(), "x"), STG_E_ACCESSDENIED);
    EXPECT_EQ(WriteFileAtomically(path + "/below", "x"), STG_E_PATHNOTFOUND);
}

TEST(AtomicFile, ErrnoBecomesTheStorageStatus) {
    EXPECT_EQ(StatusFromErrno(ENOENT), STG_E_PATHNOTFOUND);
    EXPECT_EQ(StatusFromErrno(EROFS), STG_E_ACCESSDENIED);
    EXPECT_EQ(StatusFromErrno(EPERM), STG_E_ACCESSDENIED);
    EXPECT_EQ(StatusFromErrno(ENOSPC), STG_E_MEDIUMFULL);
    EXPECT_EQ(StatusFromErrno(EIO), STG_E_WRITEFAULT);
}

} // namespace
} // namespace cvk::storage::test
