// The part of a card test that the workers share with the main dialog. It is held by the dialog
// and by every worker it starts, so it lives as long as the last of them: a worker that is still
// writing when the dialog closes keeps using it, never the dialog.
#pragma once

#include <atomic>

#include "engine/PassHost.h"
#include "framework/Wnd.h"

// Posted to the dialog when the write worker has ended.
inline constexpr unsigned WM_WRITE_PASS_ENDED = wm::app + 1;

class CardTestSession final : public PassHost, private FileSystem {
  public:
    explicit CardTestSession(FileSystem& medium) : m_medium(medium) {}

    TestRun& Run() override { return m_run; }
    // The medium, through a gate that starts no clean-up once the dialog has closed.
    FileSystem& Medium() override { return *this; }
    void OnWritePassEnded() override { m_dialog.Post(WM_WRITE_PASS_ENDED); }
    void OnVerifyPassEnded() override {}

    // Where the end of the write pass is announced: the dialog's thread.
    void AnnounceTo(MessagePoster dialog) { m_dialog = std::move(dialog); }
    // The dialog is gone: the files written so far stay on the medium.
    void Close() { m_closed = true; }

  private:
    std::unique_ptr<OpenFile> Open(const std::string& name, Disposition disposition) override {
        return m_medium.Open(name, disposition);
    }
    void StartRemoveFiles(const std::string& root, const std::string& suffix) override {
        if (!m_closed) m_medium.StartRemoveFiles(root, suffix);
    }
    void WaitForRemovals() override { m_medium.WaitForRemovals(); }

    TestRun m_run;
    FileSystem& m_medium;
    MessagePoster m_dialog;
    std::atomic<bool> m_closed{false};
};
