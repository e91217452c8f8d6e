#include "mainwnd/ShowAlarmDlg.h"

#include <QCloseEvent>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimerEvent>

#include "mainwnd/SoundEffectAlarm.h"
#include "pics/BitmapResource.h"
#include "platform/MessageBox.h"
#include "platform/UiText.h"

namespace {
constexpr int kAlarmIcon = 1177;
constexpr int kTextPixels = 19;     // 14 points at 96 dots per inch
constexpr int kMinTextPixels = 11;  // still read at a glance
const QColor kBack(0xF0, 0xF0, 0xF0);
} // namespace

CShowAlarmDlg::CShowAlarmDlg(std::unique_ptr<CAlarmSound> sound, QWidget* parent)
    : QDialog(parent), m_pSound(std::move(sound))
{
    if (!m_pSound)
        m_pSound = std::make_unique<CSoundEffectAlarm>();
    m_pSound->SetFailureHandler([this] { OnSoundFailed(); });
    OnInitDialog();
}

CShowAlarmDlg::~CShowAlarmDlg()
{
    if (m_bSoundOn)
        StopAlarmSound();
}

void CShowAlarmDlg::OnInitDialog()
{
    setWindowTitle(QStringLiteral("提示"));
    setFixedSize(380, 132);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kBack);
    setPalette(pal);
    setAutoFillBackground(true);

    m_pIcon = new QLabel(this);
    m_pIcon->setGeometry(20, 22, 32, 32);
    m_pIcon->setPixmap(QPixmap::fromImage(LoadIconResource(kAlarmIcon)));

    // 14-point "宋体" in red on the dialog's grey.
    m_pText = new QLabel(this);
    m_pText->setTextFormat(Qt::PlainText);  // fault texts come from the database
    m_pText->setGeometry(66, 10, 300, 60);
    m_pText->setWordWrap(true);
    m_pText->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(kTextPixels);
    m_pText->setFont(font);
    QPalette textPal = m_pText->palette();
    textPal.setColor(QPalette::WindowText, QColor(255, 0, 0));
    textPal.setColor(QPalette::Window, kBack);
    m_pText->setPalette(textPal);

    m_pOk = new QPushButton(this);
    m_pOk->setGeometry(145, 86, 90, 30);
    m_pOk->setDefault(true);
    connect(m_pOk, &QPushButton::clicked, this, &CShowAlarmDlg::OnOK);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void CShowAlarmDlg::FitText()
{
    // A long fault name would be clipped at the label's edges: the font gives
    // way first, down to a size still read at a glance.
    QFont font = m_pText->font();
    const QRect room(0, 0, m_pText->width(), m_pText->height());
    for (int px = kTextPixels; px >= kMinTextPixels; --px) {
        font.setPixelSize(px);
        const QRect need = QFontMetrics(font).boundingRect(QRect(0, 0, room.width(), 10000), Qt::TextWordWrap,
                                                           m_pText->text());
        if (need.width() <= room.width() && need.height() <= room.height())
            break;
    }
    m_pText->setFont(font);
}

QString CShowAlarmDlg::FaultAlarmText(int code, const std::map<int, QString>* names)
{
    QString text = QStringLiteral("ERROR %1: ").arg(code);
    if (names) {
        auto it = names->find(code);
        if (it != names->end())
            text += it->second;
    }
    return text;
}

void CShowAlarmDlg::ShowAlarmPopup(bool bShow, const QString& text)
{
    if (bShow) {
        const QString ok = UiText(m_pLanText, 80);
        m_pOk->setText(ok.isEmpty() ? QStringLiteral("OK") : ok);
        m_pText->setText(text);
        FitText();
        if (!m_bSoundOn) {
            m_tmBlink.start(kBlinkMs, this);
            PlayAlarmSound();
        }
        show();
    } else {
        if (m_bSoundOn) {
            m_tmBlink.stop();
            StopAlarmSound();
        }
        hide();
    }
}

int CShowAlarmDlg::PlayAlarmSound()
{
    if (m_strSoundFile.isEmpty())
        return 0;
    // Any failure closes the device, so that the next show starts afresh.
    if (!m_pSound->Open(m_strSoundFile) || !m_pSound->PlayRepeat()) {
        m_pSound->Close();
        m_bSoundOn = 0;
        return 0;
    }
    m_bSoundOn = 1;
    return 1;
}

int CShowAlarmDlg::StopAlarmSound()
{
    if (!m_bSoundOn)
        return 0;
    bool ok = m_pSound->Stop();
    ok = ok && m_pSound->SeekToStart();
    ok = m_pSound->Close() && ok;
    m_bSoundOn = 0;
    return ok ? 1 : 0;
}

void CShowAlarmDlg::OnSoundFailed()
{
    // The pop-up stays up and blinks; it is only silent until the next show.
    m_pSound->Close();
    m_bSoundOn = 0;
}

void CShowAlarmDlg::OnOK()
{
    StopAlarmSound();
    hide();  // the blink timer keeps running while hidden
}

void CShowAlarmDlg::reject()
{
    OnOK();
}

void CShowAlarmDlg::closeEvent(QCloseEvent* event)
{
    StopAlarmSound();
    QDialog::closeEvent(event);
}

void CShowAlarmDlg::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_tmBlink.timerId()) {
        QDialog::timerEvent(event);
        return;
    }
    if (m_bIconHidden) {
        m_pIcon->show();
        m_bIconHidden = 0;
    } else {
        m_pIcon->hide();
        m_bIconHidden = 1;
    }
}
