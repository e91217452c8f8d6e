#include "database/DbFileGuard.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <sqlite3.h>

#include "database/EngineCalls.h"
#include "platform/FixedText.h"

namespace {

constexpr int kSaltBytes = 16;
constexpr qint64 kLogHeaderBytes = 32;

const char* WorkWord(CDbFileGuard::Work work)
{
    switch (work) {
    case CDbFileGuard::Work::Compaction: return "compaction";
    case CDbFileGuard::Work::WriteBack: return "writeback";
    default: return "none";
    }
}

QByteArray IdentityLine(const char* what, const CDbFileGuard::Identity& id)
{
    return QByteArray(what) + ' ' + QByteArray::number(id.dev) + ' ' + QByteArray::number(id.ino) + ' '
           + QByteArray::number(id.btimeNs) + ' ' + (id.salt.isEmpty() ? QByteArray("-") : id.salt.toHex()) + '\n';
}

bool ParseIdentity(const QList<QByteArray>& f, CDbFileGuard::Identity* pId)
{
    if (f.size() != 5)
        return false;
    bool ok1 = false, ok2 = false, ok3 = false;
    pId->dev = f[1].toULongLong(&ok1);
    pId->ino = f[2].toULongLong(&ok2);
    pId->btimeNs = f[3].toLongLong(&ok3);
    pId->salt = f[4] == "-" ? QByteArray() : QByteArray::fromHex(f[4]);
    return ok1 && ok2 && ok3;
}

bool SameFile(const std::optional<CDbFileGuard::Identity>& a, const CDbFileGuard::Identity& b)
{
    return a && b.ino != 0 && a->dev == b.dev && a->ino == b.ino && a->btimeNs == b.btimeNs;
}

// Read through the engine: closing a descriptor of our own on the file
// would drop every lock this process holds on it, the engine's among them;
// the engine keeps such a descriptor open while its locks need it.
QByteArray SaltThrough(sqlite3* db)
{
    QByteArray salt;
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) == SQLITE_OK && file && file->pMethods) {
        salt.resize(kSaltBytes);
        if (file->pMethods->xRead(file, salt.data(), kSaltBytes, 0) != SQLITE_OK)
            salt.clear();
    }
    return salt;
}

QByteArray SaltOf(const QString& path)
{
    sqlite3* db = nullptr;
    QByteArray salt;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK)
        salt = SaltThrough(db);
    sqlite3_close(db);
    return salt;
}

QString Stamp() { return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")); }

// Moves file's log to a name of its own beside file; the name, or empty with
// *pErrno set when it could not be moved.
QString MoveLogAside(const QString& file, int* pErrno)
{
    const QString aside = CDbFileGuard::NewName(file, QStringLiteral("-stale-log-"), Stamp(), pErrno);
    if (aside.isEmpty())
        return aside;
    if (::rename(QFile::encodeName(CDbFileGuard::LogOf(file)).constData(), QFile::encodeName(aside).constData()) != 0) {
        *pErrno = errno;
        QFile::remove(aside);
        return QString();
    }
    return aside;
}

QString Native(const QString& path) { return QDir::toNativeSeparators(path); }

} // namespace

CDbFileGuard::~CDbFileGuard() { ClosePathFd(); }

void CDbFileGuard::ClosePathFd()
{
    if (m_nPathFd >= 0)
        ::close(m_nPathFd);
    m_nPathFd = -1;
}

std::optional<CDbFileGuard::Identity> CDbFileGuard::IdentityOf(const QString& path, bool bWithSalt)
{
    struct statx stx {};
    const QByteArray name = QFile::encodeName(path);
    if (::statx(AT_FDCWD, name.constData(), 0, STATX_BASIC_STATS | STATX_BTIME, &stx) != 0 || !S_ISREG(stx.stx_mode))
        return std::nullopt;
    Identity id;
    id.dev = makedev(stx.stx_dev_major, stx.stx_dev_minor);
    id.ino = stx.stx_ino;
    if (stx.stx_mask & STATX_BTIME)
        id.btimeNs = qint64(stx.stx_btime.tv_sec) * 1000000000 + stx.stx_btime.tv_nsec;
    if (bWithSalt)
        id.salt = SaltOf(path);
    return id;
}

std::optional<CDbFileGuard::Note> CDbFileGuard::ReadNote(const QString& file)
{
    QFile f(NoteOf(file));
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    Note note;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.value(0) == "db")
            ParseIdentity(fields, &note.db);
        else if (fields.value(0) == "log")
            ParseIdentity(fields, &note.log);
        else if (fields.value(0) == "index")
            ParseIdentity(fields, &note.index);
        else if (fields.value(0) == "work" && fields.size() >= 3) {
            note.work = fields[1] == "compaction" ? Work::Compaction : fields[1] == "writeback" ? Work::WriteBack : Work::None;
            note.made = QString::fromUtf8(line.mid(fields[0].size() + fields[1].size() + 2));
        }
    }
    return note;
}

