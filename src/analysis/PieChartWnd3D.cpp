// Style 2 of the pie chart: the pie tilted away from the viewer, with depth,
// its slices drawn back to front.
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "analysis/PieChartWnd.h"

namespace {

constexpr double kPi = 3.14159265;

int Right(const QRect& r) { return r.x() + r.width(); }
int Bottom(const QRect& r) { return r.y() + r.height(); }

QColor WithAlpha(ARGB argb, std::uint8_t alpha)
{
    QColor c = QColor::fromRgba(argb);
    c.setAlpha(alpha);
    return c;
}

float Normalised(float angle)
{
    float a = std::fmod(angle, 360.0f);
    if (a < 0.0f)
        a += 360.0f;
    return a;
}

// Does a slice from x over sweep (projected degrees) cross the angle A?
bool Crosses(float x, float sweep, float A)
{
    return (x <= A && x + sweep > A) || (x >= A && x + sweep - 360.0f > A);
}

// Cyclic distance from angle A to the arc [x, x + sweep].
float DistanceToArc(float x, float sweep, float A)
{
    const float from = Normalised(A - x);
    if (from <= sweep)
        return 0.0f;
    return std::min(from - sweep, 360.0f - from);
}

// Draws the shape, or without a painter tells whether pt lies in it.
bool Emit(QPainter* g, const QPainterPath& path, const QBrush& brush, const QColor& outline, QPointF pt)
{
    if (!g)
        return path.contains(pt);
    g->fillPath(path, brush);
    g->strokePath(path, QPen(outline, 0.8));
    return false;
}

} // namespace

CPieChartWnd::str3DGeometry CPieChartWnd::Get3DGeometry() const
{
    str3DGeometry geo;
    geo.p = GetPieRect(true);
    const int h = geo.p.height();
    // A tilt outside 0..90 degrees would turn the squashed pie inside out.
    const float tilt = std::isfinite(m_fTiltAngle) ? m_fTiltAngle : 0.0f;
    const float squash = float(h) * tilt / 180.0f;
    geo.t = std::clamp(int(std::clamp(squash, -1e6f, 1e6f)), 0, std::max(h / 2, 0));
    geo.q = QRect(geo.p.x(), geo.p.y() + geo.t, geo.p.width(), h - 2 * geo.t);
    geo.d = geo.t * (std::isfinite(m_fDepthRatio) ? m_fDepthRatio : 0.0f);
    const int half = int(geo.d / 2);
    geo.top = geo.q.translated(0, -half);
    geo.bottom = geo.q.translated(0, half);
    geo.cx = float((geo.p.x() + Right(geo.p)) / 2);
    geo.cy = float((geo.p.y() + Bottom(geo.p)) / 2);
    return geo;
}

void CPieChartWnd::Calc3DRects(QRect* pTop, QRect* pBottom) const
{
    const str3DGeometry geo = Get3DGeometry();
    if (pTop)
        *pTop = geo.top;
    if (pBottom)
        *pBottom = geo.bottom;
}

void CPieChartWnd::CalcRimPoints()
{
    const str3DGeometry geo = Get3DGeometry();
    double a = m_fStartAngle;
    for (auto& [key, item] : m_mapItems) {
        const double end = (a + item->fSweep) * kPi / 180.0;
        item->ptRim = QPointF(geo.cx + std::cos(end) * geo.p.width() / 2.0, geo.cy + std::sin(end) * geo.p.height() / 2.0);
        a += item->fSweep;
    }
}

void CPieChartWnd::Calc3DAngles()
{
    const str3DGeometry geo = Get3DGeometry();
    const double s = m_fStartAngle * kPi / 180.0;
    m_f3DStartAngle = PointAngle(float(geo.cx + std::cos(s) * geo.p.width() / 2.0),
                                 float(geo.cy + std::sin(s) * (geo.p.height() / 2.0 - geo.t)), geo.q);
    float previous = m_f3DStartAngle;
    double a = m_fStartAngle;
    for (auto& [key, item] : m_mapItems) {
        const double end = (a + item->fSweep) * kPi / 180.0;
        QPointF rim = item->ptRim;
        rim.ry() -= std::sin(end) * geo.t;
        const float e = PointAngle(float(rim.x()), float(rim.y()), geo.q);
        float sweep3D;
        if (item->fSweep == 360.0f) {
            sweep3D = 360.0f;
        } else {
            sweep3D = Normalised(e - previous);
            // The projection keeps each half of the pie a half: a slice under
            // 180 degrees stays under 180. A tiny slice whose end rounds to
            // just before its start would otherwise come out as a full turn.
            if (item->fSweep < 180.0f && sweep3D > 180.0f)
                sweep3D = sweep3D > 270.0f ? 0.0f : 180.0f;
            else if (item->fSweep > 180.0f && sweep3D < 180.0f)
                sweep3D = sweep3D < 90.0f ? 360.0f : 180.0f;
        }
        item->f3DSweep = sweep3D;
        rim.ry() -= geo.d / 2.0;
        item->ptRim = rim;
        previous += sweep3D;
        a += item->fSweep;
    }
    QPointF last = m_mapItems.empty() ? QPointF() : m_mapItems.rbegin()->second->ptRim;
    for (auto& [key, item] : m_mapItems) {
        item->pt3DStart = last;
        last = item->ptRim;
    }
}

