#include "controls/ListCtrlX.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <algorithm>

#include "controls/CellFont.h"

ClistCtrlX::ClistCtrlX(QWidget* parent)
    : QTableWidget(parent)
{
    m_pHeadCtrl = new CHeadCtrlX(this);
    setHorizontalHeader(m_pHeadCtrl);
    verticalHeader()->hide();
    setShowGrid(false);
    setCornerButtonEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setWordWrap(false);
}

int ClistCtrlX::InsertColumn(int nCol, const QString& heading, int nFormat, int nWidth)
{
    if (nCol < 0)
        return -1;
    nCol = std::min(nCol, columnCount());
    insertColumn(nCol);
    auto* header = new QTableWidgetItem(heading);
    const Qt::Alignment align = nFormat == LVCFMT_CENTER ? Qt::AlignHCenter
                              : nFormat == LVCFMT_RIGHT  ? Qt::AlignRight
                                                         : Qt::AlignLeft;
    header->setTextAlignment(align | Qt::AlignVCenter);
    setHorizontalHeaderItem(nCol, header);
    if (nWidth >= 0)
        setColumnWidth(nCol, nWidth);
    return nCol;
}

bool ClistCtrlX::DeleteColumn(int nCol)
{
    if (nCol < 0 || nCol >= columnCount())
        return false;
    removeColumn(nCol);
    return true;
}

bool ClistCtrlX::SetColumnWidth(int nCol, int nWidth)
{
    if (nCol < 0 || nCol >= columnCount() || nWidth < 0)
        return false;
    setColumnWidth(nCol, nWidth);
    return true;
}

int ClistCtrlX::InsertItem(int nItem, const QString& text)
{
    if (nItem < 0)
        return -1;
    nItem = std::min(nItem, rowCount());
    insertRow(nItem);
    if (m_nRowHeight > 0)
        setRowHeight(nItem, m_nRowHeight);
    if (columnCount() > 0)
        setItem(nItem, 0, new QTableWidgetItem(text));
    return nItem;
}

bool ClistCtrlX::SetItemText(int nItem, int nSubItem, const QString& text)
{
    if (nItem < 0 || nItem >= rowCount() || nSubItem < 0 || nSubItem >= columnCount())
        return false;
    if (QTableWidgetItem* cell = item(nItem, nSubItem))
        cell->setText(text);
    else
        setItem(nItem, nSubItem, new QTableWidgetItem(text));
    return true;
}

QString ClistCtrlX::GetItemText(int nItem, int nSubItem) const
{
    const QTableWidgetItem* cell = item(nItem, nSubItem);
    return cell ? cell->text() : QString();
}

bool ClistCtrlX::DeleteItem(int nItem)
{
    if (nItem < 0 || nItem >= rowCount())
        return false;
    removeRow(nItem);
    return true;
}

bool ClistCtrlX::DeleteAllItems()
{
    setRowCount(0);
    return true;
}

int ClistCtrlX::GetSelectionMark() const
{
    return currentRow();
}

unsigned ClistCtrlX::GetItemState(int nItem, unsigned nMask) const
{
    if (nItem < 0 || nItem >= rowCount() || columnCount() == 0)
        return 0;
    unsigned state = 0;
    if (selectionModel()->isSelected(model()->index(nItem, 0)))
        state |= LVIS_SELECTED;
    if (currentRow() == nItem)
        state |= LVIS_FOCUSED;
    return state & nMask;
}

bool ClistCtrlX::SetItemState(int nItem, unsigned nState, unsigned nMask)
{
    if (nItem < 0 || nItem >= rowCount() || columnCount() == 0)
        return false;
    const QModelIndex index = model()->index(nItem, 0);
    if (nMask & LVIS_SELECTED) {
        const auto command = (nState & LVIS_SELECTED) ? QItemSelectionModel::Select
                                                      : QItemSelectionModel::Deselect;
        selectionModel()->select(index, command | QItemSelectionModel::Rows);
    }
    if ((nMask & LVIS_FOCUSED) && (nState & LVIS_FOCUSED))
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    viewport()->update();
    return true;
}

void ClistCtrlX::SetBkColor(COLORREF crBk)
{
    m_crBk = crBk;
    viewport()->update();
}

void ClistCtrlX::SetExtendedStyle(unsigned nStyle)
{
    m_nExStyle = nStyle;
    viewport()->update();
}

void ClistCtrlX::SetRowHeight(int nHeight)
{
    m_nRowHeight = nHeight;
    if (nHeight <= 0)
        return;
    QHeaderView* rows = verticalHeader();
    rows->setMinimumSectionSize(std::min(rows->minimumSectionSize(), nHeight));
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(nHeight);
    // Rows already present are measured again.
    for (int r = 0; r < rowCount(); ++r)
        setRowHeight(r, nHeight);
}

