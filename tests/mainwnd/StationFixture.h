#pragma once
// Shared by the main-window and end-to-end suites: a private copy of the data
// folder for each test, the database changes the tests need, and an operator
// who answers the modal dialogs.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>
#include <gtest/gtest.h>

#include "analysis/AnalysisDlg.h"
#include "config/BuildDlg.h"
#include "config/ComSetDlg.h"
#include "controls/ButX.h"
#include "controls/StaX.h"
#include "database/DBServer.h"
#include "link/LiftDataStore.h"
#include "mainwnd/KALORDlg.h"
#include "platform/AppFolder.h"
#include "platform/MessageBox.h"
#include "views/ShowAllDlg.h"
#include "views/ShowGruDlg.h"
#include "views/ShowOneDlg.h"

namespace station_test {

inline bool CopyTree(const QString& from, const QString& to)
{
    QDir src(from);
    if (!src.exists() || !QDir().mkpath(to))
        return false;
    for (const QFileInfo& info : src.entryInfoList(QDir::NoDotAndDotDot | QDir::AllEntries)) {
        const QString target = to + QLatin1Char('/') + info.fileName();
        if (info.isDir()) {
            if (!CopyTree(info.filePath(), target))
                return false;
        } else if (!QFile::copy(info.filePath(), target)) {
            return false;
        }
    }
    return true;
}

inline QString ShippedDataFolder()
{
    return QStringLiteral(LIFT_BINARY_DIR "/bin/SoftResoure");
}

// Runs fn on the next modal dialog of type T that opens (within 10 s).
template <typename T>
void WhenModal(std::function<void(T*)> fn)
{
    auto* timer = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, fn] {
        if (auto* dlg = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            delete clock;
            fn(dlg);
        } else if (clock->elapsed() > 10000) {
            timer->stop();
            timer->deleteLater();
            delete clock;
            ADD_FAILURE() << "no modal dialog opened";
        }
    });
    timer->start();
}

// Answers the next serial-settings dialog: OK with the port and baud index
// (0-based), or Cancel when port is negative.
inline void AnswerComSet(int port, int baud = 0)
{
    WhenModal<CComSetDlg>([port, baud](CComSetDlg* dlg) {
        if (port < 0) {
            dlg->findChild<QPushButton*>(QStringLiteral("2"))->click();
            return;
        }
        dlg->m_cbPort->setCurrentIndex(port);
        dlg->m_cbBaud->setCurrentIndex(baud);
        dlg->findChild<QPushButton*>(QStringLiteral("1"))->click();
    });
}

// A copy of the shipped data folder in a temporary folder, used as the
// program's folder for the test's life.
class StationData {
public:
    StationData()
    {
        EXPECT_TRUE(m_dir.isValid());
        m_ok = CopyTree(ShippedDataFolder(), m_dir.path() + QStringLiteral("/SoftResoure"));
        // The station run by hand from the build folder writes to the laid-out
        // database; the tests start from the build's own untouched product.
        const QString product = QStringLiteral(LIFT_BINARY_DIR "/res/DBServer.mdb");
        if (m_ok && QFile::exists(product)) {
            QFile::remove(dbPath());
            m_ok = QFile::copy(product, dbPath());
        }
        EXPECT_TRUE(m_ok) << "cannot copy " << ShippedDataFolder().toStdString()
                          << " (build the shipped database first)";
        SetAppFolder(m_dir.path());
    }
    ~StationData() { SetAppFolder(QString()); }
    StationData(const StationData&) = delete;
    StationData& operator=(const StationData&) = delete;

    bool ok() const { return m_ok; }
    QString folder() const { return m_dir.path() + QLatin1Char('/'); }
    QString dbPath() const { return folder() + QStringLiteral("SoftResoure/DB/DBServer.mdb"); }

    // Opens the copy with the program's own database object for set-up work.
    std::unique_ptr<CDBServer> OpenDb() const
    {
        auto db = std::make_unique<CDBServer>();
        db->m_strAppFolder = folder();
        db->m_pAdo->InitConnection();
        db->BuildDBPath();
        EXPECT_TRUE(db->m_pAdo->OpenDatabase(false, db->m_strDBPath));
        return db;
    }
    bool Exec(const QString& sql, const QVariantList& params = {}) const
    {
        auto db = OpenDb();
        return db->m_pAdo->ExecuteSql(sql, params);
    }
    // A known operator for the tests.
    void AddOperator(const QString& name = QStringLiteral("op"), const QString& pwd = QStringLiteral("pw")) const
    {
        EXPECT_TRUE(Exec(QStringLiteral("Insert into KALOR_UserInf Values (?,?,'1')"), {name, pwd}));
    }
    struct Lift {
        int n;       // lift number 1..64
        int floors;
        int group;   // GroupNum column
        QString name;
    };
    // Installs lifts as the configuration page stores them (per-lift tables,
    // 56 floor rows each), then puts each into its group.
    void InstallLifts(const std::vector<Lift>& lifts) const
    {
        auto db = OpenDb();
        CLiftDataStore store;
        store.ResetLiftRecords();
        for (const Lift& l : lifts) {
            strLiftInf& rec = store.m_pLiftInf[l.n - 1];
            rec.nKind = 1;
            rec.nMaxFloor = l.floors;
            rec.nMinFloor = 1;
            rec.strName = l.name;
        }
        db->SaveLiftSetup(store.m_pLiftInf);
        for (const Lift& l : lifts)
            EXPECT_TRUE(db->m_pAdo->ExecuteSql(QStringLiteral("Update KALOR_LiftInf Set GroupNum=? Where RealAddr=?"),
                                              {l.group, l.n}));
    }

private:
    QTemporaryDir m_dir;
    bool m_ok = false;
};

// Settings go to a private folder, never the user's own.
inline void PrivateSettings()
{
    static QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
}

// Texts of the loaded table, for comparing with what the window showed.
inline QString UiTextOf(const CKALORDlg& dlg, int n)
{
    return dlg.Text(n);
}

// Puts name and password into the login row and presses the login button.
inline void TypeLogin(CKALORDlg& dlg, const QString& name, const QString& pwd)
{
    dlg.m_edUser->setText(name);
    dlg.m_edPwd->setText(pwd);
    dlg.OnLogin();
}

} // namespace station_test
