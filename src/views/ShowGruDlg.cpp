#include "views/ShowGruDlg.h"

#include "link/GroupInf.h"
#include "link/LiftComm.h"
#include "link/PollThread.h"
#include "link/PollWorkers.h"
#include "views/CarAnimThread.h"

CShowGruDlg::CShowGruDlg(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("ShowGruDlg"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
}

bool CShowGruDlg::OnInitDialog()
{
    return true;
}

void CShowGruDlg::ShowGroup()
{
}

void CShowGruDlg::StartViewThreads()
{
    if (!m_bPortOpen || !m_pComm || !m_pGroupTable || m_nCurGroup < 0 || m_nCurGroup >= m_nGroupCount)
        return;
    strGroupInf* group = &m_pGroupTable[m_nCurGroup];
    StartPollThread(PollGroupThreadProc, m_pComm, this, [this, group](CLiftComm& comm) {
        comm.m_pGroup = group;
        comm.m_pLiftInf = m_pLiftInf;
        comm.m_pLiftPage = m_pLiftPage;
        comm.m_pLiftCmd = m_pLiftCmd;
    });

    g_hAnimTarget = this;
    if (g_hAnimThreadRun)
        g_hAnimThreadRun->Set();
    strCarAnimSlot* animSlots = m_pAnimSlots;
    g_pAnimThread = std::make_unique<CWorkerThread>([animSlots] { CarAnimThreadProc(animSlots); });
}
