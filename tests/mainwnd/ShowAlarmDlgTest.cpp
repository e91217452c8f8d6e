// The alarm pop-up with a counting sound device in place of the speaker: when
// the sound starts, stops and starts again, what a failing device leaves
// behind, the texts, the blink; and the alarm sound file the build makes.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <cstring>
#include <map>

#include "mainwnd/ShowAlarmDlg.h"
#include "mainwnd/SoundEffectAlarm.h"
#include "views/ViewTestSupport.h"

using namespace view_test;

namespace {

class FakeSound : public CAlarmSound {
public:
    struct Counts {
        int open = 0, play = 0, stop = 0, seek = 0, close = 0;
        bool isOpen = false;
        bool failOpen = false, failPlay = false, failStop = false;
        QString file;
    };
    explicit FakeSound(Counts* counts) : c(counts) {}

    bool Open(const QString& file) override
    {
        ++c->open;
        c->file = file;
        if (c->failOpen)
            return false;
        c->isOpen = true;
        return true;
    }
    bool PlayRepeat() override
    {
        ++c->play;
        return c->isOpen && !c->failPlay;
    }
    bool Stop() override
    {
        ++c->stop;
        return c->isOpen && !c->failStop;
    }
    bool SeekToStart() override
    {
        ++c->seek;
        return c->isOpen;
    }
    bool Close() override
    {
        ++c->close;
        const bool was = c->isOpen;
        c->isOpen = false;
        return was;
    }
    void FailWhilePlaying() { ReportFailure(); }

private:
    Counts* c;
};

struct PopupFixture {
    FakeSound::Counts counts;
    FakeSound* sound = nullptr;
    QStringList texts = MakeTexts();
    std::unique_ptr<CShowAlarmDlg> dlg;
    PopupFixture()
    {
        auto s = std::make_unique<FakeSound>(&counts);
        sound = s.get();
        dlg = std::make_unique<CShowAlarmDlg>(std::move(s));
        dlg->m_pLanText = &texts;
        dlg->m_strSoundFile = QStringLiteral("/opt/station/SoftResoure/AlarmSound/Error.wav");
    }
};

template <typename Pred>
bool WaitFor(Pred pred, int ms = 5000)
{
    QDeadlineTimer deadline(ms);
    while (!pred() && !deadline.hasExpired())
        QTest::qWait(20);
    return pred();
}

} // namespace

TEST(ShowAlarmDlgTest, TwoAlarmsPlayOnceOkStopsALaterAlarmPlaysAgain)
{
    PopupFixture f;
    const std::map<int, QString> names = {{12, QStringLiteral("门锁回路断开")}};

    f.dlg->ShowAlarmPopup(true, CShowAlarmDlg::FaultAlarmText(12, &names));
    f.dlg->ShowAlarmPopup(true, CShowAlarmDlg::FaultAlarmText(3, &names));
    EXPECT_TRUE(f.dlg->isVisible());
    EXPECT_EQ(f.counts.play, 1);
    EXPECT_EQ(f.counts.open, 1);
    EXPECT_EQ(f.counts.file, f.dlg->m_strSoundFile);
    EXPECT_EQ(f.dlg->m_bSoundOn, 1);
    EXPECT_TRUE(f.dlg->IsBlinking());
    // The second text replaces the first; the OK button carries text 80.
    EXPECT_EQ(f.dlg->m_pText->text(), QStringLiteral("ERROR 3: "));
    EXPECT_EQ(f.dlg->m_pOk->text(), f.texts[80]);

    // OK: silent and hidden; the blink goes on while hidden.
    QTest::mouseClick(f.dlg->m_pOk, Qt::LeftButton);
    EXPECT_FALSE(f.dlg->isVisible());
    EXPECT_EQ(f.dlg->m_bSoundOn, 0);
    EXPECT_EQ(f.counts.stop, 1);
    EXPECT_EQ(f.counts.close, 1);
    EXPECT_FALSE(f.counts.isOpen);

    f.dlg->ShowAlarmPopup(true, CShowAlarmDlg::FaultAlarmText(12, &names));
    EXPECT_EQ(f.counts.play, 2);
    EXPECT_EQ(f.dlg->m_bSoundOn, 1);
    EXPECT_EQ(f.dlg->m_pText->text(), QStringLiteral("ERROR 12: 门锁回路断开"));

    // Hidden by message: blink and sound stop.
    f.dlg->ShowAlarmPopup(false, QString());
    EXPECT_FALSE(f.dlg->isVisible());
    EXPECT_FALSE(f.dlg->IsBlinking());
    EXPECT_EQ(f.counts.close, 2);
    EXPECT_EQ(f.dlg->m_bSoundOn, 0);
    // Hiding again touches no device.
    f.dlg->ShowAlarmPopup(false, QString());
    EXPECT_EQ(f.counts.stop, 2);
    EXPECT_EQ(f.counts.close, 2);
}

