// The connection's side of the file guard: a file removed or replaced while
// the station runs, written back or saved aside; the reopening after a close
// it did not choose; what may not run while the file is away.
#include "database/AdoConnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <utility>
#include <fcntl.h>

#include <sqlite3.h>

#include "database/EngineCalls.h"
#include "database/EngineReason.h"
#include "platform/BusyCursor.h"
#include "platform/FixedText.h"
#include "platform/MessageBox.h"

void CAdoConnection::Tell(const QStringList& told)
{
    for (const QString& text : told) {
        if (m_bQuiet)
            AfxMessageBoxModeless(text);
        else
            AfxMessageBox(text);
    }
}

bool CAdoConnection::Reopen(bool bExclusive)
{
    m_bReopenPending = true;
    m_bReopenExclusive = bExclusive;
    m_nNextReopenMs = 0;
    return TryReopen(true);
}

bool CAdoConnection::TryReopen(bool bNow)
{
    if (IsOpen() || !m_bReopenPending)
        return IsOpen();
    const qint64 now = MonotonicMs();
    if (!bNow && now < m_nNextReopenMs)
        return false;
    const bool quiet = std::exchange(m_bQuiet, true);
    const bool ok = OpenFile(m_bReopenExclusive, DataFile(), bNow) || (m_bReopenExclusive && OpenFile(false, DataFile(), bNow));
    m_bQuiet = quiet;
    if (ok) {
        m_bReopenPending = false;
        return true;
    }
    // Each try reads the key again: not more often than the file is looked at.
    // Told at the first failed try only.
    const bool told = m_nNextReopenMs != 0;
    m_nNextReopenMs = now + kFileWatchMs;
    if (!told)
        AfxMessageBoxModeless(FixedText{QStringLiteral("数据库文件 %1 暂时无法打开：%2\n故障和呼梯记录已保留，文件可以打开后立即写入；本站会一直重试。"),
                                        QStringLiteral("The database file %1 cannot be opened yet: %2\nFaults and calls are kept "
                                                       "and written as soon as it opens; the station keeps trying."),
                                        QStringLiteral("資料庫檔案 %1 暫時無法開啟：%2\n故障和呼梯記錄已保留，檔案可以開啟後立即寫入；本站會一直重試。")}
                                  .In(m_nLanguageKind)
                                  .arg(QDir::toNativeSeparators(DataFile()), LastReason()));
    return false;
}

QString CAdoConnection::NewCopy(QString* pError) const
{
    // A name of its own for each copy, made here and now: a copy saved
    // earlier (this run or another) is never removed or written over.
    int err = 0;
    const QString name = CDbFileGuard::NewName(m_strDBPath, QStringLiteral("-restore-"),
                                               CurrentTime().toString(QStringLiteral("yyyyMMdd-HHmmss")), &err);
    if (name.isEmpty())
        *pError = SystemReason(err, QString::fromLocal8Bit(std::strerror(err)), m_nLanguageKind);
    return name;
}

bool CAdoConnection::FileMoved() const
{
    return IsOpen() && HasMoved(m_pConnection.get());
}

void CAdoConnection::CloseClaimed(Handle db)
{
    if (HasMoved(db.get())) {
        // The engine would remove the log and index by their names at the
        // close, whoever's they are by then; its own are taken off the path.
        m_guard.DetachLog();
        int persist = 1;
        sqlite3_file_control(db.get(), "main", SQLITE_FCNTL_PERSIST_WAL, &persist);
    }
    db.reset();
    m_guard.Released();
}

void CAdoConnection::DropConnection()
{
    m_pRecordset.reset();
    if (m_pConnection)
        CloseClaimed(std::move(m_pConnection));
}

QString CAdoConnection::FileAwayReason() const
{
    const QString path = QDir::toNativeSeparators(m_strDBPath);
    if (DataFile() != m_strDBPath)
        return FixedText{QStringLiteral("本站正在记录到另存的副本 %2（%1 处已放入另一个文件）。请在退出后用 %2 替换 %1。"),
                         QStringLiteral("The station records into the saved copy %2 (another file was put at %1). Put "
                                        "%2 in the place of %1 after the station has ended."),
                         QStringLiteral("本站正在記錄到另存的副本 %2（%1 處已放入另一個檔案）。請在結束後用 %2 替換 %1。")}
            .In(m_nLanguageKind)
            .arg(path, QDir::toNativeSeparators(DataFile()));
    if (FileMoved())
        return FixedText{QStringLiteral("数据库文件 %1 已不在原处（被删除、移走或替换），本站的数据只在打开的连接中；"
                                        "本站会继续尝试把它写回。"),
                         QStringLiteral("The database file %1 is no longer in its place (removed, moved or replaced): the "
                                        "station's data is only in its open connection; the station keeps trying to "
                                        "write it back."),
                         QStringLiteral("資料庫檔案 %1 已不在原處（被刪除、移走或替換），本站的資料只在開啟的連線中；"
                                        "本站會繼續嘗試把它寫回。")}
            .In(m_nLanguageKind)
            .arg(path);
    return QString();
}

