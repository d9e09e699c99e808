// Both passes on simulated media: honest cards, counterfeit and failing ones.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "engine/StatusText.h"
#include "engine/TestFiles.h"
#include "framework/SimulatedMedium.h"
#include "support/TestHost.h"

namespace {

constexpr std::uint64_t MiB = 1024 * 1024;
constexpr std::uint64_t GiB = 1024 * MiB;
constexpr char kRoot[] = "sim:/";

std::string Name(std::uint32_t fileNumber) {
    return TestFileName(kRoot, fileNumber);
}

SimulatedMediumConfig Card(std::uint64_t reported,
                           std::optional<std::uint64_t> real = std::nullopt) {
    SimulatedMediumConfig config;
    config.reportedBytes = reported;
    config.realBytes = real;
    return config;
}

// Sets the stop flag of a test run the moment a given test file is opened, as a user's press would
// land while that file's first block is being written.
class StopOnOpen final : public FileSystem {
  public:
    StopOnOpen(FileSystem& medium, std::string name) : m_medium(medium), m_name(std::move(name)) {}
    void Stops(TestRun& run) { m_run = &run; }
    std::unique_ptr<OpenFile> Open(const std::string& name, Disposition disposition) override {
        if (name == m_name) m_run->m_bStopWrite = 1;
        return m_medium.Open(name, disposition);
    }
    void StartRemoveFiles(const std::string& root, const std::string& suffix) override {
        m_medium.StartRemoveFiles(root, suffix);
    }
    void WaitForRemovals() override { m_medium.WaitForRemovals(); }

  private:
    FileSystem& m_medium;
    TestRun* m_run = nullptr;
    std::string m_name;
};

}  // namespace

TEST(Passes, HonestCardsGetTheSoundVerdictWithEqualCounters) {
    struct Case {
        const char* what;
        std::uint64_t capacity;
        std::vector<std::uint64_t> fileSizes;
        std::uint32_t megabytes;
    } cases[] = {
        {"already full", 0, {0}, 0},
        {"300 MiB free", 300 * MiB, {300 * MiB}, 300},
        {"a whole MiB and one block", MiB + 256, {MiB + 256}, 1},
        {"exactly one test file", GiB, {GiB, 0}, 1024},
        {"one block into the second file", GiB + 256, {GiB, 256}, 1024},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SimulatedMedium medium(kRoot, Card(c.capacity));
        TestHost host(medium, kRoot);
        host.Write();
        EXPECT_EQ(host.writePassEnds, 1);
        EXPECT_EQ(host.run.m_bStopWrite, 1u);
        EXPECT_EQ(host.run.m_nWrittenMB, c.megabytes);
        for (std::uint32_t n = 0; n < c.fileSizes.size(); ++n)
            EXPECT_EQ(medium.FileSize(Name(n)), c.fileSizes[n]);
        EXPECT_EQ(medium.FileSize(Name(c.fileSizes.size())), std::nullopt);

        EXPECT_TRUE(host.Verify());
        EXPECT_EQ(host.run.m_nVerifiedMB, c.megabytes);
        EXPECT_EQ(host.run.m_bVerifyDone, 1u);
    }
}

TEST(Passes, AStopDuringTheFirstBlockOfFile2LeavesTwoFullFilesAndOneBlock) {
    SimulatedMedium medium(kRoot, Card(8 * GiB));
    StopOnOpen stopping(medium, Name(2));
    TestHost stoppedHost(stopping, kRoot);
    stopping.Stops(stoppedHost.run);
    stoppedHost.Write();

    EXPECT_EQ(medium.FileSize(Name(0)), GiB);
    EXPECT_EQ(medium.FileSize(Name(1)), GiB);
    EXPECT_EQ(medium.FileSize(Name(2)), 256u);
    EXPECT_EQ(medium.FileSize(Name(3)), std::nullopt);
    EXPECT_EQ(stoppedHost.run.m_nWrittenMB, 2048u);
    EXPECT_TRUE(stoppedHost.Verify());
    EXPECT_EQ(stoppedHost.run.m_nVerifiedMB, 2048u);
}

TEST(Passes, CounterfeitAndDamagedCardsGetTheProblemVerdict) {
    auto discarding = [](std::uint8_t erased) {
        SimulatedMediumConfig config = Card(1536 * MiB, 512 * MiB);
        config.beyondRealSize = SimulatedMediumConfig::BeyondRealSize::discard;
        config.erasedValue = erased;
        return config;
    };
    auto withFault = [](auto change) {
        SimulatedMediumConfig config = Card(1536 * MiB);
        change(config);
        return config;
    };
    struct Case {
        const char* what;
        SimulatedMediumConfig config;
        std::uint32_t written, verified;
    } cases[] = {
        // The data past 512 MiB lands on the start of test0, holding the very same pattern.
        {"wraps its addresses", Card(1536 * MiB, 512 * MiB), 1536, 0},
        {"discards past its real size, reads zeros", discarding(0x00), 1536, 512},
        {"discards past its real size, reads 0xFF", discarding(0xFF), 1536, 512},
        // Sectors 32 MiB apart share one place; every block reads back as the pattern.
        {"a stuck address line", withFault([](auto& c) { c.stuckAddressBit = 17; }), 1536, 0},
        {"reads corrupted past 100 MiB",
         withFault([](auto& c) { c.corruptReadsFromPhysicalByte = 100 * MiB; }), 1536, 100},
        {"the first block of test1 damaged",
         withFault([](auto& c) { c.corruptReadsFromPhysicalByte = GiB; }), 1536, 1024},
        // A read failure keeps the counter of the block before it.
        {"read errors past 200 MiB",
         withFault([](auto& c) { c.readErrorsFromMediumByte = 200 * MiB; }), 1536, 199},
        {"write errors past 700 MiB",
         withFault([](auto& c) { c.writeErrorsFromMediumByte = 700 * MiB; }), 700, 700},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SimulatedMedium medium(kRoot, c.config);
        TestHost host(medium, kRoot);
        host.Write();
        EXPECT_EQ(host.run.m_nWrittenMB, c.written);
        const bool sound = host.Verify();
        EXPECT_EQ(host.run.m_nVerifiedMB, c.verified);
        EXPECT_EQ(sound, c.written == c.verified);
        EXPECT_TRUE(medium.FileNames().empty());
    }
}

