#pragma once
// The analysis page (view mode 5). This holds what the main window hands it
// and calls; the fault views, charts and user management come with its own work.
#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>

class CDBServer;
class CExcelIO;
struct strErrInfTab;
struct strGroupInf;
struct strLiftInf;
struct strUserInf;

class CAnalysisDlg : public QWidget {
    Q_OBJECT
public:
    explicit CAnalysisDlg(QWidget* parent = nullptr);

    bool OnInitDialog();
    void LayoutControls();
    // The page's default view, shown after every switch to the page.
    void OnBnClickedFaultsByLift();

    const QStringList* m_pLanText = nullptr;
    CDBServer* m_pDB = nullptr;
    strLiftInf* m_pLiftInf = nullptr;
    strGroupInf* m_pGroupTable = nullptr;
    std::array<strErrInfTab, 3>* m_pErrInfTab = nullptr;
    std::int32_t m_nGroupCount = 0;
    CExcelIO* m_pExcel = nullptr;
    std::int32_t m_nLanguageKind = 0;
    const strUserInf* m_pUser = nullptr;
};
