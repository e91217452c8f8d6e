#include <QSignalSpy>
#include <array>
#include <gtest/gtest.h>

#include "RenderUtil.h"
#include "controls/ButX.h"

namespace {

// The bar buttons of the main window: 35 bands of one pixel from 0x646464
// with step 10 run 90, 80, ... 0 (bands 0-9), stay 0 (10-25), rise 10 ... 90.
constexpr std::array<int, 35> kBarBands = {90, 80, 70, 60, 50, 40, 30, 20, 10, 0,
                                           0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
                                           0,  0,  0,  0,  0,  0,  10, 20, 30, 40,
                                           50, 60, 70, 80, 90};

// One channel through the bands, clamped to 0..255 at every step.
int ExpectedChannel(int base, int step, int band)
{
    int c = base;
    for (int i = 0; i <= band; ++i) {
        if (i < 10)
            c -= step;
        else if (i > 25)
            c += step;
        c = std::clamp(c, 0, 255);
    }
    return c;
}

struct BarButton {
    CButX button;
    explicit BarButton(QSize size, const QString& text = QStringLiteral("Connect"))
    {
        button.setText(text);
        button.resize(size);
        button.move(300, 300);  // away from the pointer: hover comes only from the test
        button.SetCaptionColor(RGB(0, 255, 0));
    }
};

} // namespace

TEST(ButXGradient, BarButtonBandsMatchTheirColoursAndLeaveTheRestUnpainted)
{
    BarButton bar(QSize(120, 50));
    const QImage image = RenderWidget(bar.button);
    for (int band = 0; band < 35; ++band) {
        const int v = kBarBands[std::size_t(band)];
        EXPECT_EQ(Pixel(image, 2, band), QColor(v, v, v)) << "band " << band;
        EXPECT_EQ(Pixel(image, 117, band), QColor(v, v, v)) << "band " << band;
    }
    // Below the 35 bands the button paints nothing of its face.
    for (int y = 35; y < 50; ++y)
        EXPECT_EQ(Pixel(image, 2, y), kSentinel) << "row " << y;
}

TEST(ButXGradient, ChannelsRunSeparatelyAndSaturateInsteadOfWrapping)
{
    struct Case {
        int r, g, b, step;
    };
    for (const Case& k : {Case{200, 100, 30, 10}, Case{20, 250, 128, 30}, Case{240, 10, 128, -40}}) {
        BarButton bar(QSize(60, 35), QString());
        bar.button.SetBaseColor(RGB(k.r, k.g, k.b));
        bar.button.SetStep(k.step);
        const QImage image = RenderWidget(bar.button);
        for (int band = 0; band < 35; ++band) {
            const QColor expected(ExpectedChannel(k.r, k.step, band), ExpectedChannel(k.g, k.step, band),
                                  ExpectedChannel(k.b, k.step, band));
            ASSERT_EQ(Pixel(image, 30, band), expected) << "step " << k.step << " band " << band;
        }
    }
}

TEST(ButXGradient, BandHeightAndFlatFill)
{
    BarButton bar(QSize(60, 80), QString());
    bar.button.SetBandHeight(2);
    QImage image = RenderWidget(bar.button);
    for (int band = 0; band < 35; ++band) {
        const int v = kBarBands[std::size_t(band)];
        EXPECT_EQ(Pixel(image, 5, 2 * band), QColor(v, v, v));
        EXPECT_EQ(Pixel(image, 5, 2 * band + 1), QColor(v, v, v));
    }
    EXPECT_EQ(Pixel(image, 5, 70), kSentinel);

    // Without the gradient the whole face takes the base colour.
    bar.button.SetGradient(false);
    bar.button.SetBaseColor(RGB(0x12, 0x34, 0x56));
    image = RenderWidget(bar.button);
    EXPECT_EQ(CountPixels(image, Exactly(QColor(0x12, 0x34, 0x56))), 60 * 80);
}

TEST(ButXStates, HoverTurnsTheCaptionRedAndLeavingRestoresItsColour)
{
    BarButton bar(QSize(120, 35));
    bar.button.show();
    QImage image = RenderWidget(bar.button);
    EXPECT_GT(CountPixels(image, IsGreenish), 20);
    EXPECT_EQ(CountPixels(image, IsReddish), 0);

    SendEnter(bar.button, QPoint(60, 17));
    EXPECT_TRUE(bar.button.IsHovered());
    image = RenderWidget(bar.button);
    EXPECT_GT(CountPixels(image, IsReddish), 20);
    EXPECT_EQ(CountPixels(image, IsGreenish), 0);

    // Moving off the button inside a grab also ends the hover.
    SendMouse(bar.button, QEvent::MouseMove, QPoint(300, 17), Qt::NoButton, Qt::NoButton);
    EXPECT_FALSE(bar.button.IsHovered());
    SendEnter(bar.button, QPoint(60, 17));
    SendLeave(bar.button);
    EXPECT_FALSE(bar.button.IsHovered());
    image = RenderWidget(bar.button);
    EXPECT_GT(CountPixels(image, IsGreenish), 20);
    EXPECT_EQ(CountPixels(image, IsReddish), 0);

    // The highlighted page button keeps its red caption after the mouse leaves.
    bar.button.SetCaptionColor(0x0000FF);
    SendEnter(bar.button, QPoint(60, 17));
    SendLeave(bar.button);
    EXPECT_GT(CountPixels(RenderWidget(bar.button), IsReddish), 20);
}

