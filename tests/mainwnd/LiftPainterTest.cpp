// The lift painter: the car drawn into an image (door frames, position by
// floor, symbols, texts, extreme floors), and the main window's pictures
// (loading, fitting to their areas, drawing).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <memory>

#include "link/LiftInf.h"
#include "mainwnd/LiftPainter.h"
#include "pics/BitmapResource.h"
#include "platform/AppFolder.h"
#include "platform/MessageBox.h"
#include "views/ViewTestSupport.h"

using namespace view_test;

namespace {

constexpr int kAreaW = 112;   // car area of the small page
constexpr int kAreaH = 556;
constexpr int kCar = 48;
constexpr int kShaftTop = 54;
constexpr int kShaftBottom = 506;
const QColor kGreen(0, 255, 0);

std::unique_ptr<strLiftInf> Lift(int floors)
{
    auto lift = std::make_unique<strLiftInf>();
    lift->nLiftNum = 9;
    lift->nMaxFloor = floors;
    for (int f = 1; f <= floors; ++f) {
        lift->arrFloorNameHi << (f >= 10 ? QString::number(f / 10) : QString());
        lift->arrFloorNameLo << QString::number(f % 10);
    }
    return lift;
}

struct CarFixture {
    std::unique_ptr<strLiftInf> lift = Lift(20);
    CLiftPainter painter;
    explicit CarFixture(int layout = 1)
    {
        painter.m_pLiftInf = lift.get();
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
        EXPECT_EQ(painter.DrawCar(p), 1);
        return img;
    }
    void AtFloor(int floor, int top)
    {
        painter.m_nFloor = floor;
        painter.m_fCarOffset = CLiftPainter::CarOffsetForFloor(floor, top, kShaftTop, kShaftBottom);
    }
};

// First row in the car's middle column lit like the car's ceiling strip.
int CeilingRow(const QImage& img, int x)
{
    for (int y = 0; y < img.height(); ++y)
        if (Near(img.pixel(x, y), QColor(255, 252, 230), 25))
            return y;
    return -1;
}

QPoint Centroid(const QPolygon& t)
{
    return QPoint((t[0].x() + t[1].x() + t[2].x()) / 3, (t[0].y() + t[1].y() + t[2].y()) / 3);
}

} // namespace

TEST(LiftPainterTest, CarOffsetByFloorStaysInTheShaft)
{
    const float travel = float(kShaftBottom - kShaftTop);
    EXPECT_FLOAT_EQ(CLiftPainter::CarOffsetForFloor(1, 20, kShaftTop, kShaftBottom), 0.0f);
    EXPECT_FLOAT_EQ(CLiftPainter::CarOffsetForFloor(20, 20, kShaftTop, kShaftBottom), travel);
    EXPECT_NEAR(CLiftPainter::CarOffsetForFloor(11, 21, kShaftTop, kShaftBottom), travel / 2, 0.01);
    float last = -1.0f;
    for (int f = 1; f <= 20; ++f) {
        const float off = CLiftPainter::CarOffsetForFloor(f, 20, kShaftTop, kShaftBottom);
        EXPECT_GT(off, last);
        last = off;
    }
    // No floor, a lift of one floor, no top floor: the bottom. Beyond the top: the top.
    EXPECT_FLOAT_EQ(CLiftPainter::CarOffsetForFloor(0, 20, kShaftTop, kShaftBottom), 0.0f);
    EXPECT_FLOAT_EQ(CLiftPainter::CarOffsetForFloor(1, 1, kShaftTop, kShaftBottom), 0.0f);
    EXPECT_FLOAT_EQ(CLiftPainter::CarOffsetForFloor(5, 1, kShaftTop, kShaftBottom), 0.0f);
    EXPECT_FLOAT_EQ(CLiftPainter::CarOffsetForFloor(5, 0, kShaftTop, kShaftBottom), 0.0f);
    EXPECT_FLOAT_EQ(CLiftPainter::CarOffsetForFloor(200, 20, kShaftTop, kShaftBottom), travel);
    EXPECT_FLOAT_EQ(CLiftPainter::CarOffsetForFloor(255, 56, kShaftTop, kShaftBottom), travel);
}

