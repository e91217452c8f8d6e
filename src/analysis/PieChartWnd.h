#pragma once
// A child window that draws labelled values as a pie: style 0 a ring, style 1
// a gradient pie, style 2 a tilted three-dimensional pie. Styles 0 and 1 add a
// legend; all can show percentages. Every paint renders into an off-screen
// image first, so the window never shows a half-drawn chart. A click
// highlights the slice under the cursor (and in style 2 pulls it out).
// The chart knows nothing of lifts or faults: it holds only its items.
#include <QImage>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "analysis/PieChartItem.h"
#include "platform/ColorRef.h"

class QPainter;
class QPainterPath;

class CPieChartWnd : public QWidget {
    Q_OBJECT
public:
    explicit CPieChartWnd(QWidget* parent = nullptr);
    ~CPieChartWnd() override;

    // Stores the title (a null title is empty) and shows the window as a child
    // of pParent with that geometry.
    bool Create(const QString& strTitle, const QRect& rect, QWidget* pParent, int nID);
    int GetDlgCtrlID() const { return m_nID; }

    // Refuses (returns null, changes nothing) an empty or present label and a
    // value that is not a finite number above 0.
    PieChartItem* AddItem(const QString& strLabel, const QString& strText, ARGB argbBase, double dValue);
    void RemoveAllItems();
    PieChartItem* FindItem(const QString& strLabel) const;
    bool HasItem(const QString& strLabel) const;
    bool SetItemColor(PieChartItem* pItem, ARGB argbBase);
    bool SetPieSize(float fSize);
    bool SetItemOffset(PieChartItem* pItem, std::int32_t nPercent);
    void ResetItemOffsets();
    const std::map<std::int32_t, std::unique_ptr<PieChartItem>>& Items() const { return m_mapItems; }

    static ARGB LightenColor(ARGB argb, float fAmount);
    static ARGB DarkenColor(ARGB argb, float fAmount);

    // Geometry, in client coordinates.
    QRect GetPieRect(bool bPie) const;
    void RecalcAngles();
    void RecalcLegendHeight();
    void RelayoutLegend();
    // Angle of a point seen from the rectangle's centre: 0 to 360 degrees,
    // clockwise from the positive x axis.
    static float PointAngle(float x, float y, const QRect& rect);
    void Calc3DRects(QRect* pTop, QRect* pBottom) const;
    void CalcRimPoints();
    void Calc3DAngles();
    // Front and back slice of the tilted pie (m_nFrontItem, m_nBackItem).
    void FindFrontBackItems();
    // Where each percentage text is centred, in key order, for the current style.
    std::vector<QPointF> PercentLabelAnchors() const;
    // The slice rectangle of styles 0 and 1: p moved by the offset along the
    // slice's mid angle (start + sweep / 2, degrees).
    static QRectF FlatSliceRect(const QRect& p, float fStart, float fSweep, int nOffset);
    // A pie on the ellipse of rect from fStart over fSweep degrees (clockwise,
    // true angles on the ellipse), closed through the centre; a whole turn is
    // the ellipse alone.
    static void AddPie(QPainterPath& path, const QRectF& rect, float fStart, float fSweep);
    // The arc alone, continuing the path from its current point.
    static void AddArc(QPainterPath& path, const QRectF& rect, float fStart, float fSweep);
    // The point of the ellipse of rect at a true angle (clockwise degrees).
    static QPointF EllipsePoint(const QRectF& rect, float fAngle);

    // Keys of the 3-D slices in drawing order (back to front) from the front
    // and back slices; the split slice comes first and last with its passes.
    struct strDrawStep {
        std::int32_t key;
        int nPass;   // 0 whole slice, else the split-slice pass 4..7
    };
    std::vector<strDrawStep> DrawOrder3D() const;

    // The slice under a client point becomes highlighted; null when none.
    PieChartItem* HitTest(QPoint pt);
    PieChartItem* HitTest3D(QPoint pt);

