// A save of a large workspace killed (SIGKILL) at random moments: the file on disk is always
// the old or the new workspace, whole, and the next save that completes leaves no temporary
// file beside it.
#include "bench/generated_board.h"
#include "tests/tools/cvk_run.h"
#include "tools/cvkgen/map_writer.h"

#include <chrono>
#include <csignal>
#include <random>
#include <thread>

namespace cvktest {
namespace {

constexpr int kKills = 20;

class CvkKillTest : public CvkTest {
protected:
    std::vector<std::string> SetArgs(const std::string& ws, const std::string& choice) const {
        return {CVK_PROGRAM, "set", ws, "CMOS_S0=" + choice};
    }
    void Set(const std::string& ws, const std::string& choice) {
        Result set = RunProgram(SetArgs(ws, choice), folder_, registry_);
        ASSERT_EQ(set.exitCode, 0) << set.err;
    }
    // Waits (up to `limit`) for the temporary file of the save of process `pid` to appear.
    bool SaveStarted(pid_t pid, std::chrono::steady_clock::duration limit) const {
        const std::string prefix = ".big.cvw." + std::to_string(pid) + ".";
        auto started = [&] {
            for (const std::string& name : Strays())
                if (name.rfind(prefix, 0) == 0)
                    return true;
            return false;
        };
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!started())
            if (std::chrono::steady_clock::now() > end)
                return false;
            else
                std::this_thread::sleep_for(std::chrono::microseconds(200));
        return true;
    }
    // The temporary files beside the workspace.
    std::vector<std::string> Strays() const {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder_)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind(".big.cvw.", 0) == 0)
                names.push_back(name);
        }
        return names;
    }
};

TEST_F(CvkKillTest, AKilledSaveLeavesTheOldOrTheNewWorkspaceWhole) {
    const auto map = cvkgen::WriteMapFile(bench::GeneratedBoard(20000, 100, 100));
    WriteFile(PathOf("big.cvk"),
              std::string_view(reinterpret_cast<const char*>(map.data()), map.size()));
    const std::string ws = PathOf("big.cvw");
    ASSERT_EQ(Cvk({"new", PathOf("big.cvk"), "--components", "cmos", "--out", ws}).exitCode, 0);

    // A save moves the file between two states: the first setting on one answer or the other.
    // A timed run gives the length of the whole run and of the save in it.
    const std::string choices[] = {"Enabled", "Auto"};
    Set(ws, choices[0]);
    const std::string first = ReadFile(ws);
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const pid_t timed = SpawnProgram(SetArgs(ws, choices[1]), folder_, registry_);
    ASSERT_TRUE(SaveStarted(timed, std::chrono::seconds(60)));
    const Clock::time_point saving = Clock::now();
    ASSERT_EQ(WaitForProgram(timed), 0);
    const Clock::duration run = Clock::now() - start, save = Clock::now() - saving;
    const std::string states[] = {first, ReadFile(ws)};
    Set(ws, choices[0]);
    ASSERT_EQ(ReadFile(ws), states[0]) << "the test needs saves that are reproducible";
    ASSERT_NE(states[0], states[1]);

    // Every other kill falls anywhere in the run, the others while the save is writing.
    std::mt19937 random(std::random_device{}());
    auto within = [&random](Clock::duration span) {
        return Clock::duration(std::uniform_int_distribution<Clock::rep>(0, span.count())(random));
    };
    int current = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const int next = 1 - current;
        const pid_t pid = SpawnProgram(SetArgs(ws, choices[next]), folder_, registry_);
        ASSERT_GT(pid, 0);
        if (kill % 2 == 0 || !SaveStarted(pid, 2 * run))
            std::this_thread::sleep_for(within(run));
        else
            std::this_thread::sleep_for(within(save));
        ::kill(pid, SIGKILL);
        WaitForProgram(pid);
        const std::string now = ReadFile(ws);
        ASSERT_TRUE(now == states[current] || now == states[next])
            << "kill " << kill << ": the file is neither the old nor the new workspace";
        current = now == states[next] ? next : current;
    }
    // One more kill as soon as a save has begun leaves its temporary file; the next save that
    // completes removes it.
    const pid_t pid = SpawnProgram(SetArgs(ws, choices[1 - current]), folder_, registry_);
    ASSERT_TRUE(SaveStarted(pid, 2 * run));
    ::kill(pid, SIGKILL);
    WaitForProgram(pid);
    ASSERT_EQ(ReadFile(ws), states[current]);
    ASSERT_FALSE(Strays().empty());
    Set(ws, choices[1 - current]);
    EXPECT_EQ(ReadFile(ws), states[1 - current]);
    EXPECT_EQ(Strays(), std::vector<std::string>{});
}

} // namespace
} // namespace cvktest