TEST(LiftPainterTest, CarIsDrawnWhereItsFloorPutsIt)
{
    CarFixture f;
    const int x = f.painter.m_nCarX + kCar / 2;
    for (auto [floor, top] : {std::pair{1, 20}, {10, 20}, {20, 20}, {0, 20}, {200, 20}, {1, 1}, {3, 1}}) {
        SCOPED_TRACE(testing::Message() << "floor " << floor << " of " << top);
        f.AtFloor(floor, top);
        const QImage img = f.Draw();
        const int carTop = int(547.0f - f.painter.m_fCarOffset - kCar);
        const int row = CeilingRow(img, x);
        ASSERT_GE(row, 0);
        EXPECT_GE(row, carTop);
        EXPECT_LE(row, carTop + 5);
        // The car stays in the area whatever the floor.
        EXPECT_GE(carTop, 0);
        EXPECT_LE(carTop + kCar, kAreaH);
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
        for (QPoint probe : {mid, QPoint(f.painter.m_nCarX + 8, carTop + 20)})
            EXPECT_EQ(img.pixel(probe), ref.pixel(probe - QPoint(f.painter.m_nCarX, carTop))) << frame;
        seen.push_back(img.pixel(mid));
    }
    // Closed shows a leaf in the middle, open the lit car.
    EXPECT_NE(seen.front(), seen.back());
    // Frames outside 0..11 draw the nearest one.
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
        const QRect panel(0, 0, kAreaW, 40);
        auto greens = [&](const QImage& img) { return CountPixels(img, panel, [](QRgb c) { return Near(c, kGreen); }); };

        f.painter.m_nRunState = 0;
        EXPECT_EQ(greens(f.Draw(800)), 0);

        f.painter.m_nRunState = 1;
        QImage img = f.Draw(800);
        EXPECT_TRUE(Near(img.pixel(Centroid(p.m_rgnUp)), kGreen));
        f.painter.m_nRunState = 2;
        img = f.Draw(800);
        EXPECT_TRUE(Near(img.pixel(Centroid(p.m_rgnDown)), kGreen));

        f.painter.m_nRunState = 3;
        f.painter.m_nDoorMode = 6;
        img = f.Draw(800);
        EXPECT_TRUE(Near(img.pixel(p.m_rcStopBar.center()), kGreen));
        EXPECT_EQ(greens(img), p.m_rcStopBar.width() * p.m_rcStopBar.height());

        f.painter.m_nDoorMode = 1;
        img = f.Draw(800);
        EXPECT_TRUE(Near(img.pixel(Centroid(p.m_rgnOpen[0])), kGreen));
        EXPECT_TRUE(Near(img.pixel(Centroid(p.m_rgnOpen[1])), kGreen));
        EXPECT_FALSE(Near(img.pixel(p.m_rcStopBar.left() + 1, p.m_rcStopBar.top()), kGreen));

        f.painter.m_nDoorMode = 3;
        img = f.Draw(800);
        EXPECT_TRUE(Near(img.pixel(Centroid(p.m_rgnClose[0])), kGreen));
        EXPECT_TRUE(Near(img.pixel(Centroid(p.m_rgnClose[1])), kGreen));
    }
}

TEST(LiftPainterTest, NumberAndFloorNameInRed)
{
    CarFixture f;
    f.painter.m_nLiftNum = 9;
    f.AtFloor(12, 20);
    EXPECT_EQ(f.painter.FloorLabel(), QStringLiteral("12F"));
    QImage img = f.Draw();
    EXPECT_GT(CountPixels(img, f.painter.m_rcNumber, IsRedText), 5);
    EXPECT_GT(CountPixels(img, f.painter.m_rcName, IsRedText), 5);

    // No floor reported: no floor name.
    f.AtFloor(0, 20);
    EXPECT_EQ(f.painter.FloorLabel(), QString());
    img = f.Draw();
    EXPECT_EQ(CountPixels(img, f.painter.m_rcName, IsRedText), 0);
}

TEST(LiftPainterTest, FloorLabelNeverReadsBeyondTheNames)
{
    CarFixture f;
    f.painter.m_nFloor = 3;
    EXPECT_EQ(f.painter.FloorLabel(), QStringLiteral("3F"));
    // Beyond the names: the floor number.
    for (int floor : {21, 56, 200, 255}) {
        f.painter.m_nFloor = floor;
        EXPECT_EQ(f.painter.FloorLabel(), QString::number(floor) + QLatin1Char('F'));
        f.Draw();
    }
    // Units list shorter than the tens list: tens text alone.
    f.lift->arrFloorNameHi[14] = QStringLiteral("B");
    f.lift->arrFloorNameLo.erase(f.lift->arrFloorNameLo.begin() + 10, f.lift->arrFloorNameLo.end());
    f.painter.m_nFloor = 15;
    EXPECT_EQ(f.painter.FloorLabel(), QStringLiteral("BF"));
    // Names that shrank after the layout count no further than they reach.
    f.lift->arrFloorNameHi.clear();
    EXPECT_EQ(f.painter.FloorLabel(), QStringLiteral("15F"));
    // No lift record at all.
    f.painter.m_pLiftInf = nullptr;
    EXPECT_EQ(f.painter.FloorLabel(), QStringLiteral("15F"));
    f.Draw();
    // A painter never laid out draws nothing of the car, and does not fail.
    CLiftPainter bare;
    QImage img(50, 50, QImage::Format_ARGB32);
    QPainter p(&img);
    EXPECT_EQ(bare.DrawCar(p), 1);
}

