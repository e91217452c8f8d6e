#pragma once
// A report list that paints its own cells: background and text colours come
// from four colour lists kept by the control, long texts wrap onto a second
// line, and its header is a CHeadCtrlX. The owner appends colour entries and
// assigns the header's captions directly.
#include <QStringList>
#include <QTableWidget>
#include <vector>

#include "controls/Color.h"
#include "controls/HeadCtrlX.h"

class ClistCtrlX : public QTableWidget {
    Q_OBJECT
public:
    enum : unsigned { LVIS_FOCUSED = 0x1, LVIS_SELECTED = 0x2 };
    enum : unsigned { LVS_EX_GRIDLINES = 0x1, LVS_EX_FULLROWSELECT = 0x20 };
    enum : int { LVCFMT_LEFT = 0, LVCFMT_RIGHT = 1, LVCFMT_CENTER = 2 };
    // Characters of a cell text looked at when a line break is sought.
    static constexpr int kWrapScanLimit = 256;

    explicit ClistCtrlX(QWidget* parent = nullptr);

    // Columns. InsertColumn returns the new column's index, -1 on failure.
    int InsertColumn(int nCol, const QString& heading, int nFormat = LVCFMT_LEFT, int nWidth = -1);
    bool DeleteColumn(int nCol);
    bool SetColumnWidth(int nCol, int nWidth);

    // Rows. InsertItem returns the new row's index, -1 on failure.
    int InsertItem(int nItem, const QString& text);
    bool SetItemText(int nItem, int nSubItem, const QString& text);
    QString GetItemText(int nItem, int nSubItem) const;
    bool DeleteItem(int nItem);
    bool DeleteAllItems();
    int GetItemCount() const { return rowCount(); }

    // Selection: the mark is the row last made current, -1 when none.
    int GetSelectionMark() const;
    unsigned GetItemState(int nItem, unsigned nMask) const;
    bool SetItemState(int nItem, unsigned nState, unsigned nMask);

    void SetBkColor(COLORREF crBk);
    COLORREF GetBkColor() const { return m_crBk; }
    void SetExtendedStyle(unsigned nStyle);
    unsigned GetExtendedStyle() const { return m_nExStyle; }
    // Row height in pixels; 0 or less keeps the default height.
    void SetRowHeight(int nHeight);
    int GetRowHeight() const { return m_nRowHeight; }
    CHeadCtrlX* GetHeaderCtrl() const { return m_pHeadCtrl; }

    // Colours of a cell that is not selected, after the colour lists.
    QColor CellBkColor(int nItem, int nSubItem) const;
    QColor CellTextColor(int nItem, int nSubItem) const;
    // A text too wide for its cell gets one line break: at the last blank (among
    // the first kWrapScanLimit characters) whose preceding part fits, or in the
    // middle when there is no blank.
    static QString BreakCellText(const QString& text, const QFontMetrics& fm, int nWidth);

    int m_nFontHeight = 13;
    int m_nFontWidth = 0;
    COLORREF m_crText = 0;
    std::vector<strColor> m_listColBk;     // whole-column backgrounds: first entry wins
    std::vector<strColor> m_listItemBk;    // cell backgrounds: first entry wins
    std::vector<strColor> m_listColText;   // whole-column text colours: first entry wins
    std::vector<strColor> m_listItemText;  // cell text colours: last entry wins
    const QStringList* m_pLanText = nullptr;  // the UI text table, for the list fillers

protected:
    void paintEvent(QPaintEvent* event) override;
    virtual void DrawItem(QPainter& painter, int nItem);

private:
    void DrawGrid(QPainter& painter);

    CHeadCtrlX* m_pHeadCtrl = nullptr;  // owned by the view
    int m_nRowHeight = 0;
    COLORREF m_crBk = 0xFFFFFF;
    unsigned m_nExStyle = 0;
};
