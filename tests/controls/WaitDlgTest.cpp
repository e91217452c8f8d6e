#include <QProgressBar>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/WaitDlg.h"

TEST(WaitDlg, PostedPercentMovesTheBarAndStaysWithinItsRange)
{
    CWaitDlg box;
    for (LPARAM percent : {LPARAM(0), LPARAM(50), LPARAM(100)}) {
        ASSERT_TRUE(PostMessage(&box, WM_SET_PERCENT, 77, percent));  // wParam is ignored
        QCoreApplication::sendPostedEvents(&box);
        EXPECT_EQ(box.GetPos(), int(percent));
        EXPECT_EQ(box.m_pProgress->value(), int(percent));
    }
    SendMessage(&box, WM_SET_PERCENT, 0, 250);
    EXPECT_EQ(box.GetPos(), 100);
    SendMessage(&box, WM_SET_PERCENT, 0, -3);
    EXPECT_EQ(box.GetPos(), 0);
    SendMessage(&box, WM_SET_PERCENT, 0, 96);
    EXPECT_EQ(box.GetPos(), 96);
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

TEST(WaitDlg, RoundedTranslucentBlackBoxThatKeepsItsShapeWhenResized)
{
    CWaitDlg box;
    EXPECT_TRUE(box.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_NEAR(box.windowOpacity(), 250.0 / 255.0, 0.01);
    EXPECT_EQ(box.palette().color(QPalette::Window), QColor(Qt::black));

    for (QSize size : {box.size(), QSize(340, 130)}) {
        box.resize(size);
        const QRegion shape = box.mask();
        const int w = size.width(), h = size.height();
        EXPECT_FALSE(shape.contains(QPoint(0, 0))) << w;
        EXPECT_FALSE(shape.contains(QPoint(w - 1, 0))) << w;
        EXPECT_FALSE(shape.contains(QPoint(0, h - 1))) << w;
        EXPECT_TRUE(shape.contains(QPoint(w / 2, 1))) << w;
        EXPECT_TRUE(shape.contains(QPoint(1, h / 2))) << w;
        EXPECT_TRUE(shape.contains(QPoint(w / 2, h / 2))) << w;
        // The corners are the quarters of 40 x 40 ellipses.
        EXPECT_TRUE(shape.contains(QPoint(20, 20))) << w;
        EXPECT_FALSE(shape.contains(QPoint(4, 4))) << w;
    }
}
