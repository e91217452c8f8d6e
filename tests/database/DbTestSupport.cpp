#include "DbTestSupport.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

#include "link/LiftDataStore.h"

bool CreateDatabase(const QString& path, const QString& sql, const QByteArray& key)
{
    QFile::remove(path);
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
        != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    bool ok = true;
    if (!key.isEmpty())
        ok = sqlite3_exec(db, ("PRAGMA key = '" + key + "'").constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    char* err = nullptr;
    ok = ok && sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err) == SQLITE_OK;
    if (err) {
        ADD_FAILURE() << "seed: " << err;
        sqlite3_free(err);
    }
    ok = sqlite3_close(db) == SQLITE_OK && ok;
    return ok;
}

QString TestSchemaSql()
{
    QString errCols;
    for (int k = 1; k <= 3; ++k)
        errCols += QStringLiteral(", ErrName%1 text, ErrCause%1 text, ErrDeal%1 text").arg(k);
    return QStringLiteral(
               "CREATE TABLE KALOR_SoftInf (SoftColor int, GroupNum int, ComPort int, BaudRate int, LanguageKind int);"
               "CREATE TABLE KALOR_SoftLan (nSign number, Lan1 text, Lan2 text, Lan3 text);"
               "CREATE TABLE KALOR_LiftInf (RealAddr int, Kind int, LiftHight int, bLiftHight int, GroupNum int,"
               " MaxFloor int, MinFloor int, strName_1 text);"
               "CREATE TABLE KALOR_GroupInf (GroupNum int, GroupCount int, strGroupName text);"
               "CREATE TABLE KALOR_UserInf (UserName text, UserPwd text, UserLimit int);"
               "CREATE TABLE KALOR_VELAS_ErrInf (ErrCount text, ErrLevel int%1);"
               "CREATE TABLE KALOR_VELAM_ErrInf (ErrCount text, ErrLevel int%1);"
               "CREATE TABLE KALOR_VELAMPlus_ErrInf (ErrCount text, ErrLevel text%1);"
               "CREATE TABLE KALOR_VELAS_FloorShow (nSign number, FloorShow text);"
               "CREATE TABLE KALOR_VELAM_FloorShow (nSign number, FloorShow text);")
        .arg(errCols);
}

QString TestDataSql()
{
    QString sql = QStringLiteral(
        "INSERT INTO KALOR_SoftInf VALUES (16777215, 4, 1, 2, 2);"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 64)"
        " INSERT INTO KALOR_LiftInf SELECT i, 0, 0, 0, 0, 0, 0, '' FROM n;"
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 49)"
        " INSERT INTO KALOR_SoftLan SELECT i, 'A' || i, 'B' || i, 'C' || i FROM n;"
        "INSERT INTO KALOR_SoftLan VALUES (232, 'Jian', 'English', 'Fan');"
        "INSERT INTO KALOR_GroupInf VALUES (0, 0, 'No group'), (1, 0, 'East'), (2, 0, 'West'), (3, 0, 'North');"
        "INSERT INTO KALOR_UserInf VALUES ('admin', '1234', 9);"
        "INSERT INTO KALOR_VELAS_FloorShow VALUES (1, 'B'), (0, 'A');"
        "INSERT INTO KALOR_VELAM_FloorShow VALUES (0, 'M');");
    for (const char* table : {"KALOR_VELAS_ErrInf", "KALOR_VELAM_ErrInf"})
        sql += QStringLiteral("INSERT INTO %1 VALUES ('ERR1', 1, 'n1a','c1a','d1a','n1b','c1b','d1b','n1c','c1c','d1c');")
                   .arg(QLatin1String(table));
    sql += QStringLiteral(
        "INSERT INTO KALOR_VELAMPlus_ErrInf VALUES ('ERR12', '3', 'door', 'jammed', 'free it',"
        " 'Door', 'Jammed', 'Free it', 'DOOR', 'JAMMED', 'FREE IT');"
        "INSERT INTO KALOR_VELAMPlus_ErrInf VALUES ('ERR3', '1', 'over''speed', 'governor', 'check\tit',"
        " 'Over speed', 'Governor', 'Check it', 'OS', 'G', 'C');");
    return sql;
}

void DbTest::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    ASSERT_TRUE(QDir().mkpath(m_dir.path() + QStringLiteral("/SoftResoure/DB")));
    m_path = m_dir.path() + QStringLiteral("/SoftResoure/DB/DBServer.mdb");
    ASSERT_TRUE(CreateDatabase(m_path, TestSchemaSql() + TestDataSql(), kDbPassword));
    for (int i = 0; i < 60; ++i)
        m_texts << QStringLiteral("UI%1").arg(i);
    m_db.m_strAppFolder = m_dir.path();
    m_db.SetClock([this] { return m_now; });
    m_db.m_pLanText = &m_texts;
    m_db.m_pAdo->m_pLanText = &m_texts;
    OpenDb();
}

void DbTest::OpenDb()
{
    m_db.m_pAdo->InitConnection();
    m_db.BuildDBPath();
    ASSERT_EQ(m_db.m_strDBPath, m_path);
    ASSERT_TRUE(m_db.m_pAdo->OpenDatabase(false, m_db.m_strDBPath)) << m_boxes.texts().join('\n').toStdString();
}

int DbTest::Count(const QString& table, const QString& where)
{
    auto rs = m_db.m_pAdo->GetRecordSet(QStringLiteral("SELECT count(*) AS n FROM ") + table
                                        + (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where));
    if (!rs || rs->GetRecordCount() != 1)
        return -1;
    rs->MoveFirst();
    return rs->GetInt(QStringLiteral("n"));
}

bool DbTest::TableExists(const QString& name)
{
    auto rs = m_db.m_pAdo->GetRecordSet(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = ?"),
                                        {name});
    return rs && rs->GetRecordCount() == 1;
}

QStringList DbTest::Column(const QString& sql, const QString& column)
{
    QStringList out;
    auto rs = m_db.m_pAdo->GetRecordSet(sql);
    if (!rs)
        return out;
    for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext())
        out << rs->GetText(column);
    return out;
}

void DbTest::SetUpLift(int nLiftNum, int nMaxFloor, const QString& name)
{
    CLiftDataStore store;
    store.ResetLiftRecords();
    strLiftInf& rec = store.m_pLiftInf[nLiftNum - 1];
    rec.nKind = 1;
    rec.nMaxFloor = nMaxFloor;
    rec.nMinFloor = 1;
    rec.strName = name;
    m_db.SaveLiftSetup(store.m_pLiftInf);
}
