// The station's file and its log across incidents: a run killed or ended
// after its file went, a compaction beside a file put at the path, and what
// a stopped run leaves for the next start.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sqlite3.h>

#include "DbTestSupport.h"
#include "FrozenFolder.h"

namespace {

// A child process that runs the station's code up to a point the test
// chooses, says so, and then waits to be killed.
class Child {
public:
    explicit Child(const std::function<bool()>& upToThePoint)
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) {
            ::close(fds[0]);
            const char ok = upToThePoint() ? 'y' : 'n';
            if (write(fds[1], &ok, 1) != 1)
                _exit(3);
            for (;;)
                pause();
        }
        ::close(fds[1]);
        m_fd = fds[0];
    }
    ~Child() { Kill(); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    // True once the child has reached the point and stands there.
    bool Reached()
    {
        char c = 0;
        return m_fd >= 0 && read(m_fd, &c, 1) == 1 && c == 'y';
    }
    pid_t Pid() const { return m_pid; }
    void Kill()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        m_pid = -1;
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    pid_t m_pid = -1;
    int m_fd = -1;
};

class FileGuardTest : public DbTest {
protected:
    QString Folder() const { return QFileInfo(m_path).path(); }
    QStringList Beside(const QString& pattern) const
    {
        return QDir(Folder()).entryList({QFileInfo(m_path).fileName() + pattern}, QDir::Files, QDir::Name);
    }
    // A whole year's worth of nothing (in kilobytes): enough pages that
    // copying them takes a while, so that a test can act while a copy runs.
    static constexpr int kSlowToCopy = 40 * 1000;
    QStringList Faults() { return Column(QStringLiteral("SELECT ErrCount FROM KALOR_LiftData_1_Err ORDER BY rowid")); }
    // An older copy of the file, put back at the path, opens as it is: with
    // the first fault only, and the close leaves it as it was put there.
    void PutBack(const QByteArray& backup)
    {
        ASSERT_TRUE(WriteFile(m_path, backup));
        OpenDb();
    }
    void ExpectBackupAsItWas(const QByteArray& backup)
    {
        EXPECT_EQ(Faults(), QStringList{QStringLiteral("11")});
        CloseDb();
        EXPECT_EQ(FileBytes(m_path), backup);
    }
};

} // namespace

TEST_F(FileGuardTest, ALogOfAKilledRunWhoseFileWentIsNeverReadIntoTheFilePutAtThePath)
{
    SetUpLift(1, 8);
    RaiseFault(1, 11);
    CloseDb();
    const QByteArray backup = FileBytes(m_path);
    // The station records two more faults, which stay in its log; then its
    // file is removed, and the station is killed before it could write it back.
    Child child([&] {
        m_db.m_pAdo->OpenDatabase(false, m_path);
        RaiseFault(1, 12);
        RaiseFault(1, 13);
        return QFileInfo(m_path + QStringLiteral("-wal")).size() > 32;  // frames past the log's header
    });
    ASSERT_TRUE(child.Reached());
    ASSERT_TRUE(QFile::remove(m_path));
    child.Kill();
    // The log is still at the path. The operator puts back an older copy.
    ASSERT_TRUE(QFileInfo::exists(m_path + QStringLiteral("-wal")));
    // The next start opens the copy as it is, and says where the log went.
    ASSERT_NO_FATAL_FAILURE(PutBack(backup));
    ASSERT_EQ(m_boxes.count(), 1);
    const QStringList moved = Beside(QStringLiteral("-stale-log-*"));
    ASSERT_EQ(moved.size(), 1);
    EXPECT_TRUE(m_boxes.texts()[0].contains(moved[0]) && m_boxes.texts()[0].contains(QStringLiteral("没有读入")))
        << m_boxes.texts()[0].toStdString();
    ExpectBoxes(1);
    ExpectBackupAsItWas(backup);
    // A clean end leaves nothing of the station's beside the file.
    EXPECT_EQ(Beside(QStringLiteral("-*")), moved);
}

