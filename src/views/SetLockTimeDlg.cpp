#include "views/SetLockTimeDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/ColorRef.h"
#include "platform/FixedText.h"
#include "platform/MessageBox.h"
#include "views/LockMessages.h"

namespace {

constexpr COLORREF kBackground = 0x1E1E1E;
constexpr COLORREF kEditBackground = 0x323232;
constexpr COLORREF kText = 0xFFFFFF;
constexpr int kLargeFromHeight = 240;
// The upper bound of each field: hours below 24, minutes and seconds below 60.
constexpr std::array<int, 6> kFieldLimit = {24, 60, 60, 24, 60, 60};
constexpr int kTooLarge = 1000;

QLabel* MakeLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

CSetLockTimeDlg::CSetLockTimeDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("SetLockTimeDlg"));
    setModal(false);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, FromColorRef(kBackground));
    pal.setColor(QPalette::WindowText, FromColorRef(kText));
    setPalette(pal);

    m_strTime.fill(QStringLiteral("00"));

    m_stHeading = new QLabel(QStringLiteral("设置锁梯时间段(起始时间~结束时间（24小时制）)："), this);
    m_stHeading->setWordWrap(true);

    QPalette editPal = palette();
    editPal.setColor(QPalette::Base, FromColorRef(kEditBackground));
    editPal.setColor(QPalette::Text, FromColorRef(kText));
    auto* times = new QHBoxLayout;
    times->addStretch();
    for (int i = 0; i < 6; ++i) {
        auto* edit = new QLineEdit(m_strTime[std::size_t(i)], this);
        edit->setObjectName(QString::number(1167 + i));
        edit->setAlignment(Qt::AlignCenter);
        edit->setPalette(editPal);
        m_edTime[std::size_t(i)] = edit;
        times->addWidget(edit);
        if (i == 2)
            times->addWidget(MakeLabel(QStringLiteral("~"), this));
        else if (i != 5)
            times->addWidget(MakeLabel(QStringLiteral("："), this));
    }
    times->addStretch();

    m_btEnable = new QPushButton(QStringLiteral("开启定时"), this);
    m_btEnable->setObjectName(QStringLiteral("1160"));
    m_btDisable = new QPushButton(QStringLiteral("关闭定时"), this);
    m_btDisable->setObjectName(QStringLiteral("1174"));
    m_btClose = new QPushButton(QStringLiteral("退出"), this);
    m_btClose->setObjectName(QStringLiteral("1175"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {m_btEnable, m_btDisable, m_btClose})
        buttons->addWidget(b);
    buttons->addStretch();

    auto* top = new QVBoxLayout(this);
    top->addWidget(m_stHeading);
    top->addStretch();
    top->addLayout(times);
    top->addStretch();
    top->addLayout(buttons);

    connect(m_btEnable, &QPushButton::clicked, this, &CSetLockTimeDlg::OnBnClickedEnable);
    connect(m_btDisable, &QPushButton::clicked, this, &CSetLockTimeDlg::OnBnClickedDisable);
    connect(m_btClose, &QPushButton::clicked, this, &CSetLockTimeDlg::OnBnClickedClose);
    ApplyFonts();
}

void CSetLockTimeDlg::ApplyFonts()
{
    // The small window of the small page layout gets smaller text.
    const bool large = height() >= kLargeFromHeight;
    QFont font = this->font();
    font.setPixelSize(large ? 17 : 13);
    setFont(font);
    const int margin = large ? 18 : 10;
    layout()->setContentsMargins(margin, margin, margin, margin);
    for (QLineEdit* e : m_edTime)
        e->setFixedWidth(large ? 48 : 34);
    // Room around the captions, which the style's minimum does not give.
    for (QPushButton* b : {m_btEnable, m_btDisable, m_btClose})
        b->setMinimumWidth(b->fontMetrics().horizontalAdvance(b->text()) + (large ? 36 : 20));
}

void CSetLockTimeDlg::resizeEvent(QResizeEvent* event)
{
    ApplyFonts();
    QDialog::resizeEvent(event);
}

void CSetLockTimeDlg::UpdateData(bool bSaveAndValidate)
{
    for (std::size_t i = 0; i < m_edTime.size(); ++i) {
        if (bSaveAndValidate)
            m_strTime[i] = m_edTime[i]->text();
        else
            m_edTime[i]->setText(m_strTime[i]);
    }
}

int CSetLockTimeDlg::ParseTimeField(const QString& text)
{
    int i = 0;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    // The leading digits count, what follows them does not; no digit at all
    // reads as 0. A number past every limit stays past it (no overflow).
    int value = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i)
        value = std::min(value * 10 + (text[i].unicode() - '0'), kTooLarge);
    return value;
}

void CSetLockTimeDlg::SetLockTime(int startH, int startM, int startS, int endH, int endM, int endS, int enabled)
{
    m_nTime = {startH, startM, startS, endH, endM, endS};
    m_bEnabled = enabled ? 1 : 0;
    for (std::size_t i = 0; i < m_nTime.size(); ++i)
        m_strTime[i] = QStringLiteral("%1").arg(m_nTime[i], 2);
    UpdateData(false);
    (m_bEnabled ? m_btEnable : m_btDisable)->setFocus();
}

void CSetLockTimeDlg::OnBnClickedEnable()
{
    UpdateData(true);
    m_bEnabled = 1;
    std::array<int, 6> values{};
    bool valid = true;
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = ParseTimeField(m_strTime[i]);
        valid = valid && values[i] < kFieldLimit[i];
    }
    if (!valid) {
        // The values in force stay: a later disable must not hand these on.
        AfxMessageBox(FixedText{QStringLiteral("输入时间有误"), QStringLiteral("The time entered is wrong."),
                                QStringLiteral("輸入時間有誤")}
                          .In(m_nLanguageKind));
        return;
    }
    m_nTime = values;
    m_btEnable->setFocus();
    PostMessage(m_hTarget, WM_LOCKTIME_SET, 0, 1);
}

void CSetLockTimeDlg::OnBnClickedDisable()
{
    m_bEnabled = 0;
    m_btDisable->setFocus();
    PostMessage(m_hTarget, WM_LOCKTIME_SET, 0, 0);
}

void CSetLockTimeDlg::OnBnClickedClose()
{
    reject();
}

void CSetLockTimeDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QPen pen(FromColorRef(0xFFFFFF), 2);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(1, 1, -1, -1));
}
