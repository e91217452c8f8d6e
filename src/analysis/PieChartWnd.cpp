#include "analysis/PieChartWnd.h"

#include <QFontMetricsF>
#include <QImageWriter>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kPi = 3.14159265;

QColor Argb(ARGB argb) { return QColor::fromRgba(argb); }

int Right(const QRect& r) { return r.x() + r.width(); }
int Bottom(const QRect& r) { return r.y() + r.height(); }

QRect FromEdges(int l, int t, int r, int b) { return QRect(l, t, r - l, b - t); }

bool IsAllZero(const QRect& r) { return r.x() == 0 && r.y() == 0 && r.width() == 0 && r.height() == 0; }

// One colour byte moved by a shading step, kept inside 0..255.
std::uint32_t ShadeByte(float value)
{
    if (!(value > 0.0f))
        return 0;
    if (value >= 255.0f)
        return 255;
    return std::uint32_t(value);
}

// Fonts of the chart: an empty family is the generic sans-serif one; sizes are
// in points; style bits 1 bold, 2 italic, 4 underline, 8 strike-out.
QFont ChartFont(const QString& family, double points, int style)
{
    QFont font(family.isEmpty() ? QStringLiteral("sans-serif") : family);
    if (family.isEmpty())
        font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(std::max(points, 1.0));
    font.setBold(style & 1);
    font.setItalic(style & 2);
    font.setUnderline(style & 4);
    font.setStrikeOut(style & 8);
    return font;
}

// A text laid out from its top-left corner on one line, never clipped.
void DrawTextAt(QPainter& g, const QString& text, QPointF topLeft)
{
    g.drawText(QRectF(topLeft, QSizeF(1, 1)), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, text);
}

QSizeF MeasureText(QPainter& g, const QString& text)
{
    const QFontMetricsF fm(g.font(), g.device());
    return fm.size(Qt::TextSingleLine, text);
}

// Slices are shaded from the top of r to its bottom between two colours.
void FillTopDown(QPainter& g, const QPainterPath& path, const QRectF& r, ARGB top, ARGB bottom)
{
    QLinearGradient grad(r.topLeft(), r.bottomLeft());
    grad.setColorAt(0, Argb(top));
    grad.setColorAt(1, Argb(bottom));
    g.fillPath(path, grad);
}

// A highlighted flat slice: the highlight laid over it, then its outline.
void DrawHighlight(QPainter& g, const QPainterPath& pie, ARGB highlight)
{
    QColor over = Argb(highlight);
    over.setAlpha(100);
    g.fillPath(pie, over);
    g.strokePath(pie, QPen(Argb(highlight), 1));
}

} // namespace

CPieChartWnd::CPieChartWnd(QWidget* parent)
    : QWidget(parent)
{
}

CPieChartWnd::~CPieChartWnd() = default;

bool CPieChartWnd::Create(const QString& strTitle, const QRect& rect, QWidget* pParent, int nID)
{
    m_strTitle = strTitle;  // a null title is an empty one
    m_nID = nID;
    setParent(pParent);
    setGeometry(rect);
    if (OnCreate() == -1)
        return false;
    show();
    return true;
}

int CPieChartWnd::OnCreate()
{
    // Qt clips children and needs no drawing library start-up.
    return 0;
}

ARGB CPieChartWnd::LightenColor(ARGB argb, float fAmount)
{
    ARGB out = 0xFF000000;
    for (int shift : {16, 8, 0}) {
        const float c = float((argb >> shift) & 0xFF);
        out |= ShadeByte(c + fAmount * ((255.0f - c) / 255.0f)) << shift;
    }
    return out;
}

ARGB CPieChartWnd::DarkenColor(ARGB argb, float fAmount)
{
    ARGB out = 0xFF000000;
    for (int shift : {16, 8, 0}) {
        const float c = float((argb >> shift) & 0xFF);
        out |= ShadeByte(c - fAmount * (c / 255.0f)) << shift;
    }
    return out;
}

bool CPieChartWnd::HasItem(const QString& strLabel) const
{
    return FindItem(strLabel) != nullptr;
}