TEST(ShowAlarmDlgTest, FaultTextIsThePrefixAndTheKnownName)
{
    const std::map<int, QString> names = {{7, QStringLiteral("超速")}};
    EXPECT_EQ(CShowAlarmDlg::FaultAlarmText(3, &names), QStringLiteral("ERROR 3: "));
    EXPECT_EQ(CShowAlarmDlg::FaultAlarmText(7, &names), QStringLiteral("ERROR 7: 超速"));
    EXPECT_EQ(CShowAlarmDlg::FaultAlarmText(255, nullptr), QStringLiteral("ERROR 255: "));
}

TEST(ShowAlarmDlgTest, AFailingDeviceIsClosedAndTriedAgainNextTime)
{
    PopupFixture f;
    // Play fails: the device is closed, the pop-up shows and blinks silently.
    f.counts.failPlay = true;
    f.dlg->ShowAlarmPopup(true, QStringLiteral("ERROR 5: "));
    EXPECT_TRUE(f.dlg->isVisible());
    EXPECT_TRUE(f.dlg->IsBlinking());
    EXPECT_EQ(f.dlg->m_bSoundOn, 0);
    EXPECT_FALSE(f.counts.isOpen);
    // The next show opens and plays afresh.
    f.counts.failPlay = false;
    f.dlg->ShowAlarmPopup(true, QStringLiteral("ERROR 6: "));
    EXPECT_EQ(f.counts.open, 2);
    EXPECT_EQ(f.dlg->m_bSoundOn, 1);

    // Stop fails: still closed and marked off, so the next show sounds.
    f.counts.failStop = true;
    EXPECT_EQ(f.dlg->StopAlarmSound(), 0);
    EXPECT_FALSE(f.counts.isOpen);
    EXPECT_EQ(f.dlg->m_bSoundOn, 0);
    f.counts.failStop = false;
    f.dlg->ShowAlarmPopup(true, QStringLiteral("ERROR 6: "));
    EXPECT_EQ(f.dlg->m_bSoundOn, 1);
    EXPECT_EQ(f.dlg->StopAlarmSound(), 1);

    // The device gives up while playing: closed, and the next show sounds.
    f.dlg->ShowAlarmPopup(true, QStringLiteral("ERROR 6: "));
    ASSERT_EQ(f.dlg->m_bSoundOn, 1);
    f.sound->FailWhilePlaying();
    EXPECT_EQ(f.dlg->m_bSoundOn, 0);
    EXPECT_FALSE(f.counts.isOpen);
    const int plays = f.counts.play;
    f.dlg->ShowAlarmPopup(true, QStringLiteral("ERROR 6: "));
    EXPECT_EQ(f.counts.play, plays + 1);

    // Open fails: nothing left open either.
    f.dlg->StopAlarmSound();
    f.counts.failOpen = true;
    EXPECT_EQ(f.dlg->PlayAlarmSound(), 0);
    EXPECT_FALSE(f.counts.isOpen);
    EXPECT_EQ(f.dlg->m_bSoundOn, 0);

    // No sound file: no device is touched.
    f.counts.failOpen = false;
    f.dlg->m_strSoundFile.clear();
    const int opens = f.counts.open;
    EXPECT_EQ(f.dlg->PlayAlarmSound(), 0);
    EXPECT_EQ(f.counts.open, opens);
}

