// The connection wrapper on real files: what it refuses to open, how it
// reports failures, its record sets, the Jet functions and compaction.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sqlite3.h>

#include "DbTestSupport.h"
#include "database/AdoConnection.h"
#include "database/DbPassword.h"

namespace {

class AdoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("DBServer.mdb"));
        for (int i = 0; i < 50; ++i)
            m_texts << QStringLiteral("UI%1").arg(i);
        m_conn.m_pLanText = &m_texts;
    }
    bool MakeDb(const QString& sql = QStringLiteral("CREATE TABLE t (a int, b text, c float);"),
                const QByteArray& key = kDbPassword)
    {
        return CreateDatabase(m_path, sql, key);
    }

    QTemporaryDir m_dir;
    QString m_path;
    QStringList m_texts;
    MessageBoxRecorder m_boxes;
    CAdoConnection m_conn;
};

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Opens a second, independent connection with the password and tries to read.
int ReadFromSecondConnection(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, (QByteArray("PRAGMA key = '") + kDbPassword + "'").constData(), nullptr, nullptr, nullptr);
    const int rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc;
}

} // namespace

TEST_F(AdoTest, OpensOwnFileSharedInWriteAheadModeWithFullSync)
{
    ASSERT_TRUE(MakeDb());
    ASSERT_TRUE(m_conn.OpenDatabase(false, m_path));
    EXPECT_EQ(m_conn.m_strDBPath, m_path);
    auto rs = m_conn.GetRecordSet(QStringLiteral("PRAGMA journal_mode"));
    ASSERT_TRUE(rs);
    rs->MoveFirst();
    EXPECT_EQ(rs->GetText(QStringLiteral("journal_mode")), QStringLiteral("wal"));
    rs = m_conn.GetRecordSet(QStringLiteral("PRAGMA synchronous"));
    rs->MoveFirst();
    EXPECT_EQ(rs->GetInt(QStringLiteral("synchronous")), 2);  // FULL
    // Shared: another station process may read at the same time.
    EXPECT_EQ(ReadFromSecondConnection(m_path), SQLITE_OK);
    EXPECT_EQ(m_boxes.count(), 0);
}

TEST_F(AdoTest, ExclusiveOpenKeepsOtherConnectionsOut)
{
    ASSERT_TRUE(MakeDb());
    ASSERT_TRUE(m_conn.OpenDatabase(true, m_path));
    EXPECT_EQ(ReadFromSecondConnection(m_path), SQLITE_BUSY);
    EXPECT_TRUE(m_conn.ExecuteSql(QStringLiteral("INSERT INTO t VALUES (1, 'x', 1.5)")));
    EXPECT_EQ(ReadFromSecondConnection(m_path), SQLITE_BUSY);
    // Nor can a second station open it, shared or exclusive.
    CAdoConnection second;
    m_boxes.clear();
    EXPECT_FALSE(second.OpenDatabase(false, m_path));
    EXPECT_FALSE(second.OpenDatabase(true, m_path));
    ASSERT_EQ(m_boxes.count(), 2);
    EXPECT_TRUE(m_boxes.texts()[0].contains(QLatin1String("in use"))) << m_boxes.texts()[0].toStdString();
    m_conn.CloseConnection();
    EXPECT_EQ(ReadFromSecondConnection(m_path), SQLITE_OK);
    EXPECT_TRUE(second.OpenDatabase(true, m_path));
}

