#pragma once

#include "engine/PassHost.h"

// Waits for the write pass to be done, then reads the test files back in order and stops at the
// first block that differs from the block written at that place, at a file that cannot be opened,
// or at a read failure, keeping m_nVerifiedMB at the whole MiB that read back correctly. Then sets
// m_bVerifyDone, starts removing every *.vexlorn file in the root and calls
// host->OnVerifyPassEnded(). Runs on a worker thread; returns 0.
unsigned VerifyThreadProc(PassHost* host);