PieChartItem* CPieChartWnd::FindItem(const QString& strLabel) const
{
    for (const auto& [key, item] : m_mapItems)
        if (item->strLabel == strLabel)
            return item.get();
    return nullptr;
}

PieChartItem* CPieChartWnd::ItemByKey(std::int32_t key) const
{
    const auto it = m_mapItems.find(key);
    return it == m_mapItems.end() ? nullptr : it->second.get();
}

PieChartItem* CPieChartWnd::AddItem(const QString& strLabel, const QString& strText, ARGB argbBase, double dValue)
{
    if (strLabel.isEmpty() || HasItem(strLabel))
        return nullptr;
    // An infinite value, or one that makes the total infinite, would turn
    // every fraction into NaN.
    if (!(dValue > 0.0) || !std::isfinite(dValue) || !std::isfinite(m_dTotal + dValue))
        return nullptr;

    auto item = std::make_unique<PieChartItem>();
    item->strLabel = strLabel;
    item->strText = strText;
    item->dValue = dValue;
    item->nIndex = m_nItemCount;
    item->argbBase = argbBase;
    item->fLightenAmount = 120.0f;
    item->fDarkenAmount = 10.0f;
    item->argbLight = LightenColor(argbBase, item->fLightenAmount);
    item->argbDark = DarkenColor(argbBase, item->fDarkenAmount);
    item->bHighlighted = 0;
    item->nOffset = 0;
    item->nAlpha = 255;
    PieChartItem* raw = item.get();
    m_mapItems[m_nItemCount] = std::move(item);
    m_nItemCount += 1;
    m_dTotal += dValue;

    RecalcAngles();
    RecalcLegendHeight();
    Repaint();
    return raw;
}

void CPieChartWnd::RemoveAllItems()
{
    m_mapItems.clear();
    m_dTotal = 0.0;
    m_nItemCount = 0;
    RecalcLegendHeight();
    Repaint();
}

bool CPieChartWnd::SetItemColor(PieChartItem* pItem, ARGB argbBase)
{
    if (!pItem)
        return false;
    pItem->argbBase = argbBase;
    pItem->argbDark = DarkenColor(argbBase, pItem->fDarkenAmount);
    pItem->argbLight = LightenColor(argbBase, pItem->fLightenAmount);
    Repaint();
    return true;
}

bool CPieChartWnd::SetPieSize(float fSize)
{
    if (!(fSize >= 0.0f))
        return false;
    // A pie rectangle with no height has no squash to relate the size to.
    const int squash = (GetPieRect(true).height() * 89) / 180;
    if (squash <= 0)
        return false;
    m_fDepthRatio = fSize / float(squash);
    Repaint();
    return true;
}

bool CPieChartWnd::SetItemOffset(PieChartItem* pItem, std::int32_t nPercent)
{
    if (!pItem)
        return false;
    const std::int64_t offset = std::int64_t(GetPieRect(true).width()) * nPercent / 100;
    pItem->nOffset = std::int32_t(std::clamp<std::int64_t>(offset, std::numeric_limits<std::int32_t>::min(),
                                                           std::numeric_limits<std::int32_t>::max()));
    Repaint();
    return true;
}

void CPieChartWnd::ResetItemOffsets()
{
    for (auto& [key, item] : m_mapItems)
        SetItemOffset(item.get(), 0);
}

void CPieChartWnd::RecalcAngles()
{
    if (!(m_dTotal > 0.0))
        return;
    for (auto& [key, item] : m_mapItems) {
        item->fFraction = float(item->dValue / m_dTotal);
        item->fSweep = item->fFraction * 360.0f;
        item->f3DSweep = item->fSweep;
    }
}

QRect CPieChartWnd::GetPieRect(bool bPie) const
{
    int l = 30;
    int t = 100;
    int b = height() - 30;
    int r = bPie ? m_nLegendLeft - 10 : width();

    const QRect& over = bPie ? m_rcPie3D : m_rcChart;
    if (!IsAllZero(over))
        return over;

    const int w = r - l;
    const int h = b - t;
    if (h > w) {
        const int side = std::max(w, 150);
        r = l + side;
        t = (t + b) / 2 - side / 2;
        b = t + side;
    } else {
        const int side = std::max(h, 150);
        b = t + side;
        r = l + side;
    }
    if (bPie && (b - t) % 2 != 0) {
        b += 1;
        r += 1;
    }
    l += m_nPieShiftX;
    r += m_nPieShiftX;
    return FromEdges(l, t, r, b);
}

