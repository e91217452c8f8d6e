#include "mainwnd/LiftPainter.h"

#include <QFile>
#include <QPainter>
#include <algorithm>

#include "link/LiftInf.h"
#include "pics/BitmapResource.h"
#include "platform/AppFolder.h"
#include "platform/FixedText.h"
#include "platform/MessageBox.h"
#include "platform/UiText.h"

namespace {

QPolygon Triangle(QPoint a, QPoint b, QPoint c)
{
    return QPolygon({a, b, c});
}

// A rectangle given as left, top, right, bottom (right and bottom exclusive).
QRect Ltrb(int l, int t, int r, int b)
{
    return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
}

} // namespace

CLiftPainter::CLiftPainter() = default;

QString CLiftPainter::PictureFailureText() const
{
    const QString text = UiText(m_pLanText, kPictureFailureText);
    if (!text.isEmpty())
        return text;
    return FixedText{QStringLiteral("图片显示失败。"), QStringLiteral("The picture could not be shown."),
                     QStringLiteral("圖片顯示失敗。")}
        .In(m_nLanguageKind);
}

bool CLiftPainter::LoadPictures()
{
    const QString folder = GetAppFolder() + QStringLiteral("SoftResoure/Pic/");
    bool ok = true;
    const struct { QString file; int which; } pictures[] = {
        {folder + QStringLiteral("LoadPic.jpg"), kLoginPicture},
        {folder + QStringLiteral("LogoPic.jpg"), kBannerPicture},
    };
    for (const auto& pic : pictures) {
        if (!LoadJpeg(pic.file, pic.which)) {
            AfxMessageBox(PictureFailureText());
            ok = false;
        }
    }
    LoadBitmaps();
    return ok;
}

bool CLiftPainter::LoadJpeg(const QString& file, int which)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        // Try the other spelling of the extension once.
        const int slash = file.lastIndexOf(QLatin1Char('/'));
        const int dot = file.lastIndexOf(QLatin1Char('.'));
        const QString other = (dot > slash ? file.left(dot) : file) + QStringLiteral(".jpeg");
        in.setFileName(other);
        if (!in.open(QIODevice::ReadOnly))
            return false;
    }
    QImage img;
    if (!img.loadFromData(in.readAll()) || img.isNull())
        return false;
    if (which == kBannerPicture) {
        m_imgBanner = img;
        m_szBanner = img.size();
    } else {
        m_imgLogin = img;
        m_szLogin = img.size();
    }
    return true;
}

int CLiftPainter::LayoutPictures()
{
    const int b = m_nBannerHeight;
    const int W = m_nClientWidth;
    const int H = m_nClientHeight;

    // Banner: the band from x 20 to the right edge, b high. A picture that fits
    // keeps its size and sits 5 pixels above the bar; a larger one is fitted to
    // the band keeping its aspect.
    m_rcBanner = QRect();
    if (!m_szBanner.isEmpty()) {
        const int w = m_szBanner.width();
        const int h = m_szBanner.height();
        const int areaW = std::max(0, W - 20);
        if (b > h && w <= areaW) {
            m_rcBanner = QRect(20, std::max(0, b - h - 5), w, h);
        } else if (b > 0 && areaW > 0) {
            const double scale = std::min(double(b) / h, double(areaW) / w);
            m_rcBanner = QRect(20, 0, int(w * scale), int(h * scale));
        }
    }

    // Login picture: below the button bar, fitted to the area keeping its aspect.
    // Below it stays room for the login row (20 pixels to its top, and the row:
    // its button reaches 23 pixels below that), so the row is never cut off.
    constexpr int kLoginRowRoom = 20 + 30;
    const int y = b + 35;
    m_nLoginAreaHeight = H - y - kLoginRowRoom;
    m_rcLogin = QRect(0, y, 0, 0);
    if (!m_szLogin.isEmpty() && m_nLoginAreaHeight > 0 && W > 0) {
        const double r2 = double(m_szLogin.height()) / m_szLogin.width();
        const double A = m_nLoginAreaHeight;
        if (r2 < A / W) {
            m_rcLogin = QRect(0, y, W, int(r2 * W));
        } else {
            const int dw = int(A / r2);
            m_rcLogin = QRect((W - dw) / 2, y, dw, m_nLoginAreaHeight);
        }
    }
    return m_rcLogin.height() + y + 20;
}

bool CLiftPainter::DrawPicture(int which, QPainter& painter)
{
    QImage& img = which == kBannerPicture ? m_imgBanner : m_imgLogin;
    const QRect& rc = which == kBannerPicture ? m_rcBanner : m_rcLogin;
    if (img.isNull() || rc.isEmpty())
        return false;
    if (!painter.isActive()) {
        // Released, so it is not tried again; the caller reports it once,
        // after the paint (no box may open inside one).
        img = QImage();
        if (which == kBannerPicture)
            m_szBanner = QSize();
        else
            m_szLogin = QSize();
        return false;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rc, img);
    painter.restore();
    return true;
}

void CLiftPainter::LoadBitmaps()
{
    m_imgShaft = LoadBitmapResource(kShaftBitmap);
    for (int i = 0; i < kDoorFrames; ++i)
        m_imgDoor[i] = LoadBitmapResource(kFirstDoorBitmap + i);
    m_imgShaftScaled = QImage();
    m_imgDoorScaled.fill(QImage());
}

void CLiftPainter::CreateFrameDCs()
{
    if (m_imgShaft.isNull())
        LoadBitmaps();
    ScaleBitmaps();
}

