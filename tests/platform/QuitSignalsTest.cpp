// The signals that end the station reach its close through the event loop:
// the handler itself runs nothing of the station (it could interrupt any
// code, a box's or the database's, halfway), and the former handling comes
// back when the object goes.
#include <QCoreApplication>
#include <QTest>
#include <atomic>
#include <csignal>
#include <vector>
#include <gtest/gtest.h>

#include "platform/QuitSignals.h"

namespace {
std::atomic<int> g_formerCalls{0};
extern "C" void FormerHandler(int) { ++g_formerCalls; }
} // namespace

TEST(QuitSignalsTest, EachSignalRunsTheCloseFromTheEventLoopOnce)
{
    std::vector<int> seen;
    CQuitSignals quit([&seen](int signal) { seen.push_back(signal); });
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        seen.clear();
        ASSERT_EQ(std::raise(signal), 0);
        // Raised on this thread, the handler has run: the close has not.
        EXPECT_TRUE(seen.empty());
        EXPECT_TRUE(QTest::qWaitFor([&] { return !seen.empty(); }, 10000));
        QCoreApplication::processEvents();
        EXPECT_EQ(seen, std::vector<int>{signal});
    }
    // Two before the loop runs again: two closes asked for, in order.
    seen.clear();
    std::raise(SIGHUP);
    std::raise(SIGTERM);
    EXPECT_TRUE(QTest::qWaitFor([&] { return seen.size() == 2; }, 10000));
    EXPECT_EQ(seen, (std::vector<int>{SIGHUP, SIGTERM}));
}

TEST(QuitSignalsTest, TheFormerHandlingComesBackAndASecondObjectTakesNothing)
{
    struct sigaction former {};
    former.sa_handler = FormerHandler;
    sigemptyset(&former.sa_mask);
    struct sigaction saved {};
    ASSERT_EQ(::sigaction(SIGHUP, &former, &saved), 0);
    g_formerCalls = 0;
    int firstCalls = 0;
    int secondCalls = 0;
    {
        CQuitSignals first([&firstCalls](int) { ++firstCalls; });
        {
            CQuitSignals second([&secondCalls](int) { ++secondCalls; });
        }
        // The second object's end left the first one's handling in place.
        std::raise(SIGHUP);
        EXPECT_TRUE(QTest::qWaitFor([&] { return firstCalls == 1; }, 10000));
        EXPECT_EQ(g_formerCalls, 0);
    }
    std::raise(SIGHUP);
    EXPECT_EQ(g_formerCalls, 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(firstCalls, 1);
    EXPECT_EQ(secondCalls, 0);
    ::sigaction(SIGHUP, &saved, nullptr);
}