TEST_F(AdoTest, RefusesMissingForeignWrongKeyAndEmptyFilesWithAMessage)
{
    struct Case {
        const char* what;
        std::function<void()> make;
        const char* expected;
    };
    const QString plain = m_path;
    const std::vector<Case> cases = {
        {"missing", [&] { QFile::remove(plain); }, "does not exist"},
        {"wrong password", [&] { ASSERT_TRUE(MakeDb(QStringLiteral("CREATE TABLE t (a);"), "12345678901")); },
         "wrong password"},
        // Keyed and readable, but not the station's: switching its journal would already write it.
        {"keyed without the tables", [&] { ASSERT_TRUE(MakeDb(QStringLiteral("CREATE TABLE other (a);"))); }, "damaged"},
        {"one byte",
         [&] {
             QFile f(plain);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             f.write("x");
         },
         "damaged"},
        {"plain SQLite file", [&] { ASSERT_TRUE(MakeDb(QStringLiteral("CREATE TABLE t (a);"), QByteArray())); },
         "not a database"},
        {"text file",
         [&] {
             QFile f(plain);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             f.write(QByteArray(5000, 'x'));
         },
         "not a database"},
        {"empty file",
         [&] {
             QFile f(plain);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
         },
         "empty"},
    };
    m_conn.m_strRequiredTables = {QStringLiteral("t")};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(plain);
        c.make();
        const bool existed = QFileInfo::exists(plain);
        const QByteArray before = FileBytes(plain);
        m_boxes.clear();
        EXPECT_FALSE(m_conn.OpenDatabase(false, plain));
        EXPECT_FALSE(m_conn.IsOpen());
        ASSERT_EQ(m_boxes.count(), 1);
        EXPECT_TRUE(m_boxes.texts()[0].contains(QLatin1String(c.expected))) << m_boxes.texts()[0].toStdString();
        // The refused file is left exactly as it was, and a missing one is not made.
        EXPECT_EQ(QFileInfo::exists(plain), existed);
        EXPECT_EQ(FileBytes(plain), before);
        EXPECT_FALSE(QFileInfo::exists(plain + QLatin1String("-wal")));
        EXPECT_FALSE(QFileInfo::exists(plain + QLatin1String("-shm")));
    }
    // A query on the unopened connection shows UI text 46 and runs nothing.
    m_boxes.clear();
    EXPECT_EQ(m_conn.GetRecordSet(QStringLiteral("SELECT 1")), nullptr);
    EXPECT_FALSE(m_conn.ExecuteSql(QStringLiteral("SELECT 1")));
    EXPECT_EQ(m_boxes.texts(), QStringList({QStringLiteral("UI46"), QStringLiteral("UI46")}));
}

TEST_F(AdoTest, FailedOpenOfAReadOnlyFileLeavesNothingBehind)
{
    ASSERT_TRUE(MakeDb());
    ASSERT_TRUE(m_conn.OpenDatabase(false, m_path));  // leaves the file in write-ahead mode
    m_conn.CloseConnection();
    ASSERT_EQ(chmod(QFile::encodeName(m_path).constData(), 0444), 0);
    // Root writes any file: the open runs as an ordinary user then.
    const bool root = geteuid() == 0;
    ASSERT_EQ(chmod(QFile::encodeName(m_dir.path()).constData(), 0777), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (root && setuid(65534) != 0)
            _exit(2);
        CAdoConnection conn;
        _exit(conn.OpenDatabase(false, m_path) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the read-only file was opened";
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("DBServer.mdb")});
    // With the permission mended the file opens at once.
    ASSERT_EQ(chmod(QFile::encodeName(m_path).constData(), 0644), 0);
    EXPECT_TRUE(m_conn.OpenDatabase(false, m_path)) << m_boxes.texts().join('\n').toStdString();
}