void CLiftPainter::ScaleBitmaps()
{
    // Scaled once per size and shared; the page redraws every 50 ms.
    const QSize shaft(m_nShaftWidth, m_nShaftHeight);
    if (!m_imgShaft.isNull() && m_imgShaftScaled.size() != shaft)
        m_imgShaftScaled = LoadScaledBitmap(kShaftBitmap, shaft);
    const QSize car(m_nCarWidth, m_nCarHeight);
    for (int i = 0; i < kDoorFrames; ++i) {
        if (!m_imgDoor[i].isNull() && m_imgDoorScaled[i].size() != car)
            m_imgDoorScaled[i] = LoadScaledBitmap(kFirstDoorBitmap + i, car);
    }
}

void CLiftPainter::SetCarLayout(int layout, int shaftWidth, int shaftHeight, int carSize)
{
    m_nShaftWidth = shaftWidth;
    m_nShaftHeight = shaftHeight;
    m_nCarWidth = carSize;
    m_nCarHeight = carSize;
    m_nFloorNameCount = m_pLiftInf ? int(m_pLiftInf->arrFloorNameHi.size()) : 0;

    if (layout == 1) {
        m_rcName = Ltrb(66, 7, 106, 34);
        m_rcNumber = Ltrb(6, 7, 32, 32);
        m_rcStopBar = Ltrb(36, 9, 63, 21);
        m_rgnUp = Triangle({48, 5}, {36, 25}, {61, 25});
        m_rgnDown = Triangle({48, 25}, {36, 5}, {61, 5});
        m_rgnOpen = {Triangle({47, 6}, {47, 28}, {36, 17}), Triangle({61, 17}, {50, 6}, {50, 28})};
        m_rgnClose = {Triangle({37, 6}, {37, 28}, {48, 17}), Triangle({51, 17}, {62, 6}, {62, 28})};
        m_nCarX = 30;
        m_nCarBottom = 547;
    } else if (layout == 2) {
        m_rcName = Ltrb(76, 15, 117, 36);
        m_rcNumber = Ltrb(6, 15, 36, 36);
        m_rcStopBar = Ltrb(41, 16, 71, 30);
        m_rgnUp = Triangle({56, 12}, {42, 34}, {70, 34});
        m_rgnDown = Triangle({56, 34}, {42, 12}, {70, 12});
        m_rgnOpen = {Triangle({54, 10}, {54, 36}, {41, 23}), Triangle({58, 10}, {58, 36}, {71, 23})};
        m_rgnClose = {Triangle({41, 10}, {41, 36}, {54, 23}), Triangle({71, 10}, {71, 36}, {58, 23})};
        m_nCarX = 32;
        m_nCarBottom = 746;
    }
    if (!m_imgShaft.isNull())
        ScaleBitmaps();
}

float CLiftPainter::CarOffsetForFloor(int floor, int topFloor, int shaftTop, int shaftBottom)
{
    if (floor < 2 || topFloor < 2)
        return 0.0f;
    const float pxPerFloor = float(shaftBottom - shaftTop) / float(topFloor - 1);
    return float(std::min(floor, topFloor) - 1) * pxPerFloor;
}

QString CLiftPainter::FloorLabel() const
{
    // A floor the lift has no name for shows no name at all; nothing is read
    // beyond the names the record holds now.
    const int i = m_nFloor - 1;
    if (m_nFloor < 1 || m_nFloor > m_nFloorNameCount || !m_pLiftInf || i >= m_pLiftInf->arrFloorNameHi.size())
        return QString();
    const QStringList& lo = m_pLiftInf->arrFloorNameLo;
    return m_pLiftInf->arrFloorNameHi.at(i) + (i < lo.size() ? lo.at(i) : QString()) + QLatin1Char('F');
}

int CLiftPainter::DrawCar(QPainter& painter)
{
    if (m_imgShaft.isNull())
        LoadBitmaps();
    ScaleBitmaps();

    const int carTop = int(float(m_nCarBottom) - m_fCarOffset - float(m_nCarHeight));
    const int frame = std::clamp(m_nDoorFrame, 0, kDoorFrames - 1);

    painter.save();
    if (!m_imgShaftScaled.isNull())
        painter.drawImage(0, 0, m_imgShaftScaled);
    if (!m_imgDoorScaled[frame].isNull())
        painter.drawImage(m_nCarX, carTop, m_imgDoorScaled[frame]);

    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(m_crRed);
    m_strText = QString::number(m_nLiftNum);
    painter.drawText(m_rcNumber, Qt::AlignCenter, m_strText);
    m_strText = FloorLabel();
    painter.drawText(m_rcName, Qt::AlignCenter, m_strText);

    painter.setPen(Qt::NoPen);
    painter.setBrush(m_crGreen);
    switch (m_nRunState) {
    case 1:
        painter.drawPolygon(m_rgnUp, Qt::WindingFill);
        break;
    case 2:
        painter.drawPolygon(m_rgnDown, Qt::WindingFill);
        break;
    case 3:
        if (m_nDoorMode == 1) {
            for (const QPolygon& part : m_rgnOpen)
                painter.drawPolygon(part, Qt::WindingFill);
        } else if (m_nDoorMode == 3) {
            for (const QPolygon& part : m_rgnClose)
                painter.drawPolygon(part, Qt::WindingFill);
        } else {
            painter.fillRect(m_rcStopBar, m_crGreen);
        }
        break;
    default:
        break;
    }
    painter.restore();
    return 1;
}
