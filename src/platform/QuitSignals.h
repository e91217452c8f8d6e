#pragma once
// SIGTERM, SIGINT and SIGHUP (a shutdown, Ctrl-C, a closed terminal) hand the
// station to its own close instead of killing it. The handler only writes the
// signal's number into a socket pair; a notifier reads it on the thread that
// made this object, and the close runs there, from the event loop.
#include <QObject>
#include <array>
#include <csignal>
#include <functional>
#include <memory>

class QSocketNotifier;

class CQuitSignals : public QObject {
    Q_OBJECT
public:
    // onSignal runs once per signal that arrives, with its number. One
    // object at a time; its end gives the signals their former handling back.
    explicit CQuitSignals(std::function<void(int)> onSignal);
    ~CQuitSignals() override;
    CQuitSignals(const CQuitSignals&) = delete;
    CQuitSignals& operator=(const CQuitSignals&) = delete;

private:
    static constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};

    void OnReadable();

    std::array<int, 2> m_fds{-1, -1};  // [0] read by the notifier, [1] written by the handler
    std::unique_ptr<QSocketNotifier> m_pNotifier;  // only while this object has the signals
    std::function<void(int)> m_onSignal;
    std::array<struct sigaction, kSignals.size()> m_previous{};
};
