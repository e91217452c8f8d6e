#include <QFontMetrics>
#include <gtest/gtest.h>

#include "RenderUtil.h"
#include "controls/CellFont.h"
#include "controls/ListCtrlX.h"

namespace {

const QColor kBlue(0, 0, 255), kGreen(0, 160, 0), kYellow(255, 255, 0), kCyan(0, 255, 255);
const QColor kRed(255, 0, 0), kMagenta(200, 0, 200), kOlive(128, 128, 0), kNavy(0, 0, 128);

// A 3 x 3 list on a white background, each cell holding "HHH".
struct Grid {
    ClistCtrlX list;
    Grid()
    {
        list.resize(3 * 80 + 10, 150);
        for (int c = 0; c < 3; ++c)
            list.InsertColumn(c, QStringLiteral("C%1").arg(c), ClistCtrlX::LVCFMT_CENTER, 80);
        list.SetRowHeight(24);
        for (int r = 0; r < 3; ++r) {
            list.InsertItem(r, QStringLiteral("HHH"));
            for (int c = 1; c < 3; ++c)
                list.SetItemText(r, c, QStringLiteral("HHH"));
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
};

COLORREF Ref(const QColor& c) { return ToColorRef(c); }

} // namespace

TEST(ListColours, BackgroundListsFirstEntryWinsCellOverColumn)
{
    Grid g;
    g.list.m_listColBk.push_back({0, 1, Ref(kBlue)});
    g.list.m_listColBk.push_back({0, 1, Ref(kGreen)});
    g.list.m_listItemBk.push_back({1, 1, Ref(kYellow)});
    g.list.m_listItemBk.push_back({1, 1, Ref(kCyan)});
    g.list.m_listItemBk.push_back({2, 0, Ref(kCyan)});
    const QImage image = RenderWidget(g.list);
    auto corner = [&](int r, int c) { return Pixel(image, g.Cell(r, c).left() + 2, g.Cell(r, c).top() + 2); };
    EXPECT_EQ(corner(0, 0), Qt::white);
    EXPECT_EQ(corner(0, 1), kBlue);    // first column entry
    EXPECT_EQ(corner(2, 1), kBlue);
    EXPECT_EQ(corner(1, 1), kYellow);  // first cell entry over the column's
    EXPECT_EQ(corner(2, 0), kCyan);
    EXPECT_EQ(corner(1, 2), Qt::white);
}

TEST(ListColours, TextListsCellLastEntryWinsOverColumnFirstEntry)
{
    Grid g;
    g.list.m_crText = Ref(kNavy);
    g.list.m_listColText.push_back({0, 2, Ref(kRed)});
    g.list.m_listColText.push_back({0, 2, Ref(kOlive)});
    g.list.m_listItemText.push_back({1, 2, Ref(kGreen)});
    g.list.m_listItemText.push_back({1, 2, Ref(kMagenta)});
    const QImage image = RenderWidget(g.list);
    auto count = [&](int r, int c, const QColor& colour) {
        return CountPixels(image, InkOn(colour, Qt::white), g.Cell(r, c));
    };
    EXPECT_GT(count(0, 0, kNavy), 3);    // the default text colour
    EXPECT_GT(count(0, 2, kRed), 3);     // first column entry
    EXPECT_EQ(count(0, 2, kOlive), 0);
    EXPECT_GT(count(1, 2, kMagenta), 3); // last cell entry
    EXPECT_EQ(count(1, 2, kGreen), 0);
    EXPECT_EQ(count(1, 2, kRed), 0);
}

TEST(ListColours, SelectedRowTakesTheHighlightButKeepsItsTextColours)
{
    Grid g;
    g.list.m_listColBk.push_back({0, 1, Ref(kBlue)});
    g.list.m_listItemBk.push_back({1, 1, Ref(kYellow)});
    g.list.m_listItemText.push_back({1, 2, Ref(kMagenta)});
    ASSERT_TRUE(g.list.SetItemState(1, ClistCtrlX::LVIS_SELECTED, ClistCtrlX::LVIS_SELECTED));
    const QColor highlight = g.list.palette().color(QPalette::Active, QPalette::Highlight);
    const QImage image = RenderWidget(g.list);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(Pixel(image, g.Cell(1, c).left() + 2, g.Cell(1, c).top() + 2), highlight) << c;
    EXPECT_GT(CountPixels(image, InkOn(kMagenta, highlight), g.Cell(1, 2)), 3);
    EXPECT_EQ(Pixel(image, g.Cell(0, 1).left() + 2, g.Cell(0, 1).top() + 2), kBlue);
    EXPECT_EQ(g.list.GetItemState(1, ClistCtrlX::LVIS_SELECTED), ClistCtrlX::LVIS_SELECTED);
    EXPECT_EQ(g.list.GetItemState(0, ClistCtrlX::LVIS_SELECTED), 0u);
}

TEST(ListWrapping, BreaksAtTheLastBlankThatLeavesAFittingFirstLine)
{
    const QFont font = MakeCellFont(QStringLiteral("宋体"), 13, 0);
    const QFontMetrics fm(font);
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
    EXPECT_EQ(ClistCtrlX::BreakCellText(QString(), fm, 5), QString());
}

TEST(ListWrapping, ThreeHundredCharactersBreakAtABlankAmongTheFirst256)
{
    const QFontMetrics fm(MakeCellFont(QStringLiteral("宋体"), 13, 0));
    // Blanks at 100 and 280; the one at 280 is beyond what is looked at, even
    // though the first line up to it would fit.
    QString text(300, QLatin1Char('x'));
    text[100] = QLatin1Char(' ');
    text[280] = QLatin1Char(' ');
    const QString broken = ClistCtrlX::BreakCellText(text, fm, 100000);
    EXPECT_EQ(broken.indexOf(QLatin1Char('\n')), 100);
    EXPECT_EQ(broken.count(QLatin1Char('\n')), 1);
    EXPECT_EQ(broken.size(), 300);
}

TEST(ListWrapping, AWrappedCellShowsTwoLinesAndAFittingOneIsCentred)
{
    ClistCtrlX list;
    list.resize(130, 120);
    list.InsertColumn(0, QStringLiteral("Name"), ClistCtrlX::LVCFMT_CENTER, 110);
    list.SetRowHeight(40);
    list.m_crText = Ref(kRed);
    list.InsertItem(0, QStringLiteral("Lift"));
    list.InsertItem(1, QStringLiteral("North tower goods lift number two"));
    list.show();
    const QImage image = RenderWidget(list);
    const QPoint origin = list.viewport()->mapTo(&list, QPoint(0, 0));
    const QRect row0(origin.x(), origin.y() + list.rowViewportPosition(0), 110, 40);
    const QRect row1(origin.x(), origin.y() + list.rowViewportPosition(1), 110, 40);

    const QRect fits = BoundingBox(image.copy(row0), IsReddish);
    ASSERT_FALSE(fits.isNull());
    EXPECT_GT(fits.top(), 8);        // moved down towards the middle
    EXPECT_GE(fits.left(), 5);       // 5 pixels in from the cell's edge

    const QRect wrapped = BoundingBox(image.copy(row1), IsReddish);
    ASSERT_FALSE(wrapped.isNull());
    EXPECT_LT(wrapped.top(), 6);     // drawn from the top
    const int line = QFontMetrics(MakeCellFont(QStringLiteral("宋体"), 13, 0)).height();
    EXPECT_GT(wrapped.height(), line);  // a second line below the first
    EXPECT_LE(wrapped.right(), 110 - 5);
}

TEST(ListHeader, HeightFactorFillColoursAndCaptionBreaks)
{
    ClistCtrlX plain, tall;
    for (ClistCtrlX* list : {&plain, &tall}) {
        list->resize(300, 150);
        list->InsertColumn(0, QStringLiteral("Lift"), ClistCtrlX::LVCFMT_CENTER, 80);
        list->InsertColumn(1, QStringLiteral("Name"), ClistCtrlX::LVCFMT_CENTER, 80);
        list->GetHeaderCtrl()->m_strCaptions = {QStringLiteral("Lift"), QStringLiteral("Name")};
        list->GetHeaderCtrl()->m_strAlign = QStringLiteral("11");
        list->show();
    }
    tall.GetHeaderCtrl()->SetHeightFactor(2.0f);
    QApplication::processEvents();
    const int base = plain.GetHeaderCtrl()->height();
    ASSERT_GT(base, 0);
    EXPECT_EQ(tall.GetHeaderCtrl()->height(), int(float(plain.GetHeaderCtrl()->sizeHint().height()) * 2.0f));
    EXPECT_EQ(tall.viewport()->mapTo(&tall, QPoint(0, 0)).y(), plain.viewport()->mapTo(&plain, QPoint(0, 0)).y() + base);

    // Cells and the space after the last one take the fill colour; the flag
    // switches to the second colour.
    CHeadCtrlX* header = plain.GetHeaderCtrl();
    QImage image = RenderWidget(*header);
    EXPECT_EQ(Pixel(image, 3, 2), QColor(0xC8, 0xC8, 0xC8));
    EXPECT_EQ(Pixel(image, 250, 2), QColor(0xC8, 0xC8, 0xC8));
    header->m_byAltFill = 1;
    header->m_crText = Ref(kRed);
    image = RenderWidget(*header);
    EXPECT_EQ(Pixel(image, 3, 2), QColor(0xF0, 0xF0, 0xF0));
    EXPECT_EQ(Pixel(image, 250, 2), QColor(0xF0, 0xF0, 0xF0));
    EXPECT_GT(CountPixels(image, IsReddish), 5);

    const QFontMetrics fm(MakeCellFont(QStringLiteral("宋体"), 10, 0));
    const int word = fm.horizontalAdvance(QStringLiteral("Fault"));
    EXPECT_EQ(CHeadCtrlX::BreakCaption(QStringLiteral("Fault code text"), fm, word + 1),
              QStringLiteral("Fault\ncode text"));
    // The first word alone too wide: every blank becomes a break.
    EXPECT_EQ(CHeadCtrlX::BreakCaption(QStringLiteral("Fault code text"), fm, 3),
              QStringLiteral("Fault\ncode\ntext"));
    EXPECT_EQ(CHeadCtrlX::BreakCaption(QStringLiteral("Faultcode"), fm, 3), QStringLiteral("Faultcode"));
}

TEST(ListOperations, RowsColumnsAndSelectionRefuseWhatIsOutOfRange)
{
    ClistCtrlX list;
    EXPECT_EQ(list.InsertColumn(-1, QStringLiteral("x")), -1);
    EXPECT_EQ(list.InsertColumn(7, QStringLiteral("A"), ClistCtrlX::LVCFMT_CENTER, 50), 0);
    EXPECT_EQ(list.InsertColumn(1, QStringLiteral("B"), ClistCtrlX::LVCFMT_CENTER, 60), 1);
    EXPECT_EQ(list.columnWidth(1), 60);
    list.SetRowHeight(20);
    EXPECT_EQ(list.InsertItem(5, QStringLiteral("r0")), 0);
    EXPECT_EQ(list.InsertItem(0, QStringLiteral("r1")), 0);  // in front
    EXPECT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(list.GetItemText(1, 0), QStringLiteral("r0"));
    EXPECT_EQ(list.rowHeight(1), 20);
    EXPECT_TRUE(list.SetItemText(1, 1, QStringLiteral("b")));
    EXPECT_EQ(list.GetItemText(1, 1), QStringLiteral("b"));
    EXPECT_FALSE(list.SetItemText(2, 0, QStringLiteral("no row")));
    EXPECT_FALSE(list.SetItemText(0, 2, QStringLiteral("no column")));
    EXPECT_EQ(list.GetItemText(9, 9), QString());
    EXPECT_EQ(list.GetItemText(-1, 0), QString());
    EXPECT_EQ(list.GetItemState(-1, ClistCtrlX::LVIS_SELECTED), 0u);
    EXPECT_FALSE(list.SetItemState(2, ClistCtrlX::LVIS_SELECTED, ClistCtrlX::LVIS_SELECTED));

    EXPECT_EQ(list.GetSelectionMark(), -1);
    list.SetItemState(1, ClistCtrlX::LVIS_SELECTED | ClistCtrlX::LVIS_FOCUSED,
                      ClistCtrlX::LVIS_SELECTED | ClistCtrlX::LVIS_FOCUSED);
    EXPECT_EQ(list.GetSelectionMark(), 1);

    // A later row height applies to the rows already there.
    list.SetRowHeight(31);
    EXPECT_EQ(list.rowHeight(0), 31);

    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(list.GetSelectionMark(), -1);
    int deleted = 0;
    while (list.DeleteColumn(0))
        ++deleted;
    EXPECT_EQ(deleted, 2);
    EXPECT_EQ(list.columnCount(), 0);
    EXPECT_EQ(list.InsertItem(0, QStringLiteral("no columns")), 0);  // a row without cells
    EXPECT_EQ(list.GetItemText(0, 0), QString());
}
