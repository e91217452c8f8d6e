// The lift painter: the car drawn into an image (door frames, position by
// floor, symbols, texts, extreme floors), and the main window's pictures
// (loading, fitting to their areas, drawing).
#include <gtest/gtest.h>

#include <QDir>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "link/LiftInf.h"
#include "mainwnd/LiftPainter.h"
#include "pics/BannerText.h"
#include "pics/BitmapResource.h"
#include "platform/AppFolder.h"
#include "platform/MessageBox.h"
#include "views/ViewTestSupport.h"

using namespace view_test;

namespace {

constexpr int kAreaW = 112;   // car area of the small page
constexpr int kAreaH = 556;
constexpr int kCar = 48;
const QColor kGreen(0, 255, 0);

struct CarFixture {
    strLiftInf lift;
    CLiftPainter painter;
    explicit CarFixture(int layout = 1)
    {
        lift.nLiftNum = 9;
        lift.nMaxFloor = 20;
        for (int f = 1; f <= 20; ++f) {
            lift.arrFloorNameHi << (f >= 10 ? QString::number(f / 10) : QString());
            lift.arrFloorNameLo << QString::number(f % 10);
        }
        painter.m_pLiftInf = &lift;
        painter.m_nLiftNum = 9;
        painter.SetCarLayout(layout, kAreaW, layout == 1 ? kAreaH : 757, kCar);
        painter.CreateFrameDCs();
    }
    QImage Draw(int h = kAreaH)
    {
        QImage img(kAreaW, h, QImage::Format_ARGB32);
        img.fill(Qt::black);
        QPainter p(&img);
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(13);
        p.setFont(font);
        painter.DrawCar(p);
        return img;
    }
    void AtFloor(int floor, int top)
    {
        painter.m_nFloor = floor;
        painter.m_fCarOffset = CLiftPainter::CarOffsetForFloor(floor, top, 54, 506);
    }
    // First row in the car's middle column lit like the car's ceiling strip.
    int CeilingRow()
    {
        const QImage img = Draw();
        for (int y = 0; y < img.height(); ++y)
            if (Near(img.pixel(painter.m_nCarX + kCar / 2, y), QColor(255, 252, 230), 25))
                return y;
        return -1;
    }
};

QPoint Centroid(const QPolygon& t)
{
    return QPoint((t[0].x() + t[1].x() + t[2].x()) / 3, (t[0].y() + t[1].y() + t[2].y()) / 3);
}

} // namespace

TEST(LiftPainterTest, CarRisesWithItsFloorAndNeverLeavesTheShaft)
{
    CarFixture f;
    f.AtFloor(1, 20);
    const int bottom = f.CeilingRow();
    f.AtFloor(20, 20);
    const int top = f.CeilingRow();
    ASSERT_GE(top, 0);
    EXPECT_GT(bottom - top, 400);  // the shaft's whole travel
    f.AtFloor(11, 21);
    EXPECT_NEAR(f.CeilingRow(), (top + bottom) / 2, 2);
    // No floor, a lift of one floor or none: the bottom. Beyond the top: the top.
    for (auto [floor, floors, row] : {std::tuple{0, 20, bottom}, {1, 1, bottom}, {3, 1, bottom}, {5, 0, bottom},
                                      {200, 20, top}, {255, 56, top}}) {
        f.AtFloor(floor, floors);
        EXPECT_EQ(f.CeilingRow(), row) << floor << " of " << floors;
    }
}

