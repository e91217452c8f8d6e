#include "platform/WorkerThread.h"

namespace {
thread_local CWorkerThread* t_current = nullptr;
}

CWorkerThread::CWorkerThread(std::function<void()> proc)
{
    m_thread = std::thread([this, proc = std::move(proc)] {
        t_current = this;
        proc();
        std::lock_guard lock(m_mutex);
        m_finished = true;
        m_cond.notify_all();
    });
}

CWorkerThread::~CWorkerThread()
{
    Resume();
    Join();
}

void CWorkerThread::RequestPause()
{
    std::unique_lock lock(m_mutex);
    if (m_finished)
        return;
    m_pauseRequested = true;
    m_cond.wait(lock, [this] { return m_paused || m_finished; });
}

void CWorkerThread::Resume()
{
    std::lock_guard lock(m_mutex);
    m_pauseRequested = false;
    m_cond.notify_all();
}

void CWorkerThread::Join()
{
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

bool CWorkerThread::IsFinished() const
{
    std::lock_guard lock(m_mutex);
    return m_finished;
}

bool CWorkerThread::IsPaused() const
{
    std::lock_guard lock(m_mutex);
    return m_paused;
}

bool CWorkerThread::PausePoint()
{
    return t_current && t_current->Park();
}

bool CWorkerThread::Park()
{
    std::unique_lock lock(m_mutex);
    if (!m_pauseRequested)
        return false;
    m_paused = true;
    m_cond.notify_all();
    m_cond.wait(lock, [this] { return !m_pauseRequested; });
    m_paused = false;
    return true;
}
