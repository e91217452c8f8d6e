// The compaction: a copy of every object into a new file, held alone from
// the start of the copy until the copy has replaced the file it was made from.
#include "database/AdoConnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include <sqlite3.h>

#include "database/DbPassword.h"
#include "database/EngineCalls.h"
#include "database/EngineReason.h"
#include "platform/FixedText.h"

namespace {

// Copies every object of main into the attached, empty database "compact",
// in one transaction. The engine's own export takes minutes on a year of day
// tables (each new table rescans the growing schema); with the schema kept in
// the cache the copy takes seconds.
// The reason of a failed step is kept before the ROLLBACK replaces it.
bool CopyIntoCompact(sqlite3* db, QString* pError, int* pCode)
{
    if (!ExecFixed(db, "PRAGMA main.cache_size = -65536") || !ExecFixed(db, "PRAGMA compact.cache_size = -65536")
        || !ExecFixed(db, "PRAGMA compact.journal_mode = OFF") || !ExecFixed(db, "PRAGMA compact.synchronous = OFF"))
        return false;
    struct Object {
        QString type, name, sql;
    };
    std::vector<Object> objects;
    {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db,
                               "SELECT type, name, sql FROM main.sqlite_master WHERE sql NOT NULL"
                               " AND name NOT LIKE 'sqlite!_%' ESCAPE '!'"
                               " ORDER BY CASE type WHEN 'table' THEN 0 WHEN 'index' THEN 1 WHEN 'view' THEN 2 ELSE 3 END, rowid",
                               -1, &raw, nullptr)
            != SQLITE_OK)
            return false;
        Stmt stmt(raw);
        int rc;
        while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
            auto col = [&](int c) { return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), c))); };
            objects.push_back({col(0), col(1), col(2)});
        }
        if (rc != SQLITE_DONE)
            return false;
    }
    static const QRegularExpression head(QStringLiteral(
        R"(^(\s*CREATE\s+(?:UNIQUE\s+|TEMP\s+|TEMPORARY\s+)?(?:TABLE|INDEX|VIEW|TRIGGER)\s+(?:IF\s+NOT\s+EXISTS\s+)?))"),
        QRegularExpression::CaseInsensitiveOption);
    if (!ExecFixed(db, "BEGIN"))
        return false;
    bool ok = true;
    for (const Object& o : objects) {
        const auto m = head.match(o.sql);
        if (!m.hasMatch()) {
            ok = false;
            break;
        }
        QString create = o.sql;
        create.insert(m.capturedLength(1), QLatin1String("compact."));
        ok = ExecFixed(db, create.toUtf8().constData());
        if (ok && o.type == QLatin1String("table")) {
            QString quoted = o.name;
            quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
            quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
            ok = ExecFixed(db, (QStringLiteral("INSERT INTO compact.") + quoted + QLatin1String(" SELECT * FROM main.") + quoted)
                                   .toUtf8()
                                   .constData());
        }
        if (!ok)
            break;
    }
    QString version;
    ok = ok && ExecFixed(db, "PRAGMA main.user_version", &version)
         && ExecFixed(db, QByteArray("PRAGMA compact.user_version = ").append(QByteArray::number(version.toLongLong())).constData());
    QString sequences;
    if (ok && ExecFixed(db, "SELECT count(*) FROM main.sqlite_master WHERE name = 'sqlite_sequence'", &sequences)
        && sequences != QLatin1String("0"))
        ok = ExecFixed(db, "DELETE FROM compact.sqlite_sequence")
             && ExecFixed(db, "INSERT INTO compact.sqlite_sequence SELECT * FROM main.sqlite_sequence");
    if (ok && ExecFixed(db, "COMMIT"))
        return true;
    *pError = ErrText(db);
    *pCode = sqlite3_extended_errcode(db);
    ExecFixed(db, "ROLLBACK");
    return false;
}

} // namespace

QString CAdoConnection::CompactTempName(const QString& strPath)
{
    const int slash = int(strPath.lastIndexOf(QLatin1Char('/')));
    const int dot = int(strPath.lastIndexOf(QLatin1Char('.')));
    QString name = strPath;
    if (dot > slash)
        name.insert(dot, QLatin1String("121"));
    else
        name.insert(slash + 1, QLatin1String("121"));
    return name;
}

