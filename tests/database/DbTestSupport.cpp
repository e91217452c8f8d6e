#include "DbTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>


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

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QString TestSchemaSql()
{
    // The shipped file's own schema script: the tests write and read the
    // same column layouts as the station.
    return QString::fromUtf8(FileBytes(QStringLiteral(LIFT_SOURCE_DIR "/res/seed/01-schema.sql")));
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
    ASSERT_TRUE(MakeFile());
    m_store.ResetLiftRecords();
    m_store.ResetLiftPages();
    m_store.ResetLiftFaults();
    for (int i = 0; i < 60; ++i)
        m_texts << QStringLiteral("UI%1").arg(i);
    m_db.m_strAppFolder = m_dir.path();
    m_db.SetClock([this] { return m_now; });
    m_db.m_pLanText = &m_texts;
    m_db.m_pAdo->m_pLanText = &m_texts;
    if (QFileInfo::exists(m_path))
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
    return Column(QStringLiteral("SELECT count(*) FROM ") + table + (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where))
        .value(0, QStringLiteral("-1"))
        .toInt();
}

bool DbTest::TableExists(const QString& name)
{
    return Count(QStringLiteral("sqlite_master"), QStringLiteral("type = 'table' AND name = '%1'").arg(name)) == 1;
}

QStringList DbTest::Column(const QString& sql, const QString& column)
{
    QStringList out;
    auto rs = m_db.m_pAdo->GetRecordSet(sql);
    if (!rs)
        return out;
    const int col = column.isEmpty() ? 0 : rs->ColumnIndex(column);
    for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext())
        out << rs->GetText(col);
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
    ASSERT_TRUE(m_db.SaveLiftSetup(store.m_pLiftInf));
    Lift(nLiftNum).nKind = 1;
    Lift(nLiftNum).nMaxFloor = nMaxFloor;
}