TEST_F(AdoTest, DamagedFileIsReportedAsDamagedNeverReadAsData)
{
    // Enough rows to spread over many pages, so the damage lands inside the data.
    ASSERT_TRUE(MakeDb(QStringLiteral("CREATE TABLE t (a int, b text);"
                                      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000)"
                                      " INSERT INTO t SELECT i, printf('%080d', i) FROM n;")));
    const QByteArray good = FileBytes(m_path);
    ASSERT_GT(good.size(), 100000);
    auto writeFile = [&](const QByteArray& bytes) {
        QFile f(m_path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    };
    QByteArray overwritten = good;
    overwritten.replace(good.size() / 2, 64, QByteArray(64, '\x5a'));
    QByteArray truncated = good.left(good.size() / 2 + 100);

    // After a run that did not end cleanly (its log is still there) every page
    // is checked on opening.
    for (const QByteArray* bad : {&overwritten, &truncated}) {
        SCOPED_TRACE(bad == &truncated ? "truncated" : "overwritten");
        writeFile(*bad);
        QFile log(m_path + QLatin1String("-wal"));
        ASSERT_TRUE(log.open(QIODevice::WriteOnly));
        log.close();
        m_boxes.clear();
        EXPECT_FALSE(m_conn.OpenDatabase(false, m_path));
        ASSERT_EQ(m_boxes.count(), 1);
        EXPECT_TRUE(m_boxes.texts()[0].contains(QLatin1String("damaged"))) << m_boxes.texts()[0].toStdString();
        QFile::remove(m_path + QLatin1String("-wal"));
    }

    // After a clean end the opening checks the schema; a damaged data page
    // fails the query that reads it.
    writeFile(overwritten);
    m_boxes.clear();
    ASSERT_TRUE(m_conn.OpenDatabase(false, m_path));
    EXPECT_EQ(m_conn.GetRecordSet(QStringLiteral("SELECT * FROM t")), nullptr);
    EXPECT_FALSE(m_conn.ExecuteSql(QStringLiteral("UPDATE t SET b = 'x'")));
    ASSERT_EQ(m_boxes.count(), 3);
    EXPECT_TRUE(m_boxes.texts()[0].contains(QLatin1String("damaged"))) << m_boxes.texts()[0].toStdString();
    EXPECT_TRUE(m_boxes.texts()[1].contains(QLatin1String("damaged"))) << m_boxes.texts()[1].toStdString();
    m_conn.CloseConnection();

    // Damage in the first page is found by the first read, always.
    QByteArray head = good;
    head.replace(200, 32, QByteArray(32, '\0'));
    writeFile(head);
    m_boxes.clear();
    EXPECT_FALSE(m_conn.OpenDatabase(false, m_path));
    EXPECT_EQ(m_boxes.count(), 1);
}

TEST_F(AdoTest, RecordSetIsAStaticCursorWithTheNullConventions)
{
    ASSERT_TRUE(MakeDb(QStringLiteral("CREATE TABLE t (a int, b text, c float);"
                                      "INSERT INTO t VALUES (1, 'one', 2.6), (2, NULL, NULL), (3, '', -0.4),"
                                      " (4, '17', 1e12);")));
    ASSERT_TRUE(m_conn.OpenDatabase(false, m_path));
    auto first = m_conn.GetRecordSet(QStringLiteral("SELECT * FROM t ORDER BY a"));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->GetRecordCount(), 4);
    first->MoveLast();
    EXPECT_EQ(first->GetInt(QStringLiteral("A")), 4);  // names are not case-sensitive
    EXPECT_EQ(first->GetInt(QStringLiteral("b")), 17);
    EXPECT_EQ(first->GetInt(QStringLiteral("c")), INT32_MAX);  // out of range is clamped, not wrapped
    first->MoveFirst();
    EXPECT_EQ(first->GetText(QStringLiteral("a")), QStringLiteral("1"));
    EXPECT_EQ(first->GetInt(QStringLiteral("c")), 3);
    EXPECT_EQ(first->GetText(QStringLiteral("c")), QStringLiteral("2.6"));
    first->MoveNext();
    EXPECT_TRUE(first->IsNull(QStringLiteral("b")));
    EXPECT_EQ(first->GetText(QStringLiteral("b")), QString());
    EXPECT_EQ(first->GetInt(QStringLiteral("c")), 0);
    first->MoveNext();
    EXPECT_FALSE(first->IsNull(QStringLiteral("b")));
    EXPECT_EQ(first->GetInt(QStringLiteral("b")), 0);  // empty gives 0
    first->MoveNext();
    first->MoveNext();
    EXPECT_TRUE(first->IsEOF());
    EXPECT_EQ(first->GetText(QStringLiteral("b")), QString());  // past the end reads nothing
    EXPECT_EQ(first->GetText(QStringLiteral("nosuch")), QString());

    // A second query replaces the kept record set, but one still held stays whole.
    auto second = m_conn.GetRecordSet(QStringLiteral("SELECT a FROM t WHERE a > ?"), {2});
    ASSERT_TRUE(second);
    EXPECT_EQ(second->GetRecordCount(), 2);
    EXPECT_EQ(m_conn.m_pRecordset, second);
    first->MoveFirst();
    EXPECT_EQ(first->GetText(QStringLiteral("b")), QStringLiteral("one"));

    // An empty result is a record set with no rows, at its end at once.
    auto none = m_conn.GetRecordSet(QStringLiteral("SELECT a FROM t WHERE a > 99"));
    ASSERT_TRUE(none);
    EXPECT_EQ(none->GetRecordCount(), 0);
    EXPECT_TRUE(none->IsEOF());
    EXPECT_EQ(m_boxes.count(), 0);
}

