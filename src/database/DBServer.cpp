#include "database/DBServer.h"

#include <QDir>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

#include "database/DbPassword.h"
#include "platform/BusyCursor.h"
#include "platform/FixedText.h"
#include "platform/MessageBox.h"

CDBServer::CDBServer()
    : m_pAdo(std::make_unique<CAdoConnection>())
    , m_clock([] { return QDateTime::currentDateTime(); })
{
    m_pAdo->m_strRequiredTables = {
        QStringLiteral("KALOR_SoftInf"),      QStringLiteral("KALOR_SoftLan"),      QStringLiteral("KALOR_LiftInf"),
        QStringLiteral("KALOR_GroupInf"),     QStringLiteral("KALOR_UserInf"),      QStringLiteral("KALOR_VELAS_ErrInf"),
        QStringLiteral("KALOR_VELAM_ErrInf"), QStringLiteral("KALOR_VELAMPlus_ErrInf"),
    };
}

CDBServer::~CDBServer()
{
    // The main window closes the database before its window goes; any other
    // owner gets the same close here.
    CloseDatabase();
    m_pRecordset.reset();
    m_pAdo.reset();
}

void CDBServer::SetClock(Clock clock)
{
    m_clock = clock ? clock : Clock([] { return QDateTime::currentDateTime(); });
    m_pAdo->SetClock(m_clock);
}

void CDBServer::BuildDBPath()
{
    QString folder = m_strAppFolder;
    if (folder.isEmpty()) {
        std::error_code ec;
        const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
        if (!ec)
            folder = QString::fromStdString(exe.parent_path().string());
    }
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    m_strDBPath = folder + QLatin1String("SoftResoure/DB/") + QLatin1String("DBServer.mdb");
}

std::shared_ptr<CAdoRecordset> CDBServer::Query(const QString& sql, const QVariantList& params)
{
    m_bstrSql = sql;
    m_pRecordset = m_pAdo->GetRecordSet(m_bstrSql, params);
    return m_pRecordset;
}

bool CDBServer::Exec(const QString& sql, const QVariantList& params)
{
    m_bstrSql = sql;
    return m_pAdo->ExecuteSql(m_bstrSql, params);
}

QString CDBServer::LiftTable(int nLiftNum)
{
    return QStringLiteral("KALOR_LiftData_") + QString::number(nLiftNum);
}

bool CDBServer::StoreGroupCounts(int nCount, const strGroupInf* pGroups)
{
    if (!pGroups)
        return true;
    bool ok = true;
    for (int g = 0; g < nCount; ++g)
        ok = Exec(QStringLiteral("Update KALOR_GroupInf Set GroupCount = %1 Where GroupNum = %2")
                      .arg(pGroups[g].nLiftCount)
                      .arg(pGroups[g].nGroupNum)) && ok;
    return ok;
}

QString CDBServer::GetDBSizeText()
{
    const QFileInfo info(m_strDBPath);
    if (!info.isFile())
        return QString();
    return QString::asprintf("%.01f", double(info.size()) * (1.0 / 1048576.0)) + QLatin1String("MB");
}

QString CDBServer::CompactDatabase(QString* pWhy)
{
    // A year's file takes a minute: the station shows that it is working.
    const CBusyCursor busy;
    BuildDBPath();
    if (m_pAdo->m_strDBPath.isEmpty())
        m_pAdo->m_strDBPath = m_strDBPath;
    // The connection may be all there is of the data: then nothing is closed.
    if (const QString refusal = CompactionRefusal(); !refusal.isEmpty()) {
        if (pWhy)
            *pWhy = refusal;
        return QString();
    }
    const bool bWasExclusive = m_pAdo->IsExclusive();
    const QString size = m_pAdo->CompactDatabase(m_pAdo->DataFile());
    const QString why = m_pAdo->LastReason();
    if (const QString aside = m_pAdo->CompactedAside(); !aside.isEmpty())
        AfxMessageBox(FixedText{QStringLiteral("压缩期间 %1 处被放入了另一个文件，该文件保持不变。压缩后的数据库（含所有已记录的数据）"
                                               "保存为 %2，本站继续记录到该文件。"),
                                QStringLiteral("Another file was put at %1 during the compaction and is left as it is. The "
                                               "compacted database, with every recorded row, is saved as %2 and the station "
                                               "goes on recording into it."),
                                QStringLiteral("壓縮期間 %1 處被放入了另一個檔案，該檔案保持不變。壓縮後的資料庫（含所有已記錄的資料）"
                                               "儲存為 %2，本站繼續記錄到該檔案。")}
                          .In(m_nLanguageKind)
                          .arg(QDir::toNativeSeparators(m_strDBPath), QDir::toNativeSeparators(aside)));
    m_pRecordset.reset();
    m_pAdo->InitConnection();
    // A compacted file is held alone from now on where no other program has
    // it; a file the compaction could not have is opened as it was. One that
    // does not open is tried again, the rows waiting meanwhile. The copy was
    // written with the password already: no rekey, which would rewrite every
    // page of the file once more into its log.
    const bool bOpen = m_pAdo->Reopen(size.isEmpty() ? bWasExclusive : true);
    if (size.isEmpty() && pWhy)
        *pWhy = bOpen ? FixedText{QStringLiteral("%1\n数据库未改动，照常使用。"), QStringLiteral("%1\nThe database is unchanged and stays in use."),
                                  QStringLiteral("%1\n資料庫未改動，照常使用。")}
                            .In(m_nLanguageKind)
                            .arg(why)
                      : why;
    return size;
}

QString CDBServer::CompactionRefusal() const { return m_pAdo->CompactionRefusal(); }
QString CDBServer::FileAwayReason() const { return m_pAdo->FileAwayReason(); }
