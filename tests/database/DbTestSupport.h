#pragma once
// Shared pieces of the database tests: a real SQLCipher file in a temporary
// folder laid out as the station expects, and a database object opened on it.
#include <QDateTime>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "database/DBServer.h"
#include "database/DbPassword.h"
#include "platform/MessageBox.h"

// Creates a new database file at path and runs sql in it. An empty key makes
// a plain, unencrypted file.
bool CreateDatabase(const QString& path, const QString& sql, const QByteArray& key);

// The station's tables, empty (as the schema of the shipped file gives them).
QString TestSchemaSql();
// A small installation: settings with 4 groups, 64 free lift slots, groups,
// one operator, UI texts 0..49 plus 232, a few fault texts and floor codes.
QString TestDataSql();

class DbTest : public ::testing::Test {
protected:
    void SetUp() override;
    // Opens m_db on m_path (shared); fails the test when it cannot.
    void OpenDb();
    void CloseDb() { m_db.m_pAdo->CloseConnection(); }

    // Reads through the station's own connection.
    int Count(const QString& table, const QString& where = QString());
    bool TableExists(const QString& name);
    QStringList Column(const QString& sql, const QString& column);
    bool Exec(const QString& sql) { return m_db.m_pAdo->ExecuteSql(sql); }

    // A lift set up as the configuration page stores a newly found one.
    void SetUpLift(int nLiftNum, int nMaxFloor, const QString& name = QStringLiteral("Lift"));

    void SetTime(const QDate& d, const QTime& t) { m_now = QDateTime(d, t); }

    QTemporaryDir m_dir;
    QString m_path;
    QDateTime m_now{QDate(2024, 3, 10), QTime(10, 0, 0)};
    QStringList m_texts;
    MessageBoxRecorder m_boxes;
    CDBServer m_db;
};