QColor ClistCtrlX::CellBkColor(int nItem, int nSubItem) const
{
    COLORREF colour = m_crBk;
    const auto column = std::find_if(m_listColBk.begin(), m_listColBk.end(),
                                     [&](const strColor& c) { return c.nCol == nSubItem; });
    if (column != m_listColBk.end())
        colour = column->crColor;
    const auto cell = std::find_if(m_listItemBk.begin(), m_listItemBk.end(), [&](const strColor& c) {
        return c.nRow == nItem && c.nCol == nSubItem;
    });
    if (cell != m_listItemBk.end())
        colour = cell->crColor;
    return FromColorRef(colour);
}

QColor ClistCtrlX::CellTextColor(int nItem, int nSubItem) const
{
    COLORREF colour = m_crText;
    const auto column = std::find_if(m_listColText.begin(), m_listColText.end(),
                                     [&](const strColor& c) { return c.nCol == nSubItem; });
    if (column != m_listColText.end())
        colour = column->crColor;
    const auto cell = std::find_if(m_listItemText.rbegin(), m_listItemText.rend(), [&](const strColor& c) {
        return c.nRow == nItem && c.nCol == nSubItem;
    });
    if (cell != m_listItemText.rend())
        colour = cell->crColor;
    return FromColorRef(colour);
}

QString ClistCtrlX::BreakCellText(const QString& text, const QFontMetrics& fm, int nWidth)
{
    const int n = int(text.size());
    if (n == 0)
        return text;
    const int last = std::min(n, kWrapScanLimit) - 1;
    bool bBlank = false;
    for (int i = last; i >= 0; --i) {
        if (text.at(i) != QLatin1Char(' '))
            continue;
        bBlank = true;
        if (fm.horizontalAdvance(text.left(i)) <= nWidth) {
            QString broken = text;
            broken[i] = QLatin1Char('\n');
            return broken;
        }
    }
    if (bBlank)
        return text;  // no blank leaves a first line that fits: drawn clipped
    QString broken = text;
    broken.insert(n / 2, QLatin1Char('\n'));
    return broken;
}

void ClistCtrlX::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), FromColorRef(m_crBk));
    if (rowCount() > 0 && columnCount() > 0) {
        int first = rowAt(0);
        int last = rowAt(viewport()->height() - 1);
        if (first < 0)
            first = 0;
        if (last < 0)
            last = rowCount() - 1;
        for (int r = first; r <= last; ++r)
            DrawItem(painter, r);
    }
    if (m_nExStyle & LVS_EX_GRIDLINES)
        DrawGrid(painter);
}

void ClistCtrlX::DrawItem(QPainter& painter, int nItem)
{
    const bool bSelected = (GetItemState(nItem, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    // Texts that fit are placed by the line height of the list's own font.
    const int nLineHeight = QFontMetrics(font()).height();
    const QFont cellFont = MakeCellFont(QStringLiteral("宋体"), m_nFontHeight, m_nFontWidth);
    const QFontMetrics fm(cellFont);
    const int flags = Qt::AlignLeft | Qt::AlignTop;

    painter.save();
    painter.setFont(cellFont);
    for (int c = 0; c < columnCount(); ++c) {
        if (isColumnHidden(c))
            continue;
        const QRect cell(columnViewportPosition(c), rowViewportPosition(nItem), columnWidth(c),
                         rowHeight(nItem));
        painter.setClipRect(cell);
        painter.fillRect(cell, bSelected ? palette().color(QPalette::Active, QPalette::Highlight)
                                         : CellBkColor(nItem, c));
        painter.setPen(CellTextColor(nItem, c));

        const QString text = GetItemText(nItem, c);
        QRect textRect = cell.adjusted(5, 0, -5, 0);
        if (fm.horizontalAdvance(text) <= textRect.width()) {
            textRect.translate(0, (cell.height() - nLineHeight) / 2);
            painter.drawText(textRect, flags, text);
        } else {
            painter.drawText(textRect, flags, BreakCellText(text, fm, textRect.width()));
        }
    }
    painter.restore();
}

void ClistCtrlX::DrawGrid(QPainter& painter)
{
    painter.save();
    painter.setPen(QColor(0xD0, 0xD0, 0xD0));
    const int width = viewport()->width();
    const int height = viewport()->height();
    for (int c = 0; c < columnCount(); ++c) {
        if (isColumnHidden(c))
            continue;
        const int x = columnViewportPosition(c) + columnWidth(c) - 1;
        painter.drawLine(x, 0, x, height);
    }
    if (rowCount() > 0) {
        int y = -1;
        for (int r = std::max(rowAt(0), 0); r < rowCount() && y < height; ++r) {
            y = rowViewportPosition(r) + rowHeight(r) - 1;
            painter.drawLine(0, y, width, y);
        }
        // Below the last row the ruling goes on at the row pitch.
        const int pitch = std::max(rowHeight(rowCount() - 1), 1);
        for (y += pitch; y < height; y += pitch)
            painter.drawLine(0, y, width, y);
    }
    painter.restore();
}
