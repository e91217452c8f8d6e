#include "views/StaGrp.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>

#include "link/LiftInf.h"
#include "pics/BitmapResource.h"
#include "platform/UiText.h"
#include "views/TileGeometry.h"

namespace {

constexpr int kTextOnline = 103;
constexpr int kTextFlagA = 44;
constexpr int kTextFlagB = 45;
constexpr int kTextFirstMode = 28;  // mode m is text 28 + m
constexpr int kTextOfflineTitle = 73;
constexpr int kTextOffline = 74;
constexpr int kOfflineLineWidth = 60;
constexpr int kModeOutOfService = 5;
const QColor kTextGrey(220, 220, 220);

// Stands in for the plain font a fresh drawing context has: bold and about
// 16 pixels to the line, enough for two digits in the number and floor boxes.
QFont PlainContextFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    font.setBold(true);
    return font;
}

QPolygon ToPolygon(const CellTriangle& t)
{
    return QPolygon({t[0], t[1], t[2]});
}

QString YesNo(bool flag)
{
    return flag ? QStringLiteral(" Yes  ") : QStringLiteral(" No   ");
}

} // namespace

CStaGrp::CStaGrp(QWidget* parent)
    : QWidget(parent), m_font(QStringLiteral("Microsoft Sans Serif"))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CStaGrp::SetLayout(const strGroupCellLayout& layout)
{
    m_layout = layout;
    m_font = QFont(QStringLiteral("Microsoft Sans Serif"));
    m_font.setPixelSize(PointTenthsToPixels(layout.nFontTenths));
    m_font.setWeight(QFont::Weight(500));
    m_bResized = 1;
    resize(layout.szCell);
}

void CStaGrp::UpdatePixelScale()
{
    const int height = m_pLiftInf ? int(m_pLiftInf->nHeight) : 0;
    const int travel = m_layout.nBaseLine - m_layout.szCar.height() - m_layout.nTravelTop;
    m_fPixelsPerUnit = height > 0 ? float(travel) / float(height) : 0.0f;
}

int CStaGrp::CarTop() const
{
    const int top = m_layout.nBaseLine - int(float(m_nDrawPos) * m_fPixelsPerUnit);
    // A position beyond the stored height (or below 0) stays in the shaft
    // rather than covering the texts above or below it.
    const int highest = m_layout.nTravelTop + m_layout.szCar.height();
    return std::clamp(top, std::min(highest, m_layout.nBaseLine), m_layout.nBaseLine);
}

CStaGrp::strStatusBlock CStaGrp::StatusBlock(const strLiftInf& lift, const QStringList* texts)
{
    strStatusBlock block;
    if (lift.bOffline) {
        block.bOffline = true;
        block.strLine[0] = UiText(texts, kTextOfflineTitle);
        block.strLine[1] = UiText(texts, kTextOffline);
        block.bRed = {true, true, true};
        return block;
    }
    block.strLine[0] = UiText(texts, kTextOnline);
    // The text of a mode the table has no entry for is empty.
    block.strLine[1] = UiText(texts, kTextFirstMode + int(lift.nCtrlMode));
    if (const int fault = lift.nFaultCode; fault != 0) {
        block.strLine[1] += QStringLiteral("  Err") + QString::number(fault);
        block.bRed[1] = true;
    }
    block.strLine[2] = UiText(texts, kTextFlagA) + YesNo(lift.bFlagA != 0) + UiText(texts, kTextFlagB)
                       + YesNo(lift.bFlagB != 0);
    return block;
}

CStaGrp::Indicator CStaGrp::RunIndicator(const strLiftInf& lift)
{
    const bool flagB = lift.bFlagB != 0;
    switch (int(lift.nRunState)) {
    case 0:
    case 3:
        return (lift.nCtrlMode == kModeOutOfService || flagB || lift.bOffline) ? Indicator::StopRed
                                                                              : Indicator::StopGreen;
    case 1:
        return flagB ? Indicator::UpRed : Indicator::UpGreen;
    case 2:
        return flagB ? Indicator::DownRed : Indicator::DownGreen;
    default:
        return Indicator::None;
    }
}

void CStaGrp::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    DrawGroupCell(painter);
}

void CStaGrp::DrawGroupCell(QPainter& painter)
{
    const QSize size = m_layout.szCell.isEmpty() ? this->size() : m_layout.szCell;
    m_bInit = 1;
    m_bResized = 0;

    // Shaft over the whole cell.
    const QImage shaft = LoadScaledBitmap(kShaftBitmap, size);
    if (shaft.isNull())
        painter.fillRect(QRect(QPoint(0, 0), size), QColor(26, 28, 32));
    else
        painter.drawImage(0, 0, shaft);
    painter.setBackgroundMode(Qt::TransparentMode);

    const strLiftInf* lift = m_pLiftInf;
    if (!lift)
        return;

    // Car with its doors at the drawn position.
    const int step = std::clamp(int(m_nDoorStep), 0, kLastDoorStep);
    const QImage door = LoadScaledBitmap(kFirstDoorBitmap + step, m_layout.szCar);
    if (!door.isNull())
        painter.drawImage(m_layout.nCarX, CarTop(), door);

    // Number and floor in the plain font, the name in the cell font.
    painter.setPen(kTextGrey);
    painter.setFont(PlainContextFont());
    painter.drawText(m_layout.rcNumber, Qt::AlignCenter, QStringLiteral("%1").arg(int(lift->nLiftNum)));
    painter.drawText(m_layout.rcFloor, Qt::AlignCenter, QStringLiteral("%1").arg(int(lift->nCurFloor)));
    painter.setFont(m_font);
    painter.drawText(m_layout.rcName, Qt::AlignLeft | Qt::AlignTop, lift->strName);

    // Status block.
    const strStatusBlock block = StatusBlock(*lift, m_pLanText);
    const int lines = block.bOffline ? 2 : 3;
    const int width = block.bOffline ? kOfflineLineWidth : m_layout.rcStatus.width();
    for (int i = 0; i < lines; ++i) {
        const QRect rc(m_layout.rcStatus.left(), m_layout.rcStatus.top() + i * kStatusLineHeight, width,
                       kStatusLineHeight);
        painter.setPen(block.bRed[std::size_t(i)] ? m_crRed : kTextGrey);
        painter.drawText(rc, Qt::AlignLeft | Qt::AlignTop, block.strLine[std::size_t(i)]);
    }

    // Run indicator.
    const Indicator indicator = RunIndicator(*lift);
    const bool red = indicator == Indicator::StopRed || indicator == Indicator::UpRed || indicator == Indicator::DownRed;
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(red ? m_crRed : m_crGreen);
    switch (indicator) {
    case Indicator::StopGreen:
    case Indicator::StopRed:
        painter.drawRect(m_layout.rcStop);
        break;
    case Indicator::UpGreen:
    case Indicator::UpRed:
        painter.drawPolygon(ToPolygon(m_layout.ptUp), Qt::WindingFill);
        break;
    case Indicator::DownGreen:
    case Indicator::DownRed:
        painter.drawPolygon(ToPolygon(m_layout.ptDown), Qt::WindingFill);
        break;
    case Indicator::None:
        break;
    }
    painter.restore();
}
