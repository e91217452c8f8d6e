#include "platform/QuitSignals.h"

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>

#include <sys/socket.h>
#include <unistd.h>

namespace {

// The handler's only state: where to write. Set before the handlers go in.
std::atomic<int> g_wakeFd{-1};

extern "C" void WakeOnSignal(int signal)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    // A full socket already holds a wake-up: nothing is lost by dropping this one.
    [[maybe_unused]] const ssize_t written = ::write(g_wakeFd.load(std::memory_order_relaxed), &byte, 1);
    errno = saved;
}

} // namespace

CQuitSignals::CQuitSignals(std::function<void(int)> onSignal)
    : m_onSignal(std::move(onSignal))
{
    if (g_wakeFd.load() >= 0)
        return;  // another object has them
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, m_fds.data()) != 0) {
        m_fds = {-1, -1};
        return;
    }
    m_pNotifier = std::make_unique<QSocketNotifier>(m_fds[0], QSocketNotifier::Read);
    connect(m_pNotifier.get(), &QSocketNotifier::activated, this, &CQuitSignals::OnReadable);
    g_wakeFd.store(m_fds[1]);
    struct sigaction action {};
    action.sa_handler = WakeOnSignal;
    sigemptyset(&action.sa_mask);
    // Calls the signal interrupts go on; the loop learns of it from the socket.
    action.sa_flags = SA_RESTART;
    for (std::size_t k = 0; k < kSignals.size(); ++k)
        ::sigaction(kSignals[k], &action, &m_previous[k]);
}

CQuitSignals::~CQuitSignals()
{
    if (m_pNotifier) {
        for (std::size_t k = 0; k < kSignals.size(); ++k)
            ::sigaction(kSignals[k], &m_previous[k], nullptr);
        g_wakeFd.store(-1);
    }
    m_pNotifier.reset();
    for (int fd : m_fds)
        if (fd >= 0)
            ::close(fd);
}

void CQuitSignals::OnReadable()
{
    unsigned char bytes[16];
    ssize_t n;
    while ((n = ::read(m_fds[0], bytes, sizeof bytes)) > 0)
        for (ssize_t k = 0; k < n && m_onSignal; ++k)
            m_onSignal(bytes[k]);
}