bool CDbFileGuard::WriteNote(const QString& file, const Note& note)
{
    const QString path = NoteOf(file);
    if (note.db.ino == 0 && note.work == Work::None)
        return QFile::remove(path) || !QFileInfo::exists(path);
    QByteArray text = IdentityLine("db", note.db) + IdentityLine("log", note.log) + IdentityLine("index", note.index);
    if (note.work != Work::None)
        text += QByteArray("work ") + WorkWord(note.work) + ' ' + note.made.toUtf8() + '\n';
    // Written whole under another name first: a stop leaves the old note or the new one.
    const QString temp = path + QLatin1String(".new");
    const int fd = ::open(QFile::encodeName(temp).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, text.constData(), size_t(text.size())) == text.size() && ::fsync(fd) == 0;
    ::close(fd);
    if (!ok || ::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) != 0) {
        QFile::remove(temp);
        return false;
    }
    SyncPath(QFileInfo(path).absolutePath(), true);
    return true;
}

QString CDbFileGuard::NewName(const QString& base, const QString& infix, const QString& stamp, int* pErrno)
{
    const QString stem = base + infix + stamp;
    for (int n = 1; n < 1000; ++n) {
        const QString name = n == 1 ? stem : stem + QLatin1Char('-') + QString::number(n);
        if (QFileInfo::exists(name + QLatin1String("-journal")))
            continue;
        const int fd = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return name;
        }
        if (errno != EEXIST) {
            *pErrno = errno;
            return QString();
        }
    }
    *pErrno = EEXIST;
    return QString();
}

bool CDbFileGuard::PrepareOpen(const QString& file, int nLanguageKind, QStringList* pTold, QString* pError)
{
    std::optional<Note> note = ReadNote(file);
    if (!note)
        return true;
    bool bRewrite = false;
    // What a stopped run left unfinished and is removed here, told in one box.
    QStringList removed;
    const auto tellRemoved = [&] {
        if (removed.isEmpty())
            return;
        pTold->prepend(FixedText{QStringLiteral("已删除上次运行被中断时留下的未完成文件 %1。"),
                                 QStringLiteral("The unfinished file %1, left when the last run was stopped, has been removed."),
                                 QStringLiteral("已刪除上次執行被中斷時留下的未完成檔案 %1。")}
                           .In(nLanguageKind)
                           .arg(removed.join(nLanguageKind == 2 ? QStringLiteral(", ") : QStringLiteral("、"))));
    };

    // Work a stop cut short. The compaction's copy is never the station's
    // data until it has replaced the file; a write-back's copy is unfinished
    // while its journal is beside it.
    if (note->work != Work::None && !note->made.isEmpty() && QFileInfo::exists(note->made)) {
        const QString made = note->made;
        const bool bUnfinished = note->work == Work::Compaction || QFileInfo::exists(made + QLatin1String("-journal"))
                                 || QFileInfo(made).size() == 0;
        if (bUnfinished) {
            for (const char* tail : {"", "-journal", "-wal", "-shm"})
                QFile::remove(made + QLatin1String(tail));
            removed.append(Native(made));
        } else {
            pTold->append(FixedText{QStringLiteral("上次运行在保存数据库时被中断：完整的副本 %1 保存着本站上次运行的所有数据，"
                                                   "%2 处的文件可能缺少其中的记录。如需继续使用这些数据，请在退出后用 %1 替换 %2。"),
                                    QStringLiteral("The last run was stopped while it saved the database: the complete copy %1 "
                                                   "holds every row of the station's last run, which the file at %2 may lack. "
                                                   "To go on with that data, put %1 in the place of %2 after the station has ended."),
                                    QStringLiteral("上次執行在儲存資料庫時被中斷：完整的副本 %1 儲存著本站上次執行的所有資料，"
                                                   "%2 處的檔案可能缺少其中的記錄。如需繼續使用這些資料，請在結束後用 %1 替換 %2。")}
                              .In(nLanguageKind)
                              .arg(Native(made), Native(file)));
        }
        note->work = Work::None;
        note->made.clear();
        bRewrite = true;
    }

    const QString log = LogOf(file);
    const bool bLogOurs = SameFile(IdentityOf(log, false), note->log);
    // Only a log of the station's asks whether the file is still its own:
    // reading the salt opens the file.
    const bool bSameFile = bLogOurs && [&] {
        const std::optional<Identity> now = IdentityOf(file, true);
        return SameFile(now, note->db) && now->salt == note->db.salt;
    }();
    if (bLogOurs && !bSameFile && QFileInfo(log).size() <= kLogHeaderBytes) {
        // Not a page in it: nothing to keep, nothing that could be read in.
        QFile::remove(log);
        if (SameFile(IdentityOf(IndexOf(file), false), note->index))
            QFile::remove(IndexOf(file));
        note->db = note->log = note->index = Identity{};
        bRewrite = true;
    } else if (bLogOurs && !bSameFile) {
        int err = 0;
        const QString aside = MoveLogAside(file, &err);
        if (aside.isEmpty()) {
            *pError = FixedText{QStringLiteral("旁边的日志 %1 属于一个已不在该处的数据库文件，不能读入此文件，但无法移开（%2）"),
                                QStringLiteral("the log %1 beside it belongs to a database file no longer there and must not "
                                               "be read into this one, but it cannot be moved aside (%2)"),
                                QStringLiteral("旁邊的日誌 %1 屬於一個已不在該處的資料庫檔案，不能讀入此檔案，但無法移開（%2）")}
                          .In(nLanguageKind)
                          .arg(Native(log), QString::fromLocal8Bit(strerror(err)));
            tellRemoved();
            return false;
        }
        SyncPath(QFileInfo(file).absolutePath(), true);
        // The index only mirrors the log: it is made again from the file.
        if (SameFile(IdentityOf(IndexOf(file), false), note->index))
            QFile::remove(IndexOf(file));
        pTold->append(FixedText{QStringLiteral("%1 旁的日志属于本站先前打开、现已不在该处的数据库文件，没有读入 %1，已移到 %2。"),
                                QStringLiteral("The log beside %1 belonged to a database file the station opened earlier that is "
                                               "no longer there; it was not read into %1 and has been moved to %2."),
                                QStringLiteral("%1 旁的日誌屬於本站先前開啟、現已不在該處的資料庫檔案，沒有讀入 %1，已移到 %2。")}
                          .In(nLanguageKind)
                          .arg(Native(file), Native(aside)));
        note->db = note->log = note->index = Identity{};
        bRewrite = true;
    } else if (!bLogOurs) {
        // No log of the station's at the path: the note has nothing to guard
        // but a log a killed run had taken off the path, which only its
        // connection could have used.
        if (note->log.ino != 0) {
            const QFileInfo info(file);
            const QStringList names = QDir(info.path()).entryList({info.fileName() + QLatin1String("-stale-log-*")}, QDir::Files);
            for (const QString& name : names) {
                const QString path = info.path() + QLatin1Char('/') + name;
                if (SameFile(IdentityOf(path, false), note->log) && QFile::remove(path))
                    removed.append(Native(path));
            }
        }
        note->db = note->log = note->index = Identity{};
        bRewrite = true;
    }
    if (bRewrite)
        WriteNote(file, *note);
    tellRemoved();
    return true;
}

