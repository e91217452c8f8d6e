#include "views/StaA.h"

#include <QFont>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <algorithm>

#include "link/LiftInf.h"
#include "pics/BitmapResource.h"
#include "platform/UiText.h"
#include "views/ViewMessages.h"

namespace {

QPolygon ToPolygon(const TileTriangle& t)
{
    return QPolygon({t[0], t[1], t[2]});
}

bool Bit(int word, int k)
{
    return ((word >> k) & 1) != 0;
}

} // namespace

CStaA::CStaA(QWidget* parent)
    : QWidget(parent)
{
    m_penOffline = QPen(QColor(255, 0, 0), 5);
    m_penAlert = QPen(QColor(239, 245, 160), 5);
    m_penOffline.setJoinStyle(Qt::MiterJoin);
    m_penAlert.setJoinStyle(Qt::MiterJoin);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CStaA::SetTileSize(int w, int h)
{
    m_nWidth = w;
    m_nHeight = h;
    m_bResized = 1;
    BuildArrowRegions();
    resize(w, h);
}

void CStaA::BuildArrowRegions()
{
    m_geo = ComputeTileGeometry(m_nWidth, m_nHeight);
    m_nMargin = m_geo.nMargin;
}

void CStaA::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // A view that only moves the widget still gets a tile drawn to its size.
    if (width() != m_nWidth || height() != m_nHeight) {
        m_nWidth = width();
        m_nHeight = height();
        m_bResized = 1;
        BuildArrowRegions();
    }
}

void CStaA::StartDoorMotion(DoorMotion motion)
{
    m_doorMotion = motion;
}

bool CStaA::DoorAnimStep()
{
    switch (m_doorMotion) {
    case DoorMotion::Opening:
        if (m_nDoorStep < kDoorSteps - 1) {
            ++m_nDoorStep;
            update();
        } else {
            m_nDoorStep = kDoorSteps - 1;
            m_doorMotion = DoorMotion::None;
        }
        break;
    case DoorMotion::Closing:
        if (m_nDoorStep > 0) {
            --m_nDoorStep;
        } else {
            m_nDoorStep = 0;
            m_doorMotion = DoorMotion::None;
        }
        update();
        break;
    case DoorMotion::None:
        break;
    }
    return m_doorMotion != DoorMotion::None;
}

QString CStaA::FloorText(const strLiftInf& lift)
{
    const int floor = lift.nCurFloor;
    if (floor >= 1 && floor <= lift.arrFloorNameHi.size() && floor <= lift.arrFloorNameLo.size())
        return lift.arrFloorNameHi.at(floor - 1) + lift.arrFloorNameLo.at(floor - 1);
    return QString::number(floor);
}

CStaA::strTileStatus CStaA::TileStatus(const strLiftInf& lift, const QStringList* texts)
{
    const QColor green(0, 255, 0), blue(0, 0, 255), red(255, 0, 0);
    strTileStatus st;
    const bool offline = lift.bOffline != 0;
    const bool flagA = lift.bFlagA != 0;
    const bool flagB = lift.bFlagB != 0;
    const int bits = lift.nStatusBits;

    if (offline) {
        st.strText = QStringLiteral("Err:") + UiText(texts, 74);
        st.bRed = true;
        st.frame = StatusFrame::Offline;
    } else {
        // Later rules override the earlier text.
        st.strText = UiText(texts, 35);
        if (flagA)
            st.strText = UiText(texts, 44);
        if (flagB) {
            st.strText = UiText(texts, 45);
            st.bRed = true;
            st.frame = StatusFrame::Alert;
        }
        for (int k = 1; k <= 4; ++k) {
            if (Bit(bits, k)) {
                st.strText = UiText(texts, 252 + k);
                st.bRed = true;
                st.frame = StatusFrame::Alert;
            }
        }
        if (Bit(bits, 4))
            st.strText += QStringLiteral(":Err") + QString::number(int(lift.nFaultCode));
    }

    st.crIndicator = (offline || flagB || Bit(bits, 4)) ? red : (flagA ? blue : green);
    const int doors = lift.nDoorFlags;
    switch (int(lift.nRunState)) {
    case 1:
        st.indicator = Indicator::Up;
        break;
    case 2:
        st.indicator = Indicator::Down;
        break;
    case 0:
        if (!(flagA && flagB) && (Bit(doors, 0) || Bit(doors, 2))) {
            st.indicator = Indicator::OpeningPair;
            st.crIndicator = green;
        } else if (!(flagA && flagB) && (Bit(doors, 1) || Bit(doors, 3))) {
            st.indicator = Indicator::ClosingPair;
            st.crIndicator = green;
        } else {
            st.indicator = Indicator::StopBar;
        }
        break;
    default:
        st.indicator = Indicator::None;
        break;
    }
    return st;
}