TEST_F(AdoTest, RefusedStatementsShowTheTwoMessagesAndReturnFalse)
{
    ASSERT_TRUE(MakeDb());
    ASSERT_TRUE(m_conn.OpenDatabase(false, m_path));
    EXPECT_FALSE(m_conn.ExecuteSql(QStringLiteral("INSERT INTO nosuch VALUES (1)")));
    ASSERT_EQ(m_boxes.count(), 2);
    EXPECT_TRUE(m_boxes.texts()[0].contains(QLatin1String("no such table: nosuch")));
    EXPECT_EQ(m_boxes.texts()[1], QStringLiteral("UI15\r\nUI16:") + QString::fromUtf8(sqlite3_errstr(SQLITE_ERROR)));

    // A refused query shows one message and yields no record set.
    m_boxes.clear();
    EXPECT_EQ(m_conn.GetRecordSet(QStringLiteral("SELECT * FROM nosuch")), nullptr);
    EXPECT_EQ(m_boxes.count(), 1);

    // Without a UI text table the messages still come, without crashing.
    m_conn.m_pLanText = nullptr;
    m_boxes.clear();
    EXPECT_FALSE(m_conn.ExecuteSql(QStringLiteral("DROP TABLE nosuch")));
    EXPECT_EQ(m_boxes.count(), 2);
    QStringList shortTable{QStringLiteral("only one")};
    m_conn.m_pLanText = &shortTable;
    EXPECT_FALSE(m_conn.ExecuteSql(QStringLiteral("DROP TABLE nosuch")));
    EXPECT_EQ(m_boxes.count(), 4);
}

TEST_F(AdoTest, TextsAreBoundNeverRunAsSql)
{
    ASSERT_TRUE(MakeDb());
    ASSERT_TRUE(m_conn.OpenDatabase(false, m_path));
    const QString nasty = QStringLiteral("O'Brien'); DROP TABLE t; --");
    ASSERT_TRUE(m_conn.ExecuteSql(QStringLiteral("INSERT INTO t (b) VALUES (?)"), {nasty}));
    auto rs = m_conn.GetRecordSet(QStringLiteral("SELECT b FROM t WHERE b = ?"), {nasty});
    ASSERT_TRUE(rs);
    ASSERT_EQ(rs->GetRecordCount(), 1);
    rs->MoveFirst();
    EXPECT_EQ(rs->GetText(QStringLiteral("b")), nasty);

    // A second statement behind the first is refused as a whole.
    EXPECT_FALSE(m_conn.ExecuteSql(QStringLiteral("INSERT INTO t (a) VALUES (1); DROP TABLE t")));
    // So is a parameter count that does not fit the text.
    EXPECT_FALSE(m_conn.ExecuteSql(QStringLiteral("INSERT INTO t (a, b) VALUES (?, ?)"), {1}));
    rs = m_conn.GetRecordSet(QStringLiteral("SELECT count(*) AS n FROM t"));
    ASSERT_TRUE(rs);
    rs->MoveFirst();
    EXPECT_EQ(rs->GetInt(QStringLiteral("n")), 1);
}

