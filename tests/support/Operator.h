#pragma once
#include <QDeadlineTimer>
#include <QTimer>
#include <deque>
#include <functional>
#include <utility>
#include <gtest/gtest.h>

namespace station_test {

// Plays the operator: each step runs inside the window's own modal loop once
// the state it waits for holds. A state that does not come within a generous
// bound fails the test, and the step runs anyway so that the window closes.
class Operator {
public:
    void When(std::function<bool()> ready, std::function<void()> step) { m_steps.push_back({std::move(ready), std::move(step)}); }
    void Start() { Poll(QDeadlineTimer(kBoundMs)); }
    bool Finished() const { return m_steps.empty(); }

private:
    static constexpr int kBoundMs = 30000;
    void Poll(QDeadlineTimer deadline)
    {
        if (m_steps.empty())
            return;
        QTimer::singleShot(10, [this, deadline] {
            const bool ready = m_steps.front().first();
            if (!ready && !deadline.hasExpired())
                return Poll(deadline);
            ++m_nStep;
            EXPECT_TRUE(ready) << "the state of step " << m_nStep << " did not come within " << kBoundMs << " ms";
            auto step = std::move(m_steps.front().second);
            m_steps.pop_front();
            step();  // may run a nested modal loop of its own
            Poll(QDeadlineTimer(kBoundMs));
        });
    }
    std::deque<std::pair<std::function<bool()>, std::function<void()>>> m_steps;
    int m_nStep = 0;
};

} // namespace station_test