QString CAdoConnection::CompactDatabase(const QString& strPath)
{
    CloseConnection();
    m_strLastError.clear();
    m_nLastErrorCode = SQLITE_OK;
    m_strCompactedAside.clear();
    const QString temp = CompactTempName(strPath);
    // A reason already in the station's language goes with SQLITE_ERROR,
    // which the operator's reason passes through as it is.
    auto refuse = [&](const QString& why, int code) {
        m_strLastError = why;
        m_nLastErrorCode = code;
        return QString();
    };
    if (!QFileInfo(strPath).isFile())
        return refuse(OpenWhy(kNoFile, m_nLanguageKind) + QLatin1String(": ") + QDir::toNativeSeparators(strPath), SQLITE_ERROR);
    if (QFileInfo::exists(temp) && !QFile::remove(temp))
        return refuse(FixedText{QStringLiteral("%1 无法删除，压缩无法进行"), QStringLiteral("%1 is in the way"),
                                QStringLiteral("%1 無法刪除，壓縮無法進行")}
                          .In(m_nLanguageKind)
                          .arg(QDir::toNativeSeparators(temp)),
                      SQLITE_ERROR);

    // The file is held alone from before the copy until the compacted copy
    // has replaced it: a row another program wrote meanwhile would be lost
    // with the old file, and its log would be read into the new one. So a
    // file another program has open (reading or writing) is not compacted.
    QString error;
    Handle db = OpenKeyed(strPath, &error);
    if (!db)
        return refuse(error, SQLITE_CANTOPEN);
    if (!ExecFixed(db.get(), "PRAGMA locking_mode = EXCLUSIVE") || !ExecFixed(db.get(), "BEGIN EXCLUSIVE")
        || !ExecFixed(db.get(), "COMMIT")) {
        const int code = sqlite3_errcode(db.get());
        return refuse(OpenWhy(kInUse, m_nLanguageKind).arg(ErrText(db.get())), (code & 0xff) == SQLITE_OK ? SQLITE_BUSY : code);
    }
    // The file and its log are the station's while it compacts; a stop
    // leaves a note that the temporary copy is unfinished work.
    m_guard.Claim(strPath, db.get());
    m_guard.NoteWork(strPath, CDbFileGuard::Work::Compaction, temp);
    auto release = [&] {
        CloseClaimed(std::move(db));
        m_guard.NoteWork(strPath, CDbFileGuard::Work::None);
    };

    // The copy starts as an empty file made here, since the connection itself
    // never creates files.
    bool ok = false;
    if (QFile empty(temp); empty.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        empty.close();
        // The copy is written encrypted with the same password: a readable
        // copy of the station's data never touches the disk.
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db.get(), "ATTACH DATABASE ? AS compact KEY ?", -1, &raw, nullptr) == SQLITE_OK) {
            Stmt attach(raw);
            const QByteArray tempName = QFile::encodeName(temp);
            sqlite3_bind_text(attach.get(), 1, tempName.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(attach.get(), 2, kDbPassword, -1, SQLITE_STATIC);
            if (sqlite3_step(attach.get()) == SQLITE_DONE) {
                attach.reset();
                int code = SQLITE_OK;
                ok = CopyIntoCompact(db.get(), &error, &code);
                // The failure's own reason: what runs after it would replace it.
                if (!ok)
                    refuse(error.isEmpty() ? ErrText(db.get()) : error, code == SQLITE_OK ? sqlite3_extended_errcode(db.get()) : code);
                if (!ExecFixed(db.get(), "DETACH DATABASE compact") && ok) {
                    ok = false;
                    refuse(ErrText(db.get()), sqlite3_extended_errcode(db.get()));
                }
            } else {
                refuse(ErrText(db.get()), sqlite3_extended_errcode(db.get()));
            }
        }
        // Nothing of the old file may stay in its log beside the new one; the
        // emptied log stays at the close (its name is the new file's then).
        QString busy;
        if (ok && !(ExecFixed(db.get(), "PRAGMA main.wal_checkpoint(TRUNCATE)", &busy) && busy == QLatin1String("0"))) {
            ok = false;
            refuse(busy == QLatin1String("1") ? EngineReason(SQLITE_BUSY, QStringLiteral("database is locked"), m_nLanguageKind)
                                              : ErrText(db.get()),
                   busy == QLatin1String("1") ? SQLITE_BUSY : sqlite3_extended_errcode(db.get()));
        }
        int persist = 1;
        ok = ok && sqlite3_file_control(db.get(), "main", SQLITE_FCNTL_PERSIST_WAL, &persist) == SQLITE_OK;
    } else {
        refuse(empty.errorString(), SQLITE_CANTOPEN);
    }
    if (!ok) {
        if (m_strLastError.isEmpty())
            refuse(ErrText(db.get()), sqlite3_errcode(db.get()));
        QFile::remove(temp);
        release();
        return QString();
    }
    SyncPath(temp, false);
    const double mb = double(QFileInfo(temp).size()) / 1048576.0;
    const QString size = QString::asprintf("%.2f", mb) + QLatin1String("MB");

    // The compacted file replaces only the file it was made from. When
    // another file was put at the path meanwhile (the one compacted is held
    // open, wherever it went), the compacted file keeps a name of its own
    // and holds the station's data from here on.
    int moved = 0;
    if (sqlite3_file_control(db.get(), "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK || moved) {
        const QString aside = NewCopy(&error);
        if (aside.isEmpty() || std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(aside).constData()) != 0) {
            if (!aside.isEmpty()) {
                const int err = errno;
                error = SystemReason(err, QString::fromLocal8Bit(std::strerror(err)), m_nLanguageKind);
                QFile::remove(aside);
            }
            refuse(error, SQLITE_ERROR);
            QFile::remove(temp);
            release();
            return QString();
        }
        SyncPath(QFileInfo(aside).absolutePath(), true);
        m_strDataFile = aside;
        m_strCompactedAside = aside;
        release();
        return size;
    }
    // One atomic step replaces the file, so a power cut leaves either the old
    // or the compacted file, never neither; the old one is held until then.
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(strPath).constData()) != 0) {
        const int err = errno;
        refuse(FixedText{QStringLiteral("压缩后的数据库 %1 无法替换 %2：%3"), QStringLiteral("the compacted database %1 cannot replace %2: %3"),
                         QStringLiteral("壓縮後的資料庫 %1 無法替換 %2：%3")}
                   .In(m_nLanguageKind)
                   .arg(QDir::toNativeSeparators(temp), QDir::toNativeSeparators(strPath),
                        SystemReason(err, QString::fromLocal8Bit(std::strerror(err)), m_nLanguageKind)),
               SQLITE_ERROR);
        QFile::remove(temp);
        release();
        return QString();
    }
    release();
    CDbFileGuard::Forget(strPath);
    SyncPath(QFileInfo(strPath).absolutePath(), true);
    return size;
}