TEST_F(AdoTest, JetFunctionsFollowTheClockAndStoreTheFixedDateForm)
{
    ASSERT_TRUE(MakeDb());
    ASSERT_TRUE(m_conn.OpenDatabase(false, m_path));
    m_conn.SetClock([] { return QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58)); });
    auto rs = m_conn.GetRecordSet(QStringLiteral("SELECT Now() AS n, DateValue('2024-3-9') AS d, DateValue(?) AS e"),
                                  {QStringLiteral("2024-12-31 17:05:00")});
    ASSERT_TRUE(rs);
    rs->MoveFirst();
    EXPECT_EQ(rs->GetText(QStringLiteral("n")), QStringLiteral("2024-02-29 23:59:58"));
    EXPECT_EQ(rs->GetText(QStringLiteral("d")), QStringLiteral("2024-03-09 00:00:00"));
    EXPECT_EQ(rs->GetText(QStringLiteral("e")), QStringLiteral("2024-12-31 00:00:00"));

    // The text of an invalid date is refused with a message, as the engine would.
    EXPECT_EQ(m_conn.GetRecordSet(QStringLiteral("SELECT DateValue('-001--1--1') AS d")), nullptr);
    EXPECT_EQ(m_conn.GetRecordSet(QStringLiteral("SELECT DateValue('2023-02-29') AS d")), nullptr);
    EXPECT_EQ(m_boxes.count(), 2);
}

TEST_F(AdoTest, CompactTempNameInsertsBeforeTheFileNamesLastDot)
{
    EXPECT_EQ(CAdoConnection::CompactTempName(QStringLiteral("/a/b/DBServer.mdb")), QStringLiteral("/a/b/DBServer121.mdb"));
    EXPECT_EQ(CAdoConnection::CompactTempName(QStringLiteral("/a/b/x.y.z")), QStringLiteral("/a/b/x.y121.z"));
    EXPECT_EQ(CAdoConnection::CompactTempName(QStringLiteral("/a.b/DBServer")), QStringLiteral("/a.b/121DBServer"));
    EXPECT_EQ(CAdoConnection::CompactTempName(QStringLiteral("DBServer")), QStringLiteral("121DBServer"));
}

TEST_F(AdoTest, CompactionShrinksTheFileInPlaceAndKeepsItsRowsAndPassword)
{
    // Besides tables, whatever else a file may hold comes along.
    ASSERT_TRUE(MakeDb(QStringLiteral("CREATE TABLE t (a int, b text);"
                                      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000)"
                                      " INSERT INTO t SELECT i, printf('%0100d', i) FROM n;"
                                      "DELETE FROM t WHERE a > 100;"
                                      "CREATE TABLE \"odd \"\"name\" (x);"
                                      "INSERT INTO \"odd \"\"name\" VALUES ('kept');"
                                      "CREATE TABLE seq (id INTEGER PRIMARY KEY AUTOINCREMENT, v);"
                                      "INSERT INTO seq (v) VALUES (1), (2); DELETE FROM seq;"
                                      "CREATE UNIQUE INDEX t_a ON t (a);"
                                      "CREATE VIEW big AS SELECT a FROM t WHERE a > 50;"
                                      "CREATE TRIGGER t_log AFTER DELETE ON t BEGIN INSERT INTO seq (v) VALUES (OLD.a); END;"
                                      "PRAGMA user_version = 7;")));
    const qint64 before = QFileInfo(m_path).size();
    ASSERT_TRUE(m_conn.OpenDatabase(false, m_path));

    const QString size = m_conn.CompactDatabase(m_path);
    EXPECT_FALSE(m_conn.IsOpen());
    const qint64 after = QFileInfo(m_path).size();
    EXPECT_LT(after * 10, before);
    EXPECT_EQ(size, QString::asprintf("%.2fMB", double(after) / 1048576.0));
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^\d+\.\d\dMB$)")).match(size).hasMatch()) << size.toStdString();
    // Only the database is left in its folder.
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("DBServer.mdb")});

    ASSERT_TRUE(m_conn.OpenDatabase(false, m_path));
    auto rs = m_conn.GetRecordSet(QStringLiteral("SELECT count(*) AS n, max(b) AS m FROM t"));
    ASSERT_TRUE(rs);
    rs->MoveFirst();
    EXPECT_EQ(rs->GetInt(QStringLiteral("n")), 100);
    EXPECT_EQ(rs->GetText(QStringLiteral("m")), QString::asprintf("%0100d", 100));
    rs = m_conn.GetRecordSet(QStringLiteral("SELECT (SELECT x FROM \"odd \"\"name\") AS x, (SELECT count(*) FROM big) AS v,"
                                            " (SELECT count(*) FROM sqlite_master WHERE name = 't_a') AS i"));
    ASSERT_TRUE(rs);
    rs->MoveFirst();
    EXPECT_EQ(rs->GetText(QStringLiteral("x")), QStringLiteral("kept"));
    EXPECT_EQ(rs->GetInt(QStringLiteral("v")), 50);
    EXPECT_EQ(rs->GetInt(QStringLiteral("i")), 1);
    EXPECT_FALSE(m_conn.ExecuteSql(QStringLiteral("INSERT INTO t VALUES (1, 'dup')")));  // the unique index is there
    ASSERT_TRUE(m_conn.ExecuteSql(QStringLiteral("DELETE FROM t WHERE a = 1")));       // so is the trigger
    ASSERT_TRUE(m_conn.ExecuteSql(QStringLiteral("INSERT INTO seq (v) VALUES (0)")));
    rs = m_conn.GetRecordSet(QStringLiteral("SELECT group_concat(id || ':' || v) AS s FROM seq"));
    rs->MoveFirst();
    EXPECT_EQ(rs->GetText(QStringLiteral("s")), QStringLiteral("3:1,4:0"));  // numbering goes on after 2
    rs = m_conn.GetRecordSet(QStringLiteral("PRAGMA user_version"));
    rs->MoveFirst();
    EXPECT_EQ(rs->GetInt(QStringLiteral("user_version")), 7);
    m_conn.CloseConnection();
    EXPECT_NE(FileBytes(m_path).left(15), QByteArray("SQLite format 3"));
    EXPECT_EQ(m_boxes.count(), 2);  // the refused duplicate only
}

