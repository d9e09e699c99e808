// A pass host for tests: runs the passes on the calling thread, the way the dialog starts them.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "engine/PassHost.h"
#include "engine/VerifyPass.h"
#include "engine/WritePass.h"

class TestHost : public PassHost {
  public:
    TestHost(FileSystem& medium, std::string root) : m_medium(medium), m_root(std::move(root)) {}

    TestRun& Run() override { return run; }
    FileSystem& Medium() override { return m_medium; }
    void OnWritePassEnded() override { writePassEnds += 1; }
    void OnVerifyPassEnded() override { verifyPassEnds += 1; }

    void Write() {
        run.m_szDrive = m_root;
        run.m_nWrittenMB = 0;
        run.m_bStopWrite = 0;
        WriteThreadProc(this);
    }

    // Verifies, waits for the clean-up, and tells whether the verdict is the sound one.
    bool Verify() {
        run.m_szDrive = m_root;
        run.m_bStopVerify = 0;
        VerifyThreadProc(this);
        EXPECT_EQ(verifyPassEnds, 1);
        m_medium.WaitForRemovals();
        return run.m_nWrittenMB == run.m_nVerifiedMB;
    }

    TestRun run;
    std::atomic<int> writePassEnds{0};
    std::atomic<int> verifyPassEnds{0};

  private:
    FileSystem& m_medium;
    std::string m_root;
};
