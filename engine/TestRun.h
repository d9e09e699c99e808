// The state one card test shares between its owner (the dialog or the command line) and the two
// worker passes. Flags hold 0 or 1; counters are whole MiB. Each word has one writer at a time
// and is polled by the others, so every access is an indivisible load or store of memory.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

struct TestRun {
    // Root of the medium under test, exactly as the drive list shows it, separator included.
    // Written by the owner only before it starts the pass that reads it.
    std::string m_szDrive;

    std::atomic<std::uint32_t> m_nWrittenMB{0};
    std::atomic<std::uint32_t> m_bStopWrite{1};  // set also means: no write pass running
    std::atomic<std::uint32_t> m_bWriteDone{0};
    std::atomic<std::uint32_t> m_bStopVerify{1};  // set also means: no verify pass running
    std::atomic<std::uint32_t> m_bVerifyDone{0};
    std::atomic<std::uint32_t> m_nVerifiedMB{0};
    std::atomic<std::uint32_t> m_bWriteStarted{0};

    // Chosen at random when the write pass starts and stamped into every block it writes, so that
    // data left by an earlier run never reads back as this run's.
    std::atomic<std::uint32_t> m_nRunId{0};

    // The values a freshly initialised dialog starts from.
    void Reset();
};