QString CAdoConnection::CompactionRefusal() const
{
    const QString why = FileAwayReason();
    if (why.isEmpty())
        return why;
    return FixedText{QStringLiteral("不能压缩：%1"), QStringLiteral("Nothing is compacted: %1"), QStringLiteral("不能壓縮：%1")}
        .In(m_nLanguageKind)
        .arg(why);
}

bool CAdoConnection::WriteOpenFileBack(QString* pError)
{
    // Written back where the station records: the path, or the saved copy
    // it records into since another file took the path.
    const QString path = DataFile();
    const QString copy = NewCopy(pError);
    if (copy.isEmpty())
        return false;
    // A stop before the copy is complete leaves it with its journal: the
    // next start removes it, or names a complete one.
    m_guard.NoteWork(path, CDbFileGuard::Work::WriteBack, copy);
    bool ok = false;
    {
        // The online backup reads the open database as the connection sees
        // it, log included, into the new file keyed with the same password.
        // It runs on the connection's own thread and holds the window while
        // it lasts (some 4 s for a year's file): the connection has no lock
        // around its calls for another thread, and a second connection cannot
        // see the removed file's log, whose name went with it. Copying aside
        // would mean holding back every statement meanwhile, the pages' own
        // changes too, where a lost one would not even be counted.
        QString error;
        Handle dest = OpenKeyed(copy, &error);
        if (!dest) {
            *pError = error;
        } else if (sqlite3_backup* backup = sqlite3_backup_init(dest.get(), "main", m_pConnection.get(), "main"); !backup) {
            *pError = EngineReason(sqlite3_errcode(dest.get()), ErrText(dest.get()), m_nLanguageKind);
        } else {
            const int rc = sqlite3_backup_step(backup, -1);
            sqlite3_backup_finish(backup);
            ok = rc == SQLITE_DONE;
            if (!ok)
                *pError = EngineReason(rc, QString::fromUtf8(sqlite3_errstr(rc)), m_nLanguageKind);
        }
    }
    if (!ok) {
        // Only this attempt's own, unfinished copy goes.
        QFile::remove(copy);
        QFile::remove(copy + QLatin1String("-journal"));
        m_guard.NoteWork(path, CDbFileGuard::Work::None);
        return false;
    }
    SyncPath(copy, false);
    // The old connection's log belongs to the removed file: it never stays
    // at the path, where it would be read into the copy.
    DropConnection();
    // Never over a file someone else has put at the path meanwhile: the copy
    // then keeps its own name and holds the station's data from here on.
    const bool bInPlace = ::renameat2(AT_FDCWD, QFile::encodeName(copy).constData(), AT_FDCWD,
                                      QFile::encodeName(path).constData(), RENAME_NOREPLACE)
                          == 0;
    SyncPath(QFileInfo(path).absolutePath(), true);
    m_guard.NoteWork(path, CDbFileGuard::Work::None);
    m_strDataFile = bInPlace ? path : copy;
    // The data is safe in its file; one that does not open at once is opened later.
    Reopen(m_bExclusive);
    return true;
}