namespace {

struct PictureFolder {
    QTemporaryDir tmp;
    PictureFolder()
    {
        QDir().mkpath(tmp.path() + QStringLiteral("/SoftResoure/Pic"));
        SetAppFolder(tmp.path());
    }
    ~PictureFolder() { SetAppFolder(QString()); }
    QString Path(const QString& name) const { return tmp.path() + QStringLiteral("/SoftResoure/Pic/") + name; }
    void Write(const QString& name, QSize size) const
    {
        QImage img(size, QImage::Format_RGB32);
        img.fill(QColor(30, 120, 200));
        ASSERT_TRUE(img.save(Path(name), "JPG"));
    }
};

} // namespace

TEST(LiftPainterTest, LoadPicturesReportsEachMissingOne)
{
    PictureFolder dir;
    const QStringList texts = MakeTexts();
    {
        // Both missing: one message each, the table's text of a failed picture.
        MessageBoxRecorder boxes;
        CLiftPainter painter;
        painter.m_pLanText = &texts;
        EXPECT_FALSE(painter.LoadPictures());
        ASSERT_EQ(boxes.count(), 2);
        EXPECT_EQ(boxes.texts()[0], texts[CLiftPainter::kPictureFailureText]);
        // The bitmaps load all the same.
        EXPECT_EQ(painter.m_imgShaft.size(), QSize(93, 517));
        for (const QImage& frame : painter.m_imgDoor)
            EXPECT_EQ(frame.size(), QSize(68, 70));
    }
    {
        // Without a text table the message is still in the station's language.
        MessageBoxRecorder boxes;
        CLiftPainter painter;
        painter.m_nLanguageKind = 1;
        EXPECT_FALSE(painter.LoadPictures());
        ASSERT_EQ(boxes.count(), 2);
        EXPECT_FALSE(boxes.texts()[0].contains(QRegularExpression(QStringLiteral("[A-Za-z]"))));
    }

    // The login picture present, the banner only as ".jpeg".
    dir.Write(QStringLiteral("LoadPic.jpg"), QSize(800, 400));
    dir.Write(QStringLiteral("LogoPic.jpeg"), QSize(300, 60));
    {
        MessageBoxRecorder boxes;
        CLiftPainter painter;
        EXPECT_TRUE(painter.LoadPictures());
        EXPECT_EQ(boxes.count(), 0);
        EXPECT_EQ(painter.m_szLogin, QSize(800, 400));
        EXPECT_EQ(painter.m_szBanner, QSize(300, 60));
    }

    // A file that is no picture fails cleanly.
    QFile bad(dir.Path(QStringLiteral("LoadPic.jpg")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture at all");
    bad.close();
    MessageBoxRecorder boxes;
    CLiftPainter painter;
    EXPECT_FALSE(painter.LoadJpeg(dir.Path(QStringLiteral("LoadPic.jpg")), CLiftPainter::kLoginPicture));
    EXPECT_TRUE(painter.m_imgLogin.isNull());
    QFile::resize(dir.Path(QStringLiteral("LoadPic.jpg")), 0);
    EXPECT_FALSE(painter.LoadJpeg(dir.Path(QStringLiteral("LoadPic.jpg")), CLiftPainter::kLoginPicture));
}

TEST(LiftPainterTest, BannerKeepsItsSizeOrFitsItsBand)
{
    CLiftPainter p;
    p.m_nClientWidth = 1280;
    p.m_nClientHeight = 800;
    p.m_nBannerHeight = 100;

    // Lower than the band: own size, 5 pixels above the bar, x 20.
    p.m_szBanner = QSize(300, 60);
    p.LayoutPictures();
    EXPECT_EQ(p.m_rcBanner, QRect(20, 35, 300, 60));

    // Taller than the band: fitted to the band's height keeping its aspect.
    p.m_szBanner = QSize(600, 150);
    p.LayoutPictures();
    EXPECT_EQ(p.m_rcBanner, QRect(20, 0, 400, 100));

    // Wider than the window: fitted to the width.
    p.m_szBanner = QSize(5200, 80);
    p.LayoutPictures();
    EXPECT_EQ(p.m_rcBanner.left(), 20);
    EXPECT_LE(p.m_rcBanner.right(), 1279);
    EXPECT_LE(p.m_rcBanner.height(), 100);
    EXPECT_NEAR(double(p.m_rcBanner.width()) / p.m_rcBanner.height(), 5200.0 / 80.0, 2.0);
}

TEST(LiftPainterTest, LoginPictureFitsItsAreaKeepingAspect)
{
    CLiftPainter p;
    for (QSize pic : {QSize(1200, 600), QSize(600, 600), QSize(400, 900), QSize(3000, 500)}) {
        for (auto [W, H, b] : {std::tuple{1280, 800, 80}, {1024, 768, 80}, {1920, 1080, 100}, {800, 1200, 100}}) {
            SCOPED_TRACE(testing::Message() << pic.width() << "x" << pic.height() << " in " << W << "x" << H);
            p.m_szLogin = pic;
            p.m_nClientWidth = W;
            p.m_nClientHeight = H;
            p.m_nBannerHeight = b;
            const int loginTop = p.LayoutPictures();
            const QRect& r = p.m_rcLogin;
            const int area = p.m_nLoginAreaHeight;
            EXPECT_EQ(r.top(), b + 35);
            EXPECT_GE(r.left(), 0);
            EXPECT_LE(r.right(), W - 1);
            EXPECT_LE(r.height(), area);
            // One side fills its room; the aspect is kept.
            EXPECT_TRUE(r.width() == W || r.height() == area);
            const double aspect = double(pic.width()) / pic.height();
            EXPECT_NEAR(double(r.width()) / r.height() / aspect, 1.0, 0.01);
            // Centred across when narrower than the window.
            EXPECT_LE(std::abs(r.left() - (W - r.right() - 1)), 1);
            EXPECT_EQ(loginTop, r.height() + r.top() + 20);
        }
    }
    // Nothing to place: the login row follows the bar.
    CLiftPainter empty;
    empty.m_nClientWidth = 1280;
    empty.m_nClientHeight = 800;
    empty.m_nBannerHeight = 80;
    EXPECT_EQ(empty.LayoutPictures(), 80 + 35 + 20);
    empty.m_nClientHeight = 100;  // no room at all
    empty.m_szLogin = QSize(100, 100);
    EXPECT_TRUE(empty.LayoutPictures() >= 0);
    EXPECT_TRUE(empty.m_rcLogin.isEmpty());
}

TEST(LiftPainterTest, DrawPictureRendersOrReleases)
{
    const QStringList texts = MakeTexts();
    CLiftPainter p;
    p.m_pLanText = &texts;
    p.m_imgBanner = QImage(300, 60, QImage::Format_RGB32);
    p.m_imgBanner.fill(QColor(200, 10, 10));
    p.m_szBanner = p.m_imgBanner.size();
    p.m_nClientWidth = 640;
    p.m_nClientHeight = 480;
    p.m_nBannerHeight = 100;
    p.LayoutPictures();

    QImage target(640, 480, QImage::Format_ARGB32);
    target.fill(Qt::black);
    {
        QPainter painter(&target);
        EXPECT_TRUE(p.DrawPicture(CLiftPainter::kBannerPicture, painter));
        // The login picture was never loaded: nothing drawn, nothing said.
        MessageBoxRecorder boxes;
        EXPECT_FALSE(p.DrawPicture(CLiftPainter::kLoginPicture, painter));
        EXPECT_EQ(boxes.count(), 0);
    }
    EXPECT_TRUE(Near(target.pixel(p.m_rcBanner.center()), QColor(200, 10, 10), 3));
    EXPECT_TRUE(Near(target.pixel(5, 5), Qt::black));

    // A painter that cannot draw: the picture is let go, and no box opens
    // from inside a paint (the window reports it afterwards).
    MessageBoxRecorder boxes;
    QPainter inactive;
    EXPECT_FALSE(p.DrawPicture(CLiftPainter::kBannerPicture, inactive));
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_TRUE(p.m_imgBanner.isNull());
    EXPECT_FALSE(p.DrawPicture(CLiftPainter::kBannerPicture, inactive));
}
