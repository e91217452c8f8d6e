#pragma once
// The one gateway to the station's database file: one SQLCipher connection,
// queries into materialised record sets, statements with bound parameters,
// and compaction through a temporary copy. Failures are shown in a message
// box and reported as FALSE or no record set; nothing is thrown at callers.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

#include "database/AdoRecordset.h"

struct sqlite3;

class CAdoConnection {
public:
    using Clock = std::function<QDateTime()>;

    CAdoConnection();
    ~CAdoConnection();
    CAdoConnection(const CAdoConnection&) = delete;
    CAdoConnection& operator=(const CAdoConnection&) = delete;

    // Drops any connection left from before, so that the next open starts clean.
    void InitConnection();
    // Opens the existing file at strPath with the program's password: shared,
    // or held exclusively by this process. Never creates a file.
    bool OpenDatabase(bool bExclusive, const QString& strPath);
    void CloseConnection();
    bool IsOpen() const { return m_pConnection != nullptr; }
    bool InTransaction() const;

    // Runs a query; the whole result is fetched at once. Returns the record set
    // (also kept in m_pRecordset), or null when the query was refused.
    std::shared_ptr<CAdoRecordset> GetRecordSet(const QString& sql, const QVariantList& params = {});
    // Runs one statement that returns no rows; texts go in as '?' parameters.
    bool ExecuteSql(const QString& sql, const QVariantList& params = {});
    // Compacts the (closed) file at strPath in place; returns "<size>MB" with
    // two decimals, or an empty text when the compaction failed.
    QString CompactDatabase(const QString& strPath);

    // Groups statements so the file is synced once for all of them. A commit
    // after the engine rolled back by itself is not an error.
    bool BeginTrans();
    bool CommitTrans();
    void RollbackTrans();

    // The time that Now() writes; tests move it across days.
    void SetClock(Clock clock);
    QDateTime CurrentTime() const;

    // Name of the compaction's temporary copy: "121" before the file name's last '.'.
    static QString CompactTempName(const QString& strPath);

    std::shared_ptr<CAdoRecordset> m_pRecordset;  // record set of the last query
    QString m_strDBPath;                          // path of the last open
    const QStringList* m_pLanText = nullptr;      // UI texts for the messages; not owned

private:
    struct Closer {
        void operator()(sqlite3* db) const;
    };
    using Handle = std::unique_ptr<sqlite3, Closer>;

    static Handle OpenKeyed(const QString& path, QString* pError);
    bool RegisterJetFunctions(sqlite3* db, QString* pError);
    bool CheckOpenedFile(sqlite3* db, bool bExclusive, bool bFullCheck, QString* pError);
    QString LanText(int n, const QString& fallback = QString()) const;
    void ReportNotOpen() const;

    Handle m_pConnection;
    Clock m_clock;
};
