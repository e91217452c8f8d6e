#pragma once
// A single-lift page set up as the main window sets it up, on a private copy
// of the shipped database with the real UI texts, optionally fed by the
// one-lift worker from the bus simulator over its pseudo-terminal.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>
#include <gtest/gtest.h>

#include "support/ShippedDatabase.h"
#include "controls/StaX.h"
#include "database/DBServer.h"
#include "link/LiftComm.h"
#include "link/LiftDataStore.h"
#include "link/LiftMessages.h"
#include "link/PollThread.h"
#include "link/PollWorkers.h"
#include "mainwnd/LiftPainter.h"
#include "platform/AppFolder.h"
#include "platform/MessageBox.h"
#include "support/LiftSim.h"
#include "views/ButShape.h"
#include "views/ButShapeState.h"
#include "views/ShowOneDlg.h"
#include "views/ShowOneMessages.h"
#include "views/StaO.h"
#include "views/StaShape.h"
#include "views/ViewTestSupport.h"

namespace showone_test {

using Frame = std::vector<std::uint8_t>;

// Every box the code under test shows; OK/Cancel boxes get the chosen answer.
using BoxLog = MessageBoxRecorder;

struct strRigOptions {
    int floors = 12;
    bool withSim = true;     // liftsim and the one-lift worker
    bool portOpen = true;
    QSize size{1280, 700};   // the page's client size
    std::function<void(CDBServer&)> beforeLoad;  // database changes before the lift is loaded
};

constexpr int kLiftNum = 1;
constexpr int kModel = 2;

class ShowOneRig {
public:
    explicit ShowOneRig(const strRigOptions& opt = {})
    {
        const QString data = m_dir.path() + QStringLiteral("/SoftResoure");
        if (!m_dir.isValid() || !QDir().mkpath(data + QStringLiteral("/DB"))
            || !QFile::copy(ShippedDatabase(), data + QStringLiteral("/DB/DBServer.mdb"))) {
            ADD_FAILURE() << "cannot copy the shipped database (build lift_db first)";
            return;
        }
        SetAppFolder(m_dir.path() + QLatin1Char('/'));
        m_db.m_strAppFolder = m_dir.path() + QLatin1Char('/');
        m_db.m_pLanText = &m_texts;
        m_db.m_pAdo->m_pLanText = &m_texts;
        m_db.m_pAdo->InitConnection();
        m_db.BuildDBPath();
        if (!m_db.m_pAdo->OpenDatabase(false, m_db.m_strDBPath)) {
            ADD_FAILURE() << "cannot open the database copy";
            return;
        }
        if (!m_db.LoadLanguageAndFaultTexts(1, m_tabs.data(), &m_names))
            ADD_FAILURE() << "cannot load the UI texts";

        // Install the lift as the configuration page does, then load it as at login.
        Reset();
        lift().nKind = 1;
        lift().nMaxFloor = opt.floors;
        lift().nMinFloor = 1;
        lift().strName = QStringLiteral("1号梯");
        m_db.SaveLiftSetup(m_store.m_pLiftInf);
        if (opt.beforeLoad)
            opt.beforeLoad(m_db);
        Reset();
        if (!m_db.LoadLiftInfo(m_store.m_pLiftInf, m_store.m_pLiftPage))
            ADD_FAILURE() << "cannot load the lift";
        lift().strGroupName = QStringLiteral("A座");
        lift().nModel = kModel;

        if (opt.withSim) {
            m_sim = std::make_unique<CLiftSim>(QStringList{QStringLiteral("--lift"), QStringLiteral("%1:%2:%3").arg(kLiftNum).arg(opt.floors).arg(kModel),
                QStringLiteral("--speed"), QStringLiteral("200"), QStringLiteral("--door"), QStringLiteral("300")});
            qputenv("LIFT_COM1", m_sim->port().toLocal8Bit());
            if (!m_comm.OpenComm(1, 0))  // 80 ms for a reply: a busy simulator is not a retry
                ADD_FAILURE() << "cannot open the simulator's port";
        }

        m_page.m_bPortOpen = opt.portOpen ? 1 : 0;
        m_page.m_pViewMode = &m_viewMode;
        m_page.m_pTexts = &m_texts;
        m_page.m_pPainter = &m_painter;
        m_page.m_pComm = &m_comm;
        m_page.m_pLiftCmd = m_store.m_pLiftCmd;
        m_page.m_pLiftInf = m_store.m_pLiftInf;
        m_page.m_pLiftPage = m_store.m_pLiftPage;
        m_page.m_pDB = &m_db;
        m_page.m_pErrInfTab = &m_tabs;
        m_page.m_nLanguageKind = 1;
        m_page.m_nLiftIndex = kLiftNum - 1;
        m_painter.m_pLanText = &m_texts;
        m_page.OnInitDialog();
        m_page.resize(opt.size);
        m_page.LayoutLiftView();
        m_page.show();
        m_ok = true;
    }

