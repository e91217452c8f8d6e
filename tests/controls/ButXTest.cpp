#include <QSignalSpy>
#include <gtest/gtest.h>
#include <vector>

#include "RenderUtil.h"
#include "controls/ButX.h"

namespace {

struct BarButton {
    CButX button;
    explicit BarButton(QSize size, const QString& text = QStringLiteral("Connect"))
    {
        button.setText(text);
        button.resize(size);
        button.move(300, 300);  // away from the pointer: hover comes only from the test
        button.SetCaptionColor(RGB(0, 255, 0));
        button.show();
    }
    int Red() { return CountPixels(RenderWidget(button), IsReddish); }
    int Green() { return CountPixels(RenderWidget(button), IsGreenish); }
    void Enter() { SendEnter(button, QPoint(60, 17)); }
    void Press(QEvent::Type type = QEvent::MouseButtonPress)
    {
        SendMouse(button, type, QPoint(60, 17), type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton);
    }
};

} // namespace

TEST(ButXGradient, BandsRunPerChannelSaturateAndLeaveTheRestUnpainted)
{
    // Bands 0-9 darken by the step, 10-25 hold, 26-34 brighten again; each
    // channel saturates at every step rather than wrapping round.
    struct Band {
        int band;
        QColor colour;
    };
    struct Case {
        int r, g, b, step, bandHeight;
        std::vector<Band> bands;
    };
    // The bar buttons' own look first (0x646464, step 10), then channels that would wrap.
    const std::vector<Case> cases{
        {100, 100, 100, 10, 1, {{0, {90, 90, 90}}, {9, {0, 0, 0}}, {25, {0, 0, 0}}, {26, {10, 10, 10}}, {34, {90, 90, 90}}}},
        {200, 100, 30, 10, 2, {{0, {190, 90, 20}}, {2, {170, 70, 0}}, {17, {100, 0, 0}}, {26, {110, 10, 10}}, {34, {190, 90, 90}}}},
        {20, 250, 128, 30, 1, {{0, {0, 220, 98}}, {4, {0, 100, 0}}, {9, {0, 0, 0}}, {26, {30, 30, 30}}, {33, {240, 240, 240}}, {34, {255, 255, 255}}}},
        {240, 10, 128, -40, 1, {{0, {255, 50, 168}}, {9, {255, 255, 255}}, {26, {215, 215, 215}}, {30, {55, 55, 55}}, {34, {0, 0, 0}}}},
    };
    for (const Case& k : cases) {
        BarButton bar(QSize(60, 80), QString());
        bar.button.SetBaseColor(RGB(k.r, k.g, k.b));
        bar.button.SetStep(k.step);
        bar.button.SetBandHeight(k.bandHeight);
        const QImage image = RenderWidget(bar.button);
        for (const Band& band : k.bands) {
            for (int y = band.band * k.bandHeight; y < (band.band + 1) * k.bandHeight; ++y) {
                EXPECT_EQ(Pixel(image, 30, y), band.colour) << "step " << k.step << " row " << y;
            }
        }
        // Below the 35 bands the button paints nothing of its face.
        if (k.bandHeight == 1)
            EXPECT_EQ(Pixel(image, 2, 50), kSentinel);
    }
    // Without the gradient the whole face takes the base colour.
    BarButton flat(QSize(60, 80), QString());
    flat.button.SetGradient(false);
    flat.button.SetBaseColor(RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(CountPixels(RenderWidget(flat.button), Exactly(QColor(0x12, 0x34, 0x56))), 60 * 80);
}

TEST(ButXStates, HoverTurnsTheCaptionRedUntilTheMouseLeavesTheButtonIsDisabledOrHidden)
{
    BarButton bar(QSize(120, 35));
    EXPECT_GT(bar.Green(), 20);
    EXPECT_EQ(bar.Red(), 0);
    // Entering with the left button held (a drag from elsewhere) is no hover.
    SendMouse(bar.button, QEvent::MouseMove, QPoint(60, 17), Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(bar.button.IsHovered());
    bar.Enter();
    EXPECT_TRUE(bar.button.IsHovered());
    EXPECT_GT(bar.Red(), 20);
    EXPECT_EQ(bar.Green(), 0);
    // Moving off the button inside a grab ends the hover, and so does leaving.
    SendMouse(bar.button, QEvent::MouseMove, QPoint(300, 17), Qt::NoButton, Qt::NoButton);
    EXPECT_FALSE(bar.button.IsHovered());
    bar.Enter();
    SendLeave(bar.button);
    EXPECT_FALSE(bar.button.IsHovered());
    EXPECT_GT(bar.Green(), 20);
    bar.Enter();
    bar.button.setEnabled(false);
    EXPECT_FALSE(bar.button.IsHovered());
    bar.button.setEnabled(true);
    bar.Enter();
    bar.button.hide();
    EXPECT_FALSE(bar.button.IsHovered());

    // The highlighted page button keeps its red caption after the mouse leaves.
    bar.button.show();
    bar.button.SetCaptionColor(0x0000FF);
    bar.Enter();
    SendLeave(bar.button);
    EXPECT_GT(bar.Red(), 20);
    // Disabled, the caption is white whatever its colour.
    bar.button.setEnabled(false);
    EXPECT_EQ(bar.Red(), 0);
    EXPECT_GT(CountPixels(RenderWidget(bar.button), IsWhitish), 20);
}

TEST(ButXStates, PressedCaptionIsRedAndMovesOnePixelAndAReleaseOrDoubleClickClicks)
{
    BarButton bar(QSize(120, 35));
    QSignalSpy clicks(&bar.button, &QAbstractButton::clicked);
    bar.Enter();
    const QRect hovered = BoundingBox(RenderWidget(bar.button), IsReddish);
    ASSERT_FALSE(hovered.isNull());
    bar.Press();
    ASSERT_TRUE(bar.button.isDown());
    EXPECT_EQ(BoundingBox(RenderWidget(bar.button), IsReddish), hovered.translated(1, 1));
    // Pressed without hover (the mouse went out while held) is still red.
    SendMouse(bar.button, QEvent::MouseMove, QPoint(300, 17), Qt::LeftButton, Qt::NoButton);
    bar.button.setDown(true);
    EXPECT_GT(bar.Red(), 20);
    // A release clicks; a fast double click counts as two clicks.
    bar.Press(QEvent::MouseButtonRelease);
    bar.Press(QEvent::MouseButtonDblClick);
    bar.Press(QEvent::MouseButtonRelease);
    EXPECT_EQ(clicks.count(), 2);
}

TEST(ButXStates, LongCaptionWrapsOntoSeveralCentredLines)
{
    BarButton bar(QSize(70, 35), QStringLiteral("Read all lift data"));
    const QRect box = BoundingBox(RenderWidget(bar.button), IsGreenish);
    ASSERT_FALSE(box.isNull());
    EXPECT_GT(box.height(), bar.button.fontMetrics().height());  // more than one line
    EXPECT_LE(std::abs(box.left() - (70 - 1 - box.right())), 3);
}

