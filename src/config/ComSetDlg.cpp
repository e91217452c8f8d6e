#include "config/ComSetDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/MessageBox.h"
#include "platform/UiText.h"

CComSetDlg::CComSetDlg(QWidget* parent)
    : QDialog(parent)
    , m_brBack(0xFA, 0xFA, 0xFA)
    , m_cbPort(new QComboBox)
    , m_cbBaud(new QComboBox)
    , m_frame(new QGroupBox)
    , m_stPort(new QLabel)
    , m_stBaud(new QLabel)
    , m_btOk(new QPushButton)
    , m_btCancel(new QPushButton)
{
    setObjectName(QStringLiteral("ComSetDlg"));
    setWindowTitle(StationCaption());
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, m_brBack);
    setPalette(pal);
    setAutoFillBackground(true);

    m_cbPort->setObjectName(QStringLiteral("1054"));
    m_cbBaud->setObjectName(QStringLiteral("1055"));
    m_stPort->setObjectName(QStringLiteral("1056"));
    // Captions from the text table, which a workbook may have filled.
    m_stPort->setTextFormat(Qt::PlainText);
    m_stBaud->setTextFormat(Qt::PlainText);
    m_stBaud->setObjectName(QStringLiteral("1057"));
    m_btOk->setObjectName(QStringLiteral("1"));
    m_btCancel->setObjectName(QStringLiteral("2"));
    // The labels sit on the frame without a background of their own.
    m_stPort->setAttribute(Qt::WA_TranslucentBackground);
    m_stBaud->setAttribute(Qt::WA_TranslucentBackground);

    auto* grid = new QGridLayout(m_frame);
    grid->addWidget(m_stPort, 0, 0);
    grid->addWidget(m_cbPort, 0, 1);
    grid->addWidget(m_stBaud, 1, 0);
    grid->addWidget(m_cbBaud, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_btOk);
    buttons->addWidget(m_btCancel);
    auto* top = new QVBoxLayout(this);
    top->addWidget(m_frame);
    top->addLayout(buttons);
    setMinimumWidth(280);

    m_btOk->setDefault(true);
    connect(m_btOk, &QPushButton::clicked, this, &CComSetDlg::OnOK);
    connect(m_btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString CComSetDlg::Text(int n) const
{
    return UiText(m_pTexts, n);
}

void CComSetDlg::OnInitDialog()
{
    m_cbPort->clear();
    for (int i = 1; i <= 8; ++i)
        m_cbPort->addItem(QStringLiteral("COM%1").arg(i));
    m_cbBaud->clear();
    m_cbBaud->addItems({QStringLiteral("9600"), QStringLiteral("19200"), QStringLiteral("38400")});
    // The previous choice is deliberately not preselected.
    m_cbPort->setCurrentIndex(0);
    m_cbBaud->setCurrentIndex(0);
    m_stPort->setText(Text(9));
    m_stBaud->setText(Text(10));
    m_btOk->setText(Text(80));
    m_btCancel->setText(Text(268));
}

void CComSetDlg::OnOK()
{
    m_nPortIndex = m_cbPort->currentIndex();
    m_nBaudIndex = m_cbBaud->currentIndex();
    accept();
}

int CComSetDlg::DoModal()
{
    OnInitDialog();
    return exec();
}