TEST(LiftPainterTest, DoorFrameByStateClosedToOpen)
{
    CarFixture f;
    f.AtFloor(1, 20);
    const int carTop = 547 - kCar;
    const QPoint mid(f.painter.m_nCarX + kCar / 2 - 3, carTop + kCar / 2);
    std::vector<QRgb> seen;
    for (int frame = 0; frame < CLiftPainter::kDoorFrames; ++frame) {
        f.painter.m_nDoorFrame = frame;
        const QImage img = f.Draw();
        const QImage ref = LoadScaledBitmap(CLiftPainter::kFirstDoorBitmap + frame, QSize(kCar, kCar));
        ASSERT_FALSE(ref.isNull());
        EXPECT_EQ(img.pixel(mid), ref.pixel(mid - QPoint(f.painter.m_nCarX, carTop))) << frame;
        seen.push_back(img.pixel(mid));
    }
    // Closed shows a leaf in the middle, open the lit car; frames outside
    // 0..11 draw the nearest one.
    EXPECT_NE(seen.front(), seen.back());
    f.painter.m_nDoorFrame = 12;
    EXPECT_EQ(f.Draw().pixel(mid), seen.back());
    f.painter.m_nDoorFrame = -7;
    EXPECT_EQ(f.Draw().pixel(mid), seen.front());
}

TEST(LiftPainterTest, SymbolsByRunStateAndDoorMode)
{
    for (int layout : {1, 2}) {
        SCOPED_TRACE(layout);
        CarFixture f(layout);
        const CLiftPainter& p = f.painter;
        auto green = [&](QPoint at) { return Near(f.Draw(800).pixel(at), kGreen); };
        f.painter.m_nRunState = 0;
        EXPECT_EQ(CountPixels(f.Draw(800), QRect(0, 0, kAreaW, 40), [](QRgb c) { return Near(c, kGreen); }), 0);
        f.painter.m_nRunState = 1;
        EXPECT_TRUE(green(Centroid(p.m_rgnUp)));
        f.painter.m_nRunState = 2;
        EXPECT_TRUE(green(Centroid(p.m_rgnDown)));
        f.painter.m_nRunState = 3;
        f.painter.m_nDoorMode = 6;
        EXPECT_TRUE(green(p.m_rcStopBar.center()));
        f.painter.m_nDoorMode = 1;
        EXPECT_TRUE(green(Centroid(p.m_rgnOpen[0])) && green(Centroid(p.m_rgnOpen[1])));
        EXPECT_FALSE(green(QPoint(p.m_rcStopBar.left() + 1, p.m_rcStopBar.top())));
        f.painter.m_nDoorMode = 3;
        EXPECT_TRUE(green(Centroid(p.m_rgnClose[0])) && green(Centroid(p.m_rgnClose[1])));
    }
}

TEST(LiftPainterTest, NumberAndFloorNameInRedNeverReadBeyondTheNames)
{
    CarFixture f;
    f.AtFloor(12, 20);
    EXPECT_EQ(f.painter.FloorLabel(), QStringLiteral("12F"));
    QImage img = f.Draw();
    EXPECT_GT(CountPixels(img, f.painter.m_rcNumber, IsRedText), 5);
    EXPECT_GT(CountPixels(img, f.painter.m_rcName, IsRedText), 5);
    // No floor reported: no floor name.
    f.AtFloor(0, 20);
    EXPECT_EQ(f.painter.FloorLabel(), QString());
    EXPECT_EQ(CountPixels(f.Draw(), f.painter.m_rcName, IsRedText), 0);

    // Above the lift's floor names: an empty name, drawn as nothing, while
    // the lift number stays.
    f.painter.m_nFloor = 20;
    EXPECT_EQ(f.painter.FloorLabel(), QStringLiteral("20F"));
    for (int floor : {21, 255}) {
        f.painter.m_nFloor = floor;
        EXPECT_EQ(f.painter.FloorLabel(), QString()) << floor;
        img = f.Draw();
        EXPECT_EQ(CountPixels(img, f.painter.m_rcName, IsRedText), 0) << floor;
        EXPECT_GT(CountPixels(img, f.painter.m_rcNumber, IsRedText), 5) << floor;
    }
    // Units list shorter than the tens list: tens text alone; names gone
    // since the layout or no record: no name.
    f.lift.arrFloorNameHi[14] = QStringLiteral("B");
    f.lift.arrFloorNameLo.erase(f.lift.arrFloorNameLo.begin() + 10, f.lift.arrFloorNameLo.end());
    f.painter.m_nFloor = 15;
    EXPECT_EQ(f.painter.FloorLabel(), QStringLiteral("BF"));
    f.lift.arrFloorNameHi.clear();
    EXPECT_EQ(f.painter.FloorLabel(), QString());
    f.painter.m_pLiftInf = nullptr;
    EXPECT_EQ(f.painter.FloorLabel(), QString());
    EXPECT_EQ(CountPixels(f.Draw(), f.painter.m_rcName, IsRedText), 0) << "no label without a record";
    // A painter never laid out draws nothing of the car, and does not fail.
    CLiftPainter bare;
    QImage small(50, 50, QImage::Format_ARGB32);
    small.fill(Qt::black);
    {
        QPainter p(&small);
        bare.DrawCar(p);
    }
    EXPECT_EQ(CountPixels(small, small.rect(), [](QRgb c) { return (c & 0xffffff) != 0; }), 0);
}

