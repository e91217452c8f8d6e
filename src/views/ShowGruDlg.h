#pragma once
// The group page (view mode 3). This holds what the main window hands it and
// the start of its two threads; the shaft cells come with the page's own work.
#include <QStringList>
#include <QWidget>
#include <cstdint>

#include "views/CarAnimSlot.h"

class CAnimRunEvent;
class CDBServer;
class CLiftComm;
struct strGroupInf;
struct strLiftCmd;
struct strLiftInf;
struct strLiftPage;

class CShowGruDlg : public QWidget {
    Q_OBJECT
public:
    explicit CShowGruDlg(QWidget* parent = nullptr);

    bool OnInitDialog();
    // Lays out the current group; called whenever the page is shown.
    void ShowGroup();
    // Starts the group worker and the animation thread (only when connected).
    void StartViewThreads();

    std::uint8_t m_bPortOpen = 0;  // connected flag
    std::int32_t m_nCurGroup = 0;  // index into the group table
    std::int32_t m_nGroupCount = 0;
    QWidget* m_hMainWnd = nullptr;
    strLiftInf* m_pLiftInf = nullptr;
    strGroupInf* m_pGroupTable = nullptr;
    strLiftPage* m_pLiftPage = nullptr;
    strLiftCmd* m_pLiftCmd = nullptr;
    strCarAnimSlot* m_pAnimSlots = nullptr;
    CAnimRunEvent* m_pAnimRun = nullptr;
    const QStringList* m_pTexts = nullptr;
    CDBServer* m_pDB = nullptr;
    CLiftComm* m_pComm = nullptr;
};