void CPieChartWnd::RelayoutLegend()
{
    m_nLegendLeft = std::max(180, (width() * 2) / 3);
    const QRect c = GetPieRect(false);
    m_nLegendRowHeight = std::min(25, c.height() / 15);
    m_nLegendBoxWidth = std::min(375, c.width()) / 8;
    m_nLegendGap = std::min(18, c.height() / 20);
    RecalcLegendHeight();
}

void CPieChartWnd::RecalcLegendHeight()
{
    const QRect c = GetPieRect(false);
    int h = 0;
    for (std::size_t i = 0; i < m_mapItems.size(); ++i) {
        h += m_nLegendRowHeight + m_nLegendGap;
        if (c.height() >= h - m_nLegendGap)
            m_nLegendFitHeight = h - m_nLegendGap;
    }
    m_nLegendHeight = h - m_nLegendGap;
}

QRectF CPieChartWnd::FlatSliceRect(const QRect& p, float fStart, float fSweep, int nOffset)
{
    const double mid = (fStart + fSweep / 2.0) * kPi / 180.0;
    const double dx = std::trunc(std::cos(mid) * nOffset);
    const double dy = std::trunc(std::sin(mid) * nOffset);
    return QRectF(p).translated(dx, dy);
}

// The angle on the ellipse's own parameter that meets the ray at a true
// angle; kept in the same turn as the true angle so sweeps keep their size.
static double ParamAngle(double fAngle, double rx, double ry)
{
    const double rad = fAngle * kPi / 180.0;
    double phi = std::atan2(rx * std::sin(rad), ry * std::cos(rad)) * 180.0 / kPi;
    phi += 360.0 * std::round((fAngle - phi) / 360.0);
    return phi;
}

QPointF CPieChartWnd::EllipsePoint(const QRectF& rect, float fAngle)
{
    const double rx = rect.width() / 2.0;
    const double ry = rect.height() / 2.0;
    const double phi = ParamAngle(fAngle, rx, ry) * kPi / 180.0;
    const QPointF c = rect.center();
    return QPointF(c.x() + rx * std::cos(phi), c.y() + ry * std::sin(phi));
}

// Qt measures arcs counter-clockwise on the ellipse's parameter; the chart
// measures them clockwise as true angles.
static void ArcTo(QPainterPath& path, const QRectF& rect, double start, double sweep)
{
    const double rx = rect.width() / 2.0;
    const double ry = rect.height() / 2.0;
    const double a0 = ParamAngle(start, rx, ry);
    double a1 = ParamAngle(start + sweep, rx, ry);
    if (sweep >= 360.0)
        a1 = a0 + 360.0;
    else if (sweep <= -360.0)
        a1 = a0 - 360.0;
    path.arcTo(rect, -a0, -(a1 - a0));
}

void CPieChartWnd::AddPie(QPainterPath& path, const QRectF& rect, float fStart, float fSweep)
{
    // A whole turn is the ellipse itself, without a radius drawn across it.
    if (std::fabs(fSweep) >= 360.0f) {
        path.moveTo(EllipsePoint(rect, fStart));
        ArcTo(path, rect, fStart, fSweep);
        path.closeSubpath();
        return;
    }
    path.moveTo(rect.center());
    ArcTo(path, rect, fStart, fSweep);
    path.closeSubpath();
}

void CPieChartWnd::AddArc(QPainterPath& path, const QRectF& rect, float fStart, float fSweep)
{
    ArcTo(path, rect, fStart, fSweep);
}

float CPieChartWnd::PointAngle(float x, float y, const QRect& rect)
{
    const float dx = x - float((rect.x() + Right(rect)) / 2);
    const float dy = y - float((rect.y() + Bottom(rect)) / 2);
    // Straight above or below the centre the quotient has no value.
    if (dx == 0.0f)
        return dy > 0.0f ? 90.0f : (dy < 0.0f ? 270.0f : 0.0f);
    float angle = float(std::atan(dy / dx) * 180.0 / kPi);
    if (dx < 0.0f)
        angle += 180.0f;
    else if (dy < 0.0f)
        angle += 360.0f;
    return angle;
}

