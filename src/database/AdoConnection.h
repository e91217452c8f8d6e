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
#include "database/DbFileGuard.h"

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
    // Opens the station's file again after a close (the compaction's): held
    // alone if asked and no other program has it, else shared. One that does
    // not open is tried again before each statement and every few seconds,
    // told once; callers keep their rows meanwhile. True when open now.
    bool Reopen(bool bExclusive);
    // The try of a reopen that is due (bNow: whatever the pause, waiting for
    // another program's lock as any open does). True when the connection is open.
    bool TryReopen(bool bNow = false);
    bool ReopenPending() const { return m_bReopenPending; }
    bool IsExclusive() const { return m_bExclusive; }
    // The file that holds the station's data this run: m_strDBPath, or the
    // copy it was saved as after another file was put at that path.
    QString DataFile() const { return m_strDataFile.isEmpty() ? m_strDBPath : m_strDataFile; }
    // Every close first looks whether the file is still in place, unless the
    // caller has just done so. It ends the tries of a reopen.
    void CloseConnection(bool bLookAtFile = true);
    bool IsOpen() const { return m_pConnection != nullptr; }
    bool InTransaction() const;

    // Runs a query; the whole result is fetched at once. Returns the record set
    // (also kept in m_pRecordset), or null when the query was refused.
    std::shared_ptr<CAdoRecordset> GetRecordSet(const QString& sql, const QVariantList& params = {});
    // Runs one statement that returns no rows; texts go in as '?' parameters.
    bool ExecuteSql(const QString& sql, const QVariantList& params = {});
    // Closes the connection and compacts the file at strPath in place, holding
    // it alone throughout; returns "<size>MB" with two decimals, or an empty
    // text (the file untouched, the reason in LastReason) when it could not.
    QString CompactDatabase(const QString& strPath);
    // Set by the last compaction when another file had been put at the path
    // meanwhile: the name the compacted file keeps instead (the data file now).
    const QString& CompactedAside() const { return m_strCompactedAside; }

    // Groups statements so the file is synced once for all of them. A commit
    // after the engine rolled back by itself is not an error. Without bWait a
    // file another program is writing is refused at once instead of waited for.
    bool BeginTrans(bool bWait = true);
    bool CommitTrans();
    void RollbackTrans();
    // Transactions committed on this connection, each statement outside a
    // transaction counting as one: what a caller meant to group shows here.
    int CommitCount() const { return m_nCommits; }

    // The file at m_strDBPath must be the one open: one deleted while the
    // station runs is written back from the open connection; when another file
    // has taken its place, the open database is saved beside it under a name
    // of its own, which holds the station's data from then on. The operator
    // is told which. Runs before every statement, every few seconds while the
    // connection is open, and at every close (bClosing: the box then waits,
    // as nothing would be left to show it).
    void KeepFileInPlace(bool bClosing = false);
    static constexpr int kFileWatchMs = 3000;
    // Why the file must not be closed or compacted now (empty when it may):
    // it is not at its path, or the station records into a saved copy. A
    // compaction then would close the only connection to the data, or
    // compact the wrong file.
    QString FileAwayReason() const;
    // The same, as the compaction's refusal.
    QString CompactionRefusal() const;

    // The time that Now() writes; tests move it across days.
    void SetClock(Clock clock);
    QDateTime CurrentTime() const;

    // Name of the compaction's temporary copy: "121" before the file name's last '.'.
    static QString CompactTempName(const QString& strPath);

    // While quiet, failures are kept (LastError) instead of shown: for callers
    // that run inside a timer handler and report once themselves.
    void SetQuiet(bool bQuiet) { m_bQuiet = bQuiet; }
    bool IsQuiet() const { return m_bQuiet; }
    const QString& LastError() const { return m_strLastError; }
    // Engine result code of the last failure (SQLITE_FULL, SQLITE_IOERR...).
    int LastErrorCode() const { return m_nLastErrorCode; }
    // The steady clock in milliseconds, for the pauses between tries.
    static qint64 MonotonicMs();
    // The last failure for a box: its common reasons in the language in force.
    QString LastReason() const;

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
    // shown: the box's text when it is not the engine's reason itself.
    void Report(const QString& text, int code, const QString& shown = QString());
    bool OpenFile(bool bExclusive, const QString& strFile, bool bWait);
    bool WriteOpenFileBack(QString* pError);
    QString NewCopy(QString* pError) const;
    // The open file is no longer the one at its path.
    bool FileMoved() const;
    // Every close of a connection the guard claimed (the station's or the
    // compaction's): a log that belongs to a file no longer at its path is
    // neither left at nor removed from the path.
    void CloseClaimed(Handle db);
    void DropConnection();
    // What an open found and handled beside the file.
    void Tell(const QStringList& told);

    Handle m_pConnection;
    Clock m_clock;
    bool m_bExclusive = false;
    bool m_bQuiet = false;
    QString m_strLastError;
    int m_nLastErrorCode = 0;
    qint64 m_nNextRestoreTryMs = 0;  // a failed write-back is tried again after a pause
    bool m_bMovedTold = false;       // the operator knows where the moved file is
    QString m_strDataFile;           // see DataFile(); empty until the first open
    bool m_bReopenPending = false;   // closed against the station's will: opened again when it can
    bool m_bReopenExclusive = false;
    qint64 m_nNextReopenMs = 0;      // 0 until a try failed, which the operator is told once
    int m_nCommits = 0;
    CDbFileGuard m_guard;
    QString m_strCompactedAside;
    // Looks at the file while nothing else runs a statement (an idle station);
    // made with the connection, so that it belongs to the thread that uses it.
    std::unique_ptr<QTimer> m_pFileWatch;
};
