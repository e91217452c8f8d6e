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

class QTimer;
struct sqlite3;

class CAdoConnection {
public:
    using Clock = std::function<QDateTime()>;

    CAdoConnection();
    ~CAdoConnection();
    CAdoConnection(const CAdoConnection&) = delete;
    CAdoConnection& operator=(const CAdoConnection&) = delete;

    // Drops any connection left from before, so that the next open starts clean.
    // Like every close, it first looks whether the file is still in place.
    void InitConnection();
    // Opens the existing file at strPath with the program's password: shared,
    // or held exclusively by this process. Never creates a file, never writes
    // one it refuses, and leaves no log or index file behind a refused open.
    bool OpenDatabase(bool bExclusive, const QString& strPath);
    // Every close first looks whether the file is still in place, unless the
    // caller has just done so.
    void CloseConnection(bool bLookAtFile = true);
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
    // after the engine rolled back by itself is not an error. Without bWait a
    // file another program is writing is refused at once instead of waited for.
    bool BeginTrans(bool bWait = true);
    bool CommitTrans();
    void RollbackTrans();
    // Transactions committed on this connection, each statement outside a
    // transaction counting as one: what a caller meant to group shows here.
    int CommitCount() const { return m_nCommits; }

    // The file at m_strDBPath must be the one open: one deleted or replaced
    // while the station runs is written back from the open connection and the
    // operator told. Runs before every statement, every few seconds while the
    // connection is open, and at every close (bClosing: the box then waits,
    // as nothing would be left to show it).
    void KeepFileInPlace(bool bClosing = false);
    static constexpr int kFileWatchMs = 3000;

    // The time that Now() writes; tests move it across days.
    void SetClock(Clock clock);
    QDateTime CurrentTime() const;

    // Name of the compaction's temporary copy: "121" before the file name's last '.'.
    static QString CompactTempName(const QString& strPath);

    // While quiet, failures are kept (LastError) instead of shown: for callers
    // that run inside a timer handler and report once themselves.
    void SetQuiet(bool bQuiet) { m_bQuiet = bQuiet; }
    const QString& LastError() const { return m_strLastError; }
    // Engine result code of the last failure (SQLITE_FULL, SQLITE_IOERR...).
    int LastErrorCode() const { return m_nLastErrorCode; }

    // Tables a file must hold to be taken for the station's database; a file
    // without them is refused as damaged before anything is written to it.
    QStringList m_strRequiredTables;

    std::shared_ptr<CAdoRecordset> m_pRecordset;  // record set of the last query
    QString m_strDBPath;                          // path of the last open
    const QStringList* m_pLanText = nullptr;      // UI texts for the messages; not owned
    int m_nLanguageKind = 1;                      // language of its own fixed messages

private:
    struct Closer {
        void operator()(sqlite3* db) const;
    };
    using Handle = std::unique_ptr<sqlite3, Closer>;

    static Handle OpenKeyed(const QString& path, QString* pError);
    bool RegisterJetFunctions(sqlite3* db, QString* pError);
    bool CheckOpenedFile(sqlite3* db, bool bExclusive, bool bFullCheck, QString* pError);
    bool HasRequiredTables(sqlite3* db) const;
    QString LanText(int n, const QString& fallback = QString()) const;
    void ReportNotOpen();
    void Report(const QString& text, int code);
    bool WriteOpenFileBack(QString* pError);

    Handle m_pConnection;
    Clock m_clock;
    bool m_bExclusive = false;
    bool m_bQuiet = false;
    QString m_strLastError;
    int m_nLastErrorCode = 0;
    qint64 m_nNextRestoreTryMs = 0;  // a failed write-back is tried again after a pause
    int m_nCommits = 0;
    // Looks at the file while nothing else runs a statement (an idle station);
    // made with the connection, so that it belongs to the thread that uses it.
    std::unique_ptr<QTimer> m_pFileWatch;
};
