// Pictures of the car and shaft in both layouts, the main window's banner and
// login picture as laid out, and the alarm pop-up, kept in
// ${build}/artifacts/views for a person to look at.
#include <gtest/gtest.h>

#include <QFont>
#include <QLabel>
#include <QPainter>
#include <QRegularExpression>
#include <QTest>
#include <map>
#include <memory>

#include "link/LiftInf.h"
#include "mainwnd/LiftPainter.h"
#include "mainwnd/ShowAlarmDlg.h"
#include "pics/BannerText.h"
#include "platform/AppFolder.h"
#include "platform/MessageBox.h"
#include "views/ViewTestSupport.h"

using namespace view_test;

namespace {

class SilentSound : public CAlarmSound {
public:
    bool Open(const QString&) override { return true; }
    bool PlayRepeat() override { return true; }
    bool Stop() override { return true; }
    bool SeekToStart() override { return true; }
    bool Close() override { return true; }
};

} // namespace

TEST(PainterArtifactsTest, CarsInBothLayouts)
{
    auto lift = std::make_unique<strLiftInf>();
    for (int f = 1; f <= 20; ++f) {
        lift->arrFloorNameHi << (f >= 10 ? QString::number(f / 10) : QString());
        lift->arrFloorNameLo << QString::number(f % 10);
    }
    struct Car { int layout, floor, run, doorMode, frame; };
    const Car cars[] = {
        {1, 1, 3, 6, 0}, {1, 1, 3, 1, 6}, {1, 1, 3, 1, 11}, {1, 8, 1, 6, 0},
        {1, 20, 2, 6, 0}, {1, 14, 3, 3, 4}, {1, 0, 0, 6, 0}, {2, 12, 1, 6, 0}, {2, 1, 3, 1, 11},
    };
    QImage sheet(9 * 132 + 8, 757 + 16, QImage::Format_ARGB32);
    sheet.fill(Qt::black);
    {
        QPainter out(&sheet);
        int i = 0;
        for (const Car& c : cars) {
            CLiftPainter painter;
            painter.m_pLiftInf = lift.get();
            const int w = c.layout == 1 ? 112 : 125;
            const int h = c.layout == 1 ? 556 : 757;
            const int top = c.layout == 1 ? 54 : 64;
            const int bottom = c.layout == 1 ? 506 : 690;
            const int car = c.layout == 1 ? 48 : 56;
            painter.SetCarLayout(c.layout, w, h, car);
            painter.CreateFrameDCs();
            painter.m_nLiftNum = 9;
            painter.m_nFloor = c.floor;
            painter.m_nRunState = c.run;
            painter.m_nDoorMode = c.doorMode;
            painter.m_nDoorFrame = c.frame;
            painter.m_fCarOffset = CLiftPainter::CarOffsetForFloor(c.floor, 20, top, bottom);
            QImage img(w, h, QImage::Format_ARGB32);
            img.fill(Qt::black);
            QPainter p(&img);
            QFont font(QStringLiteral("Arial"));
            font.setPixelSize(13);
            p.setFont(font);
            painter.DrawCar(p);
            p.end();
            out.drawImage(8 + i * 132, 8, img);
            ++i;
        }
    }
    ASSERT_TRUE(sheet.save(ArtifactPath(QStringLiteral("cars.png"))));
}

TEST(PainterArtifactsTest, BannerAndLoginPictureAsLaidOut)
{
    // The pictures the build draws into the data folder beside the executables.
    SetAppFolder(QStringLiteral(LIFT_BINARY_DIR "/bin"));
    MessageBoxRecorder boxes;
    CLiftPainter painter;
    const bool loaded = painter.LoadPictures();
    SetAppFolder(QString());
    ASSERT_TRUE(loaded) << boxes.texts().join(QLatin1Char('\n')).toStdString();
    // The same banner goes to every site: no figure in it that a site could contradict.
    for (const char* line : {kBannerTitle, kBannerSubtitle})
        EXPECT_FALSE(QString::fromUtf8(line).contains(QRegularExpression(QStringLiteral("\\d")))) << line;

    for (auto [W, H] : {std::pair{1280, 800}, {1920, 1080}}) {
        painter.m_nClientWidth = W;
        painter.m_nClientHeight = H;
        painter.m_nBannerHeight = H < 810 ? 80 : 100;
        const int loginTop = painter.LayoutPictures();
        QImage img(W, H, QImage::Format_ARGB32);
        img.fill(Qt::black);
        {
            QPainter p(&img);
            EXPECT_TRUE(painter.DrawPicture(CLiftPainter::kBannerPicture, p));
            EXPECT_TRUE(painter.DrawPicture(CLiftPainter::kLoginPicture, p));
            // Where the bar and the login row go.
            p.fillRect(0, painter.m_nBannerHeight, W, 35, QColor(50, 50, 60));
            p.fillRect(W / 2 - 150, loginTop, 300, 20, QColor(90, 90, 100));
        }
        EXPECT_LE(loginTop + 20, H);
        ASSERT_TRUE(img.save(ArtifactPath(QStringLiteral("main-pictures-%1x%2.png").arg(W).arg(H))));
    }
}

TEST(PainterArtifactsTest, AlarmPopup)
{
    const QStringList texts = MakeTexts();
    CShowAlarmDlg dlg(std::make_unique<SilentSound>());
    dlg.m_pLanText = &texts;
    const std::map<int, QString> names = {{12, QStringLiteral("门锁回路断开")}};
    dlg.ShowAlarmPopup(true, CShowAlarmDlg::FaultAlarmText(12, &names));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    const QImage img = dlg.grab().toImage();
    ASSERT_TRUE(img.save(ArtifactPath(QStringLiteral("alarm-popup.png"))));
    // The red text is there.
    EXPECT_GT(CountPixels(img, dlg.m_pText->geometry(), IsRedText), 20);
    dlg.ShowAlarmPopup(false, QString());
}