std::vector<QPointF> CPieChartWnd::PercentLabelAnchors() const
{
    std::vector<QPointF> anchors;
    anchors.reserve(m_mapItems.size());
    if (m_nStyle == 2) {
        const str3DGeometry geo = Get3DGeometry();
        double a = m_f3DStartAngle;
        for (const auto& [key, item] : m_mapItems) {
            const float mid = float(a + item->f3DSweep / 2.0);
            const double rad = mid * kPi / 180.0;
            const QPointF shift(std::trunc(std::cos(rad) * item->nOffset), std::trunc(std::sin(rad) * item->nOffset));
            const QRectF rect = QRectF(geo.top).translated(shift).adjusted(-20, -11, 20, 11);
            anchors.push_back(EllipsePoint(rect, mid));
            a += item->f3DSweep;
        }
        return anchors;
    }
    const QRect p = GetPieRect(true);
    const QPointF c = QRectF(p).center();
    float a = m_fStartAngle;
    for (const auto& [key, item] : m_mapItems) {
        const double mid = (a + item->fSweep / 2.0) * kPi / 180.0;
        const int r = 2 * (item->nOffset / 2 + p.width() / 5);
        anchors.emplace_back(c.x() + std::cos(mid) * r, c.y() + std::sin(mid) * r);
        a += item->fSweep;
    }
    return anchors;
}

void CPieChartWnd::DrawPercentLabels(QPainter& g)
{
    g.setFont(ChartFont(m_strLabelFont, 8.0, m_nLabelFontStyle));
    g.setPen(Argb(m_argbText));
    const std::vector<QPointF> anchors = PercentLabelAnchors();
    std::size_t i = 0;
    for (const auto& [key, item] : m_mapItems) {
        const QString text = QString::asprintf("%.2f", double(item->fFraction) * 100.0) + QStringLiteral("%");
        const QSizeF size = MeasureText(g, text);
        QPointF topLeft = anchors[i] - QPointF(size.width() / 2, size.height() / 2);
        // A slice pulled out at the window's edge would push its text past it.
        topLeft.setX(std::clamp(topLeft.x(), 0.0, std::max(0.0, width() - size.width())));
        topLeft.setY(std::clamp(topLeft.y(), 0.0, std::max(0.0, height() - size.height())));
        DrawTextAt(g, text, topLeft);
        ++i;
    }
}

void CPieChartWnd::DrawBackground(QPainter& g)
{
    const QRect client = rect();
    g.fillRect(client, FromColorRef(m_crBackground));

    const int r = std::max(Right(client), 300);
    const int b = std::max(Bottom(client), 150);
    QPainterPath panel;
    panel.addRoundedRect(QRectF(FromEdges(client.x(), client.y(), r, b)), 30, 30);
    QLinearGradient grad(client.topLeft(), QPointF(Right(client), Bottom(client)));
    grad.setColorAt(0, Argb(m_argbPanelFrom));
    grad.setColorAt(1, Argb(m_argbPanelTo));
    g.fillPath(panel, grad);

    if (m_strTitle.isEmpty())
        return;
    g.setFont(ChartFont(m_strTitleFont, std::min(20, (b - client.y()) / 10), m_nTitleFontStyle));
    g.setPen(Argb(m_argbText));
    const QSizeF size = MeasureText(g, m_strTitle);
    DrawTextAt(g, m_strTitle, QPointF((client.x() + Right(client)) / 2 - size.width() / 2, client.y() + 30));
}

