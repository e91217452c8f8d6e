// Pictures of the login screen and of the bar after login, kept in
// ${build}/artifacts for a person to look at. The test checks only what a
// picture must have at all: the banner, the bar and the captions drawn.
#include <QDir>
#include <QImage>

#include "controls/ButX.h"
#include "mainwnd/StationFixture.h"
#include "platform/FontSetup.h"

using namespace station_test;

namespace {
QString ArtifactPath(const QString& name)
{
    const QString dir = QStringLiteral(LIFT_BINARY_DIR "/artifacts");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + name;
}
} // namespace

TEST(ScreenshotTest, LoginScreenAndBarAfterLogin)
{
    SetupFonts();
    PrivateSettings();
    MessageBoxRecorder boxes;
    StationData data;
    ASSERT_TRUE(data.ok());
    data.AddOperator();
    qputenv("LIFT_COM1", (data.folder() + QStringLiteral("no-such-tty")).toLocal8Bit());

    CKALORDlg dlg;
    ASSERT_TRUE(ShowMainWindow(dlg, 800));
    QTest::qWait(50);
    dlg.m_edUser->setText(QStringLiteral("op"));

    const QImage login = dlg.grab().toImage();
    ASSERT_TRUE(login.save(ArtifactPath(QStringLiteral("login-screen.png"))));
    EXPECT_EQ(login.width(), 1280);
    // The login row's labels carry their texts in the labels' colour.
    EXPECT_FALSE(dlg.m_stUser->text().isEmpty());
    EXPECT_GT(Busy(login, dlg.m_stUser->geometry()), 0.02);
    EXPECT_GT(Busy(login, dlg.m_btLogin->geometry()), 0.2);

    dlg.m_edPwd->setText(QStringLiteral("pw"));
    AnswerComSet(0);
    dlg.OnLogin();
    ASSERT_EQ(dlg.m_bLoggedIn, 1);
    QTest::qWait(50);
    const QImage bar = dlg.grab().toImage();
    ASSERT_TRUE(bar.save(ArtifactPath(QStringLiteral("bar-after-login.png"))));
    // The shown page's caption is red on the bar.
    const QRect all = dlg.m_btShowAll->geometry();
    int red = 0;
    for (int y = all.top(); y <= all.bottom(); ++y)
        for (int x = all.left(); x <= all.right(); ++x) {
            const QColor c = bar.pixelColor(x, y);
            red += c.red() > 150 && c.green() < 80 && c.blue() < 80;
        }
    EXPECT_GT(red, 20);
    qunsetenv("LIFT_COM1");
}
