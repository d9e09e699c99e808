#include "engine/TestRun.h"

void TestRun::Reset() {
    m_bStopWrite = 1;
    m_bStopVerify = 1;
    m_bWriteDone = 0;
    m_nWrittenMB = 0;
    m_nVerifiedMB = 0;
    m_bVerifyDone = 0;
    m_bWriteStarted = 0;
    m_nRunId = 0;
}
