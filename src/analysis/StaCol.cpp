#include "analysis/StaCol.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "analysis/CallStatBlock.h"
#include "pics/BitmapResource.h"
#include "platform/ColorRef.h"

CStaCol::CStaCol(QWidget* parent)
    : QLabel(parent)
    , m_brColors{QBrush(FromColorRef(RGB(122, 156, 194))), QBrush(FromColorRef(RGB(205, 157, 208))),
                 QBrush(FromColorRef(RGB(240, 196, 158))), QBrush(FromColorRef(RGB(240, 151, 124)))}
    , m_penAxis(FromColorRef(RGB(255, 126, 0)), 1)
    , m_font(QStringLiteral("Arial"))
{
    m_font.setPointSize(8);
    // Moves arrive without a pressed button too, as for the station's statics.
    setMouseTracking(true);
}

const std::int32_t* CStaCol::SeriesCounts(const strCallStatBlock& block) const
{
    switch (m_nSeries) {
    case kSeriesCar: return block.nCarCalls.data();
    case kSeriesUp: return block.nUpCalls.data();
    case kSeriesDown: return block.nDownCalls.data();
    default: return nullptr;
    }
}

std::vector<CStaCol::strColumn> CStaCol::Columns() const
{
    std::vector<strColumn> columns;
    // A full scale of 0 has no column height to draw.
    if (!m_pBlocks || m_nFullScale <= 0)
        return columns;
    const int width = (m_nFloorPitch - 4) / 4;
    if (width <= 0)
        return columns;
    const int baseline = Baseline();
    for (int i = 0; i < m_nFloorCount; ++i) {
        int x = kOriginX + i * m_nFloorPitch + m_nColumnOffset;
        for (int k = 0; k < 4; ++k) {
            const strCallStatBlock& block = m_pBlocks[k];
            // The counts hold 56 floors, whatever floor count a block claims.
            const int floors = std::min(block.nFloorCount, strCallStatBlock::kMaxFloors);
            const std::int32_t* counts = SeriesCounts(block);
            if (block.nUsed <= 0 || floors <= i || !counts)
                continue;
            const std::int32_t value = std::max(counts[i], 0);
            const double scaled = double(value) / m_nFullScale * m_nPlotHeight;
            const int height = int(std::clamp(scaled, 0.0, double(kChartHeight) * 4));
            columns.push_back({k, i, QRect(x, baseline - height, width, height)});
            x += width;
        }
    }
    return columns;
}

const QImage& CStaCol::DrawChartImage()
{
    if (m_imgChart.isNull()) {
        m_imgPicture = LoadBitmapResource(kPictureId);
        m_imgChart = QImage(kChartWidth, kChartHeight, QImage::Format_RGB32);
    }
    m_imgChart.fill(Qt::white);
    QPainter g(&m_imgChart);
    if (!m_imgPicture.isNull())
        g.drawImage(m_imgChart.rect(), m_imgPicture.scaled(m_imgChart.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation));
    g.setFont(m_font);
    g.setPen(m_penAxis);

    const int baseline = Baseline();
    g.drawLine(kOriginX + m_nPlotWidth, baseline, kOriginX, baseline);
    for (int i = 0; i <= m_nFloorCount && i <= kChartWidth; ++i) {
        const int x = kOriginX + i * m_nFloorPitch;
        g.setPen(m_penAxis);
        g.drawLine(x, baseline, x, baseline + 5);
        if (i < m_nFloorCount) {
            g.setPen(Qt::black);
            g.drawText(QRect(QPoint(x, baseline + 3), QPoint(x + m_nFloorPitch, baseline + 20)),
                       Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, QString::asprintf("%d", i + 1));
        }
    }
    for (const strColumn& column : Columns())
        g.fillRect(column.rc, m_brColors[std::size_t(column.nBlock)]);
    return m_imgChart;
}

void CStaCol::paintEvent(QPaintEvent*)
{
    OnPaint();
}

void CStaCol::OnPaint()
{
    DrawChartImage();
    m_bFirstPaintDone = 1;
    QPainter screen(this);
    DrawScreen(screen);
}

void CStaCol::DrawScreen(QPainter& screen)
{
    screen.setFont(m_font);
    // Only the part of the chart image that exists is copied, whatever offset
    // and size the page gives.
    const QRect wanted(m_nScrollOffset, 0, m_nVisibleWidth, m_nVisibleHeight);
    const QRect source = wanted.intersected(m_imgChart.rect());
    if (!source.isEmpty())
        screen.drawImage(QPoint(source.x() - m_nScrollOffset, 0), m_imgChart, source);

    const int baseline = Baseline();
    screen.setPen(m_penAxis);
    screen.drawLine(kOriginX, 25, kOriginX, baseline);

    if (m_pBlocks) {
        int x = 150;
        for (int k = 0; k < 4; ++k) {
            const strCallStatBlock& block = m_pBlocks[k];
            if (block.nUsed <= 0)
                continue;
            screen.fillRect(QRect(x, 0, 20, 18), m_brColors[std::size_t(k)]);
            screen.setPen(Qt::black);
            screen.drawText(QRect(QPoint(x + 25, 0), QPoint(x + 145, 18)), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                            block.strCaption);
            x += 150;
        }
    }

    int y = baseline;
    for (int k = 0; k <= 20; ++k) {
        screen.setPen(m_penAxis);
        screen.drawLine(40, y, 45, y);
        screen.setPen(Qt::black);
        screen.drawText(QRect(QPoint(0, y - 7), QPoint(36, y + 8)), Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                        QString::asprintf("%d", m_nLabelStepValue * k));
        y -= m_nLabelStepPixels;
    }
}

void CStaCol::OnLButtonDown()
{
    m_bButtonDown = 1;
    setCursor(Qt::SizeHorCursor);
}

void CStaCol::OnMouseMove(int x)
{
    if (!m_bHoverTrack)
        m_bHoverTrack = 1;  // leave notices come with every Qt widget
    if (!m_bButtonDown || !m_bDragEnabled)
        return;
    setCursor(Qt::SizeHorCursor);
    if (!m_bDragStarted) {
        m_nLastX = x;
        m_nEarlierX = x;
        m_bDragStarted = 1;
        return;
    }
    const std::int64_t offset = std::int64_t(m_nScrollOffset) + m_nLastX - m_nEarlierX;
    if (offset > m_nScrollLimit)
        m_nScrollOffset = m_nScrollLimit;
    else if (offset < 0)
        m_nScrollOffset = 0;
    else
        m_nScrollOffset = std::int32_t(offset);
    update();
    m_nEarlierX = m_nLastX;
    m_nLastX = x;
}

void CStaCol::OnLButtonUp()
{
    m_bButtonDown = 0;
    m_bDragStarted = 0;
    unsetCursor();
}

int CStaCol::OnMouseLeave()
{
    m_bHoverTrack = 0;
    m_bButtonDown = 0;
    m_bDragStarted = 0;
    return 0;
}

void CStaCol::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        OnLButtonDown();
    QLabel::mousePressEvent(event);
}

void CStaCol::mouseMoveEvent(QMouseEvent* event)
{
    OnMouseMove(int(event->position().x()));
    QLabel::mouseMoveEvent(event);
}

void CStaCol::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        OnLButtonUp();
    QLabel::mouseReleaseEvent(event);
}

void CStaCol::leaveEvent(QEvent* event)
{
    OnMouseLeave();
    QLabel::leaveEvent(event);
}
