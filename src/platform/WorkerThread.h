#pragma once
// A worker thread with a cooperative pause. There is no safe way to suspend a
// thread from outside (it may hold the port between a write and its read), so
// the worker parks itself at a pause point when asked, and the asking thread
// waits until it has parked.
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class CWorkerThread {
public:
    explicit CWorkerThread(std::function<void()> proc);
    ~CWorkerThread();  // joins
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Asks the worker to park at its next pause point and waits until it has,
    // or until it has ended.
    void RequestPause();
    // Lets a parked (or about to park) worker go on.
    void Resume();
    void Join();
    bool IsFinished() const;
    bool IsPaused() const;

    // Called by a worker at a safe boundary; parks while a pause is asked for.
    // True when it did park. Does nothing on a thread not started by CWorkerThread.
    static bool PausePoint();

private:
    bool Park();

    mutable std::mutex m_mutex;
    std::condition_variable m_cond;
    bool m_pauseRequested = false;
    bool m_paused = false;
    bool m_finished = false;
    std::thread m_thread;
};