void CStaA::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    DrawTile(painter);
}

void CStaA::DrawTile(QPainter& painter)
{
    const int w = m_nWidth;
    const int h = m_nHeight;
    if (w <= 0 || h <= 0)
        return;

    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(PointTenthsToPixels(TileFontTenths(w)));
    painter.setFont(font);
    painter.setBackgroundMode(Qt::TransparentMode);
    m_bInit = 1;
    m_bResized = 0;

    const strLiftInf* lift = m_pLiftInf;
    const int back = (lift && lift->nModel == 1) ? kBackModel1 : kBackDefault;
    const QImage backImg = LoadScaledBitmap(back, QSize(w, h));
    if (backImg.isNull())
        painter.fillRect(0, 0, w, h, QColor(40, 44, 52));
    else
        painter.drawImage(0, 0, backImg);

    QColor text(255, 255, 255);
    if (lift && lift->nKind == 1) {
        const int step = std::clamp(int(m_nDoorStep), 0, kDoorSteps - 1);
        const QImage door = LoadScaledBitmap(kFirstDoorBitmap + step, m_geo.rcDoor.size());
        if (!door.isNull())
            painter.drawImage(m_geo.rcDoor.topLeft(), door);

        painter.setPen(text);
        painter.drawText(m_geo.rcFloor, Qt::AlignCenter, FloorText(*lift));

        const strTileStatus st = TileStatus(*lift, m_pLanText);
        if (st.bRed)
            text = m_crRed;
        if (st.frame != StatusFrame::None) {
            painter.save();
            painter.setPen(st.frame == StatusFrame::Offline ? m_penOffline : m_penAlert);
            painter.setBrush(Qt::NoBrush);
            const int m = m_nMargin;
            painter.drawRect(QRect(m, m, w - 2 * m - 1, h - 2 * m - 1));
            painter.restore();
        }
        painter.setPen(text);
        painter.drawText(m_geo.rcStatus, Qt::AlignCenter, st.strText);

        painter.save();
        painter.setPen(Qt::NoPen);
        painter.setBrush(st.crIndicator);
        switch (st.indicator) {
        case Indicator::Up:
            painter.drawPolygon(ToPolygon(m_geo.ptUp), Qt::WindingFill);
            break;
        case Indicator::Down:
            painter.drawPolygon(ToPolygon(m_geo.ptDown), Qt::WindingFill);
            break;
        case Indicator::OpeningPair:
            painter.drawPolygon(ToPolygon(m_geo.ptOpenL), Qt::WindingFill);
            painter.drawPolygon(ToPolygon(m_geo.ptOpenR), Qt::WindingFill);
            break;
        case Indicator::ClosingPair:
            painter.drawPolygon(ToPolygon(m_geo.ptCloseL), Qt::WindingFill);
            painter.drawPolygon(ToPolygon(m_geo.ptCloseR), Qt::WindingFill);
            break;
        case Indicator::StopBar:
            painter.fillRect(m_geo.rcStopBar, st.crIndicator);
            break;
        case Indicator::None:
            break;
        }
        painter.restore();
    }

    // Name and number of every tile, in the colour the status left.
    painter.setPen(text);
    if (lift) {
        painter.drawText(m_geo.rcName, Qt::AlignCenter, lift->strName);
        painter.drawText(m_geo.rcNumber, Qt::AlignCenter, QString::number(int(lift->nLiftNum)));
    }
}

void CStaA::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // Only an installed lift opens; a click on an empty slot does nothing.
    if (m_pLiftInf && m_pLiftInf->nKind == 1) {
        const int lift = m_pLiftInf->nLiftNum;
        if (lift >= 1 && lift <= 64)
            PostMessage(m_hMainWnd, WM_OPEN_LIFT, 1, lift);
    }
    event->accept();
}

void CStaA::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_bDrag) {
        m_bDrag = 0;
        SendMessage(m_hView, WM_CELL_DRAG_END, 0, 0);
    }
    QWidget::mouseReleaseEvent(event);
}