TEST(ButXStates, HoverNeedsAFlatButtonAndNoDragFromOutside)
{
    BarButton bar(QSize(120, 35));
    bar.button.show();
    // Entering with the left button already held (a drag from elsewhere).
    SendMouse(bar.button, QEvent::MouseMove, QPoint(60, 17), Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(bar.button.IsHovered());

    bar.button.SetFlat(false);
    SendEnter(bar.button, QPoint(60, 17));
    EXPECT_FALSE(bar.button.IsHovered());
    EXPECT_EQ(CountPixels(RenderWidget(bar.button), IsReddish), 0);
}

TEST(ButXStates, HoverEndsWhenTheButtonIsDisabledOrHidden)
{
    BarButton bar(QSize(120, 35));
    bar.button.show();
    SendEnter(bar.button, QPoint(60, 17));
    ASSERT_TRUE(bar.button.IsHovered());
    bar.button.setEnabled(false);
    EXPECT_FALSE(bar.button.IsHovered());

    bar.button.setEnabled(true);
    SendEnter(bar.button, QPoint(60, 17));
    ASSERT_TRUE(bar.button.IsHovered());
    bar.button.hide();
    EXPECT_FALSE(bar.button.IsHovered());
}

TEST(ButXStates, PressedCaptionIsRedAndMovesOnePixelRightAndDown)
{
    BarButton bar(QSize(120, 35));
    bar.button.show();
    SendEnter(bar.button, QPoint(60, 17));
    const QRect hovered = BoundingBox(RenderWidget(bar.button), IsReddish);
    ASSERT_FALSE(hovered.isNull());

    SendMouse(bar.button, QEvent::MouseButtonPress, QPoint(60, 17), Qt::LeftButton);
    ASSERT_TRUE(bar.button.isDown());
    const QRect pressed = BoundingBox(RenderWidget(bar.button), IsReddish);
    EXPECT_EQ(pressed, hovered.translated(1, 1));

    // Pressed without hover (the mouse went out while held) is still red.
    SendMouse(bar.button, QEvent::MouseMove, QPoint(300, 17), Qt::LeftButton, Qt::NoButton);
    bar.button.setDown(true);
    EXPECT_GT(CountPixels(RenderWidget(bar.button), IsReddish), 20);
}

TEST(ButXStates, CheckBoxModeTogglesOnClickAndItsCaptionStaysInPlace)
{
    CButX check(nullptr, CButtonST::BS_AUTOCHECKBOX);
    check.setText(QStringLiteral("Lock"));
    check.resize(120, 35);
    check.move(300, 300);
    check.SetCaptionColor(RGB(0, 255, 0));
    check.show();
    ASSERT_TRUE(check.IsCheckBox());
    const QRect rest = BoundingBox(RenderWidget(check), IsGreenish);

    SendMouse(check, QEvent::MouseButtonPress, QPoint(60, 17), Qt::LeftButton);
    SendMouse(check, QEvent::MouseButtonRelease, QPoint(60, 17), Qt::NoButton);
    EXPECT_EQ(check.OnGetCheck(), 1);
    SendLeave(check);
    // Checked shows the pressed look: red, but not moved.
    EXPECT_EQ(BoundingBox(RenderWidget(check), IsReddish), rest);

    SendMouse(check, QEvent::MouseButtonPress, QPoint(60, 17), Qt::LeftButton);
    SendMouse(check, QEvent::MouseButtonRelease, QPoint(60, 17), Qt::NoButton);
    EXPECT_EQ(check.OnGetCheck(), 0);

    check.OnSetCheck(2);
    EXPECT_EQ(check.OnGetCheck(), 1);
    check.OnSetCheck(0);
    EXPECT_EQ(check.OnGetCheck(), 0);

    // A push button has no check state to set.
    CButX push;
    push.OnSetCheck(1);
    EXPECT_EQ(push.OnGetCheck(), 0);
}

TEST(ButXStates, DisabledCaptionIsWhiteWhateverItsColour)
{
    BarButton bar(QSize(120, 35));
    bar.button.SetCaptionColor(0x0000FF);
    bar.button.setEnabled(false);
    const QImage image = RenderWidget(bar.button);
    EXPECT_GT(CountPixels(image, IsWhitish), 20);
    EXPECT_EQ(CountPixels(image, IsReddish), 0);
}

TEST(ButXStates, LongCaptionWrapsOntoSeveralCentredLines)
{
    BarButton bar(QSize(70, 35), QStringLiteral("Read all lift data"));
    const QRect box = BoundingBox(RenderWidget(bar.button), IsGreenish);
    ASSERT_FALSE(box.isNull());
    EXPECT_GT(box.height(), bar.button.fontMetrics().height());  // more than one line
    // Centred both ways (within the rounding of the halves).
    EXPECT_LE(std::abs(box.left() - (70 - 1 - box.right())), 3);
}

TEST(ButXClicks, ClickAndDoubleClickReachTheOwner)
{
    BarButton bar(QSize(120, 35));
    bar.button.show();
    QSignalSpy clicks(&bar.button, &QAbstractButton::clicked);
    const QPoint at(60, 17);
    SendMouse(bar.button, QEvent::MouseButtonPress, at, Qt::LeftButton);
    SendMouse(bar.button, QEvent::MouseButtonRelease, at, Qt::NoButton);
    SendMouse(bar.button, QEvent::MouseButtonDblClick, at, Qt::LeftButton);
    SendMouse(bar.button, QEvent::MouseButtonRelease, at, Qt::NoButton);
    EXPECT_EQ(clicks.count(), 2);
}
