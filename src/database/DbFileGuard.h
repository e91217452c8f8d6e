#pragma once
// Keeps the station's database file and its log together, and its own
// unfinished work on the file findable after a stop at any moment.
//
// The engine replays any log found beside a file when it opens it, whichever
// file wrote it. So each open leaves a note beside the file (<file>-owner)
// naming the file and the log and index it opened, by device, inode and
// creation time, and the file's key salt. Before any open, a log the note
// names as the station's whose file is no longer the one at the path is
// moved aside under a name of its own, never read into the other file; a
// log the note does not name belongs to whoever opened the file last and is
// left to the engine. While the station runs, the moment its file is found
// gone or replaced its log and index leave the path at once, and the close
// leaves the names at the path alone. The note also names a compaction or a
// write-back under way, so that the next start can remove what a stop left
// unfinished and name a complete copy nobody was told of.
#include <QString>
#include <QStringList>
#include <optional>

struct sqlite3;

class CDbFileGuard {
public:
    // What makes a file this one file and no other copy of it.
    struct Identity {
        quint64 dev = 0;
        quint64 ino = 0;
        qint64 btimeNs = 0;  // 0 where the file system keeps no creation time
        QByteArray salt;     // the key salt at the head of the file (empty for log and index)
        bool operator==(const Identity&) const = default;
    };
    enum class Work { None, Compaction, WriteBack };

    CDbFileGuard() = default;
    ~CDbFileGuard();
    CDbFileGuard(const CDbFileGuard&) = delete;
    CDbFileGuard& operator=(const CDbFileGuard&) = delete;

    static QString LogOf(const QString& file) { return file + QLatin1String("-wal"); }
    static QString IndexOf(const QString& file) { return file + QLatin1String("-shm"); }
    static QString NoteOf(const QString& file) { return file + QLatin1String("-owner"); }
    static std::optional<Identity> IdentityOf(const QString& path, bool bWithSalt);

    // Before file is opened: handles what an earlier run of the station left
    // beside it. pTold gets what the operator is to be told, in language kind
    // nLanguageKind. False (with the reason) when a log that is not the file's
    // cannot be moved aside: the file must not be opened with it.
    bool PrepareOpen(const QString& file, int nLanguageKind, QStringList* pTold, QString* pError);
    // After file was opened (as db) with its log and index: notes them as
    // the station's. The salt is read through db, which has the file open.
    void Claim(const QString& file, sqlite3* db);
    // A compaction or write-back of file starts (with the name of the file it
    // makes) or has ended (Work::None).
    void NoteWork(const QString& file, Work work, const QString& made = QString());
    // The claimed file is no longer at its path: its log and index leave the
    // path now, while the connection still uses them. True when none of them
    // is left at the path.
    bool DetachLog();
    // The connection is closed: the detached log goes (what it held went with
    // the connection or into a written-back copy), and a file closed cleanly
    // needs no note any more.
    void Released();
    // The file's log, if any, is the file's own from here on (a compaction
    // left it emptied under the new file): its note goes.
    static void Forget(const QString& file);
    // Where the claimed file is now when it was moved to another folder
    // (empty when it is at its path or was deleted).
    QString Whereabouts() const;
    const QString& ClaimedFile() const { return m_strFile; }

    // A name of its own beside base for a file the station makes now:
    // base + infix + stamp, with -2, -3... when taken. The file is created
    // empty, so no other run can take the name meanwhile.
    static QString NewName(const QString& base, const QString& infix, const QString& stamp, int* pErrno);

private:
    struct Note {
        Identity db, log, index;
        Work work = Work::None;
        QString made;
    };
    static std::optional<Note> ReadNote(const QString& file);
    static bool WriteNote(const QString& file, const Note& note);
    void ClosePathFd();

    QString m_strFile;  // the file claimed last
    Note m_note;
    int m_nPathFd = -1;  // follows the claimed file wherever it is moved; holds no lock
    QStringList m_detached;  // log and index moved aside this run, removed after the close
};
