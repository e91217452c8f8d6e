// Pictures of the single-lift page with the lift locked and a floor lock in
// force, the floor-lock editor open over it, and the lock-period editor, in
// both layouts, kept in ${build}/artifacts/views for a person to look at.
// The editors are windows of their own; each picture lays the editor over the
// page where it stands on screen. The checks are what the picture must show.
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "LockTestSupport.h"

using namespace showone_test;
using namespace lock_test;

namespace {

QImage PageWith(CShowOneDlg& page, QWidget* editor)
{
    QImage shot = page.grab().toImage();
    QPainter painter(&shot);
    painter.drawImage(editor->geometry().topLeft() - page.mapToGlobal(QPoint(0, 0)), editor->grab().toImage());
    return shot;
}

QColor Ref(COLORREF c) { return FromColorRef(c); }

void Shoot(const QSize& size, const QString& suffix)
{
    BoxLog boxes;
    ShowOneRig rig(PictureRig(size));
    ASSERT_TRUE(rig.ok());
    rig.Start();
    ASSERT_TRUE(rig.WaitOnline());
    CShowOneDlg& page = rig.page();
    ShowFloorDlg& dlg = *page.m_pFloorDlg;

    QTest::mouseClick(page.m_pLockBtn[0], Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.texts().contains(rig.Text(264)); }, 15000));
    QTest::mouseClick(page.m_pLockBtn[1], Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.isVisible(); }, 3000));
    QTest::mouseClick(dlg.ModeButton(2), Qt::LeftButton);
    QTest::qWait(30);
    for (int f : {1, 3, 5, 8})
        QTest::mouseClick(dlg.m_pFloorBtn[std::size_t(f - 1)], Qt::LeftButton);
    QTest::qWait(30);
    QTest::mouseClick(dlg.m_btOk, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.texts().contains(rig.Text(266)); }, 15000));

    // Open again: the set in force, one more floor chosen but not yet sent.
    QTest::mouseClick(page.m_pLockBtn[1], Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.isVisible(); }, 3000));
    QTest::mouseClick(dlg.m_pFloorBtn[11], Qt::LeftButton);
    QTest::qWait(300);

    const QImage shot = PageWith(page, &dlg);
    ASSERT_TRUE(shot.save(ArtifactDir() + QStringLiteral("/LockFloorEditor-") + suffix + QStringLiteral(".png")));
    // Both lock buttons are on: red frames.
    for (int i : {0, 1}) {
        const QRect b = page.m_pLockBtn[std::size_t(i)]->geometry();
        EXPECT_EQ(shot.pixelColor(b.left(), b.center().y()), Ref(0x0000FA)) << i;
    }
    EXPECT_EQ(shot.pixelColor(page.m_pLockBtn[2]->geometry().left() + 1, page.m_pLockBtn[2]->geometry().center().y()),
              Ref(0xB4B4B4));
    const QPoint origin = dlg.geometry().topLeft() - page.mapToGlobal(QPoint(0, 0));
    auto frameOf = [&](int floor) {
        const QRect b = dlg.m_pFloorBtn[std::size_t(floor - 1)]->geometry().translated(origin);
        return shot.pixelColor(b.left() + 5, b.center().y());
    };
    EXPECT_EQ(frameOf(3), Ref(0x0B7C53));
    EXPECT_EQ(frameOf(12), Ref(0x0B7C53));
    EXPECT_EQ(frameOf(4), Ref(0x0000E1));
    EXPECT_EQ(frameOf(30), Ref(0x323232));
    EXPECT_EQ(shot.pixelColor(origin + QPoint(0, dlg.height() / 2)), QColor(Qt::white));
    const QRect mode = dlg.ModeButton(2)->geometry().translated(origin);
    EXPECT_EQ(shot.pixelColor(mode.left() + 1, mode.center().y()), Ref(0x0000FA));

    QTest::mouseClick(dlg.m_btCancel, Qt::LeftButton);
    QTest::mouseClick(page.m_pLockBtn[2], Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_pLockTimeDlg->isVisible(); }, 3000));
    QTest::qWait(100);
    const QImage period = PageWith(page, page.m_pLockTimeDlg);
    ASSERT_TRUE(period.save(ArtifactDir() + QStringLiteral("/LockPeriodEditor-") + suffix + QStringLiteral(".png")));
    EXPECT_TRUE(page.m_pLockTimeDlg->rect().contains(page.m_pLockTimeDlg->m_btClose->geometry()));
    EXPECT_GE(page.m_pLockTimeDlg->m_stHeading->height(), page.m_pLockTimeDlg->m_stHeading->heightForWidth(
                                                              page.m_pLockTimeDlg->m_stHeading->width()));
}

} // namespace

TEST(LockScreenshot, SmallLayoutLockedLiftWithTheEditors)
{
    Shoot(QSize(1280, 760), QStringLiteral("small"));
}

TEST(LockScreenshot, LargeLayoutLockedLiftWithTheEditors)
{
    Shoot(QSize(1600, 980), QStringLiteral("large"));
}