TEST(LiftPainterTest, LoadPicturesReportsEachMissingOneInTheStationsLanguage)
{
    QTemporaryDir tmp;
    const QString pics = tmp.path() + QStringLiteral("/SoftResoure/Pic/");
    QDir().mkpath(pics);
    SetAppFolder(tmp.path());
    const QStringList texts = MakeTexts();
    for (bool withTexts : {true, false}) {
        MessageBoxRecorder boxes;
        CLiftPainter painter;
        painter.m_pLanText = withTexts ? &texts : nullptr;
        painter.m_nLanguageKind = 1;
        EXPECT_FALSE(painter.LoadPictures());
        ASSERT_EQ(boxes.count(), 2);
        // The table's text of a failed picture, or the fixed one of the language.
        if (withTexts)
            EXPECT_EQ(boxes.texts()[0], texts[CLiftPainter::kPictureFailureText]);
        else
            EXPECT_FALSE(boxes.texts()[0].contains(QRegularExpression(QStringLiteral("[A-Za-z]"))));
        // The bitmaps load all the same.
        EXPECT_EQ(painter.m_imgShaft.size(), QSize(93, 517));
    }
    // The login picture present, the banner only as ".jpeg"; then a file that
    // is no picture fails cleanly.
    QImage img(800, 400, QImage::Format_RGB32);
    img.fill(QColor(30, 120, 200));
    ASSERT_TRUE(img.save(pics + QStringLiteral("LoadPic.jpg"), "JPG"));
    ASSERT_TRUE(img.scaled(300, 60).save(pics + QStringLiteral("LogoPic.jpeg"), "JPG"));
    MessageBoxRecorder boxes;
    CLiftPainter painter;
    EXPECT_TRUE(painter.LoadPictures());
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(painter.m_szLogin, QSize(800, 400));
    EXPECT_EQ(painter.m_szBanner, QSize(300, 60));
    ASSERT_TRUE(WriteFile(pics + QStringLiteral("LoadPic.jpg"), "not a picture at all"));
    EXPECT_FALSE(painter.LoadJpeg(pics + QStringLiteral("LoadPic.jpg"), CLiftPainter::kLoginPicture));
    SetAppFolder(QString());
}