TEST(ShowAlarmDlgTest, CloseStopsTheSoundAndTheIconBlinks)
{
    PopupFixture f;
    f.dlg->ShowAlarmPopup(true, QStringLiteral("ERROR 9: "));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.dlg.get()));
    // The icon goes and comes back on the blink timer.
    EXPECT_TRUE(WaitFor([&] { return f.dlg->m_bIconHidden == 1; }));
    EXPECT_FALSE(f.dlg->m_pIcon->isVisible());
    EXPECT_TRUE(WaitFor([&] { return f.dlg->m_bIconHidden == 0; }));
    EXPECT_TRUE(f.dlg->m_pIcon->isVisible());

    // Closing the window silences it.
    f.dlg->close();
    EXPECT_EQ(f.dlg->m_bSoundOn, 0);
    EXPECT_FALSE(f.counts.isOpen);

    // Without a text table the button still reads OK.
    PopupFixture g;
    g.dlg->m_pLanText = nullptr;
    g.dlg->ShowAlarmPopup(true, QStringLiteral("x"));
    EXPECT_EQ(g.dlg->m_pOk->text(), QStringLiteral("OK"));
    g.dlg->ShowAlarmPopup(false, QString());
}

TEST(ShowAlarmDlgTest, RealDeviceRefusesMissingFiles)
{
    // The Qt Multimedia device: a missing file or a folder does not open, and
    // the pop-up stays silent without a message.
    QTemporaryDir tmp;
    CSoundEffectAlarm device;
    EXPECT_FALSE(device.Open(tmp.path() + QStringLiteral("/no-such.wav")));
    EXPECT_FALSE(device.Open(tmp.path()));
    EXPECT_FALSE(device.PlayRepeat());
    EXPECT_FALSE(device.Close());

    CShowAlarmDlg dlg;
    dlg.m_strSoundFile = tmp.path() + QStringLiteral("/no-such.wav");
    dlg.ShowAlarmPopup(true, QStringLiteral("ERROR 1: "));
    EXPECT_EQ(dlg.m_bSoundOn, 0);
    EXPECT_TRUE(dlg.isVisible());
    dlg.ShowAlarmPopup(false, QString());
}

TEST(ShowAlarmDlgTest, BuiltAlarmSoundIsAOneSecondTwoToneWav)
{
    QFile wav(QStringLiteral(LIFT_BINARY_DIR "/bin/SoftResoure/AlarmSound/Error.wav"));
    ASSERT_TRUE(wav.open(QIODevice::ReadOnly)) << "the build lays out the sound";
    const QByteArray data = wav.readAll();
    ASSERT_GT(data.size(), 44);
    auto u16 = [&](int at) { return quint16(quint8(data[at]) | quint8(data[at + 1]) << 8); };
    auto u32 = [&](int at) { return quint32(u16(at)) | quint32(u16(at + 2)) << 16; };
    EXPECT_EQ(data.left(4), "RIFF");
    EXPECT_EQ(data.mid(8, 4), "WAVE");
    EXPECT_EQ(data.mid(12, 4), "fmt ");
    EXPECT_EQ(u16(20), 1);   // PCM
    EXPECT_EQ(u16(22), 1);   // mono
    EXPECT_EQ(u16(34), 16);  // bits
    const quint32 rate = u32(24);
    ASSERT_EQ(data.mid(36, 4), "data");
    const quint32 bytes = u32(40);
    ASSERT_EQ(int(bytes), data.size() - 44);
    EXPECT_EQ(u32(4), 36 + bytes);
    const double seconds = double(bytes) / 2 / rate;
    EXPECT_GT(seconds, 0.8);
    EXPECT_LT(seconds, 1.2);

    // Two tones: count rising zero crossings in each half.
    const int n = int(bytes / 2);
    auto sample = [&](int i) { return qint16(u16(44 + 2 * i)); };
    auto frequency = [&](int from, int to) {
        int rises = 0;
        for (int i = from + 1; i < to; ++i)
            rises += sample(i - 1) < 0 && sample(i) >= 0;
        return double(rises) * rate / (to - from);
    };
    const int q = n / 4;
    const double first = frequency(0, int(0.42 * rate));
    const double second = frequency(n / 2, n / 2 + int(0.42 * rate));
    EXPECT_GT(first - second, 100.0) << first << " " << second;
    EXPECT_GT(second, 300.0);
    // It is not silent.
    int loud = 0;
    for (int i = 0; i < q; ++i)
        loud += std::abs(int(sample(i))) > 8000;
    EXPECT_GT(loud, q / 4);
}
