#pragma once

#include "engine/PassHost.h"

// Fills host->Run().m_szDrive with test files until a file cannot be created or written in full
// (the medium is full, or gone) or m_bStopWrite is set, keeping m_nWrittenMB current. Then sets
// m_bWriteDone and calls host->OnWritePassEnded(). Runs on a worker thread; returns 0.
unsigned WriteThreadProc(PassHost* host);
