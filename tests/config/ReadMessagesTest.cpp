// The page's handlers of the height runs' messages, and the flush of queued
// worker messages, driven with the messages themselves.
#include <QDir>
#include <QMouseEvent>
#include <QPushButton>

#include "ConfigPageFixture.h"

using namespace config_test;

namespace {

class ReadMessagesTest : public ConfigPageTest {
protected:
    // The box's position after a message from the height run of context comm.
    int PercentAfter(int wParam)
    {
        SendMessage(page->m_pWaitDlg, WM_SET_PERCENT, 0, 77);
        SendMessage(page.get(), WM_READ_PROGRESS, WPARAM(wParam), reinterpret_cast<LPARAM>(&comm));
        QCoreApplication::processEvents();  // the handler posts to the box
        return page->m_pWaitDlg->GetPos();
    }
};

// Counts the window messages and mouse presses an object receives.
class Counter : public QObject {
public:
    int messages = 0;
    int presses = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (dynamic_cast<CWindowMessage*>(e))
            ++messages;
        else if (e->type() == QEvent::MouseButtonPress)
            ++presses;
        return false;
    }
};

} // namespace

TEST_F(ReadMessagesTest, HeightRunProgressNeverDividesByZero)
{
    // One lift: its current floor over its top floor.
    strLiftInf& lift = Lift(3);
    comm.m_pLiftInf = &lift;
    lift.nCurFloor = 3;
    lift.nMaxFloor = 12;
    EXPECT_EQ(PercentAfter(2), 25);
    lift.nMaxFloor = 0;
    EXPECT_EQ(PercentAfter(2), 0);
    EXPECT_EQ(PercentAfter(4), 0);

    // All lifts: floors of the standing or descending online lifts over the top floors of all online lifts.
    comm.m_pLiftInf = store.m_pLiftInf;
    EXPECT_EQ(PercentAfter(3), 0);  // nothing installed and online
    Lift(1).nKind = 1;
    Lift(1).nMaxFloor = 10;
    Lift(1).nCurFloor = 5;
    Lift(2).nKind = 1;
    Lift(2).nMaxFloor = 12;
    Lift(2).nCurFloor = 6;
    Lift(2).nRunState = 2;
    Lift(9).nKind = 1;  // offline: not counted
    Lift(9).nMaxFloor = 30;
    Lift(9).bOffline = 1;
    EXPECT_EQ(PercentAfter(3), 5 * 100 / 22);
    Lift(1).nMaxFloor = 0;
    Lift(2).nMaxFloor = 0;
    EXPECT_EQ(PercentAfter(3), 0);

    // A context that is not the page's is not read.
    SendMessage(page->m_pWaitDlg, WM_SET_PERCENT, 0, 77);
    SendMessage(page.get(), WM_READ_PROGRESS, 2, 12345);
    QCoreApplication::processEvents();
    EXPECT_EQ(page->m_pWaitDlg->GetPos(), 77);
}

TEST_F(ReadMessagesTest, FailureAndTheHeightRunsEndClearBusyAndStoreNothing)
{
    const QStringList rows = LiftRows();
    page->m_bBusy = 1;
    page->m_pWaitDlg->show();
    SendMessage(page.get(), WM_READ_FAILED, 0, reinterpret_cast<LPARAM>(&comm));
    EXPECT_EQ(page->m_bBusy, 0);
    EXPECT_FALSE(page->m_pWaitDlg->isVisible());
    EXPECT_EQ(boxes.texts(), QStringList{T(93)});

    for (int w : {2, 3, 4, 5, 6}) {
        page->m_bBusy = 1;
        page->m_pWaitDlg->show();
        SendMessage(page.get(), WM_READ_FINISHED, WPARAM(w), 0);
        EXPECT_EQ(page->m_bBusy, 0) << w;
        EXPECT_FALSE(page->m_pWaitDlg->isVisible()) << w;
    }
    EXPECT_EQ(LiftRows(), rows);
    EXPECT_EQ(page->m_lstLift->GetItemCount(), 0);
}