TEST(Passes, ACardThatIgnoresWritesOverAnEarlierRunsFilesIsFound) {
    SimulatedMedium medium(kRoot, Card(300 * MiB));
    TestHost earlier(medium, kRoot);
    earlier.Write();  // the earlier run never verified, so its files are still there

    medium.SetIgnoreWrites(true);
    StopOnOpen stopping(medium, Name(1));
    TestHost stoppedNow(stopping, kRoot);
    stopping.Stops(stoppedNow.run);
    stoppedNow.Write();
    EXPECT_EQ(stoppedNow.run.m_nWrittenMB, 1024u);
    EXPECT_NE(stoppedNow.run.m_nRunId, earlier.run.m_nRunId);
    EXPECT_FALSE(stoppedNow.Verify());
    EXPECT_EQ(stoppedNow.run.m_nVerifiedMB, 0u);
}

TEST(Passes, ACardPulledOutEndsEachPassWithoutHanging) {
    SimulatedMediumConfig config = Card(GiB);
    config.pullOutAfterBytesWritten = 100 * MiB;
    SimulatedMedium medium(kRoot, config);
    TestHost host(medium, kRoot);
    host.Write();
    EXPECT_EQ(host.writePassEnds, 1);
    EXPECT_EQ(host.run.m_nWrittenMB, 100u);

    // Not put back: no test file opens, so nothing reads back correctly.
    EXPECT_FALSE(host.Verify());
    EXPECT_EQ(host.run.m_nVerifiedMB, 0u);

    medium.ReInsert();
    TestHost second(medium, kRoot);
    second.Write();
    SimulatedMedium* pulled = &medium;
    std::thread puller([&second, pulled] {
        while (second.run.m_nVerifiedMB < 50 && second.run.m_bVerifyDone == 0)
            std::this_thread::yield();
        pulled->PullOut();
    });
    EXPECT_FALSE(second.Verify());
    puller.join();
    EXPECT_GE(second.run.m_nVerifiedMB, 50u);
    EXPECT_LT(second.run.m_nVerifiedMB, second.run.m_nWrittenMB);
}

TEST(Passes, NoMediumWritesNothingAndTheWorkerEndsItself) {
    SimulatedMedium medium(kRoot, Card(GiB));
    medium.PullOut();
    TestHost host(medium, kRoot);
    host.Write();
    EXPECT_EQ(host.writePassEnds, 1);
    EXPECT_EQ(host.run.m_bWriteDone, 1u);
    EXPECT_EQ(host.run.m_nWrittenMB, 0u);
    EXPECT_TRUE(medium.FileNames().empty());
}

TEST(Passes, AnExistingTestFileIsTruncatedAndRewritten) {
    SimulatedMedium medium(kRoot, Card(64 * MiB));
    medium.AddFile(Name(0), std::vector<std::uint8_t>(10 * MiB, 0x5A));
    TestHost host(medium, kRoot);
    host.Write();
    EXPECT_EQ(medium.FileSize(Name(0)), 64 * MiB);
    EXPECT_TRUE(host.Verify());
    EXPECT_EQ(host.run.m_nVerifiedMB, 64u);
}

TEST(Passes, CleanUpRemovesEveryTestFileInTheRootAndNothingElse) {
    SimulatedMedium medium(kRoot, Card(64 * MiB));
    for (const char* name :
         {"sim:/OLD.VEXLORN", "sim:/photo.jpg", "sim:/sub/keep.vexlorn", "sim:/test9.Vexlorn"})
        medium.AddFile(name, {1, 2, 3});
    TestHost host(medium, kRoot);
    host.Write();
    host.Verify();
    EXPECT_EQ(medium.FileNames(),
              (std::vector<std::string>{"sim:/photo.jpg", "sim:/sub/keep.vexlorn"}));
}

TEST(Passes, VerifyStartedBeforeTheWriterFinishesWaitsForIt) {
    SimulatedMedium medium(kRoot, Card(GiB));
    TestHost host(medium, kRoot);
    std::thread writer([&host] { host.Write(); });
    while (host.run.m_nWrittenMB < 20) std::this_thread::yield();
    host.run.m_bStopWrite = 1;  // the user's stop; the verify button is pressed at once
    const bool sound = host.Verify();
    writer.join();
    EXPECT_TRUE(sound);
    EXPECT_GE(host.run.m_nVerifiedMB, 20u);
}