void CPieChartWnd::FindFrontBackItems()
{
    m_nFrontItem = -1;
    m_nBackItem = -1;
    float x = m_f3DStartAngle;
    if (x >= 360.0f)
        x -= 360.0f;
    for (const auto& [key, item] : m_mapItems) {
        if (Crosses(x, item->f3DSweep, 90.0f))
            m_nFrontItem = key;
        if (Crosses(x, item->f3DSweep, 270.0f))
            m_nBackItem = key;
        x += item->f3DSweep;
        if (x >= 360.0f)
            x -= 360.0f;
    }
    // Rounding can leave a hair's gap exactly at 90 or 270 degrees; the slice
    // nearest to that angle then stands in.
    for (auto [A, pKey] : {std::pair{90.0f, &m_nFrontItem}, std::pair{270.0f, &m_nBackItem}}) {
        if (*pKey >= 0)
            continue;
        float best = 1e9f;
        float y = m_f3DStartAngle;
        for (const auto& [key, item] : m_mapItems) {
            const float dist = DistanceToArc(y, item->f3DSweep, A);
            if (dist < best) {
                best = dist;
                *pKey = key;
            }
            y += item->f3DSweep;
        }
    }
}

float CPieChartWnd::Start3DAngle(const PieChartItem& target) const
{
    float a = m_f3DStartAngle;
    for (const auto& [key, item] : m_mapItems) {
        if (item.get() == &target)
            break;
        a += item->f3DSweep;
    }
    return a;
}

QPointF CPieChartWnd::SliceShift(const PieChartItem& item) const
{
    const double mid = (Start3DAngle(item) + item.f3DSweep / 2.0) * kPi / 180.0;
    return QPointF(std::trunc(std::cos(mid) * item.nOffset), std::trunc(std::sin(mid) * item.nOffset));
}

bool CPieChartWnd::DrawTopFace(QPainter* g, const PieChartItem& item, QPointF shift, QPointF pt)
{
    const QRectF top = QRectF(Get3DGeometry().top).translated(shift);
    QPainterPath pie;
    AddPie(pie, top, Start3DAngle(item), item.f3DSweep);
    QLinearGradient grad(top.topLeft(), top.bottomLeft());
    grad.setColorAt(0, WithAlpha(item.argbLight, item.nAlpha));
    grad.setColorAt(1, WithAlpha(item.argbDark, item.nAlpha));
    return Emit(g, pie, grad, QColor::fromRgba(item.argbBase), pt);
}

bool CPieChartWnd::DrawRadialWall(QPainter* g, const PieChartItem& item, QPointF shift, bool bEnd, QPointF pt)
{
    // A whole pie has no cut to show.
    if (item.f3DSweep >= 360.0f)
        return false;
    const float start = Start3DAngle(item);
    const float angle = Normalised(bEnd ? start + item.f3DSweep : start);
    // The start side faces the viewer on the left half, the end side on the right.
    const bool facing = bEnd ? (angle < 90.0f || angle > 270.0f) : (angle > 90.0f && angle < 270.0f);
    if (!facing)
        return false;
    const str3DGeometry geo = Get3DGeometry();
    const QPointF rim = (bEnd ? item.ptRim : item.pt3DStart) + shift;
    const QPointF centre = QPointF(geo.cx, geo.cy - geo.d / 2.0) + shift;
    const QPointF down(0, geo.d);
    QPainterPath wall;
    wall.moveTo(rim);
    wall.lineTo(centre);
    wall.lineTo(centre + down);
    wall.lineTo(rim + down);
    wall.closeSubpath();
    return Emit(g, wall, WithAlpha(item.argbLight, item.nAlpha), QColor::fromRgba(item.argbBase), pt);
}

bool CPieChartWnd::DrawOuterWall(QPainter* g, const PieChartItem& item, QPointF shift, QPointF pt)
{
    const str3DGeometry geo = Get3DGeometry();
    const QRectF top = QRectF(geo.top).translated(shift);
    const QRectF bottom = QRectF(geo.bottom).translated(shift);
    QLinearGradient grad(top.topLeft(), bottom.bottomLeft());
    grad.setColorAt(0, WithAlpha(item.argbLight, item.nAlpha));
    grad.setColorAt(1, WithAlpha(item.argbDark, item.nAlpha));

    // Only the front half of the rim (0 to 180 degrees) shows a wall; a
    // slice may meet it twice.
    const float start = Normalised(Start3DAngle(item));
    const float end = start + std::min(item.f3DSweep, 360.0f);
    bool hit = false;
    for (float turn : {0.0f, 360.0f}) {
        const float lo = std::max(start, turn);
        const float hi = std::min(end, turn + 180.0f);
        if (hi <= lo)
            continue;
        QPainterPath band;
        band.moveTo(EllipsePoint(top, lo));
        band.lineTo(EllipsePoint(bottom, lo));
        AddArc(band, bottom, lo, hi - lo);
        band.lineTo(EllipsePoint(top, hi));
        AddArc(band, top, hi, lo - hi);
        band.closeSubpath();
        hit = Emit(g, band, grad, QColor::fromRgba(item.argbBase), pt) || hit;
    }
    return hit;
}

