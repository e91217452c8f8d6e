#include "config/SetShowNumDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/FixedText.h"
#include "platform/MessageBox.h"
#include "platform/UiText.h"

CSetShowNumDlg::CSetShowNumDlg(QWidget* parent)
    : QDialog(parent)
    , m_edNum(new QLineEdit)
    , m_stNum(new QLabel)
    , m_btOk(new QPushButton)
    , m_btCancel(new QPushButton)
{
    setObjectName(QStringLiteral("SetShowNumDlg"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_edNum->setObjectName(QStringLiteral("1176"));
    m_stNum->setObjectName(QStringLiteral("1178"));
    m_stNum->setTextFormat(Qt::PlainText);  // a caption of the text table
    m_btOk->setObjectName(QStringLiteral("1"));
    m_btCancel->setObjectName(QStringLiteral("2"));
    m_edNum->setMaxLength(6);

    auto* row = new QHBoxLayout;
    row->addWidget(m_stNum);
    row->addWidget(m_edNum);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_btOk);
    buttons->addWidget(m_btCancel);
    auto* top = new QVBoxLayout(this);
    top->addLayout(row);
    top->addLayout(buttons);
    setMinimumWidth(260);

    m_btOk->setDefault(true);
    connect(m_btOk, &QPushButton::clicked, this, &CSetShowNumDlg::OnOK);
    connect(m_btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString CSetShowNumDlg::Text(int n) const
{
    return UiText(m_pTexts, n);
}

void CSetShowNumDlg::OnInitDialog()
{
    setWindowTitle(Text(273));
    m_stNum->setText(Text(274));
    m_btOk->setText(Text(80));
    m_btCancel->setText(Text(268));
    UpdateData(false);
}

bool CSetShowNumDlg::UpdateData(bool bSaveAndValidate)
{
    if (!bSaveAndValidate) {
        m_edNum->setText(QString::number(m_nShowNum));
        return true;
    }
    bool ok = false;
    const int value = m_edNum->text().trimmed().toInt(&ok);
    if (!ok || value < kMinShowNum || value > kMaxShowNum) {
        AfxMessageBox(FixedText{QStringLiteral("请输入%1到%2之间的整数。"),
                                QStringLiteral("Please enter an integer between %1 and %2."),
                                QStringLiteral("請輸入%1到%2之間的整數。")}
                          .In(m_nLanguageKind)
                          .arg(kMinShowNum)
                          .arg(kMaxShowNum));
        m_edNum->setFocus();
        m_edNum->selectAll();
        return false;
    }
    m_nShowNum = value;
    return true;
}

void CSetShowNumDlg::OnOK()
{
    if (UpdateData(true))
        accept();
}

int CSetShowNumDlg::DoModal()
{
    OnInitDialog();
    return exec();
}
