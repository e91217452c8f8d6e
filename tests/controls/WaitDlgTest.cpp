#include <QProgressBar>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/WaitDlg.h"

TEST(WaitDlg, PostedPercentMovesTheBarAndStaysWithinItsRange)
{
    CWaitDlg box;
    for (auto [sent, shown] : {std::pair{50, 50}, {100, 100}, {250, 100}, {-3, 0}, {96, 96}}) {
        ASSERT_TRUE(PostMessage(&box, WM_SET_PERCENT, 77, sent));  // wParam is ignored
        QCoreApplication::sendPostedEvents(&box);
        EXPECT_EQ(box.m_pProgress->value(), shown) << sent;
    }
}

TEST(WaitDlg, EnterAndEscapeLeaveTheBoxOpen)
{
    CWaitDlg box;
    box.show();
    ASSERT_TRUE(box.isVisible());
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        QTest::keyClick(&box, key);
        EXPECT_TRUE(box.isVisible()) << "key " << key;
        // A key aimed at the bar reaches the box too and is swallowed there.
        QTest::keyClick(box.m_pProgress, key);
        EXPECT_TRUE(box.isVisible()) << "key " << key << " on the bar";
    }
    EXPECT_EQ(box.result(), 0);
    // The box is still closed by its owner.
    box.hide();
    EXPECT_FALSE(box.isVisible());
}

TEST(WaitDlg, RoundedBoxThatKeepsItsShapeWhenResized)
{
    CWaitDlg box;
    box.show();
    for (QSize size : {QSize(340, 130), QSize(420, 170)}) {
        box.resize(size);
        const QRegion shape = box.mask();
        const int w = size.width(), h = size.height();
        // The corners are the quarters of 40 x 40 ellipses.
        for (QPoint out : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(4, 4)})
            EXPECT_FALSE(shape.contains(out)) << w;
        for (QPoint in : {QPoint(w / 2, 1), QPoint(1, h / 2), QPoint(w - 2, h / 2), QPoint(20, 20)})
            EXPECT_TRUE(shape.contains(in)) << w;
    }
}