bool CPieChartWnd::Draw3DSlice(QPainter* g, const PieChartItem& item, QPointF pt)
{
    const QPointF shift = SliceShift(item);
    bool hit = DrawRadialWall(g, item, shift, false, pt);
    hit = DrawRadialWall(g, item, shift, true, pt) || hit;
    hit = DrawOuterWall(g, item, shift, pt) || hit;
    hit = DrawTopFace(g, item, shift, pt) || hit;
    return hit;
}

// The slice that is both front and back slice wraps around all others, which
// lie on one side of the pie. Its radial walls face those slices and are
// hidden behind them (passes 6, 7); its outer wall and top face lie in front
// of them (passes 4, 5).
bool CPieChartWnd::Draw3DSplitSlice(QPainter* g, const PieChartItem& item, int nPass, QPointF pt)
{
    const QPointF shift = SliceShift(item);
    if (nPass == 6 || nPass == 7) {
        bool hit = DrawRadialWall(g, item, shift, false, pt);
        return DrawRadialWall(g, item, shift, true, pt) || hit;
    }
    bool hit = DrawOuterWall(g, item, shift, pt);
    return DrawTopFace(g, item, shift, pt) || hit;
}

std::vector<CPieChartWnd::strDrawStep> CPieChartWnd::DrawOrder3D() const
{
    std::vector<strDrawStep> steps;
    std::vector<std::int32_t> keys;
    for (const auto& [key, item] : m_mapItems)
        keys.push_back(key);
    const int n = int(keys.size());
    const auto indexOf = [&](std::int32_t key) { return int(std::find(keys.begin(), keys.end(), key) - keys.begin()); };
    const int front = indexOf(m_nFrontItem);
    const int back = indexOf(m_nBackItem);
    if (n == 0 || front >= n || back >= n)
        return steps;

    const auto walk = [&](int from, int step) {
        for (int i = (from + step + n) % n; i != front; i = (i + step + n) % n)
            steps.push_back({keys[i], 0});
    };
    if (front != back) {
        steps.push_back({keys[back], 0});
        walk(back, -1);
        walk(back, +1);
        steps.push_back({keys[front], 0});
        return steps;
    }
    const float s = Normalised(Start3DAngle(*ItemByKey(keys[front])));
    if (s <= 90.0f || s > 270.0f) {
        steps.push_back({keys[front], 6});
        walk(front, +1);
        steps.push_back({keys[front], 4});
    } else {
        steps.push_back({keys[front], 7});
        walk(front, -1);
        steps.push_back({keys[front], 5});
    }
    return steps;
}

void CPieChartWnd::Draw3D(QPainter& g)
{
    DrawBackground(g);
    if (m_mapItems.empty())
        return;
    CalcRimPoints();
    Calc3DAngles();
    FindFrontBackItems();
    for (const strDrawStep& step : DrawOrder3D()) {
        const PieChartItem& item = *ItemByKey(step.key);
        if (step.nPass == 0)
            Draw3DSlice(&g, item);
        else
            Draw3DSplitSlice(&g, item, step.nPass);
    }
    if (m_bShowPercent)
        DrawPercentLabels(g);
}

PieChartItem* CPieChartWnd::HitTest3D(QPoint pt)
{
    for (auto& [key, item] : m_mapItems)
        item->nOffset = 0;
    if (m_mapItems.empty())
        return nullptr;
    CalcRimPoints();
    Calc3DAngles();
    FindFrontBackItems();

    std::vector<std::int32_t> keys;
    for (const auto& [key, item] : m_mapItems)
        keys.push_back(key);
    const int n = int(keys.size());
    const auto indexOf = [&](std::int32_t key) { return int(std::find(keys.begin(), keys.end(), key) - keys.begin()); };
    const int front = indexOf(m_nFrontItem);
    const int back = indexOf(m_nBackItem);
    if (front >= n || back >= n)
        return nullptr;

    // The front slice lies on top of everything; then each side from the
    // front towards the back.
    std::vector<int> order{front};
    for (int step : {+1, -1}) {
        if (step == -1 && back == front)
            break;  // the first side already held every other slice
        for (int i = (front + step + n) % n; i != front && i != back; i = (i + step + n) % n)
            order.push_back(i);
    }
    if (back != front)
        order.push_back(back);

    const QPointF p(pt);
    for (int i : order) {
        PieChartItem* item = ItemByKey(keys[i]);
        if (Draw3DSlice(nullptr, *item, p)) {
            SetItemOffset(item, 5);
            item->bHighlighted = 1;
            return item;
        }
    }
    return nullptr;
}