TEST_F(FileGuardTest, AWriteBackThatFailsAtExitLeavesNoLogAtThePath)
{
    SetUpLift(1, 8);
    RaiseFault(1, 11);
    CloseDb();
    const QByteArray backup = FileBytes(m_path);
    OpenDb();
    RaiseFault(1, 12);
    // The file goes and its folder can no longer be written: nothing can be
    // saved at the exit, and the engine cannot remove its log either.
    ASSERT_TRUE(QFile::remove(m_path));
    FrozenFolder frozen(Folder());
    if (!frozen.IsOn())
        GTEST_SKIP() << "this file system keeps no immutable flag";
    m_db.CloseDatabase();
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_TRUE(m_boxes.texts()[0].contains(QStringLiteral("整个数据库已丢失"))) << m_boxes.texts()[0].toStdString();
    ExpectBoxes(1);
    frozen.Thaw();

    ASSERT_NO_FATAL_FAILURE(PutBack(backup));
    EXPECT_TRUE(m_boxes.texts().value(0).contains(QStringLiteral("没有读入"))) << m_boxes.texts().value(0).toStdString();
    ExpectBoxes(1);
    ExpectBackupAsItWas(backup);
}

TEST_F(FileGuardTest, TheLogOfAReplacedFileLeavesThePathBeforeAnotherProgramOpensTheNewFile)
{
    SetUpLift(1, 8);
    RaiseFault(1, 11);
    ASSERT_TRUE(MakeOtherFile());
    const QByteArray otherBytes = FileBytes(OtherFile());
    RaiseFault(1, 12);
    ASSERT_TRUE(PutOtherAtPath());
    // The station finds out with its next statement and saves its data aside.
    RaiseFault(1, 13);
    ExpectBoxes(1);
    EXPECT_FALSE(QFileInfo::exists(m_path + QStringLiteral("-wal")));
    // Another program opens the file now at the path, and finds it as it was put there.
    {
        sqlite3* program = nullptr;
        ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(m_path).constData(), &program, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        std::unique_ptr<sqlite3, int (*)(sqlite3*)> closer(program, sqlite3_close);
        const QByteArray sql = QByteArray("PRAGMA key = '") + kDbPassword + "'; SELECT count(*) FROM KALOR_SoftInf;";
        EXPECT_EQ(sqlite3_exec(program, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(program);
    }
    EXPECT_EQ(FileBytes(m_path), otherBytes);
    m_db.CloseDatabase();
    ExpectBoxes(1);  // where the data is
    EXPECT_EQ(FileBytes(m_path), otherBytes);
}

TEST_F(FileGuardTest, NoCompactionNorLiftDeletionWhileTheFileIsAwayOrTheStationRecordsIntoACopy)
{
    SetUpLift(1, 8);
    RaiseFault(1, 11);
    ASSERT_TRUE(QFile::remove(m_path));
    FrozenFolder frozen(Folder());
    if (!frozen.IsOn())
        GTEST_SKIP() << "this file system keeps no immutable flag";
    RaiseFault(1, 12);
    ExpectBoxes(1);  // cannot be saved yet
    // The compaction would close the only connection to the data.
    QString why;
    EXPECT_EQ(m_db.CompactDatabase(&why), QString());
    EXPECT_TRUE(why.contains(QStringLiteral("不能压缩")) && why.contains(QStringLiteral("已不在原处"))) << why.toStdString();
    EXPECT_EQ(m_db.CompactionRefusal(), why);
    EXPECT_TRUE(m_db.m_pAdo->IsOpen());
    RaiseFault(1, 13);
    EXPECT_EQ(m_db.PendingFaults(), 0);
    // Once the folder can be written again the close saves every row.
    frozen.Thaw();
    m_db.CloseDatabase();
    ExpectBoxes(1);
    OpenDb();
    EXPECT_EQ(Faults(), QStringList({"11", "12", "13"}));

    // Another file takes the place of the file: the station records into a
    // saved copy, and does not compact it.
    ASSERT_TRUE(MakeOtherFile());
    ASSERT_TRUE(PutOtherAtPath());
    RaiseFault(1, 14);
    ExpectBoxes(1);
    const QString copy = m_db.m_pAdo->DataFile();
    ASSERT_NE(copy, m_path);
    const QByteArray atPath = FileBytes(m_path);
    EXPECT_EQ(m_db.CompactDatabase(&why), QString());
    EXPECT_TRUE(why.contains(copy)) << why.toStdString();
    EXPECT_EQ(FileBytes(m_path), atPath);
    EXPECT_TRUE(m_db.m_pAdo->IsOpen());
    EXPECT_EQ(m_db.m_pAdo->DataFile(), copy);
}

TEST_F(FileGuardTest, ACompactionNeverReplacesAFilePutAtThePathMeanwhile)
{
    SetUpLift(1, 8);
    RaiseFault(1, 11);
    Grow(kSlowToCopy);
    ASSERT_TRUE(Exec(QStringLiteral("DROP TABLE bulk")));
    ASSERT_TRUE(MakeOtherFile());
    const QByteArray otherBytes = FileBytes(OtherFile());
    // Another program moves its file to the path as soon as the compaction has started.
    std::atomic<bool> done{false}, put{false};
    std::thread mover([&] {
        const QString temp = CAdoConnection::CompactTempName(m_path);
        while (!done && !QFileInfo::exists(temp))
            std::this_thread::yield();
        put = !done && PutOtherAtPath();
    });
    const QString size = m_db.CompactDatabase();
    done = true;
    mover.join();
    ASSERT_TRUE(put) << "the compaction ended before the file could be put at the path";
    EXPECT_EQ(FileBytes(m_path), otherBytes);
    EXPECT_NE(size, QString());
    // The compacted file keeps a name of its own, which the box gives, and holds the station's data.
    const QString aside = m_db.m_pAdo->DataFile();
    EXPECT_TRUE(aside.startsWith(m_path + QStringLiteral("-restore-"))) << aside.toStdString();
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_TRUE(m_boxes.texts()[0].contains(aside)) << m_boxes.texts()[0].toStdString();
    ExpectBoxes(1);
    EXPECT_LT(QFileInfo(aside).size(), 4 * 1048576);
    RaiseFault(1, 12);
    EXPECT_EQ(Faults(), QStringList({"11", "12"}));
    EXPECT_FALSE(QFileInfo::exists(m_path + QStringLiteral("-wal")));
    m_db.CloseDatabase();
    ExpectBoxes(1);  // the exit names the copy
    EXPECT_EQ(FileBytes(m_path), otherBytes);
}

TEST_F(FileGuardTest, TheNextStartRemovesWhatAKilledCompactionOrWriteBackLeftAndSaysSo)
{
    SetUpLift(1, 8);
    RaiseFault(1, 11);
    Grow(kSlowToCopy);
    CloseDb();
    const QString temp = CAdoConnection::CompactTempName(m_path);
    // Killed while the compaction copies.
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        m_db.CompactDatabase();
        _exit(0);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(temp); }, 60000));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    ASSERT_TRUE(QFileInfo::exists(temp)) << "the compaction ended before it could be stopped";
    OpenDb();
    EXPECT_FALSE(QFileInfo::exists(temp));
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_TRUE(m_boxes.texts()[0].contains(QFileInfo(temp).fileName()) && m_boxes.texts()[0].contains(QStringLiteral("已删除")))
        << m_boxes.texts()[0].toStdString();
    ExpectBoxes(1);
    EXPECT_EQ(Faults(), QStringList{QStringLiteral("11")});
    CloseDb();
    const QByteArray backup = FileBytes(m_path);

    // Killed while the write-back copies the open database.
    pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        m_db.m_pAdo->OpenDatabase(false, m_path);
        QFile::remove(m_path);
        RaiseFault(1, 12);
        _exit(0);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Beside(QStringLiteral("-restore-*-journal")).isEmpty(); }, 60000));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    const QStringList partial = Beside(QStringLiteral("-restore-*"));
    ASSERT_EQ(partial.size(), 2) << "the write-back ended before it could be stopped";
    const QStringList detached = Beside(QStringLiteral("-stale-log-*"));
    // Nothing at the path: the start refuses, removes the unfinished copy and
    // takes the log off the path.
    EXPECT_FALSE(m_db.m_pAdo->OpenDatabase(false, m_path));
    EXPECT_TRUE(Beside(QStringLiteral("-restore-*")).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(m_path + QStringLiteral("-wal")));
    const QString texts = m_boxes.texts().join('\n');
    EXPECT_TRUE(texts.contains(partial[0]) && texts.contains(QStringLiteral("文件不存在"))) << texts.toStdString();
    for (const QString& log : detached)  // removed, and named with the copy
        EXPECT_TRUE(m_boxes.texts()[0].contains(log)) << m_boxes.texts()[0].toStdString();
    ExpectBoxes(2);
    // Nor is the log the killed run had taken off the path left anywhere.
    EXPECT_EQ(Beside(QStringLiteral("-*")), QStringList());
    // An older copy put at the path opens as it is.
    ASSERT_NO_FATAL_FAILURE(PutBack(backup));
    ExpectBackupAsItWas(backup);
}

