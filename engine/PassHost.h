// What a worker pass needs from the one who starts it: the shared state, the medium to work on,
// and where to announce the end of the write pass. The engine knows nothing of windows; the dialog
// and the command line each implement this.
#pragma once

#include "engine/TestRun.h"
#include "framework/File.h"

class PassHost {
  public:
    virtual TestRun& Run() = 0;
    virtual FileSystem& Medium() = 0;
    // Called on the write worker as its very last act, after m_bWriteDone is set. The dialog turns
    // it into a message to its own thread, where it enables and disables its buttons.
    virtual void OnWritePassEnded() = 0;
    // Called on the verify worker as its very last act, after the clean-up has been started; the
    // pass touches neither the host nor the medium afterwards.
    virtual void OnVerifyPassEnded() = 0;

  protected:
    ~PassHost() = default;
};
