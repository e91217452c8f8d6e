// The alarm pop-up with a counting sound device in place of the speaker: when
// the sound starts, stops and starts again, what a failing device leaves
// behind, the texts, the blink; and the alarm sound file the build makes.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <map>

#include "mainwnd/ShowAlarmDlg.h"
#include "mainwnd/SoundEffectAlarm.h"
#include "platform/MessageBox.h"
#include "support/PlainTextProbe.h"
#include "views/ViewTestSupport.h"

namespace {

class FakeSound : public CAlarmSound {
public:
    int open = 0, play = 0, stop = 0, close = 0;
    bool isOpen = false, failOpen = false, failPlay = false, failStop = false;
    QString file;

    bool Open(const QString& f) override { return ++open, file = f, isOpen = !failOpen; }
    bool PlayRepeat() override { return ++play && isOpen && !failPlay; }
    bool Stop() override { return ++stop && isOpen && !failStop; }
    bool SeekToStart() override { return isOpen; }
    bool Close() override { return ++close, std::exchange(isOpen, false); }
    void FailWhilePlaying() { ReportFailure(); }
};

struct PopupFixture {
    QStringList texts = view_test::MakeTexts();
    FakeSound* sound = new FakeSound;  // owned by the pop-up
    CShowAlarmDlg dlg{std::unique_ptr<CAlarmSound>(sound)};
    PopupFixture()
    {
        dlg.m_pLanText = &texts;
        dlg.m_strSoundFile = QStringLiteral("/opt/station/SoftResoure/AlarmSound/Error.wav");
    }
};

} // namespace

TEST(ShowAlarmDlgTest, TwoAlarmsPlayOnceOkStopsALaterAlarmPlaysAgain)
{
    PopupFixture f;
    const std::map<int, QString> names = {{12, QStringLiteral("门锁回路断开")}};
    f.dlg.ShowAlarmPopup(true, CShowAlarmDlg::FaultAlarmText(12, &names));
    f.dlg.ShowAlarmPopup(true, CShowAlarmDlg::FaultAlarmText(3, &names));
    EXPECT_TRUE(f.dlg.isVisible());
    EXPECT_EQ(f.sound->play, 1);
    EXPECT_EQ(f.sound->file, f.dlg.m_strSoundFile);
    EXPECT_TRUE(f.dlg.IsBlinking());
    // The second text replaces the first (no name known for 3); OK is text 80;
    // the title is the pop-up's own "提示", not the station's name.
    EXPECT_EQ(f.dlg.m_pText->text(), QStringLiteral("ERROR 3: "));
    EXPECT_EQ(f.dlg.m_pOk->text(), f.texts[80]);
    EXPECT_EQ(f.dlg.windowTitle(), QStringLiteral("提示"));

    // OK: silent and hidden.
    QTest::mouseClick(f.dlg.m_pOk, Qt::LeftButton);
    EXPECT_FALSE(f.dlg.isVisible());
    EXPECT_EQ(f.dlg.m_bSoundOn, 0);
    EXPECT_FALSE(f.sound->isOpen);

    f.dlg.ShowAlarmPopup(true, CShowAlarmDlg::FaultAlarmText(12, &names));
    EXPECT_EQ(f.sound->play, 2);
    EXPECT_EQ(f.dlg.m_pText->text(), QStringLiteral("ERROR 12: 门锁回路断开"));

    // Hidden by message: blink and sound stop; hiding again touches no device.
    f.dlg.ShowAlarmPopup(false, QString());
    EXPECT_FALSE(f.dlg.isVisible() || f.dlg.IsBlinking() || f.dlg.m_bSoundOn);
    f.dlg.ShowAlarmPopup(false, QString());
    EXPECT_EQ(f.sound->stop, 2);
    EXPECT_EQ(f.sound->close, 2);
}

TEST(ShowAlarmDlgTest, AFailingDeviceIsClosedAndTriedAgainNextTime)
{
    PopupFixture f;
    FakeSound& s = *f.sound;
    // Play fails: the device is closed, the pop-up shows and blinks silently.
    s.failPlay = true;
    f.dlg.ShowAlarmPopup(true, QStringLiteral("ERROR 5: "));
    EXPECT_TRUE(f.dlg.isVisible() && f.dlg.IsBlinking());
    EXPECT_FALSE(f.dlg.m_bSoundOn || s.isOpen);
    s.failPlay = false;
    f.dlg.ShowAlarmPopup(true, QStringLiteral("ERROR 6: "));
    EXPECT_EQ(s.open, 2);
    EXPECT_EQ(f.dlg.m_bSoundOn, 1);

    // Stop fails: still closed and marked off, so the next show sounds.
    s.failStop = true;
    EXPECT_EQ(f.dlg.StopAlarmSound(), 0);
    EXPECT_FALSE(f.dlg.m_bSoundOn || s.isOpen);
    s.failStop = false;
    f.dlg.ShowAlarmPopup(true, QStringLiteral("ERROR 6: "));
    EXPECT_EQ(f.dlg.m_bSoundOn, 1);

    // The device gives up while playing: closed, and the next show sounds.
    s.FailWhilePlaying();
    EXPECT_FALSE(f.dlg.m_bSoundOn || s.isOpen);
    const int plays = s.play;
    f.dlg.ShowAlarmPopup(true, QStringLiteral("ERROR 6: "));
    EXPECT_EQ(s.play, plays + 1);

    // Open fails: nothing left open either; no sound file: no device touched.
    f.dlg.StopAlarmSound();
    s.failOpen = true;
    EXPECT_EQ(f.dlg.PlayAlarmSound(), 0);
    EXPECT_FALSE(f.dlg.m_bSoundOn || s.isOpen);
    f.dlg.m_strSoundFile.clear();
    const int opens = s.open;
    EXPECT_EQ(f.dlg.PlayAlarmSound(), 0);
    EXPECT_EQ(s.open, opens);
}

