// The analysis page's pie: slices per fault code of one lift or per lift of
// one fault code, with one colour swatch beside the chart for each slice.
#include <algorithm>

#include "analysis/AnalysisDlg.h"
#include "analysis/PieChartWnd.h"
#include "analysis/PieColors.h"
#include "analysis/StaInfX.h"

namespace {

constexpr int kHighestCode = 149;

// count / total as a 32-bit float, times 100 and kept as a float again; a
// total of 0 gives no share.
QString ShareOf(int nCount, int nTotal)
{
    float share = 0.0f;
    if (nTotal != 0) {
        share = float(nCount) / float(nTotal);
        share = float(double(share) * 100.0);
    }
    return QString::asprintf("%.2f", double(share)) + QLatin1Char('%');
}

QString SliceLabel(int nSlice)
{
    return QString::asprintf("%d", nSlice);
}

// Slice k and its swatch show the same text in the k-th pie colour.
void AddSlice(CPieChartWnd& pie, CStaInfX& swatch, int k, const QString& text, int count)
{
    const ARGB colour = g_PieColors[std::size_t(PieColorSlot(k))];
    swatch.SetText(text);
    swatch.SetColor(ColorRefFromArgb(colour));
    pie.AddItem(SliceLabel(k + 1), text, colour, double(count));
}

} // namespace

void CAnalysisDlg::PlaceSwatch(CStaInfX* pSwatch, int x, int y)
{
    pSwatch->setGeometry(x, y, kSwatchWidth, kSwatchHeight);
    pSwatch->m_rcClient = pSwatch->rect();
    const QRect& c = pSwatch->m_rcClient;
    pSwatch->m_rcColor = QRect(c.left(), c.top(), 20, c.height());
    pSwatch->m_rcText = QRect(QPoint(c.left() + 22, c.top() + 3), c.bottomRight());
    pSwatch->show();
    pSwatch->raise();
}

void CAnalysisDlg::RefreshPie(int nArg)
{
    if (!m_wndPie)
        return;  // the page's windows are made by OnInitDialog
    m_wndPie->RemoveAllItems();
    int n = 0;
    int rowWidth = 0;
    if (m_nViewMode == kModeStatsByLift) {
        n = FillPieByFaultCode(nArg);
        rowWidth = m_nNarrowListWidth;
    } else if (m_nViewMode == kModeStatsByFault) {
        n = FillPieByFaultKind(nArg);
        rowWidth = m_nWideListWidth;
    }
    for (CStaInfX* swatch : m_pSwatches)
        swatch->hide();
    // At least one swatch to a row, however narrow the row.
    const int perRow = std::max(1, rowWidth / kSwatchStep);
    const int firstX = m_nX0 + m_nWideTreeWidth + 20;
    int x = firstX;
    int y = 95;
    for (int i = 0; i < n && i < kSwatchCount; ++i) {
        PlaceSwatch(m_pSwatches[std::size_t(i)], x, y);
        if ((i + 1) % perRow == 0) {
            x = firstX;
            y += kSwatchHeight;
        } else {
            x += kSwatchStep;
        }
    }
}

int CAnalysisDlg::FillPieByFaultCode(int nLift)
{
    if (nLift < 0 || nLift >= kLiftRecords)
        return 0;
    const strLiftFaultStat& stat = (*m_pFaultStat)[std::size_t(nLift)];
    int k = 0;
    for (int c = 1; c <= kHighestCode && k < kSwatchCount; ++c) {
        const int count = stat.nCodeCount[std::size_t(c)];
        if (count <= 0)
            continue;
        const QString text = QStringLiteral("Err ") + QString::asprintf("%d", c) + QStringLiteral(": ")
                             + QString::asprintf("%d", count) + QLatin1Char(' ') + ShareOf(count, stat.nErrTotal);
        AddSlice(*m_wndPie, *m_pSwatches[std::size_t(k)], k, text, count);
        ++k;
    }
    return k;
}

int CAnalysisDlg::FillPieByFaultKind(int nCode)
{
    if (nCode < 0 || nCode >= kFaultCodeCounts)
        return 0;
    const auto code = std::size_t(nCode);
    int total = 0;
    for (const strLiftFaultStat& stat : *m_pFaultStat)
        total += std::max(0, stat.nCodeCount[code]);
    int k = 0;
    for (const strLiftFaultStat& stat : *m_pFaultStat) {
        const int count = stat.nCodeCount[code];
        if (count <= 0 || k >= kSwatchCount)
            continue;
        const QString text = stat.strName + QStringLiteral(": ") + QString::asprintf("%d", count) + QLatin1Char(' ')
                             + ShareOf(count, total);
        AddSlice(*m_wndPie, *m_pSwatches[std::size_t(k)], k, text, count);
        ++k;
    }
    return k;
}

LRESULT CAnalysisDlg::OnColorPicked(WPARAM, LPARAM lParam)
{
    // The number comes in a message: only a swatch's own number is used.
    if (!m_wndPie || lParam < 1 || lParam > kSwatchCount)
        return 0;
    const int n = int(lParam);
    PieChartItem* item = m_wndPie->FindItem(SliceLabel(n));
    const ARGB colour = ArgbFromColorRef(m_pSwatches[std::size_t(n - 1)]->GetColor());
    g_PieColors[std::size_t(PieColorSlot(n - 1))] = colour;
    if (item)
        m_wndPie->SetItemColor(item, colour);
    return 0;
}

LRESULT CAnalysisDlg::OnSwatchHover(WPARAM, LPARAM lParam)
{
    if (!m_wndPie || lParam < 1 || lParam > kSwatchCount)
        return 0;
    m_wndPie->ResetItemOffsets();
    m_wndPie->SetItemOffset(m_wndPie->FindItem(SliceLabel(int(lParam))), 5);
    return 0;
}
