#pragma once
// Column chart of call counts per floor: for every floor one group of up to
// four columns, one per used call statistics block, in the block's colour. The
// chart is drawn into a 1400 x 800 off-screen image and the visible part is
// shown from a horizontal scroll offset, which the analysis page's scale sets
// and a drag (when enabled) moves. The value axis, legend and value labels
// stay fixed on the control.
#include <QBrush>
#include <QFont>
#include <QImage>
#include <QLabel>
#include <QPen>
#include <QRect>
#include <array>
#include <cstdint>
#include <vector>

struct strCallStatBlock;

class CStaCol : public QLabel {
    Q_OBJECT
public:
    static constexpr int kChartWidth = 1400;
    static constexpr int kChartHeight = 800;
    static constexpr int kOriginX = 45;     // x of the value axis
    static constexpr int kPictureId = 179;  // background picture

    enum : std::int32_t { kSeriesCar = 3, kSeriesUp = 4, kSeriesDown = 5 };

    explicit CStaCol(QWidget* parent = nullptr);

    // One column of the chart image.
    struct strColumn {
        int nBlock;
        int nFloor;   // floor index from 0
        QRect rc;     // in the chart image; its last row is just above the baseline
    };
    // The columns the chart image shows; none without blocks, without a
    // full-scale value above 0, or with a series other than 3, 4 or 5.
    std::vector<strColumn> Columns() const;
    int Baseline() const { return m_nPlotHeight + 25; }
    // Redraws the chart image (made at the first paint) and gives it.
    const QImage& DrawChartImage();

    void OnLButtonDown();
    void OnMouseMove(int x);
    void OnLButtonUp();
    int OnMouseLeave();

    std::uint8_t m_bHoverTrack = 0;
    std::uint8_t m_bFirstPaintDone = 0;
    std::uint8_t m_bButtonDown = 0;
    std::uint8_t m_bDragStarted = 0;
    std::uint8_t m_bDragEnabled = 0;
    strCallStatBlock* m_pBlocks = nullptr;   // the page's four blocks
    QImage m_imgChart;
    std::array<QBrush, 4> m_brColors;
    QPen m_penAxis;
    std::int32_t m_nColumnOffset = 0;
    std::int32_t m_nVisibleWidth = 0;
    std::int32_t m_nVisibleHeight = 0;
    std::int32_t m_nFullScale = 0;
    std::int32_t m_nLabelStepValue = 0;
    std::int32_t m_nLabelStepPixels = 0;
    std::int32_t m_nFloorPitch = 0;
    std::int32_t m_nFloorCount = 0;
    std::int32_t m_nPlotWidth = 0;
    std::int32_t m_nPlotHeight = 0;
    std::int32_t m_nScrollLimit = 0;
    std::int32_t m_nLastX = 0;
    std::int32_t m_nEarlierX = 0;
    std::int32_t m_nScrollOffset = 0;
    std::int32_t m_nSeries = kSeriesCar;
    QFont m_font;
    QImage m_imgPicture;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void OnPaint();
    void DrawScreen(QPainter& screen);
    const std::int32_t* SeriesCounts(const strCallStatBlock& block) const;
};