    ~ShowOneRig()
    {
        StopPollThread();
        RemovePostedMessages(&m_page, WM_LIFT_COMM_FAILED);
        m_db.m_pAdo->CloseConnection();
    }
    ShowOneRig(const ShowOneRig&) = delete;
    ShowOneRig& operator=(const ShowOneRig&) = delete;

    bool ok() const { return m_ok; }

    // The worker and the refresh, started as the main window starts them.
    void Start()
    {
        CLiftDataStore& store = m_store;
        StartPollThread(PollOneThreadProc, &m_comm, &m_page, [&store](CLiftComm& comm) {
            comm.m_pLiftCmd = &store.m_pLiftCmd[kLiftNum - 1];
            comm.m_pLiftInf = &store.m_pLiftInf[kLiftNum - 1];
            comm.m_pLiftPage = &store.m_pLiftPage[kLiftNum - 1];
        });
        m_page.SetRefreshTimer(80);
    }
    bool WaitOnline(int ms = 5000)
    {
        return QTest::qWaitFor([this] { return m_page.m_bLiftOnline == 1; }, ms);
    }

    strLiftInf& lift() { return m_store.m_pLiftInf[kLiftNum - 1]; }
    strLiftPage& pages() { return m_store.m_pLiftPage[kLiftNum - 1]; }
    strLiftCmd& cmd() { return m_store.m_pLiftCmd[kLiftNum - 1]; }
    CShowOneDlg& page() { return m_page; }
    CLiftSim& sim() { return *m_sim; }
    QString Text(int n) const { return n >= 0 && n < m_texts.size() ? m_texts.at(n) : QString(); }

    // Page requests (function 0x00) to the lift that the simulator has seen.
    std::vector<Frame> PageRequests() const
    {
        std::vector<Frame> out;
        for (const Frame& f : m_sim->requests())
            if (f.size() == 14 && f[0] == kLiftNum && f[1] == 0x00)
                out.push_back(f);
        return out;
    }
    int CountRequests(const std::function<bool(const Frame&)>& pred) const
    {
        int n = 0;
        for (const Frame& f : PageRequests())
            n += pred(f) ? 1 : 0;
        return n;
    }

    std::vector<std::pair<int, int>> CallRows() { return view_test::CallRows(m_db, kLiftNum); }

private:
    void Reset()
    {
        m_store.ResetLiftRecords();
        m_store.ResetLiftPages();
        m_store.ResetLiftCmds();
        m_store.ResetLiftFaults();
    }

    // First of the members, so last to go: the page writes its lock files
    // into the rig's folder when it is destroyed.
    struct strFolderReset {
        ~strFolderReset() { SetAppFolder(QString()); }
    } m_folderReset;
    QTemporaryDir m_dir;
    QStringList m_texts;
    std::array<strErrInfTab, 3> m_tabs;
    CErrNameMap m_names;
    CDBServer m_db;
    CLiftDataStore m_store;
    CLiftPainter m_painter;
    std::unique_ptr<CLiftSim> m_sim;
    CLiftComm m_comm;
    int m_viewMode = CShowOneDlg::kViewMode;
    CShowOneDlg m_page;
    bool m_ok = false;
};

} // namespace showone_test
