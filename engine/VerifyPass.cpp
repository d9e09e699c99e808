#include "engine/VerifyPass.h"

#include <cstring>

#include "engine/TestFiles.h"
#include "framework/Thread.h"

unsigned VerifyThreadProc(PassHost* host) {
    TestRun& run = host->Run();
    while (run.m_bWriteDone == 0) SleepMilliseconds(1000);

    StampedBlock expected(run.m_nRunId, 0);
    Block buffer;
    for (std::uint32_t fileNumber = 0; run.m_bStopVerify == 0; ++fileNumber) {
        const std::string name = TestFileName(run.m_szDrive, fileNumber);
        CFile file(host->Medium());
        try {
            // Where the test files end, the pass ends; a missing file holds nothing correct.
            if (!file.Open(name, FileSystem::Disposition::openExisting)) {
                run.m_nVerifiedMB = MegabytesAt(fileNumber, 0);
                run.m_bStopVerify = 1;
                break;
            }
            expected.SetFileNumber(fileNumber);
            for (std::uint32_t blockIndex = 0; blockIndex < BLOCKS_PER_FILE; ++blockIndex) {
                // Zeroed first, so a short read never matches by what the last block left behind.
                buffer.fill(0);
                file.Read(buffer.data(), BYTES_PER_BLOCK);
                expected.SetBlockIndex(blockIndex);
                if (std::memcmp(buffer.data(), expected.Bytes().data(), BYTES_PER_BLOCK) != 0)
                    run.m_bStopVerify = 1;
                run.m_nVerifiedMB = MegabytesAt(fileNumber, blockIndex);
                if (run.m_bStopVerify != 0) break;
            }
            file.Close();
        } catch (...) {
            // A read failure or a pulled medium ends the pass; the file closes as it is released.
            run.m_bStopVerify = 1;
            break;
        }
    }

    run.m_bVerifyDone = 1;
    host->Medium().StartRemoveFiles(run.m_szDrive, TEST_FILE_SUFFIX);
    host->OnVerifyPassEnded();
    return 0;
}