TEST_F(ReadMessagesTest, HeightRunStartersCheckPortRowAndLiftsFirst)
{
    page->m_bPortOpen = 0;
    page->OnBnClickedGetLiftHeight();
    page->OnBnClickedGetAllHeights();
    EXPECT_EQ(boxes.texts(), (QStringList{T(155), T(155)}));

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
    EXPECT_EQ(page->m_bBusy, 0);
    EXPECT_FALSE(page->m_pWaitDlg->isVisible());
}

TEST_F(ReadMessagesTest, FlushDropsQueuedWorkerMessagesAndKeepsTheRest)
{
    Counter pageCount;
    Counter buttonCount;
    page->installEventFilter(&pageCount);
    page->m_btShowNum->installEventFilter(&buttonCount);
    const QPointF at(5, 5);
    QCoreApplication::postEvent(page->m_btShowNum, new QMouseEvent(QEvent::MouseButtonPress, at, page->m_btShowNum->mapToGlobal(at),
                                                                   Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    for (int i = 0; i < 3; ++i)
        PostMessage(page.get(), WM_READ_PROGRESS, 1, i + 1);
    PostMessage(page.get(), WM_READ_FINISHED, 1, 0);
    PostMessage(page.get(), WM_USER + 99, 0, 0);  // not a worker message: stays

    page->StopWorkerAndFlush();
    QCoreApplication::processEvents();
    page->removeEventFilter(&pageCount);
    page->m_btShowNum->removeEventFilter(&buttonCount);
    EXPECT_EQ(buttonCount.presses, 1);
    EXPECT_EQ(pageCount.messages, 1);
    EXPECT_EQ(page->m_bBusy, 0);
    EXPECT_EQ(page->m_lstLift->GetItemCount(), 0);  // no scan end was handled
}

TEST_F(ReadMessagesTest, RefreshLaysOutTextsListsAndCombos)
{
    EXPECT_EQ(page->m_btGetLiftData->text(), T(86));
    EXPECT_EQ(page->m_btShowNum->text(), T(275));
    EXPECT_TRUE(page->m_btGetHeight->isHidden());
    EXPECT_TRUE(page->m_btGetAllHeights->isHidden());
    EXPECT_EQ(page->m_lstLift->columnCount(), 5);
    EXPECT_EQ(page->m_lstLift->GetHeaderCtrl()->m_strCaptions,
              (QStringList{T(21), T(22), T(23), T(241), T(46)}));
    EXPECT_EQ(page->m_lstGroup->GetItemCount(), groupCount);
    EXPECT_EQ(page->m_cbGroup->count(), groupCount);
    EXPECT_EQ(page->m_cbGroup->itemText(0), QStringLiteral("0:") + groups[0].strGroupName);
    EXPECT_EQ(page->m_cbFloorHi->count(), floorShow[0].size());
    EXPECT_EQ(page->m_cbFloorHi->currentIndex(), 0);
    EXPECT_EQ(page->m_cbFloorLo->currentIndex(), 1);
    EXPECT_EQ(g_hPollTarget.data(), page.get());

    // Wide pages get the wider gaps; nothing leaves the page or overlaps the lift list.
    for (const QSize size : {QSize(1280, 765), QSize(1024, 600)}) {
        page->resize(size);
        page->RefreshPage();
        EXPECT_EQ(page->m_nGapX, size.width() > 1050 ? 30 : 20);
        EXPECT_EQ(page->m_lstLift->width(), 630);
        QDir().mkpath(QStringLiteral(LIFT_BINARY_DIR "/artifacts/config"));
        page->grab().save(QStringLiteral(LIFT_BINARY_DIR "/artifacts/config/config-page-empty-%1x%2.png")
                              .arg(size.width())
                              .arg(size.height()));
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
