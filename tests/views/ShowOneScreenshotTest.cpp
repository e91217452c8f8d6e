// Pictures of the single-lift page with a moving car, lit call lamps and a
// fault, in both layouts, kept in ${build}/artifacts/views for a person to
// look at. The test checks what the picture must show at all.
#include <QImage>

#include "ShowOneFixture.h"

using namespace showone_test;

namespace {

void Shoot(const QSize& size, const QString& file)
{
    BoxLog boxes;
    strRigOptions o = PictureRig(size);
    o.simArgs = {QStringLiteral("--speed"), QStringLiteral("700"), QStringLiteral("--door"), QStringLiteral("1500")};
    ShowOneRig rig(o);
    ASSERT_TRUE(rig.ok());
    rig.Start();
    ASSERT_TRUE(rig.WaitOnline());
    CShowOneDlg& page = rig.page();

    ASSERT_TRUE(rig.sim().command(QStringLiteral("fault 1 23")));
    for (CButShape* b : {page.m_pCarBtn[16], page.m_pCarBtn[11], page.m_pUpBtn[8], page.m_pDownBtn[13]})
        QTest::mouseClick(b, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return page.m_pCarBtn[16]->m_bLamp && page.m_pUpBtn[8]->m_bLamp && page.m_pDownBtn[13]->m_bLamp
               && rig.lift().nRunState == 1 && rig.lift().nCurFloor >= 3;
    }, 15000));
    QTest::qWait(200);
    const QImage shot = page.grab().toImage();
    ASSERT_TRUE(shot.save(ArtifactDir() + QLatin1Char('/') + file));

    // Lit lamps are red on the picture, the fault text is there, the car is drawn.
    const QRect lit = page.m_pCarBtn[16]->geometry();
    EXPECT_EQ(shot.pixelColor(lit.left() + 2, lit.center().y()), QColor(255, 0, 0));
    const QRect up = page.m_pUpBtn[8]->geometry();
    EXPECT_EQ(shot.pixelColor(up.center().x(), up.bottom() - 2), QColor(255, 0, 0));
    EXPECT_EQ(page.m_pStatusCell[5]->m_strSecond, QStringLiteral("Err--23"));
    int carPixels = 0;
    const QRect car = page.m_layout.rcCar;
    for (int y = car.top(); y <= car.bottom(); y += 2)
        for (int x = car.left(); x <= car.right(); x += 2)
            carPixels += shot.pixelColor(x, y) != QColor(0, 0, 0);
    EXPECT_GT(carPixels, car.width() * car.height() / 8);
}

} // namespace

TEST(ShowOneScreenshot, SmallLayoutWithMovingCarLampsAndFault)
{
    Shoot(QSize(1280, 700), QStringLiteral("ShowOne-small.png"));
}

TEST(ShowOneScreenshot, LargeLayoutWithMovingCarLampsAndFault)
{
    Shoot(QSize(1600, 880), QStringLiteral("ShowOne-large.png"));
}