void CPieChartWnd::DrawLegend(QPainter& g)
{
    const QRect c = GetPieRect(false);
    int points = c.height() / 25;
    if (points > 10)
        points = 11;
    if (m_nLegendFontSize > 0)
        points = m_nLegendFontSize;
    g.setFont(ChartFont(m_strLabelFont, points, m_nLabelFontStyle));

    double widest = 0;
    for (const auto& [key, item] : m_mapItems)
        widest = std::max(widest, MeasureText(g, item->strText).width());
    const QSizeF full = MeasureText(g, QStringLiteral("100.00%"));
    const double T = widest + 1;
    const double P = full.width() + 1;
    const double H = full.height();

    const bool over = !m_rcChart.isEmpty();
    int W = width();
    int R = width();
    if (over) {
        W = m_rcChart.width();
        R = Right(m_rcChart);
    }
    const double L = P + T + m_nLegendBoxWidth + W / 10;
    if (L + 150 > W)
        R = int(L) + 150 + (over ? m_rcChart.x() : 0);

    const int count = int(m_mapItems.size());
    int top = (c.y() + Bottom(c)) / 2 - ((m_nLegendGap + m_nLegendRowHeight) * count) / 2;
    top = std::max(top, c.y());
    if (over)
        top = m_rcChart.y();

    const double colX = R - P - W / 30;
    const int backHeight = std::min(m_nLegendHeight, m_nLegendFitHeight);
    if (backHeight > 0)
        g.fillRect(QRectF(colX, top, P, backHeight), Argb(m_argbLegendBack));

    const QColor text = Argb(m_argbText);
    const QPen separator(Argb(LightenColor(m_argbLegendBack, 200.0f)), 1);
    double y = top + 1;
    bool first = true;
    bool drawn = false;
    double boxX = 0;
    for (const auto& [key, item] : m_mapItems) {
        if (key < m_nLegendFirst)
            continue;
        if (y + m_nLegendRowHeight > Bottom(c))
            break;
        const double pct = double(item->fFraction) * 100.0;
        QString pctText = QString::asprintf("%.2f", pct) + QStringLiteral("%");
        if (pct < 10.0)
            pctText.prepend(QLatin1Char('0'));
        g.setPen(text);
        const double pctX = R - P - W / 35;
        g.drawText(QRectF(pctX, y, P, H), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, pctText);
        if (!first) {
            g.setPen(separator);
            const double sepY = y - m_nLegendGap / 2.0;
            g.drawLine(QPointF(colX, sepY), QPointF(colX + P, sepY));
        }
        const double textX = pctX - W / 30 - T;
        g.setPen(text);
        g.drawText(QRectF(textX, y, T, m_nLegendRowHeight),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, item->strText);
        boxX = textX - m_nLegendBoxWidth - W / 30;
        const QRectF box(boxX, y, m_nLegendBoxWidth, m_nLegendRowHeight);
        g.fillRect(box, Argb(item->argbBase));
        g.setPen(QPen(Argb(LightenColor(item->argbBase, 200.0f)), 2));
        g.setBrush(Qt::NoBrush);
        g.drawRect(box);
        first = false;
        drawn = true;
        y += m_nLegendGap + m_nLegendRowHeight;
    }
    if (!over && drawn)
        m_nLegendLeft = int(boxX - W / 20);
}