TEST(ShowAlarmDlgTest, TheIconBlinksAndClosingStopsTheSound)
{
    PopupFixture f;
    f.dlg.ShowAlarmPopup(true, QStringLiteral("ERROR 9: "));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.dlg));
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.dlg.m_bIconHidden == 1 && !f.dlg.m_pIcon->isVisible(); }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.dlg.m_bIconHidden == 0 && f.dlg.m_pIcon->isVisible(); }, 5000));
    f.dlg.close();
    EXPECT_FALSE(f.dlg.m_bSoundOn || f.sound->isOpen);
}

TEST(ShowAlarmDlgTest, RealDeviceRefusesMissingFilesAndThePopUpStaysSilent)
{
    QTemporaryDir tmp;
    CSoundEffectAlarm device;
    EXPECT_FALSE(device.Open(tmp.path() + QStringLiteral("/no-such.wav")));
    EXPECT_FALSE(device.Open(tmp.path()));
    EXPECT_FALSE(device.PlayRepeat());
    EXPECT_FALSE(device.Close());

    MessageBoxRecorder boxes;
    CShowAlarmDlg dlg;
    dlg.m_strSoundFile = tmp.path() + QStringLiteral("/no-such.wav");
    dlg.ShowAlarmPopup(true, QStringLiteral("ERROR 1: "));
    EXPECT_EQ(dlg.m_bSoundOn, 0);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(boxes.count(), 0);
    dlg.ShowAlarmPopup(false, QString());
}

TEST(ShowAlarmDlgTest, BuiltAlarmSoundIsAOneSecondAudibleWav)
{
    const QByteArray data = FileBytes(QStringLiteral(LIFT_BINARY_DIR "/bin/SoftResoure/AlarmSound/Error.wav"));
    ASSERT_GT(data.size(), 44) << "the build lays out the sound";
    auto u16 = [&](int at) { return quint16(quint8(data[at]) | quint8(data[at + 1]) << 8); };
    auto u32 = [&](int at) { return quint32(u16(at)) | quint32(u16(at + 2)) << 16; };
    // RIFF, PCM, mono, 16 bits, and the data chunk as long as the file.
    EXPECT_EQ(data.left(4) + data.mid(8, 8) + data.mid(36, 4), "RIFFWAVEfmt data");
    EXPECT_EQ(QList<int>({u16(20), u16(22), u16(34)}), QList<int>({1, 1, 16}));
    const quint32 bytes = u32(40);
    ASSERT_EQ(int(bytes), data.size() - 44);
    EXPECT_NEAR(double(bytes) / 2 / u32(24), 1.0, 0.2);
    // Not silent: a quarter of the first quarter is loud.
    const int q = int(bytes / 8);
    int loud = 0;
    for (int i = 0; i < q; ++i)
        loud += std::abs(int(qint16(u16(44 + 2 * i)))) > 8000;
    EXPECT_GT(loud, q / 4);
}

// A fault name comes from the database, which a workbook may have filled:
// the pop-up shows it as written, markup and all.
TEST(ShowAlarmDlgTest, AFaultNameWithMarkupShowsAsWritten)
{
    PopupFixture f;
    const std::map<int, QString> names = {{12, view_test::MarkupText()}};
    f.dlg.ShowAlarmPopup(true, CShowAlarmDlg::FaultAlarmText(12, &names));
    EXPECT_EQ(f.dlg.m_pText->text(), QStringLiteral("ERROR 12: ") + view_test::MarkupText());
    EXPECT_TRUE(view_test::DrawsAsPlainText(f.dlg.m_pText));
    f.dlg.ShowAlarmPopup(false, QString());
}

// The longest fault name the database gives (64 characters) fits the label
// whole; a short one after it is drawn at the full size again.
TEST(ShowAlarmDlgTest, ALongFaultNameFitsTheLabelAndAShortOneKeepsTheFullSize)
{
    PopupFixture f;
    const std::map<int, QString> names = {{4, QString(64, QChar(0x95E8))}, {5, QStringLiteral("门锁回路断开")}};
    const auto fits = [&] {
        const QRect need = QFontMetrics(f.dlg.m_pText->font())
                               .boundingRect(QRect(0, 0, f.dlg.m_pText->width(), 10000), Qt::TextWordWrap,
                                             f.dlg.m_pText->text());
        return need.width() <= f.dlg.m_pText->width() && need.height() <= f.dlg.m_pText->height();
    };
    const int full = f.dlg.m_pText->font().pixelSize();
    f.dlg.ShowAlarmPopup(true, CShowAlarmDlg::FaultAlarmText(4, &names));
    EXPECT_TRUE(fits()) << f.dlg.m_pText->font().pixelSize();
    EXPECT_LT(f.dlg.m_pText->font().pixelSize(), full);
    f.dlg.ShowAlarmPopup(true, CShowAlarmDlg::FaultAlarmText(5, &names));
    EXPECT_EQ(f.dlg.m_pText->font().pixelSize(), full);
    f.dlg.ShowAlarmPopup(false, QString());
}
