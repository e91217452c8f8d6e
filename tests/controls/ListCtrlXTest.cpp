#include <QFontMetrics>
#include <gtest/gtest.h>

#include "RenderUtil.h"
#include "controls/CellFont.h"
#include "controls/ListCtrlX.h"

namespace {

const QColor kBlue(0, 0, 255), kGreen(0, 160, 0), kYellow(255, 255, 0), kCyan(0, 255, 255);
const QColor kRed(255, 0, 0), kMagenta(200, 0, 200), kOlive(128, 128, 0), kNavy(0, 0, 128);

COLORREF Ref(const QColor& c) { return ToColorRef(c); }

// A list on a white background with the given column widths and row height;
// the rows hold the texts given, a row's text repeated across its cells.
struct Grid {
    ClistCtrlX list;
    Grid(const QStringList& rows, int columns = 3, int width = 80, int rowHeight = 24)
    {
        list.resize(columns * width + 10, 150);
        for (int c = 0; c < columns; ++c)
            list.InsertColumn(c, QStringLiteral("C%1").arg(c), ClistCtrlX::LVCFMT_CENTER, width);
        list.SetRowHeight(rowHeight);
        for (int r = 0; r < rows.size(); ++r) {
            list.InsertItem(r, rows[r]);
            for (int c = 1; c < columns; ++c)
                list.SetItemText(r, c, rows[r]);
        }
        list.show();
    }
    // Cell rectangle in the rendered image of the whole list.
    QRect Cell(int row, int col) const
    {
        const QPoint origin = list.viewport()->mapTo(&list, QPoint(0, 0));
        return QRect(origin.x() + list.columnViewportPosition(col), origin.y() + list.rowViewportPosition(row),
                     list.columnWidth(col), list.rowHeight(row));
    }
    QColor Corner(const QImage& image, int r, int c) const { return Pixel(image, Cell(r, c).left() + 2, Cell(r, c).top() + 2); }
};

const QStringList kThreeRows = {QStringLiteral("HHH"), QStringLiteral("HHH"), QStringLiteral("HHH")};

} // namespace

TEST(ListColours, BackgroundFirstEntryWinsCellOverColumnTextLastCellEntryOverFirstColumnEntry)
{
    Grid g(kThreeRows);
    g.list.m_listColBk = {{0, 1, Ref(kBlue)}, {0, 1, Ref(kGreen)}};
    g.list.m_listItemBk = {{1, 1, Ref(kYellow)}, {1, 1, Ref(kCyan)}, {2, 0, Ref(kCyan)}};
    g.list.m_crText = Ref(kNavy);
    g.list.m_listColText = {{0, 2, Ref(kRed)}, {0, 2, Ref(kOlive)}};
    g.list.m_listItemText = {{1, 2, Ref(kGreen)}, {1, 2, Ref(kMagenta)}};
    QImage image = RenderWidget(g.list);
    EXPECT_EQ(g.Corner(image, 2, 1), kBlue);    // first column entry
    EXPECT_EQ(g.Corner(image, 1, 1), kYellow);  // first cell entry over the column's
    EXPECT_EQ(g.Corner(image, 2, 0), kCyan);
    auto ink = [&](int r, int c, const QColor& colour, const QColor& bg = Qt::white) {
        return CountPixels(image, InkOn(colour, bg), g.Cell(r, c));
    };
    EXPECT_GT(ink(0, 0, kNavy), 3);  // the default text colour
    EXPECT_GT(ink(0, 2, kRed), 3);   // first column entry
    EXPECT_EQ(ink(0, 2, kOlive), 0);
    EXPECT_GT(ink(1, 2, kMagenta), 3);  // last cell entry
    EXPECT_EQ(ink(1, 2, kGreen) + ink(1, 2, kRed), 0);

    // A selected row takes the highlight but keeps its text colours.
    ASSERT_TRUE(g.list.SetItemState(1, ClistCtrlX::LVIS_SELECTED, ClistCtrlX::LVIS_SELECTED));
    const QColor highlight = g.list.palette().color(QPalette::Active, QPalette::Highlight);
    image = RenderWidget(g.list);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(g.Corner(image, 1, c), highlight) << c;
    EXPECT_GT(ink(1, 2, kMagenta, highlight), 3);
}

TEST(ListWrapping, BreaksAtTheLastFittingBlankAmongTheFirst256OrHalfWay)
{
    const QFontMetrics fm(MakeCellFont(QStringLiteral("宋体"), 13, 0));
    const QString text = QStringLiteral("north lift hall fault");
    const int width = fm.horizontalAdvance(QStringLiteral("north lift hall")) + 1;
    EXPECT_EQ(ClistCtrlX::BreakCellText(text, fm, width), QStringLiteral("north lift hall\nfault"));
    const int narrow = fm.horizontalAdvance(QStringLiteral("north lift")) + 1;
    EXPECT_EQ(ClistCtrlX::BreakCellText(text, fm, narrow), QStringLiteral("north lift\nhall fault"));
    // No blank: the break goes after half of the characters.
    EXPECT_EQ(ClistCtrlX::BreakCellText(QStringLiteral("ABCDEFGHIJK"), fm, 20), QStringLiteral("ABCDE\nFGHIJK"));
    EXPECT_EQ(ClistCtrlX::BreakCellText(QStringLiteral("电梯故障记录"), fm, 20), QStringLiteral("电梯故\n障记录"));
    // Blanks, but none with a first line narrow enough: drawn as it is.
    EXPECT_EQ(ClistCtrlX::BreakCellText(QStringLiteral("Extraordinarily long"), fm, 5),
              QStringLiteral("Extraordinarily long"));
    // Blanks at 100 and 280: the one at 280 is beyond what is looked at.
    QString longText(300, QLatin1Char('x'));
    longText[100] = QLatin1Char(' ');
    longText[280] = QLatin1Char(' ');
    const QString broken = ClistCtrlX::BreakCellText(longText, fm, 100000);
    EXPECT_EQ(broken.indexOf(QLatin1Char('\n')), 100);
    EXPECT_EQ(broken.count(QLatin1Char('\n')), 1);
}