void CPieChartWnd::DrawFlat(QPainter& g)
{
    DrawBackground(g);
    DrawLegend(g);
    const QRect p = GetPieRect(true);
    const int v = p.width() / 15;
    QLinearGradient panel(rect().topLeft(), QPointF(width(), height()));
    panel.setColorAt(0, Argb(m_argbPanelFrom));
    panel.setColorAt(1, Argb(m_argbPanelTo));

    float a = m_fStartAngle;
    for (const auto& [key, item] : m_mapItems) {
        const float sweep = item->fSweep;
        const QRectF s = FlatSliceRect(p, a, sweep, item->nOffset);

        QPainterPath pie;
        AddPie(pie, s, a, sweep);
        FillTopDown(g, pie, s, item->argbLight, item->argbDark);

        // The bevel: an inner pie in the same gradient upside down.
        QPainterPath inner;
        AddPie(inner, s.adjusted(v, v, -v, -v), a, sweep);
        FillTopDown(g, inner, s, item->argbDark, item->argbLight);

        g.strokePath(pie, QPen(Argb(LightenColor(item->argbBase, 160.0f)), 1));
        if (item->bHighlighted)
            DrawHighlight(g, pie, m_argbHighlight);

        QPainterPath hole;
        AddPie(hole, s.adjusted(4.5 * v, 4.5 * v, -4.5 * v, -4.5 * v), a, sweep);
        g.fillPath(hole, panel);
        g.strokePath(hole, QPen(QBrush(panel), 5, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        a += sweep;
    }
    if (m_bShowPercent)
        DrawPercentLabels(g);
}

void CPieChartWnd::DrawGradient(QPainter& g)
{
    DrawBackground(g);
    DrawLegend(g);
    const QRect p = GetPieRect(true);
    const int v = p.width() / 25;

    float a = m_fStartAngle;
    for (const auto& [key, item] : m_mapItems) {
        const float sweep = item->fSweep;
        const QRectF s = FlatSliceRect(p, a, sweep, item->nOffset);

        QPainterPath pie;
        AddPie(pie, s, a, sweep);
        FillTopDown(g, pie, s, item->argbDark, item->argbBase);

        const QRectF in = s.adjusted(v, v, -v, -v);
        QPainterPath inner;
        AddPie(inner, in, a, sweep);
        FillTopDown(g, inner, in, item->argbBase, item->argbLight);

        if (item->bHighlighted)
            DrawHighlight(g, pie, m_argbHighlight);
        a += sweep;
    }
    if (m_bShowPercent)
        DrawPercentLabels(g);
}

PieChartItem* CPieChartWnd::HitTest(QPoint pt)
{
    if (m_nStyle == 2)
        return HitTest3D(pt);
    const QRect p = GetPieRect(true);
    float a = m_fStartAngle;
    for (const auto& [key, item] : m_mapItems) {
        const QRectF s = FlatSliceRect(p, a, item->fSweep, item->nOffset);
        QPainterPath path;
        AddPie(path, s, a, item->fSweep);
        if (m_nStyle == 0) {
            // The centre hole is no part of the ring.
            const double side = 6 * p.width() / 15;
            QRectF hole(0, 0, side, side);
            hole.moveCenter(s.center());
            AddPie(path, hole, a, item->fSweep);
            path.setFillRule(Qt::OddEvenFill);
        }
        if (path.contains(QPointF(pt))) {
            item->bHighlighted = 1;
            return item.get();
        }
        a += item->fSweep;
    }
    return nullptr;
}

QImage CPieChartWnd::RenderChart()
{
    QImage image;
    if (width() > 0 && height() > 0) {
        image = QImage(size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter g(&image);
        g.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
        switch (m_nStyle) {
        case 0: DrawFlat(g); break;
        case 1: DrawGradient(g); break;
        case 2: Draw3D(g); break;
        default: break;
        }
    }
    SaveAsImage(image);
    return image;
}

int CPieChartWnd::GetEncoderClsid(const QString& strMimeType, QByteArray* pFormat)
{
    const QList<QByteArray> types = QImageWriter::supportedMimeTypes();
    for (int i = 0; i < types.size(); ++i) {
        if (QString::fromLatin1(types[i]) == strMimeType) {
            if (pFormat)
                *pFormat = QImageWriter::imageFormatsForMimeType(types[i]).value(0);
            return i;
        }
    }
    return -1;
}

bool CPieChartWnd::SaveAsImage(const QImage& image)
{
    if (!m_bSavePending)
        return false;
    const int dot = m_strSavePath.lastIndexOf(QLatin1Char('.'));
    const QString ext = dot < 0 ? m_strSavePath : m_strSavePath.mid(dot + 1);
    QByteArray format;
    bool saved = false;
    if (GetEncoderClsid(QStringLiteral("image/") + ext, &format) >= 0 && !image.isNull()) {
        QImageWriter writer(m_strSavePath, format);
        saved = writer.write(image);
    }
    m_bSavePending = 0;
    return saved;
}

void CPieChartWnd::OnPaint()
{
    const QImage image = RenderChart();
    if (image.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, image);
}

void CPieChartWnd::OnSize()
{
    RelayoutLegend();
}

void CPieChartWnd::OnLButtonDown(QPoint pt)
{
    for (auto& [key, item] : m_mapItems)
        item->bHighlighted = 0;
    HitTest(pt);
    Repaint();
}

void CPieChartWnd::paintEvent(QPaintEvent*)
{
    OnPaint();
}

void CPieChartWnd::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    OnSize();
}

void CPieChartWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        OnLButtonDown(event->position().toPoint());
    QWidget::mousePressEvent(event);
}