TEST_F(FileGuardTest, TheNextStartNamesACompleteCopyAKilledWriteBackHadNotYetPutInPlace)
{
    SetUpLift(1, 8);
    RaiseFault(1, 11);
    Grow(kSlowToCopy);
    CloseDb();
    const QByteArray original = FileBytes(m_path);
    // The moment between the finished copy and its move to the path is short:
    // tried a few times, each from the same file.
    QStringList copies;
    for (int attempt = 0; attempt < 5 && copies.isEmpty(); ++attempt) {
        for (const QString& name : Beside(QStringLiteral("-*")))
            QFile::remove(Folder() + QLatin1Char('/') + name);
        ASSERT_TRUE(WriteFile(m_path, original));
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            m_db.m_pAdo->OpenDatabase(false, m_path);
            RaiseFault(1, 12);
            QFile::remove(m_path);
            RaiseFault(1, 13);
            _exit(0);
        }
        // Complete: the copy has pages and its journal has gone.
        const qint64 deadline = CAdoConnection::MonotonicMs() + 60000;
        QStringList made;
        while (CAdoConnection::MonotonicMs() < deadline) {
            made = Beside(QStringLiteral("-restore-*"));
            if (made.size() == 1 && QFileInfo(Folder() + QLatin1Char('/') + made[0]).size() > 0)
                break;
            made.clear();
            usleep(100);
        }
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        if (!made.isEmpty() && !QFileInfo::exists(m_path) && Beside(QStringLiteral("-restore-*")) == made)
            copies = made;
    }
    if (copies.isEmpty())
        GTEST_SKIP() << "no kill landed between the finished copy and its move to the path";

    EXPECT_FALSE(m_db.m_pAdo->OpenDatabase(false, m_path));
    const QString texts = m_boxes.texts().join('\n');
    EXPECT_TRUE(texts.contains(copies[0]) && texts.contains(QStringLiteral("完整的副本"))) << texts.toStdString();
    ExpectBoxes(2);
    // The copy is kept, holds every row, and is told once only.
    EXPECT_EQ(Beside(QStringLiteral("-restore-*")), copies);
    EXPECT_FALSE(m_db.m_pAdo->OpenDatabase(false, m_path));
    ExpectBoxes(1);
    ASSERT_TRUE(QFile::rename(Folder() + QLatin1Char('/') + copies[0], m_path));
    OpenDb();
    EXPECT_EQ(Faults(), QStringList({"11", "12"}));
}
