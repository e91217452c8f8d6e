// The page's handlers of the height runs' messages, the starters' refusals,
// the flush of queued worker messages, and the page's layout.
#include <QMouseEvent>

#include "ConfigPageFixture.h"

using namespace config_test;

namespace {

class ReadMessagesTest : public ConfigPageTest {
protected:
    // The box's position after a progress message of the height run of a
    // context (the page's own unless given).
    int PercentAfter(int wParam, LPARAM context = 0)
    {
        SendMessage(page->m_pWaitDlg, WM_SET_PERCENT, 0, 77);
        SendMessage(page, WM_READ_PROGRESS, WPARAM(wParam), context ? context : reinterpret_cast<LPARAM>(&comm));
        QCoreApplication::processEvents();  // the handler posts to the box
        return page->m_pWaitDlg->GetPos();
    }
};

} // namespace

TEST_F(ReadMessagesTest, HeightRunProgressNeverDividesByZero)
{
    // One lift: its current floor over its top floor.
    comm.m_pLiftInf = &Lift(3);
    Lift(3).nCurFloor = 3;
    Lift(3).nMaxFloor = 12;
    EXPECT_EQ(PercentAfter(2), 25);
    Lift(3).nMaxFloor = 0;
    EXPECT_EQ(PercentAfter(2), 0);
    EXPECT_EQ(PercentAfter(4), 0);

    // All lifts: floors of the standing or descending online lifts over the
    // top floors of all online lifts.
    comm.m_pLiftInf = store.m_pLiftInf;
    EXPECT_EQ(PercentAfter(3), 0);  // nothing installed and online
    for (auto [n, top, floor, run, offline] : {std::tuple{1, 10, 5, 0, 0}, {2, 12, 6, 2, 0}, {9, 30, 0, 0, 1}}) {
        Lift(n).nKind = 1;
        Lift(n).nMaxFloor = top;
        Lift(n).nCurFloor = floor;
        Lift(n).nRunState = run;
        Lift(n).bOffline = offline;
    }
    EXPECT_EQ(PercentAfter(3), 5 * 100 / 22);
    Lift(1).nMaxFloor = 0;
    Lift(2).nMaxFloor = 0;
    EXPECT_EQ(PercentAfter(3), 0);
    // A context that is not the page's is not read.
    EXPECT_EQ(PercentAfter(2, 12345), 77);
}

TEST_F(ReadMessagesTest, ReadsAndHeightRunsCheckPortRowAndLiftsFirstAndAFailureEndsThem)
{
    const QStringList rows = LiftRows();
    page->m_bPortOpen = 0;
    page->m_btGetLiftData->click();
    page->OnBnClickedGetLiftHeight();
    page->OnBnClickedGetAllHeights();
    EXPECT_EQ(boxes.texts(), QStringList(3, T(155)));

    page->m_bPortOpen = 1;
    boxes.clear();
    page->OnBnClickedGetLiftHeight();  // no lift row selected
    page->OnBnClickedGetAllHeights();  // no lift installed
    EXPECT_EQ(boxes.texts(), (QStringList{T(160), T(156)}));

    // Cancelled at the question: nothing starts.
    Lift(4).nKind = 1;
    boxes.clear();
    boxes.setAnswer(MsgBoxResult::Cancel);
    page->OnBnClickedGetAllHeights();
    EXPECT_EQ(boxes.texts(), QStringList{T(119)});
    EXPECT_EQ(g_pPollThread, nullptr);
    EXPECT_FALSE(page->m_bBusy || page->m_pWaitDlg->isVisible());

    // A run that fails ends the busy state and says so; nothing is stored.
    page->m_bBusy = 1;
    page->m_pWaitDlg->show();
    boxes.clear();
    SendMessage(page, WM_READ_FAILED, 0, reinterpret_cast<LPARAM>(&comm));
    EXPECT_FALSE(page->m_bBusy || page->m_pWaitDlg->isVisible());
    EXPECT_EQ(boxes.texts(), QStringList{T(93)});
    EXPECT_EQ(LiftRows(), rows);
}

TEST_F(ReadMessagesTest, FlushDropsQueuedWorkerMessagesAndKeepsTheRest)
{
    int messages = 0, presses = 0;
    Watcher counter([&](QObject*, QEvent* e) {
        messages += dynamic_cast<CWindowMessage*>(e) != nullptr;
        presses += e->type() == QEvent::MouseButtonPress;
    });
    page->installEventFilter(&counter);
    page->m_btShowNum->installEventFilter(&counter);
    const QPointF at(5, 5);
    QCoreApplication::postEvent(page->m_btShowNum, new QMouseEvent(QEvent::MouseButtonPress, at, page->m_btShowNum->mapToGlobal(at),
                                                                   Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    for (int i = 0; i < 3; ++i)
        PostMessage(page, WM_READ_PROGRESS, 1, i + 1);
    PostMessage(page, WM_READ_FINISHED, 1, 0);
    PostMessage(page, WM_USER + 99, 0, 0);  // not a worker message: stays
    page->StopWorkerAndFlush();
    QCoreApplication::processEvents();
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(messages, 1);
    EXPECT_EQ(page->m_lstLift->GetItemCount(), 0);  // no scan end was handled
}

TEST_F(ReadMessagesTest, NothingLeavesThePageOrCoversTheLiftList)
{
    EXPECT_TRUE(page->m_btGetHeight->isHidden() && page->m_btGetAllHeights->isHidden());
    for (const QSize size : {QSize(1280, 765), QSize(1024, 600)}) {
        page->resize(size);
        page->RefreshPage();
        for (QWidget* w : page->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (w->isHidden())
                continue;
            EXPECT_TRUE(page->rect().contains(w->geometry())) << w->objectName().toStdString();
            if (w != page->m_lstLift) {
                EXPECT_FALSE(w->geometry().intersects(page->m_lstLift->geometry())) << w->objectName().toStdString();
            }
        }
    }
}