void CDbFileGuard::Claim(const QString& file, sqlite3* db)
{
    ClosePathFd();
    m_detached.clear();
    m_strFile = file;
    m_note = Note{};
    if (auto id = IdentityOf(file, false)) {
        m_note.db = *id;
        m_note.db.salt = SaltThrough(db);
    }
    if (auto id = IdentityOf(LogOf(file), false))
        m_note.log = *id;
    if (auto id = IdentityOf(IndexOf(file), false))
        m_note.index = *id;
    // A path descriptor takes part in no lock: closing it never drops the
    // engine's locks on the file.
    m_nPathFd = ::open(QFile::encodeName(file).constData(), O_PATH | O_CLOEXEC);
    WriteNote(file, m_note);
}

void CDbFileGuard::NoteWork(const QString& file, Work work, const QString& made)
{
    const bool bClaimed = !m_strFile.isEmpty() && file == m_strFile;
    Note note = bClaimed ? m_note : ReadNote(file).value_or(Note{});
    note.work = work;
    note.made = made;
    WriteNote(file, note);
    if (bClaimed)
        m_note = note;
}

bool CDbFileGuard::DetachLog()
{
    if (m_strFile.isEmpty())
        return true;
    bool bClear = true;
    if (SameFile(IdentityOf(LogOf(m_strFile), false), m_note.log)) {
        int err = 0;
        if (const QString aside = MoveLogAside(m_strFile, &err); !aside.isEmpty())
            m_detached << aside;
        else
            bClear = false;
    }
    const QString index = IndexOf(m_strFile);
    if (SameFile(IdentityOf(index, false), m_note.index) && !QFile::remove(index))
        bClear = false;
    return bClear;
}

void CDbFileGuard::Released()
{
    ClosePathFd();
    for (const QString& name : std::as_const(m_detached))
        QFile::remove(name);
    m_detached.clear();
    if (m_strFile.isEmpty())
        return;
    // A log of the station's still at the path keeps its note for the next start.
    if (!SameFile(IdentityOf(LogOf(m_strFile), false), m_note.log)) {
        m_note.db = m_note.log = m_note.index = Identity{};
        WriteNote(m_strFile, m_note);
    }
    m_strFile.clear();
}

void CDbFileGuard::Forget(const QString& file)
{
    QFile::remove(NoteOf(file));
}

QString CDbFileGuard::Whereabouts() const
{
    if (m_nPathFd < 0)
        return QString();
    struct stat st {};
    if (::fstat(m_nPathFd, &st) != 0 || st.st_nlink == 0)
        return QString();
    char buf[4096];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(m_nPathFd);
    const ssize_t n = ::readlink(link.constData(), buf, sizeof buf - 1);
    if (n <= 0)
        return QString();
    const QString where = QFile::decodeName(QByteArray(buf, int(n)));
    if (where.endsWith(QLatin1String(" (deleted)")) || where == QFileInfo(m_strFile).absoluteFilePath())
        return QString();
    return where;
}
