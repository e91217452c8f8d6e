#include <gtest/gtest.h>

#include "RenderUtil.h"
#include "controls/EditX.h"
#include "controls/StaX.h"

namespace {
bool IsSkyBlue(const QColor& c) { return c.blue() > 200 && c.green() > 150 && c.red() < 80; }
bool IsDark(const QColor& c) { return c.red() < 60 && c.green() < 60 && c.blue() < 60; }
} // namespace

TEST(EditX, DrawsInItsColoursAndResetTextColorTurnsTheTextBlackAtOnce)
{
    CEditX edit;
    edit.resize(160, 24);
    edit.setText(QStringLiteral("North lift 1"));
    edit.show();
    QImage image = RenderWidget(edit);
    EXPECT_GT(CountPixels(image, IsSkyBlue), 10);
    EXPECT_EQ(Pixel(image, 150, 12), QColor(Qt::white));

    EXPECT_TRUE(edit.ResetTextColor());
    image = RenderWidget(edit);
    EXPECT_EQ(CountPixels(image, IsSkyBlue), 0);
    EXPECT_GT(CountPixels(image, IsDark), 10);

    edit.SetBkColor(RGB(255, 255, 0));
    EXPECT_EQ(Pixel(RenderWidget(edit), 150, 12), QColor(255, 255, 0));
}

TEST(EditX, SingleLineKeepsOneLineMultiLineWraps)
{
    CEditX single;
    single.setText(QStringLiteral("first\nsecond"));
    EXPECT_EQ(single.text(), QStringLiteral("first second"));
    EXPECT_EQ(single.document()->blockCount(), 1);

    CEditX help(nullptr, true);
    help.setText(QStringLiteral("cause\nremedy"));
    EXPECT_EQ(help.document()->blockCount(), 2);
}

TEST(StaX, SecondSetColorsRepaintsTheWholeLabelInItsBackground)
{
    CStaX label(QStringLiteral("User"));
    label.resize(67, 17);
    label.SetColors(0xFFFF00, 0x000000);  // cyan on black, as in the main window
    label.SetColors(0x0000FF, RGB(0, 0, 128));
    const QImage image = RenderWidget(label);
    EXPECT_EQ(Pixel(image, 66, 16), QColor(0, 0, 128));
    EXPECT_EQ(CountPixels(image, Exactly(kSentinel)), 0);
    EXPECT_GT(CountPixels(image, IsReddish), 5);
}

// A group or lift name from the database shows as the characters it is: a
// name with markup neither turns green nor loses its tags.
TEST(StaX, ShowsANameWithMarkupAsItsCharacters)
{
    const QString name = QStringLiteral("<font color=#00ff00 size=7><b>North</b></font>");
    CStaX label(name);
    label.SetColors(0xFFFF00, 0x000000);
    label.resize(label.sizeHint().expandedTo(QSize(40, 17)));
    const QImage image = RenderWidget(label);
    EXPECT_EQ(label.textFormat(), Qt::PlainText);
    EXPECT_EQ(CountPixels(image, [](const QColor& c) { return c.green() > 150 && c.red() < 80 && c.blue() < 80; }), 0);
    EXPECT_GT(label.sizeHint().width(), label.fontMetrics().horizontalAdvance(QStringLiteral("<font color=")));
}
