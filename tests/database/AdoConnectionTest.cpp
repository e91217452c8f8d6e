// The connection wrapper on real files: what it refuses to open, how it
// reports failures, its record sets and compaction.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sqlite3.h>

#include "DbTestSupport.h"

namespace {

class AdoTest : public DbTest {
protected:
    // Each test makes its own file at m_path.
    bool MakeFile() override
    {
        m_conn.m_pLanText = &m_texts;
        return true;
    }
    bool MakeDb(const QString& sql = QStringLiteral("CREATE TABLE t (a int, b text, c float);"), const QByteArray& key = kDbPassword)
    {
        return CreateDatabase(m_path, sql, key);
    }
    // First value of the first row, as text.
    QString First(const QString& sql)
    {
        auto rs = m_conn.GetRecordSet(sql);
        return rs && rs->GetRecordCount() ? (rs->MoveFirst(), rs->GetText(0)) : QStringLiteral("<none>");
    }
    QStringList Files() { return QDir(QFileInfo(m_path).path()).entryList(QDir::Files); }

    CAdoConnection m_conn;
};

} // namespace

TEST_F(AdoTest, OpensSharedInWriteAheadModeWithFullSync)
{
    // Every committed row survives a killed process or a power cut; another
    // station may read at the same time. (The exclusive open: after compaction.)
    ASSERT_TRUE(MakeDb());
    ASSERT_TRUE(m_conn.OpenDatabase(false, m_path));
    EXPECT_EQ(First(QStringLiteral("PRAGMA journal_mode")) + First(QStringLiteral("PRAGMA synchronous")), QStringLiteral("wal2"));
    CAdoConnection second;
    EXPECT_TRUE(second.OpenDatabase(false, m_path));
}

TEST_F(AdoTest, RefusesMissingForeignWrongKeyAndEmptyFilesWithAMessageAndWritesNothing)
{
    const std::vector<std::tuple<const char*, std::function<bool()>, const char*>> cases = {
        {"missing", [] { return true; }, "does not exist"},
        {"wrong password", [&] { return MakeDb(QStringLiteral("CREATE TABLE t (a);"), "12345678901"); }, "wrong password"},
        {"plain SQLite file", [&] { return MakeDb(QStringLiteral("CREATE TABLE t (a);"), QByteArray()); }, "not a database"},
        // Keyed and readable, but not the station's: switching its journal would already write it.
        {"keyed without the tables", [&] { return MakeDb(QStringLiteral("CREATE TABLE other (a);")); }, "damaged"},
        {"text file", [&] { return WriteFile(m_path, QByteArray(5000, 'x')); }, "not a database"},
        {"one byte", [&] { return WriteFile(m_path, "x"); }, "damaged"},
        {"empty file", [&] { return WriteFile(m_path, {}); }, "empty"},
    };
    m_conn.m_strRequiredTables = {QStringLiteral("t")};
    m_conn.m_nLanguageKind = 2;  // the reasons compared are the English ones
    for (const auto& [what, make, expected] : cases) {
        SCOPED_TRACE(what);
        QFile::remove(m_path);
        ASSERT_TRUE(make());
        const QStringList files = Files();
        const QByteArray before = FileBytes(m_path);
        EXPECT_FALSE(m_conn.OpenDatabase(false, m_path));
        EXPECT_FALSE(m_conn.IsOpen());
        EXPECT_TRUE(m_boxes.texts().value(0).contains(QLatin1String(expected))) << m_boxes.texts().value(0).toStdString();
        ExpectBoxes(1);
        // The refused file is left exactly as it was, nothing beside it, and a missing one is not made.
        EXPECT_EQ(Files(), files);
        EXPECT_EQ(FileBytes(m_path), before);
    }
    // A query on the unopened connection shows UI text 46 and runs nothing.
    EXPECT_EQ(m_conn.GetRecordSet(QStringLiteral("SELECT 1")), nullptr);
    EXPECT_FALSE(m_conn.ExecuteSql(QStringLiteral("SELECT 1")));
    EXPECT_EQ(m_boxes.texts(), QStringList({QStringLiteral("UI46"), QStringLiteral("UI46")}));
    m_boxes.clear();
}

