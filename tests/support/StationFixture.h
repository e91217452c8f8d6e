#pragma once
// Shared by the main-window, configuration, view and end-to-end suites: a
// private copy of the data folder for each test, the database changes the
// tests need, an operator who answers the modal dialogs, and the window shown
// and logged in alike.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDeadlineTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <deque>
#include <functional>
#include <thread>
#include <vector>
#include <gtest/gtest.h>

#include "support/Operator.h"
#include "support/ShippedDatabase.h"
#include "support/Files.h"
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
#include "platform/MessageBoxDlg.h"
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

// Selects row r of a list as a click does.
inline void ClickRow(QTableWidget* list, int r)
{
    list->setCurrentCell(r, 0);
    list->selectRow(r);
    emit list->cellClicked(r, 0);
}

// Runs fn on the next modal dialog of type T that opens (within 10 s).
template <typename T>
void WhenModal(std::function<void(T*)> fn)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, deadline = QDeadlineTimer(10000), fn] {
        T* dlg = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dlg && !deadline.hasExpired())
            return;
        timer->stop();
        timer->deleteLater();
        if (dlg)
            fn(dlg);
        else
            ADD_FAILURE() << "no modal dialog opened";
    });
    timer->start(10);
}

// The ways a real box ends without one of its buttons pressed: the station's
// close on a signal, Escape, its window's close button.
enum class Unanswered { ClosedOnSignal, Escape, WindowClosed };
constexpr Unanswered kUnansweredWays[] = {Unanswered::ClosedOnSignal, Unanswered::Escape, Unanswered::WindowClosed};

// Ends the next real box that waits so, and counts it.
inline void EndNextBoxUnanswered(Unanswered how, int* pAsked)
{
    WhenModal<CMessageBoxDlg>([how, pAsked](CMessageBoxDlg* box) {
        ++*pAsked;
        if (how == Unanswered::ClosedOnSignal)
            box->done(QDialog::Rejected);
        else if (how == Unanswered::Escape)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->close();
    });
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
        const QString product = ShippedDatabase();
        if (m_ok && product != ShippedDataFolder() + QStringLiteral("/DB/DBServer.mdb")) {
            // A log left beside the copied file belongs to the other database.
            for (const char* suffix : {"", "-wal", "-shm"})
                QFile::remove(dbPath() + QLatin1String(suffix));
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
    // The group table made of these names (group g + 1 is names[g], with as
    // many lifts as name it), then the lifts installed into their groups.
    bool InstallGroups(const QStringList& names, const std::vector<Lift>& lifts) const
    {
        bool ok = Exec(QStringLiteral("Update KALOR_SoftInf Set GroupNum=%1").arg(names.size())) &&
                  Exec(QStringLiteral("Delete From KALOR_GroupInf"));
        for (int g = 0; ok && g < names.size(); ++g) {
            const int members = int(std::count_if(lifts.begin(), lifts.end(),
                                                   [g](const Lift& l) { return l.group == g + 1; }));
            ok = Exec(QStringLiteral("Insert Into KALOR_GroupInf Values (?, ?, ?)"), {g + 1, members, names[g]});
        }
        if (ok)
            InstallLifts(lifts);
        return ok;
    }

private:
    QTemporaryDir m_dir;
    bool m_ok = false;
};

// Waits for cond with the window's thread held (no event runs), as a page's
// own work holds it: the workers go on, no refresh takes their replies in.
inline bool HeldUntil(const std::function<bool()>& cond, int ms = 10000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!cond() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return cond();
}

// Settings go to a private folder, never the user's own.
inline void PrivateSettings()
{
    static QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
}

// Puts name and password into the login row and presses the login button.
inline void TypeLogin(CKALORDlg& dlg, const QString& name, const QString& pwd)
{
    dlg.m_edUser->setText(name);
    dlg.m_edPwd->setText(pwd);
    dlg.OnLogin();
}

// Every test shows the window alike: initialised, not maximised, 1280 pixels
// wide unless asked, and on screen before the test goes on.
inline bool ShowMainWindow(CKALORDlg& dlg, int height, int width = 1280)
{
    dlg.OnInitDialog();
    dlg.setWindowState(Qt::WindowNoState);
    dlg.resize(width, height);
    dlg.show();
    return QTest::qWaitForWindowExposed(&dlg);
}

// Logs the known operator in and answers the serial settings with COM1 at
// 38400; the line must open, or the boxes shown meanwhile say why not.
inline ::testing::AssertionResult LogInOnCom1(CKALORDlg& dlg, const MessageBoxRecorder& boxes)
{
    AnswerComSet(0, 2);
    TypeLogin(dlg, QStringLiteral("op"), QStringLiteral("pw"));
    if (dlg.m_bPortOpen == 1)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the line did not open: "
                                         << boxes.texts().join(QLatin1Char('|')).toStdString();
}

} // namespace station_test
