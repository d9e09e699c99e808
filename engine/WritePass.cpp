#include "engine/WritePass.h"

#include <chrono>
#include <random>

#include "engine/TestFiles.h"

namespace {

std::uint32_t NewRunId() {
    std::random_device device;
    auto clock =
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return device() ^ static_cast<std::uint32_t>(clock) ^ static_cast<std::uint32_t>(clock >> 32);
}

}  // namespace

unsigned WriteThreadProc(PassHost* host) {
    TestRun& run = host->Run();
    const std::uint32_t runId = NewRunId();
    run.m_nRunId = runId;
    StampedBlock block(runId, 0);

    for (std::uint32_t fileNumber = 0; run.m_bStopWrite == 0; ++fileNumber) {
        const std::string name = TestFileName(run.m_szDrive, fileNumber);
        CFile file(host->Medium());
        try {
            // A file that cannot be created ends the pass like a failed write: the medium is gone,
            // full or refused, and trying further numbers would only count phantom gigabytes.
            if (!file.Open(name, FileSystem::Disposition::createAlways)) {
                run.m_bStopWrite = 1;
                break;
            }
            block.SetFileNumber(fileNumber);
            for (std::uint32_t blockIndex = 0; blockIndex < BLOCKS_PER_FILE; ++blockIndex) {
                block.SetBlockIndex(blockIndex);
                file.Write(block.Bytes().data(), BYTES_PER_BLOCK);
                // Count the block just written, so a sound medium ends with equal counters.
                run.m_nWrittenMB = MegabytesAt(fileNumber, blockIndex + 1);
                if (run.m_bStopWrite != 0) break;
            }
            file.Close();
        } catch (...) {
            try {
                file.Close();
            } catch (...) {
                // The pass is ending on a failure already; a second one changes nothing.
            }
            run.m_bStopWrite = 1;
            break;
        }
    }

    run.m_bWriteDone = 1;
    host->OnWritePassEnded();
    return 0;
}
