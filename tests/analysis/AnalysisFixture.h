#pragma once
// The analysis page on a copy of the shipped database in a temporary folder,
// with the UI and fault texts loaded from it as the main window does, lifts
// set up by the configuration's store operation and faults written by the
// recorder at chosen times.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <array>
#include <gtest/gtest.h>
#include <memory>

#include "support/ShippedDatabase.h"
#include "analysis/AnalysisDlg.h"
#include "analysis/FaultEntry.h"
#include "controls/ListCtrlX.h"
#include "database/DBServer.h"
#include "link/LiftDataStore.h"
#include "mainwnd/UserInf.h"
#include "platform/MessageBox.h"

class AnalysisPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString shipped = ShippedDatabase();
        ASSERT_TRUE(QFileInfo::exists(shipped)) << "build the lift_db target first";
        ASSERT_TRUE(QDir().mkpath(m_dir.path() + QStringLiteral("/SoftResoure/DB")));
        ASSERT_TRUE(QFile::copy(shipped, m_dir.path() + QStringLiteral("/SoftResoure/DB/DBServer.mdb")));
        m_db.m_strAppFolder = m_dir.path();
        m_db.SetClock([this] { return m_now; });
        m_db.m_pLanText = &m_texts;
        m_db.m_pAdo->m_pLanText = &m_texts;
        m_db.m_pAdo->InitConnection();
        m_db.BuildDBPath();
        ASSERT_TRUE(m_db.m_pAdo->OpenDatabase(false, m_db.m_strDBPath)) << m_boxes.texts().join('\n').toStdString();
        const int kind = m_db.GetLanguageKind();
        ASSERT_TRUE(m_db.LoadLanguageAndFaultTexts(kind, m_tabs.data(), &m_names));
        m_store.ResetLiftRecords();
        m_user.strName = QStringLiteral("admin");
        m_user.strPwd = QStringLiteral("123456");
        ASSERT_EQ(m_db.CheckLogin(m_user.strName, m_user.strPwd, nullptr, &m_user.nUserKey), 0);

        m_page = std::make_unique<CAnalysisDlg>();
        CAnalysisDlg& ana = *m_page;
        ana.m_pUser = &m_user;
        ana.m_pLanText = &m_texts;
        ana.m_pDB = &m_db;
        ana.m_pLiftInf = m_store.m_pLiftInf;
        ana.m_pErrInfTab = &m_tabs;
        ana.m_nLanguageKind = kind;
        ana.OnInitDialog();
        ana.resize(1280, 860);
        ana.LayoutControls();
        ana.show();
        Prepare();
        m_boxes.clear();
    }
    // What a suite adds to the page once it stands; the boxes meanwhile are dropped.
    virtual void Prepare() {}

    void TearDown() override { m_page.reset(); }

    // A lift as the configuration page stores a newly found one.
    void SetUpLift(int nLiftNum, const QString& name)
    {
        CLiftDataStore one;
        one.ResetLiftRecords();
        for (strLiftInf* rec : {&m_store.m_pLiftInf[nLiftNum - 1], &one.m_pLiftInf[nLiftNum - 1]}) {
            rec->nKind = 1;
            rec->nMaxFloor = 12;
            rec->nMinFloor = 1;
            rec->strName = name;
        }
        m_store.m_pLiftInf[nLiftNum - 1].nLiftNum = nLiftNum;
        m_db.SaveLiftSetup(one.m_pLiftInf);
    }

    // The recorder writes a fault row stamped at `when`; status bits 2, 4 and 8
    // before the fault give the lift states 225, 226 and 227, anything else 7.
    void RecordFault(int nLiftNum, int nCode, const QDateTime& when, int nStatusBefore = 0)
    {
        m_now = when;
        strLiftInf& lift = m_store.m_pLiftInf[nLiftNum - 1];
        strLiftFault& fault = m_store.m_pLiftFault[nLiftNum - 1];
        lift.nLiftNum = nLiftNum;
        lift.nStatusBitsPrev = nStatusBefore;
        lift.nFaultCode = nCode;
        fault.nFaultCode = nCode;
        fault.bNewFault = 1;
        m_db.SaveLiftFault(&lift, &fault);
        // The fault clears, so the next one of the same code is new again.
        lift.nFaultCode = 0;
        fault.nFaultCode = 0;
        m_db.SaveLiftFault(&lift, &fault);
    }

    static QDateTime At(int y, int mo, int d, int h = 12, int mi = 0, int s = 0)
    {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
    }

    QString Text(int n) const { return m_texts.value(n); }

    strLanguageSheet Stored()
    {
        strLanguageSheet sheet;
        EXPECT_TRUE(m_db.LoadLanguageTableForExport(&sheet));
        return sheet;
    }

    QTreeWidgetItem* Root() const { return m_page->m_tree->topLevelItem(0); }
    QStringList TreeChildren() const
    {
        QStringList out;
        if (QTreeWidgetItem* root = Root())
            for (int i = 0; i < root->childCount(); ++i)
                out << root->child(i)->text(0);
        return out;
    }
    void SelectChild(int i) const { m_page->m_tree->setCurrentItem(Root()->child(i)); }

    QList<QStringList> Rows() const
    {
        QList<QStringList> rows;
        const ClistCtrlX* list = m_page->m_lstFault;
        for (int r = 0; r < list->GetItemCount(); ++r) {
            rows.append(QStringList());
            for (int c = 0; c < list->columnCount(); ++c)
                rows.last() << list->GetItemText(r, c);
        }
        return rows;
    }

    // Shipped fault texts of the enhanced model: "ERR12: <name>".
    QString FaultItem(int nCode) const
    {
        const int i = FaultEntryOfCode(m_tabs[2], nCode);
        return i < 0 ? QString() : m_tabs[2].strErrCount[i] + QStringLiteral(": ") + m_tabs[2].strErrName[i];
    }

    QTemporaryDir m_dir;
    QDateTime m_now = At(2024, 3, 10);
    MessageBoxRecorder m_boxes;
    QStringList m_texts;
    std::array<strErrInfTab, 3> m_tabs;
    CErrNameMap m_names;
    CDBServer m_db;
    CLiftDataStore m_store;
    strUserInf m_user;
    std::unique_ptr<CAnalysisDlg> m_page;
};