TEST_F(AdoTest, FailedOpensLeaveNothingBesideTheFile)
{
    ASSERT_TRUE(MakeDb());
    ASSERT_TRUE(m_conn.OpenDatabase(false, m_path));  // leaves the file in write-ahead mode
    m_conn.CloseConnection();
    ASSERT_EQ(chmod(QFile::encodeName(m_path).constData(), 0444), 0);
    for (QString dir = QFileInfo(m_path).path(); dir.startsWith(m_dir.path()); dir = QFileInfo(dir).path())
        ASSERT_EQ(chmod(QFile::encodeName(dir).constData(), 0777), 0);
    // Root writes any file: the open runs as an ordinary user then.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && setuid(65534) != 0)
            _exit(2);
        _exit(m_conn.OpenDatabase(false, m_path) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the read-only file was opened";
    EXPECT_EQ(Files(), QStringList{QStringLiteral("DBServer.mdb")});
    // Once the permission is given back the file opens at once.
    ASSERT_EQ(chmod(QFile::encodeName(m_path).constData(), 0644), 0);
    EXPECT_TRUE(m_conn.OpenDatabase(false, m_path));
    m_conn.CloseConnection();

    // A file in write-ahead mode that is not the station's, read meanwhile by
    // another program: the engine cannot remove the log and index its read
    // made when the refused connection closes, so the open removes them.
    ASSERT_TRUE(MakeDb(QStringLiteral("PRAGMA journal_mode = WAL; CREATE TABLE other (a);")));
    m_conn.m_strRequiredTables = {QStringLiteral("t")};
    const int reader = open(QFile::encodeName(m_path).constData(), O_RDONLY);
    ASSERT_GE(reader, 0);
    struct flock shared = {};
    shared.l_type = F_RDLCK;
    shared.l_whence = SEEK_SET;
    shared.l_start = 0x40000002;  // the engine's shared-lock bytes
    shared.l_len = 510;
    ASSERT_EQ(fcntl(reader, F_OFD_SETLK, &shared), 0);
    EXPECT_FALSE(m_conn.OpenDatabase(false, m_path));
    ExpectBoxes(1);
    EXPECT_EQ(Files(), QStringList{QStringLiteral("DBServer.mdb")});
    close(reader);
}

TEST_F(AdoTest, DamagedFileIsReportedAsDamagedNeverReadAsData)
{
    // Enough rows to spread over many pages, so the damage lands inside the data.
    ASSERT_TRUE(MakeDb(QStringLiteral("CREATE TABLE t (a int, b text);"
                                      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000)"
                                      " INSERT INTO t SELECT i, printf('%080d', i) FROM n;")));
    const QByteArray good = FileBytes(m_path);
    ASSERT_GT(good.size(), 100000);
    QByteArray overwritten = good, head = good;
    overwritten.replace(good.size() / 2, 64, QByteArray(64, '\x5a'));
    head.replace(200, 32, QByteArray(32, '\0'));
    const QByteArray truncated = good.left(good.size() / 2 + 100);
    // After a run that did not end cleanly (its log is still there) every page
    // is checked on opening; damage in the first page is found by any open.
    m_conn.m_nLanguageKind = 2;
    for (const QByteArray* bad : std::initializer_list<const QByteArray*>{&overwritten, &truncated, &head}) {
        ASSERT_TRUE(WriteFile(m_path, *bad) && (bad == &head || WriteFile(m_path + QLatin1String("-wal"), {})));
        EXPECT_FALSE(m_conn.OpenDatabase(false, m_path));
        EXPECT_TRUE(m_boxes.texts().value(0).contains(QLatin1String("damaged"))) << m_boxes.texts().value(0).toStdString();
        ExpectBoxes(1);
    }
    QFile::remove(m_path + QLatin1String("-wal"));
    m_conn.m_nLanguageKind = 1;
    // After a clean end the opening checks the schema; a damaged data page
    // fails the query that reads it.
    ASSERT_TRUE(WriteFile(m_path, overwritten));
    ASSERT_TRUE(m_conn.OpenDatabase(false, m_path));
    EXPECT_EQ(m_conn.GetRecordSet(QStringLiteral("SELECT * FROM t")), nullptr);
    EXPECT_FALSE(m_conn.ExecuteSql(QStringLiteral("UPDATE t SET b = 'x'")));
    // The engine's reason in the station's language, in every box.
    for (const QString& box : m_boxes.texts())
        EXPECT_TRUE(box.contains(QStringLiteral("数据库文件已损坏"))) << box.toStdString();
    ExpectBoxes(3);
}

TEST_F(AdoTest, RecordSetIsAStaticCursorWithTheNullConventions)
{
    ASSERT_TRUE(MakeDb(QStringLiteral("CREATE TABLE t (a int, b text, c float);"
                                      "INSERT INTO t VALUES (1, 'one', 2.6), (2, NULL, NULL), (3, '', 1e12), (4, '17', -0.4);")));
    ASSERT_TRUE(m_conn.OpenDatabase(false, m_path));
    auto first = m_conn.GetRecordSet(QStringLiteral("SELECT * FROM t ORDER BY a"));
    ASSERT_TRUE(first && first->GetRecordCount() == 4);
    // Names are not case-sensitive; NULL and empty read as 0; a number in a
    // text is read; out of range is clamped, not wrapped; past the end reads nothing.
    QList<int> ints;
    for (first->MoveFirst(); !first->IsEOF(); first->MoveNext())
        ints << first->GetInt(QStringLiteral("A")) << first->GetInt(QStringLiteral("b")) << first->GetInt(QStringLiteral("C"));
    EXPECT_EQ(ints, QList<int>({1, 0, 3, 2, 0, 0, 3, 0, INT32_MAX, 4, 17, 0}));
    EXPECT_EQ(first->GetText(QStringLiteral("b")), QString());
    // A second query replaces the kept record set, but one still held stays whole;
    // a result longer than one block of rows reads back in order.
    auto second = m_conn.GetRecordSet(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n"
                                                     " WHERE i < 2500) SELECT 'r' || i FROM n"));
    ASSERT_TRUE(second && second->GetRecordCount() == 2500);
    EXPECT_EQ(m_conn.m_pRecordset, second);
    int row = 0;
    for (second->MoveFirst(); !second->IsEOF(); second->MoveNext())
        ASSERT_EQ(second->GetText(0), QStringLiteral("r%1").arg(++row));
    first->MoveLast();
    EXPECT_EQ(first->GetText(QStringLiteral("b")), QStringLiteral("17"));
}