    // Drawing; each works on the off-screen image's painter.
    void DrawBackground(QPainter& g);
    void DrawFlat(QPainter& g);
    void DrawGradient(QPainter& g);
    void Draw3D(QPainter& g);
    void DrawLegend(QPainter& g);
    void DrawPercentLabels(QPainter& g);
    // The 3-D shapes draw with a painter; given none they only test whether
    // pt lies in the shape.
    bool Draw3DSlice(QPainter* g, const PieChartItem& item, QPointF pt = QPointF());
    bool Draw3DSplitSlice(QPainter* g, const PieChartItem& item, int nPass, QPointF pt = QPointF());
    bool DrawTopFace(QPainter* g, const PieChartItem& item, QPointF shift, QPointF pt = QPointF());
    bool DrawRadialWall(QPainter* g, const PieChartItem& item, QPointF shift, bool bEnd, QPointF pt = QPointF());
    bool DrawOuterWall(QPainter* g, const PieChartItem& item, QPointF shift, QPointF pt = QPointF());
    // The whole chart as the window shows it; also runs a pending image save.
    QImage RenderChart();
    bool SaveAsImage(const QImage& image);
    // Index of the image writer for an exact MIME type; -1 when there is none.
    static int GetEncoderClsid(const QString& strMimeType, QByteArray* pFormat = nullptr);

    std::int32_t m_nItemCount = 0;
    float m_fStartAngle = 0.0f;
    float m_f3DStartAngle = 0.0f;
    float m_fTiltAngle = 0.0f;
    float m_fDepthRatio = 0.5f;
    double m_dTotal = 0.0;
    COLORREF m_crBackground = RGB(255, 255, 255);
    std::int32_t m_nLegendBoxWidth = 50;
    std::int32_t m_nLegendRowHeight = 20;
    std::int32_t m_nLegendLeft = 200;
    std::int32_t m_nLegendGap = 10;
    QString m_strLabelFont;
    std::int32_t m_nLabelFontStyle = 0;
    std::int32_t m_nLegendFontSize = -1;
    std::int32_t m_nLegendHeight = 0;
    std::int32_t m_nLegendFirst = 0;
    std::int32_t m_nLegendFitHeight = 1000;
    ARGB m_argbText = 0xFF000000;
    ARGB m_argbLegendBack = 0xFFFFFFFF;
    ARGB m_argbPanelFrom = 0xFFFFFFFF;
    ARGB m_argbPanelTo = 0xFFFFFFFF;
    QString m_strTitle;
    QString m_strTitleFont;
    std::int32_t m_nTitleFontStyle = 0;
    std::int32_t m_nPieShiftX = 0;
    std::int32_t m_nFrontItem = -1;
    std::int32_t m_nBackItem = -1;
    ARGB m_argbHighlight = 0xFF6BE6FF;
    QString m_strSavePath;
    std::int32_t m_bSavePending = 0;
    std::int32_t m_bShowPercent = 1;
    std::map<std::int32_t, std::unique_ptr<PieChartItem>> m_mapItems;
    std::int32_t m_nStyle = 2;
    QRect m_rcPie3D{0, 0, 0, 0};
    QRect m_rcChart{0, 0, 0, 0};

protected:
    int OnCreate();
    void OnPaint();
    void OnSize();
    void OnLButtonDown(QPoint pt);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // The tilted pie's rectangles and depth, from the pie rectangle.
    struct str3DGeometry {
        QRect p;            // pie rectangle
        QRect q;            // p squashed by the tilt
        QRect top, bottom;  // top and bottom faces
        int t = 0;          // squash on each side
        float d = 0.0f;     // depth
        float cx = 0.0f, cy = 0.0f;
    };
    str3DGeometry Get3DGeometry() const;
    // Projected start angle of a slice (not reduced to 0..360).
    float Start3DAngle(const PieChartItem& item) const;
    // A pulled-out slice's move along its projected mid angle.
    QPointF SliceShift(const PieChartItem& item) const;
    void Repaint() { update(); }
    PieChartItem* ItemByKey(std::int32_t key) const;

    int m_nID = 0;
};