TEST(LiftPainterTest, PicturesFitTheirAreasKeepingAspectAndLeaveRoomForTheLoginRow)
{
    CLiftPainter p;
    for (QSize pic : {QSize(1200, 600), QSize(600, 600), QSize(400, 900), QSize(3000, 500)}) {
        for (auto [W, H, b] : {std::tuple{1280, 800, 80}, {1024, 768, 80}, {1920, 1080, 100}, {800, 1200, 100}}) {
            SCOPED_TRACE(testing::Message() << pic.width() << "x" << pic.height() << " in " << W << "x" << H);
            p.m_szLogin = pic;
            p.m_szBanner = pic / 4;
            p.m_nClientWidth = W;
            p.m_nClientHeight = H;
            p.m_nBannerHeight = b;
            const int loginTop = p.LayoutPictures();
            for (const QRect& r : {p.m_rcLogin, p.m_rcBanner}) {
                EXPECT_GE(r.left(), 0);
                EXPECT_LE(r.right(), W - 1);
                const double aspect = double(pic.width()) / pic.height();
                EXPECT_NEAR(double(r.width()) / r.height() / aspect, 1.0, 0.02);
            }
            // The banner stays in its band; the login picture below the bar,
            // one side filling its room, centred across.
            EXPECT_LE(p.m_rcBanner.bottom(), b - 1);
            const QRect& r = p.m_rcLogin;
            EXPECT_EQ(r.top(), b + 35);
            EXPECT_TRUE(r.width() == W || r.height() == p.m_nLoginAreaHeight);
            EXPECT_LE(std::abs(r.left() - (W - r.right() - 1)), 1);
            // The login row (its button reaches 23 pixels below its top) stays inside.
            EXPECT_EQ(loginTop, r.bottom() + 1 + 20);
            EXPECT_LE(loginTop + 23, H);
        }
    }
    // Nothing to place: the login row follows the bar; no room: nothing drawn.
    CLiftPainter empty;
    empty.m_nClientWidth = 1280;
    empty.m_nClientHeight = 800;
    empty.m_nBannerHeight = 80;
    EXPECT_EQ(empty.LayoutPictures(), 80 + 35 + 20);
    empty.m_nClientHeight = 100;
    empty.m_szLogin = QSize(100, 100);
    empty.LayoutPictures();
    EXPECT_TRUE(empty.m_rcLogin.isEmpty());
}

TEST(LiftPainterTest, DrawPictureRendersOrReleasesWithoutABoxInsideThePaint)
{
    CLiftPainter p;
    p.m_imgBanner = QImage(300, 60, QImage::Format_RGB32);
    p.m_imgBanner.fill(QColor(200, 10, 10));
    p.m_szBanner = p.m_imgBanner.size();
    p.m_nClientWidth = 640;
    p.m_nClientHeight = 480;
    p.m_nBannerHeight = 100;
    p.LayoutPictures();
    QImage target(640, 480, QImage::Format_ARGB32);
    target.fill(Qt::black);
    MessageBoxRecorder boxes;
    QPainter painter(&target);
    EXPECT_TRUE(p.DrawPicture(CLiftPainter::kBannerPicture, painter));
    EXPECT_FALSE(p.DrawPicture(CLiftPainter::kLoginPicture, painter));  // never loaded
    painter.end();
    EXPECT_TRUE(Near(target.pixel(p.m_rcBanner.center()), QColor(200, 10, 10), 3));
    // A painter that cannot draw: the picture is let go, and no box opens
    // from inside a paint (the window reports it afterwards).
    QPainter inactive;
    EXPECT_FALSE(p.DrawPicture(CLiftPainter::kBannerPicture, inactive));
    EXPECT_TRUE(p.m_imgBanner.isNull());
    EXPECT_EQ(boxes.count(), 0);
}

// The pictures the build draws load, and the banner carries no figure that a
// site could contradict: the same banner goes to every site.
TEST(LiftPainterTest, BuiltPicturesLoadAndTheBannerNamesNoFigure)
{
    for (const char* line : {kBannerTitle, kBannerSubtitle})
        EXPECT_FALSE(QString::fromUtf8(line).contains(QRegularExpression(QStringLiteral("\\d")))) << line;
    SetAppFolder(QStringLiteral(LIFT_BINARY_DIR "/bin"));
    MessageBoxRecorder boxes;
    CLiftPainter painter;
    EXPECT_TRUE(painter.LoadPictures()) << boxes.texts().join(QLatin1Char('\n')).toStdString();
    SetAppFolder(QString());
    EXPECT_FALSE(painter.m_imgBanner.isNull() || painter.m_imgLogin.isNull());
}