TEST(ListWrapping, AWrappedCellShowsTwoLinesFromTheTopAndAFittingOneIsCentred)
{
    Grid g({QStringLiteral("Lift"), QStringLiteral("North tower goods lift number two")}, 1, 110, 40);
    g.list.m_crText = Ref(kRed);
    const QImage image = RenderWidget(g.list);
    const QRect fits = BoundingBox(image.copy(g.Cell(0, 0)), IsReddish);
    ASSERT_FALSE(fits.isNull());
    EXPECT_GT(fits.top(), 8);   // moved down towards the middle
    EXPECT_GE(fits.left(), 5);  // 5 pixels in from the cell's edge
    const QRect wrapped = BoundingBox(image.copy(g.Cell(1, 0)), IsReddish);
    ASSERT_FALSE(wrapped.isNull());
    EXPECT_LT(wrapped.top(), 6);
    EXPECT_GT(wrapped.height(), QFontMetrics(MakeCellFont(QStringLiteral("宋体"), 13, 0)).height());
    EXPECT_LE(wrapped.right(), 110 - 5);
}

TEST(ListHeader, FillColourAndCaptionBreaks)
{
    Grid g({}, 2);
    CHeadCtrlX* header = g.list.GetHeaderCtrl();
    header->m_strCaptions = {QStringLiteral("Lift"), QStringLiteral("Name")};
    header->m_strAlign = QStringLiteral("11");
    header->m_crText = Ref(kRed);
    // Cells and the space after the last one take the fill colour.
    const QImage image = RenderWidget(*header);
    EXPECT_EQ(Pixel(image, 3, 2), QColor(0xC8, 0xC8, 0xC8));
    EXPECT_EQ(Pixel(image, header->width() - 5, 2), QColor(0xC8, 0xC8, 0xC8));
    EXPECT_GT(CountPixels(image, IsReddish), 5);
    const QFontMetrics fm(MakeCellFont(QStringLiteral("宋体"), 10, 0));
    const int word = fm.horizontalAdvance(QStringLiteral("Fault"));
    EXPECT_EQ(CHeadCtrlX::BreakCaption(QStringLiteral("Fault code text"), fm, word + 1), QStringLiteral("Fault\ncode text"));
    // The first word alone too wide: every blank becomes a break.
    EXPECT_EQ(CHeadCtrlX::BreakCaption(QStringLiteral("Fault code text"), fm, 3), QStringLiteral("Fault\ncode\ntext"));
    EXPECT_EQ(CHeadCtrlX::BreakCaption(QStringLiteral("Faultcode"), fm, 3), QStringLiteral("Faultcode"));
}

TEST(ListOperations, RowsColumnsAndSelectionRefuseWhatIsOutOfRange)
{
    ClistCtrlX list;
    EXPECT_EQ(list.InsertColumn(-1, QStringLiteral("x")), -1);
    EXPECT_EQ(list.InsertColumn(7, QStringLiteral("A"), ClistCtrlX::LVCFMT_CENTER, 50), 0);
    EXPECT_EQ(list.InsertColumn(1, QStringLiteral("B"), ClistCtrlX::LVCFMT_CENTER, 60), 1);
    list.SetRowHeight(20);
    EXPECT_EQ(list.InsertItem(5, QStringLiteral("r0")), 0);
    EXPECT_EQ(list.InsertItem(0, QStringLiteral("r1")), 0);  // in front
    EXPECT_EQ(list.GetItemText(1, 0), QStringLiteral("r0"));
    EXPECT_TRUE(list.SetItemText(1, 1, QStringLiteral("b")));
    EXPECT_FALSE(list.SetItemText(2, 0, QStringLiteral("no row")));
    EXPECT_FALSE(list.SetItemText(0, 2, QStringLiteral("no column")));
    EXPECT_EQ(list.GetItemText(9, 9) + list.GetItemText(-1, 0), QString());
    EXPECT_FALSE(list.SetItemState(2, ClistCtrlX::LVIS_SELECTED, ClistCtrlX::LVIS_SELECTED));
    EXPECT_EQ(list.GetSelectionMark(), -1);
    list.SetItemState(1, ClistCtrlX::LVIS_SELECTED | ClistCtrlX::LVIS_FOCUSED,
                      ClistCtrlX::LVIS_SELECTED | ClistCtrlX::LVIS_FOCUSED);
    EXPECT_EQ(list.GetSelectionMark(), 1);
    // A later row height applies to the rows already there.
    list.SetRowHeight(31);
    EXPECT_EQ(list.rowHeight(0), 31);
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetSelectionMark(), -1);
    EXPECT_TRUE(list.DeleteColumn(0) && list.DeleteColumn(0));
    EXPECT_FALSE(list.DeleteColumn(0));
    EXPECT_EQ(list.InsertItem(0, QStringLiteral("no columns")), 0);  // a row without cells
    EXPECT_EQ(list.GetItemText(0, 0), QString());
}