TEST_F(AdoTest, FailedCompactionLeavesTheFileAsItWas)
{
    ASSERT_TRUE(MakeDb(QStringLiteral("CREATE TABLE t (a int); INSERT INTO t VALUES (1), (2);")));
    const QByteArray original = FileBytes(m_path);

    // The temporary name is taken by something that cannot be removed.
    ASSERT_TRUE(QDir().mkdir(CAdoConnection::CompactTempName(m_path)));
    EXPECT_EQ(m_conn.CompactDatabase(m_path), QString());
    EXPECT_EQ(FileBytes(m_path), original);
    ASSERT_TRUE(QDir().rmdir(CAdoConnection::CompactTempName(m_path)));

    // Another process holds the file open with rows in its log: replacing the
    // file would lose them.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(m_path).constData(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    sqlite3_exec(other, (QByteArray("PRAGMA key = '") + kDbPassword + "'").constData(), nullptr, nullptr, nullptr);
    ASSERT_EQ(sqlite3_exec(other, "PRAGMA journal_mode = WAL; INSERT INTO t VALUES (3);", nullptr, nullptr, nullptr),
              SQLITE_OK);
    EXPECT_EQ(m_conn.CompactDatabase(m_path), QString());
    sqlite3_close(other);
    EXPECT_FALSE(QFileInfo::exists(CAdoConnection::CompactTempName(m_path)));
    ASSERT_TRUE(m_conn.OpenDatabase(false, m_path));
    auto rs = m_conn.GetRecordSet(QStringLiteral("SELECT count(*) AS n FROM t"));
    ASSERT_TRUE(rs);
    rs->MoveFirst();
    EXPECT_EQ(rs->GetInt(QStringLiteral("n")), 3);

    // A missing file gives an empty text and makes nothing.
    m_conn.CloseConnection();
    const QString missing = m_dir.filePath(QStringLiteral("nothere.mdb"));
    EXPECT_EQ(m_conn.CompactDatabase(missing), QString());
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_FALSE(QFileInfo::exists(CAdoConnection::CompactTempName(missing)));
}
