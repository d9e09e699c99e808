// A medium as the main dialog's workers use it, watched by the test: what they opened and which
// roots they cleaned, which worker threads are still running, and a hold that keeps one transfer
// waiting until the test lets it go, as a stalled card keeps a worker waiting. Every member may be
// called from any thread.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "framework/File.h"

class WatchedMedium final : public FileSystem {
  public:
    struct Opening {
        std::string name;
        Disposition disposition;
    };

    explicit WatchedMedium(FileSystem& medium)
        : m_medium(medium), m_state(std::make_shared<State>()) {}
    // Lets a held transfer go and waits for the workers to end: none may outlive the medium.
    ~WatchedMedium() override {
        Release();
        EXPECT_TRUE(WaitForWorkersToEnd()) << "a worker was still running at the end of the test";
    }
    WatchedMedium(const WatchedMedium&) = delete;
    WatchedMedium& operator=(const WatchedMedium&) = delete;

    // The first write that would take the bytes written in all past `bytes` waits at the hold.
    void HoldWritesAfter(std::uint64_t bytes) {
        std::lock_guard lock(m_state->mutex);
        m_state->holdWritesAfter = bytes;
    }
    // The first read asked for once `bytes` have been read in all waits at the hold.
    void HoldReadsAfter(std::uint64_t bytes) {
        std::lock_guard lock(m_state->mutex);
        m_state->holdReadsAfter = bytes;
    }
    // Whether a worker waits at the hold now.
    bool Holding() const {
        std::lock_guard lock(m_state->mutex);
        return m_state->holding;
    }
    // Lets the waiting transfer go on, and drops a hold that has not been reached yet.
    void Release() {
        std::lock_guard lock(m_state->mutex);
        m_state->holdWritesAfter.reset();
        m_state->holdReadsAfter.reset();
        if (m_state->holding) m_state->released = true;
        m_state->changed.notify_all();
    }

    // Waits until every worker thread that has used this medium has ended.
    bool WaitForWorkersToEnd(std::chrono::milliseconds limit = std::chrono::seconds(20)) const {
        std::unique_lock lock(m_state->mutex);
        return m_state->changed.wait_for(lock, limit,
                                         [&] { return m_state->workersEnded == m_state->workers; });
    }
    // Worker threads that have used this medium so far, and how many of them have ended.
    int Workers() const {
        std::lock_guard lock(m_state->mutex);
        return m_state->workers;
    }
    int WorkersEnded() const {
        std::lock_guard lock(m_state->mutex);
        return m_state->workersEnded;
    }

    std::vector<Opening> Openings() const {
        std::lock_guard lock(m_state->mutex);
        return m_state->openings;
    }
    std::vector<std::string> Opened(Disposition disposition) const {
        std::vector<std::string> names;
        for (const Opening& opening : Openings()) {
            if (opening.disposition == disposition) names.push_back(opening.name);
        }
        return names;
    }
    std::vector<std::string> RemovalRoots() const {
        std::lock_guard lock(m_state->mutex);
        return m_state->removalRoots;
    }

    std::unique_ptr<OpenFile> Open(const std::string& name, Disposition disposition) override {
        NoteWorker(m_state);
        {
            std::lock_guard lock(m_state->mutex);
            m_state->openings.push_back({name, disposition});
        }
        std::unique_ptr<OpenFile> file = m_medium.Open(name, disposition);
        if (!file) return nullptr;
        return std::make_unique<WatchedFile>(m_state, std::move(file));
    }
    void StartRemoveFiles(const std::string& root, const std::string& suffix) override {
        NoteWorker(m_state);
        {
            std::lock_guard lock(m_state->mutex);
            m_state->removalRoots.push_back(root);
        }
        m_medium.StartRemoveFiles(root, suffix);
    }
    void WaitForRemovals() override { m_medium.WaitForRemovals(); }

  private:
    struct State {
        mutable std::mutex mutex;
        std::condition_variable changed;
        std::optional<std::uint64_t> holdWritesAfter;
        std::optional<std::uint64_t> holdReadsAfter;
        bool holding = false;
        bool released = false;
        std::uint64_t bytesWritten = 0;
        std::uint64_t bytesRead = 0;
        int workers = 0;
        int workersEnded = 0;
        std::vector<Opening> openings;
        std::vector<std::string> removalRoots;

        // Called with the lock held; waits (bounded, so that a broken test ends) until released.
        void Hold(std::unique_lock<std::mutex>& lock) {
            holding = true;
            changed.notify_all();
            if (!changed.wait_for(lock, std::chrono::seconds(60), [&] { return released; })) {
                ADD_FAILURE() << "a held transfer was never released";
            }
            holding = false;
            released = false;
            changed.notify_all();
        }
    };

    // Tells each watched medium a thread has used when that thread ends, after everything it ran
    // (the worker's captured state included) has been released.
    struct ThreadEndNotices {
        std::vector<std::shared_ptr<State>> states;
        ~ThreadEndNotices() {
            for (const std::shared_ptr<State>& state : states) {
                std::lock_guard lock(state->mutex);
                ++state->workersEnded;
                state->changed.notify_all();
            }
        }
    };
    static inline thread_local ThreadEndNotices t_notices;

    static void NoteWorker(const std::shared_ptr<State>& state) {
        if (std::find(t_notices.states.begin(), t_notices.states.end(), state) !=
            t_notices.states.end()) {
            return;
        }
        t_notices.states.push_back(state);
        std::lock_guard lock(state->mutex);
        ++state->workers;
    }

    // Open files share the state, so that they may outlive the watched medium.
    class WatchedFile final : public OpenFile {
      public:
        WatchedFile(std::shared_ptr<State> state, std::unique_ptr<OpenFile> file)
            : m_state(std::move(state)), m_file(std::move(file)) {}

        std::uint32_t Read(void* buffer, std::uint32_t count) override {
            {
                std::unique_lock lock(m_state->mutex);
                if (m_state->holdReadsAfter && m_state->bytesRead >= *m_state->holdReadsAfter) {
                    m_state->holdReadsAfter.reset();
                    m_state->Hold(lock);
                }
            }
            const std::uint32_t got = m_file->Read(buffer, count);
            std::lock_guard lock(m_state->mutex);
            m_state->bytesRead += got;
            return got;
        }
        void Write(const void* buffer, std::uint32_t count) override {
            {
                std::unique_lock lock(m_state->mutex);
                if (m_state->holdWritesAfter &&
                    m_state->bytesWritten + count > *m_state->holdWritesAfter) {
                    m_state->holdWritesAfter.reset();
                    m_state->Hold(lock);
                }
            }
            m_file->Write(buffer, count);
            std::lock_guard lock(m_state->mutex);
            m_state->bytesWritten += count;
        }
        void Close() override { m_file->Close(); }

      private:
        std::shared_ptr<State> m_state;
        std::unique_ptr<OpenFile> m_file;
    };

    FileSystem& m_medium;
    std::shared_ptr<State> m_state;
};
