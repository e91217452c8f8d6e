#pragma once
// Shared pieces of the database tests: a real SQLCipher file in a temporary
// folder laid out as the station expects, a database object opened on it, and
// a lift store to record from.
#include <QDateTime>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cstdio>
#include <memory>
#include <string>

#include "database/DBServer.h"
#include "database/DbPassword.h"
#include "link/LiftDataStore.h"
#include "link/LiftFrames.h"
#include "platform/MessageBox.h"
#include "support/Files.h"

// Readable failure messages for texts and lists of texts.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

// Creates a new database file at path and runs sql in it. An empty key makes
// a plain, unencrypted file.
bool CreateDatabase(const QString& path, const QString& sql, const QByteArray& key = kDbPassword);


class DbTest : public ::testing::Test {
protected:
    void SetUp() override;
    // No message box is left unchecked: a test that expects some clears them.
    void TearDown() override { ExpectBoxes(0); }
    void ExpectBoxes(int n)
    {
        EXPECT_EQ(m_boxes.count(), n) << m_boxes.texts().join(QLatin1Char('\n')).toStdString();
        m_boxes.clear();
    }
    // The file the test starts from, at m_path; opened when there is one.
    // By default the station's tables from the shipped file's schema script,
    // and a small installation (TestData.sql): settings with 4 groups, 64
    // free lift slots, groups, one operator, UI texts 0..49 and 232, a few
    // fault texts and floor codes.
    virtual bool MakeFile()
    {
        return CreateDatabase(m_path, QString::fromUtf8(FileBytes(QStringLiteral(LIFT_SOURCE_DIR "/res/seed/01-schema.sql"))
                                                        + FileBytes(QStringLiteral(LIFT_SOURCE_DIR "/tests/database/TestData.sql"))));
    }
    // Opens m_db on m_path (shared); fails the test when it cannot.
    void OpenDb();
    void CloseDb() { m_db.m_pAdo->CloseConnection(); }

    // Reads through the station's own connection: the first column of every
    // row, a count, a table's presence.
    QStringList Column(const QString& sql);
    int Count(const QString& table, const QString& where = QString());
    bool TableExists(const QString& name);
    bool Exec(const QString& sql, const QVariantList& params = {}) { return m_db.m_pAdo->ExecuteSql(sql, params); }
    // A table "bulk" of nKilobytes rows of 1000 random bytes each.
    void Grow(int nKilobytes)
    {
        ASSERT_TRUE(Exec(QStringLiteral("CREATE TABLE bulk AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n"
                                        " WHERE i < %1) SELECT i, randomblob(1000) AS b FROM n")
                             .arg(nKilobytes)));
    }

    // A lift set up as the configuration page stores a newly found one.
    void SetUpLift(int nLiftNum, int nMaxFloor, const QString& name = QStringLiteral("Lift"));
    strLiftInf& Lift(int n) { return m_store.m_pLiftInf[n - 1]; }
    strLiftPage& Page(int n) { return m_store.m_pLiftPage[n - 1]; }
    strLiftFault& Fault(int n) { return m_store.m_pLiftFault[n - 1]; }
    // A new fault of lift n as a view hands it to the recorder.
    void RaiseFault(int n, int code)
    {
        TakeFaultCode(Lift(n), code);  // as a reply hands it over
        Fault(n).nFaultCode = code;
        m_db.SaveLiftFault(&Lift(n), &Fault(n));
    }

    void SetTime(const QDate& d, const QTime& t) { m_now = QDateTime(d, t); }

    // Moves the closed-and-reopened database onto a file system of nBytes
    // mounted over its folder, for a full disk; the mount goes with the
    // returned object, however the test ends. Null where none can be made:
    // *pSkip then says why, or the test has failed.
    struct SmallDisk {
        QByteArray dir;
        ~SmallDisk();
    };
    std::unique_ptr<SmallDisk> MoveOntoSmallDisk(const char* size, std::string* pSkip);

    // Another station's file beside the test's: the station's tables, none
    // of its rows. PutOtherAtPath moves it in the place of m_path at once,
    // as another program would.
    QString OtherFile() const { return m_dir.filePath(QStringLiteral("other.mdb")); }
    bool MakeOtherFile()
    {
        return CreateDatabase(OtherFile(), QString::fromUtf8(FileBytes(QStringLiteral(LIFT_SOURCE_DIR "/res/seed/01-schema.sql"))));
    }
    bool PutOtherAtPath() { return std::rename(QFile::encodeName(OtherFile()).constData(), QFile::encodeName(m_path).constData()) == 0; }

    QTemporaryDir m_dir;
    QString m_path;
    QDateTime m_now{QDate(2024, 3, 10), QTime(10, 0, 0)};
    QStringList m_texts;
    MessageBoxRecorder m_boxes;
    CLiftDataStore m_store;
    CDBServer m_db;
};
