#include "mainwnd/AboutDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "mainwnd/AppIcon.h"

const char* const CAboutDlg::kCaption = "About KALOR";
const char* const CAboutDlg::kVersionText = "KALOR V1.3.5 beta (T)";
const char* const CAboutDlg::kMenuText = "&About KALOR...";

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutDlg"));
    setWindowTitle(QString::fromLatin1(kCaption));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    const QIcon icon = LiftStationIcon();
    setWindowIcon(icon);

    auto* picture = new QLabel;
    picture->setPixmap(icon.pixmap(32, 32));
    auto* text = new QLabel(QString::fromLatin1(kVersionText));
    text->setObjectName(QStringLiteral("version"));
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(picture);
    row->addSpacing(12);
    row->addWidget(text, 1);
    row->addSpacing(12);
    row->addWidget(ok, 0, Qt::AlignTop);
    auto* top = new QVBoxLayout(this);
    top->addLayout(row);
    setMinimumWidth(320);
}
