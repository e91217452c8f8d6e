#include "analysis/AnalysisDlg.h"

CAnalysisDlg::CAnalysisDlg(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("AnalysisDlg"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
}

bool CAnalysisDlg::OnInitDialog()
{
    return true;
}

void CAnalysisDlg::LayoutControls()
{
}

void CAnalysisDlg::OnBnClickedFaultsByLift()
{
}