void CAdoConnection::KeepFileInPlace(bool bClosing)
{
    if (!IsOpen() || !sqlite3_get_autocommit(m_pConnection.get()) || !FileMoved())
        return;
    // Whatever follows, the log leaves the path now: another program
    // opening the file put there must not read it.
    m_guard.DetachLog();
    const qint64 now = MonotonicMs();
    if (!bClosing && now < m_nNextRestoreTryMs)
        return;
    const QString before = DataFile();
    const QString where = m_guard.Whereabouts();
    QString error;
    bool saved;
    {
        const CBusyCursor busy;
        saved = WriteOpenFileBack(&error);
    }
    const QString name = QDir::toNativeSeparators(before);
    QString message;
    if (saved && DataFile() == before) {
        m_nNextRestoreTryMs = 0;
        message = FixedText{QStringLiteral("数据库文件 %1 在运行中被删除，已从打开的数据库写回，所有已记录的数据均保留。"),
                            QStringLiteral("The database file %1 was removed while the station was running. "
                                           "It has been written back from the open database with every recorded row."),
                            QStringLiteral("資料庫檔案 %1 在執行中被刪除，已從開啟的資料庫寫回，所有已記錄的資料均保留。")}
                      .In(m_nLanguageKind)
                      .arg(name);
    } else if (saved) {
        m_nNextRestoreTryMs = 0;
        message = FixedText{QStringLiteral("数据库文件 %1 在运行中被另一个文件替换。本站的数据库（含所有已记录的数据）已另存为 %2，"
                                           "并继续记录到该文件；%1 保持不变。"),
                            QStringLiteral("The database file %1 was replaced by another file while the station was running. "
                                           "The station's database, with every recorded row, has been saved as %2 and the "
                                           "station goes on recording into it; %1 is left as it is."),
                            QStringLiteral("資料庫檔案 %1 在執行中被另一個檔案替換。本站的資料庫（含所有已記錄的資料）已另存為 %2，"
                                           "並繼續記錄到該檔案；%1 保持不變。")}
                      .In(m_nLanguageKind)
                      .arg(name, QDir::toNativeSeparators(DataFile()));
    } else if (!where.isEmpty()) {
        // Moved, not lost: the close writes what the connection holds into
        // the file where it is now.
        m_nNextRestoreTryMs = now + 30000;
        const bool told = std::exchange(m_bMovedTold, true);
        if (!bClosing && told)
            return;
        message = FixedText{QStringLiteral("数据库文件 %1 在运行中被移到 %2，无法在 %1 处保存：%3\n"
                                           "本站的所有数据都在 %2；如需继续使用，请在退出后把它放回 %1。"),
                            QStringLiteral("The database file %1 was moved to %2 while the station was running and cannot be "
                                           "saved at %1: %3\nEvery row of the station is in %2; to go on with it, put it back "
                                           "at %1 after the station has ended."),
                            QStringLiteral("資料庫檔案 %1 在執行中被移到 %2，無法在 %1 處儲存：%3\n"
                                           "本站的所有資料都在 %2；如需繼續使用，請在結束後把它放回 %1。")}
                      .In(m_nLanguageKind)
                      .arg(name, QDir::toNativeSeparators(where), error);
    } else if (bClosing) {
        // The last chance: what the open connection holds goes with it. The
        // statements of this close do not copy the file again.
        m_nNextRestoreTryMs = now + 30000;
        message = FixedText{QStringLiteral("数据库文件 %1 在运行中被删除或替换，本站的数据库无法保存：%2\n"
                                           "整个数据库已丢失：设置、电梯、用户以及所有已记录的呼梯和故障都不在 %1 处。"),
                            QStringLiteral("The database file %1 was removed or replaced while the station was running, and "
                                           "the station's database could not be saved: %2\nThe whole database is lost: its "
                                           "settings, lifts, operators and every recorded call and fault are gone from %1."),
                            QStringLiteral("資料庫檔案 %1 在執行中被刪除或替換，本站的資料庫無法儲存：%2\n"
                                           "整個資料庫已遺失：設定、電梯、使用者以及所有已記錄的呼梯和故障都不在 %1 處。")}
                      .In(m_nLanguageKind)
                      .arg(name, error);
    } else {
        // Told once; tried again after a pause, as the copy reads the whole file.
        const bool told = m_nNextRestoreTryMs != 0;
        m_nNextRestoreTryMs = now + 30000;
        if (told)
            return;
        message = FixedText{QStringLiteral("数据库文件 %1 在运行中被删除或替换，本站的数据库暂时无法保存：%2\n"
                                           "数据库仍然打开并继续记录，每 30 秒及退出时重试；若退出时仍无法保存，整个数据库将丢失。"),
                            QStringLiteral("The database file %1 was removed or replaced while the station was running, and "
                                           "the station's database cannot be saved yet: %2\nIt stays open and goes on "
                                           "recording; saving is tried again every 30 seconds and at exit. If it cannot be "
                                           "saved at exit, the whole database is lost."),
                            QStringLiteral("資料庫檔案 %1 在執行中被刪除或替換，本站的資料庫暫時無法儲存：%2\n"
                                           "資料庫仍然開啟並繼續記錄，每 30 秒及結束時重試；若結束時仍無法儲存，整個資料庫將遺失。")}
                      .In(m_nLanguageKind)
                      .arg(name, error);
    }
    // At a close nothing would be left to show a box that does not wait.
    if (bClosing)
        AfxMessageBox(message);
    else
        AfxMessageBoxModeless(message);
}

void CAdoConnection::CloseConnection(bool bLookAtFile)
{
    if (bLookAtFile)
        KeepFileInPlace(true);
    m_bReopenPending = false;
    DropConnection();
}
