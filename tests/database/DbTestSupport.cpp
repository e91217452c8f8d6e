#include "DbTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <sys/mount.h>
#include <unistd.h>

#include <sqlite3.h>


bool CreateDatabase(const QString& path, const QString& sql, const QByteArray& key)
{
    QFile::remove(path);
    sqlite3* db = nullptr;
    const QByteArray keyed = (key.isEmpty() ? QByteArray() : "PRAGMA key = '" + key + "';") + sql.toUtf8();
    char* err = nullptr;
    const bool ok = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
                        == SQLITE_OK
                    && sqlite3_exec(db, keyed.constData(), nullptr, nullptr, &err) == SQLITE_OK;
    EXPECT_EQ(err, nullptr) << "seed: " << err;
    sqlite3_free(err);
    return sqlite3_close(db) == SQLITE_OK && ok;
}

void DbTest::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    ASSERT_TRUE(QDir().mkpath(m_dir.path() + QStringLiteral("/SoftResoure/DB")));
    m_path = m_dir.path() + QStringLiteral("/SoftResoure/DB/DBServer.mdb");
    ASSERT_TRUE(MakeFile());
    m_store.ResetLiftRecords();
    m_store.ResetLiftPages();
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

DbTest::SmallDisk::~SmallDisk() { umount2(dir.constData(), MNT_DETACH); }

std::unique_ptr<DbTest::SmallDisk> DbTest::MoveOntoSmallDisk(const char* size, std::string* pSkip)
{
    if (geteuid() != 0) {
        *pSkip = "needs root to mount a small file system for the full disk";
        return nullptr;
    }
    const QString folder = QFileInfo(m_path).path();
    CloseDb();
    const QByteArray bytes = FileBytes(m_path);
    if (mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, size) != 0) {
        const int error = errno;
        OpenDb();
        if (error == EPERM || error == EACCES)
            *pSkip = std::string("this container lets no one mount a file system: ") + strerror(error);
        else
            ADD_FAILURE() << strerror(error);
        return nullptr;
    }
    auto disk = std::make_unique<SmallDisk>();
    disk->dir = QFile::encodeName(folder);
    if (!WriteFile(m_path, bytes)) {
        ADD_FAILURE() << "the file does not fit on the small disk";
        return nullptr;
    }
    OpenDb();
    return disk;
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

QStringList DbTest::Column(const QString& sql)
{
    QStringList out;
    auto rs = m_db.m_pAdo->GetRecordSet(sql);
    for (rs ? rs->MoveFirst() : void(); rs && !rs->IsEOF(); rs->MoveNext())
        out << rs->GetText(0);
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