TEST_F(AdoTest, TextsAreBoundAndRefusedStatementsShowTheTwoMessages)
{
    ASSERT_TRUE(MakeDb());
    ASSERT_TRUE(m_conn.OpenDatabase(false, m_path));
    const QString nasty = QStringLiteral("O'Brien'); DROP TABLE t; --");
    ASSERT_TRUE(m_conn.ExecuteSql(QStringLiteral("INSERT INTO t (b) VALUES (?)"), {nasty}));
    auto rs = m_conn.GetRecordSet(QStringLiteral("SELECT b FROM t WHERE b = ?"), {nasty});
    ASSERT_TRUE(rs && rs->GetRecordCount() == 1);
    EXPECT_EQ((rs->MoveFirst(), rs->GetText(0)), nasty);
    // A second statement behind the first is refused as a whole; so is a
    // parameter count that does not fit the text.
    EXPECT_FALSE(m_conn.ExecuteSql(QStringLiteral("INSERT INTO t (a) VALUES (1); DROP TABLE t")));
    EXPECT_FALSE(m_conn.ExecuteSql(QStringLiteral("INSERT INTO t (a, b) VALUES (?, ?)"), {1}));
    EXPECT_EQ(First(QStringLiteral("SELECT count(*) FROM t")), QStringLiteral("1"));
    ExpectBoxes(4);

    EXPECT_FALSE(m_conn.ExecuteSql(QStringLiteral("INSERT INTO nosuch VALUES (1)")));
    EXPECT_TRUE(m_boxes.texts().value(0).contains(QLatin1String("no such table: nosuch")));
    EXPECT_EQ(m_boxes.texts().value(1), QStringLiteral("UI15\r\nUI16:") + QString::fromUtf8(sqlite3_errstr(SQLITE_ERROR)));
    // A refused query shows one message and yields no record set.
    EXPECT_EQ(m_conn.GetRecordSet(QStringLiteral("SELECT * FROM nosuch")), nullptr);
    ExpectBoxes(3);
    // A UI text table too short for the texts still gives the messages, without crashing.
    QStringList shortTable{QStringLiteral("only one")};
    m_conn.m_pLanText = &shortTable;
    EXPECT_FALSE(m_conn.ExecuteSql(QStringLiteral("DROP TABLE nosuch")));
    ExpectBoxes(2);
}

TEST_F(AdoTest, CompactionIsRefusedWhileAnotherProcessHasRowsInTheLog)
{
    // The copy's name: "121" before the file name's last '.', or before the name.
    EXPECT_EQ(CAdoConnection::CompactTempName(QStringLiteral("/a/b/DBServer.mdb")), QStringLiteral("/a/b/DBServer121.mdb"));
    EXPECT_EQ(CAdoConnection::CompactTempName(QStringLiteral("/a/b/x.y.z")), QStringLiteral("/a/b/x.y121.z"));
    EXPECT_EQ(CAdoConnection::CompactTempName(QStringLiteral("/a.b/DBServer")), QStringLiteral("/a.b/121DBServer"));
    ASSERT_TRUE(MakeDb(QStringLiteral("CREATE TABLE t (a int); INSERT INTO t VALUES (1), (2);")));
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(m_path).constData(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    sqlite3_exec(other, (QByteArray("PRAGMA key = '") + kDbPassword + "'").constData(), nullptr, nullptr, nullptr);
    ASSERT_EQ(sqlite3_exec(other, "PRAGMA journal_mode = WAL; INSERT INTO t VALUES (3);", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(m_conn.CompactDatabase(m_path), QString());
    sqlite3_close(other);
    EXPECT_EQ(Files(), QStringList{QStringLiteral("DBServer.mdb")});
    ASSERT_TRUE(m_conn.OpenDatabase(false, m_path));
    EXPECT_EQ(First(QStringLiteral("SELECT count(*) FROM t")), QStringLiteral("3"));
    // A missing file gives an empty text and makes nothing.
    m_conn.CloseConnection();
    EXPECT_EQ(m_conn.CompactDatabase(m_dir.filePath(QStringLiteral("nothere.mdb"))), QString());
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList());
}
