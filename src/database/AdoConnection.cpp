#include "database/AdoConnection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>
#include <cerrno>
#include <chrono>
#include <utility>
#include <cstdio>
#include <cstring>
#include <vector>
#include <fcntl.h>
#include <unistd.h>

#include <sqlite3.h>

#include "database/DbPassword.h"
#include "database/EngineReason.h"
#include "platform/BusyCursor.h"
#include "platform/FixedText.h"
#include "platform/MessageBox.h"
#include "platform/QuoteText.h"

namespace {

constexpr int kBusyTimeoutMs = 2000;
const char* const kDateTimeFormat = "yyyy-MM-dd HH:mm:ss";

struct StmtFinalizer {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, StmtFinalizer>;

QString ErrText(sqlite3* db) { return QString::fromUtf8(sqlite3_errmsg(db)); }

// The engine's text, made plain when a page of the file failed its check.
QString Describe(sqlite3* db)
{
    const int code = sqlite3_errcode(db) & 0xff;
    if (code == SQLITE_CORRUPT || code == SQLITE_NOTADB)
        return QStringLiteral("The database file is damaged (%1).").arg(ErrText(db));
    return ErrText(db);
}

// Runs a fixed statement (no user text in it) and returns its first value as text.
bool ExecFixed(sqlite3* db, const char* sql, QString* pFirst = nullptr)
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK)
        return false;
    Stmt stmt(raw);
    int rc;
    bool first = true;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        if (first && pFirst)
            *pFirst = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0)));
        first = false;
    }
    return rc == SQLITE_DONE;
}

// Prepares exactly one statement; a text with a second statement behind the
// first is refused, so no text can smuggle in another command.
int Prepare(sqlite3* db, const QString& sql, Stmt* pStmt, QString* pError)
{
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &raw, &tail);
    pStmt->reset(raw);
    if (rc != SQLITE_OK) {
        *pError = ErrText(db);
        return rc;
    }
    if (!raw) {
        *pError = QStringLiteral("empty statement");
        return SQLITE_MISUSE;
    }
    if (tail && !QByteArray(tail).trimmed().isEmpty()) {
        *pError = QStringLiteral("only one statement may be run at a time");
        return SQLITE_MISUSE;
    }
    return SQLITE_OK;
}

int Bind(sqlite3* db, sqlite3_stmt* stmt, const QVariantList& params, QString* pError)
{
    if (sqlite3_bind_parameter_count(stmt) != params.size()) {
        *pError = QStringLiteral("the statement expects %1 values, %2 were given")
                      .arg(sqlite3_bind_parameter_count(stmt))
                      .arg(params.size());
        return SQLITE_RANGE;
    }
    for (int i = 0; i < params.size(); ++i) {
        const QVariant& v = params[i];
        const int idx = i + 1;
        int rc;
        switch (v.metaType().id()) {
        case QMetaType::UnknownType:
        case QMetaType::Nullptr:
            rc = sqlite3_bind_null(stmt, idx);
            break;
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::UChar:
        case QMetaType::SChar:
            rc = sqlite3_bind_int64(stmt, idx, v.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(stmt, idx, v.toDouble());
            break;
        case QMetaType::QDateTime:
            rc = sqlite3_bind_text(stmt, idx, v.toDateTime().toString(kDateTimeFormat).toUtf8().constData(), -1,
                                   SQLITE_TRANSIENT);
            break;
        default: {
            if (v.isNull() && v.metaType().id() != QMetaType::QString) {
                rc = sqlite3_bind_null(stmt, idx);
                break;
            }
            const QByteArray text = v.toString().toUtf8();
            rc = sqlite3_bind_text(stmt, idx, text.constData(), int(text.size()), SQLITE_TRANSIENT);
            break;
        }
        }
        if (rc != SQLITE_OK) {
            *pError = ErrText(db);
            return rc;
        }
    }
    return SQLITE_OK;
}

// One call into the statement per value: a year of fault rows is millions of values.
CAdoRecordset::Value ColumnValue(sqlite3_stmt* stmt, int col)
{
    sqlite3_value* v = sqlite3_column_value(stmt, col);
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: return std::int64_t(sqlite3_value_int64(v));
    case SQLITE_FLOAT: return sqlite3_value_double(v);
    case SQLITE_NULL: return std::monostate{};
    default: {
        // The text's own bytes (the file is UTF-8): asking for a terminated
        // text would copy each one first.
        const auto* p = static_cast<const char*>(sqlite3_value_blob(v));
        return QString::fromUtf8(p, sqlite3_value_bytes(v));
    }
    }
}

// Jet's Now(): the local date and time, stored as 'YYYY-MM-DD HH:MM:SS' text.
void JetNow(sqlite3_context* ctx, int, sqlite3_value**)
{
    const auto* conn = static_cast<const CAdoConnection*>(sqlite3_user_data(ctx));
    const QByteArray text = conn->CurrentTime().toString(kDateTimeFormat).toUtf8();
    sqlite3_result_text(ctx, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

// Jet's DateValue(text): the date part at midnight, in the stored form, so
// that it compares correctly with stored date texts.
void JetDateValue(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[0]))).trimmed();
    static const QRegularExpression re(QStringLiteral(R"(^(\d{1,4})[-/](\d{1,2})[-/](\d{1,2})(?:[ T].*)?$)"));
    const auto m = re.match(text);
    const QDate date = m.hasMatch() ? QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt())
                                    : QDate();
    if (!date.isValid()) {
        const QByteArray msg = QStringLiteral("'%1' is not a date").arg(QuoteText(text)).toUtf8();
        sqlite3_result_error(ctx, msg.constData(), int(msg.size()));
        return;
    }
    const QByteArray out = date.startOfDay().toString(kDateTimeFormat).toUtf8();
    sqlite3_result_text(ctx, out.constData(), int(out.size()), SQLITE_TRANSIENT);
}

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

// Why a file is refused, in the station's languages: the start-up's boxes
// come before the text table is read.
enum OpenText { kNoFile, kNotAFile, kEmptyFile, kNotWritable, kDamaged, kWrongKey, kInUse, kNotOurs, kNoWal, kCannotOpen, kFolderNotWritable };
const FixedText kOpenTexts[] = {
    {QStringLiteral("文件不存在"), QStringLiteral("the file does not exist"), QStringLiteral("檔案不存在")},
    {QStringLiteral("它不是文件"), QStringLiteral("it is not a file"), QStringLiteral("它不是檔案")},
    {QStringLiteral("文件是空的"), QStringLiteral("the file is empty"), QStringLiteral("檔案是空的")},
    {QStringLiteral("文件无法写入"), QStringLiteral("the file cannot be written"), QStringLiteral("檔案無法寫入")},
    {QStringLiteral("文件已损坏（%1）"), QStringLiteral("the file is damaged (%1)"), QStringLiteral("檔案已損壞（%1）")},
    {QStringLiteral("密码错误，或文件已损坏，或不是本站的数据库（%1）"), QStringLiteral("wrong password, or a damaged file or not a database of this station (%1)"), QStringLiteral("密碼錯誤，或檔案已損壞，或不是本站的資料庫（%1）")},
    {QStringLiteral("文件正被另一个程序使用（%1）"), QStringLiteral("the file is in use by another program (%1)"), QStringLiteral("檔案正被另一個程式使用（%1）")},
    {QStringLiteral("文件已损坏，或不是本站的数据库"), QStringLiteral("the file is damaged or is not the station's database"), QStringLiteral("檔案已損壞，或不是本站的資料庫")},
    {QStringLiteral("无法把日志切换为预写模式（%1）"), QStringLiteral("the journal cannot be switched to write-ahead mode (%1)"), QStringLiteral("無法把日誌切換為預寫模式（%1）")},
    {QStringLiteral("无法打开数据库 %1：%2"), QStringLiteral("The database %1 cannot be opened: %2"), QStringLiteral("無法開啟資料庫 %1：%2")},
    {QStringLiteral("文件夹 %1 不能写入：%2"), QStringLiteral("the folder %1 cannot be written: %2"), QStringLiteral("資料夾 %1 不能寫入：%2")},
};
QString OpenWhy(OpenText text, int nLanguageKind) { return kOpenTexts[text].In(nLanguageKind); }

void SyncPath(const QString& path, bool bDirectory)
{
    const int fd = ::open(QFile::encodeName(path).constData(), bDirectory ? O_RDONLY | O_DIRECTORY : O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

void CAdoConnection::Closer::operator()(sqlite3* db) const
{
    // Every statement is finalised where it is made, so the plain close succeeds.
    if (sqlite3_close(db) != SQLITE_OK)
        sqlite3_close_v2(db);
}

qint64 CAdoConnection::MonotonicMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

CAdoConnection::CAdoConnection()
    : m_clock([] { return QDateTime::currentDateTime(); })
{
    // Without an application (a command-line tool) no timer can run; the
    // file is still looked at before each statement and at the close.
    if (QCoreApplication::instance()) {
        m_pFileWatch = std::make_unique<QTimer>();
        QObject::connect(m_pFileWatch.get(), &QTimer::timeout, [this] {
            TryReopen();
            KeepFileInPlace();
        });
        m_pFileWatch->start(kFileWatchMs);
    }
}

CAdoConnection::~CAdoConnection() { CloseConnection(); }

void CAdoConnection::SetClock(Clock clock)
{
    m_clock = clock ? std::move(clock) : Clock([] { return QDateTime::currentDateTime(); });
}

QDateTime CAdoConnection::CurrentTime() const { return m_clock(); }

QString CAdoConnection::LanText(int n, const QString& fallback) const
{
    if (m_pLanText && n >= 0 && n < m_pLanText->size())
        return m_pLanText->at(n);
    return fallback;
}

void CAdoConnection::ReportNotOpen()
{
    Report(LanText(46, QStringLiteral("The database is not open.")), SQLITE_MISUSE);
}

QString CAdoConnection::LastReason() const
{
    return EngineReason(m_nLastErrorCode, m_strLastError, m_nLanguageKind);
}

void CAdoConnection::Report(const QString& text, int code, const QString& shown)
{
    m_strLastError = text;
    m_nLastErrorCode = code;
    // The engine speaks English: its common reasons reach the operator in
    // the station's language.
    if (!m_bQuiet)
        AfxMessageBox(shown.isEmpty() ? EngineReason(code, text, m_nLanguageKind) : shown);
}

void CAdoConnection::InitConnection()
{
    CloseConnection();
}

CAdoConnection::Handle CAdoConnection::OpenKeyed(const QString& path, QString* pError)
{
    sqlite3* raw = nullptr;
    // Never SQLITE_OPEN_CREATE: a missing file must not turn into an empty
    // database. One thread uses a connection, so the engine needs no lock
    // around each call.
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                                   nullptr);
    Handle db(raw);
    if (rc != SQLITE_OK) {
        *pError = raw ? ErrText(raw) : QString::fromUtf8(sqlite3_errstr(rc));
        return nullptr;
    }
    sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
    const QByteArray key = QByteArray("PRAGMA key = '") + kDbPassword + "'";
    if (!ExecFixed(db.get(), key.constData())) {
        *pError = ErrText(db.get());
        return nullptr;
    }
    return db;
}

bool CAdoConnection::HasRequiredTables(sqlite3* db) const
{
    for (const QString& table : m_strRequiredTables) {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?", -1, &raw, nullptr)
            != SQLITE_OK)
            return false;
        Stmt stmt(raw);
        const QByteArray name = table.toUtf8();
        sqlite3_bind_text(stmt.get(), 1, name.constData(), int(name.size()), SQLITE_STATIC);
        if (sqlite3_step(stmt.get()) != SQLITE_ROW)
            return false;
    }
    return true;
}

bool CAdoConnection::CheckOpenedFile(sqlite3* db, bool bExclusive, bool bFullCheck, QString* pError)
{
    // Before the first read: reading a file in write-ahead mode makes its
    // index file, which a user who may not write the database could not
    // remove again.
    if (sqlite3_db_readonly(db, "main") == 1) {
        *pError = OpenWhy(kNotWritable, m_nLanguageKind);
        return false;
    }
    if (bExclusive && !ExecFixed(db, "PRAGMA locking_mode = EXCLUSIVE")) {
        *pError = ErrText(db);
        return false;
    }
    // The first read decrypts the schema: a wrong password or a file that is
    // not one of ours fails here.
    if (!ExecFixed(db, "SELECT count(*) FROM sqlite_master")) {
        const int code = sqlite3_errcode(db);
        if (code == SQLITE_CORRUPT)
            *pError = OpenWhy(kDamaged, m_nLanguageKind).arg(ErrText(db));
        else if (code == SQLITE_NOTADB)
            *pError = OpenWhy(kWrongKey, m_nLanguageKind).arg(ErrText(db));
        else if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
            *pError = OpenWhy(kInUse, m_nLanguageKind).arg(ErrText(db));
        else
            *pError = ErrText(db);
        return false;
    }
    // A file that reads but lacks the station's tables (an empty or a foreign
    // database) is not ours: switching its journal below would already write it.
    if (!HasRequiredTables(db)) {
        *pError = OpenWhy(kNotOurs, m_nLanguageKind);
        return false;
    }
    // Every committed row must survive a killed process and a power cut.
    QString mode;
    if (!ExecFixed(db, "PRAGMA journal_mode = WAL", &mode) || mode.compare(QLatin1String("wal"), Qt::CaseInsensitive)) {
        *pError = OpenWhy(kNoWal, m_nLanguageKind).arg(ErrText(db));
        return false;
    }
    if (!ExecFixed(db, "PRAGMA synchronous = FULL")) {
        *pError = ErrText(db);
        return false;
    }
    // Room for the schema of a year's day tables (some 2.5 MB): opening a day
    // table passes over all of it twice, which must not read and decrypt it
    // from the file each time.
    ExecFixed(db, "PRAGMA cache_size = -16384");
    // Exclusive means no other reader or writer from the start: take the write
    // lock now; the exclusive locking mode keeps it until the close.
    if (bExclusive && !(ExecFixed(db, "BEGIN EXCLUSIVE") && ExecFixed(db, "COMMIT"))) {
        *pError = OpenWhy(kInUse, m_nLanguageKind).arg(ErrText(db));
        return false;
    }
    // Reading the schema has checked every page of it. The whole file is
    // checked when the last run did not end cleanly; on a year's history that
    // takes longer than the start may. A damaged page found later fails the
    // query that reads it, with a message.
    if (!bFullCheck)
        return true;
    QString verdict;
    if (!ExecFixed(db, "PRAGMA quick_check", &verdict)) {
        *pError = OpenWhy(kDamaged, m_nLanguageKind).arg(ErrText(db));
        return false;
    }
    if (verdict != QLatin1String("ok")) {
        *pError = OpenWhy(kDamaged, m_nLanguageKind).arg(verdict);
        return false;
    }
    return true;
}

bool CAdoConnection::RegisterJetFunctions(sqlite3* db, QString* pError)
{
    const int flags = SQLITE_UTF8;
    if (sqlite3_create_function(db, "Now", 0, flags, this, JetNow, nullptr, nullptr) != SQLITE_OK
        || sqlite3_create_function(db, "DateValue", 1, flags | SQLITE_DETERMINISTIC, this, JetDateValue, nullptr,
                                   nullptr)
               != SQLITE_OK) {
        *pError = ErrText(db);
        return false;
    }
    return true;
}

bool CAdoConnection::OpenDatabase(bool bExclusive, const QString& strPath)
{
    CloseConnection();
    m_bMovedTold = false;
    m_strDBPath = strPath;
    m_strDataFile = strPath;
    return OpenFile(bExclusive, strPath, true);
}

bool CAdoConnection::OpenFile(bool bExclusive, const QString& strPath, bool bWait)
{
    DropConnection();
    m_bExclusive = bExclusive;

    auto fail = [&](const QString& why, int code = SQLITE_CANTOPEN) {
        const QString text = OpenWhy(kCannotOpen, m_nLanguageKind).arg(QDir::toNativeSeparators(strPath), why);
        Report(text, code, text);
        return false;
    };
    // What an earlier run left beside the path comes first, even when no
    // file is there now: a log of the station's never waits there for the
    // next file to be put at the path.
    QStringList told;
    QString error;
    const bool bPrepared = m_guard.PrepareOpen(strPath, m_nLanguageKind, &told, &error);
    Tell(told);
    if (!bPrepared)
        return fail(error);
    const QFileInfo info(strPath);
    if (!info.exists())
        return fail(OpenWhy(kNoFile, m_nLanguageKind));
    if (!info.isFile())
        return fail(OpenWhy(kNotAFile, m_nLanguageKind));
    // An empty file would be taken for a new, empty database.
    if (info.size() == 0)
        return fail(OpenWhy(kEmptyFile, m_nLanguageKind));

    // A log left beside the file means the last run was killed or lost its
    // power (or another station has the file open): then check every page.
    const QString wal = CDbFileGuard::LogOf(strPath);
    const QString shm = CDbFileGuard::IndexOf(strPath);
    const bool bHadWal = QFileInfo::exists(wal);
    const bool bHadShm = QFileInfo::exists(shm);
    Handle db = OpenKeyed(strPath, &error);
    // A try from a timer does not wait for another program's lock.
    if (db && !bWait)
        sqlite3_busy_timeout(db.get(), 0);
    if (db && CheckOpenedFile(db.get(), bExclusive, bHadWal, &error) && RegisterJetFunctions(db.get(), &error)) {
        sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
        sqlite3_commit_hook(db.get(), [](void* self) {
            ++static_cast<CAdoConnection*>(self)->m_nCommits;
            return 0;
        }, this);
        // A read after the switch to write-ahead mode opens the log (the
        // switch alone does not): the guard notes it as the station's.
        ExecFixed(db.get(), "SELECT count(*) FROM sqlite_master");
        m_pConnection = std::move(db);
        m_guard.Claim(strPath);
        return true;
    }
    // The engine's reason, where it gave one, goes with the message.
    int code = db && (sqlite3_errcode(db.get()) & 0xff) != SQLITE_OK ? sqlite3_errcode(db.get()) : SQLITE_CANTOPEN;
    // A refused file is left as it was: what this open made beside it goes
    // (a log left by an earlier run stays, it may hold committed rows).
    db.reset();
    if (!bHadWal)
        QFile::remove(wal);
    if (!bHadShm)
        QFile::remove(shm);
    // The engine says only that it cannot open; a folder the station may not
    // write (where the log goes) is the reason the operator can act on.
    const QString folder = info.absolutePath();
    if ((code & 0xff) == SQLITE_CANTOPEN && ::access(QFile::encodeName(folder).constData(), W_OK) != 0) {
        const int err = errno;
        error = OpenWhy(kFolderNotWritable, m_nLanguageKind)
                    .arg(QDir::toNativeSeparators(folder), SystemReason(err, QString::fromLocal8Bit(std::strerror(err)), m_nLanguageKind));
        code = SQLITE_PERM;
    }
    return fail(error, code);
}

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
    int moved = 0;
    return IsOpen() && sqlite3_file_control(m_pConnection.get(), "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved;
}

void CAdoConnection::DropConnection()
{
    m_pRecordset.reset();
    if (!m_pConnection)
        return;
    if (FileMoved()) {
        // The engine would remove the log and index by their names at the
        // close, whoever's they are by then; its own are taken off the path.
        m_guard.DetachLog();
        int persist = 1;
        sqlite3_file_control(m_pConnection.get(), "main", SQLITE_FCNTL_PERSIST_WAL, &persist);
    }
    m_pConnection.reset();
    m_guard.Released();
}

QString CAdoConnection::CompactionRefusal() const
{
    const QString path = QDir::toNativeSeparators(m_strDBPath);
    if (DataFile() != m_strDBPath)
        return FixedText{QStringLiteral("本站正在记录到另存的副本 %2（%1 处已放入另一个文件），不能压缩。"
                                        "请在退出后用 %2 替换 %1，再压缩。"),
                         QStringLiteral("The station records into the saved copy %2 (another file was put at %1), so "
                                        "nothing is compacted. Put %2 in the place of %1 after the station has ended, "
                                        "then compact."),
                         QStringLiteral("本站正在記錄到另存的副本 %2（%1 處已放入另一個檔案），不能壓縮。"
                                        "請在結束後用 %2 替換 %1，再壓縮。")}
            .In(m_nLanguageKind)
            .arg(path, QDir::toNativeSeparators(DataFile()));
    if (FileMoved())
        return FixedText{QStringLiteral("数据库文件 %1 已不在原处（被删除、移走或替换），本站的数据只在打开的连接中，"
                                        "不能压缩；本站会继续尝试把它写回。"),
                         QStringLiteral("The database file %1 is no longer in its place (removed, moved or replaced): the "
                                        "station's data is only in its open connection, so nothing is compacted; the "
                                        "station keeps trying to write it back."),
                         QStringLiteral("資料庫檔案 %1 已不在原處（被刪除、移走或替換），本站的資料只在開啟的連線中，"
                                        "不能壓縮；本站會繼續嘗試把它寫回。")}
            .In(m_nLanguageKind)
            .arg(path);
    return QString();
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

std::shared_ptr<CAdoRecordset> CAdoConnection::GetRecordSet(const QString& sql, const QVariantList& params)
{
    TryReopen();
    KeepFileInPlace();
    if (!IsOpen()) {
        ReportNotOpen();
        return m_pRecordset;
    }
    m_pRecordset.reset();

    sqlite3* db = m_pConnection.get();
    Stmt stmt;
    QString error;
    if (int rc = Prepare(db, sql, &stmt, &error); rc != SQLITE_OK || (rc = Bind(db, stmt.get(), params, &error)) != SQLITE_OK) {
        Report(error, rc);
        return nullptr;
    }
    const int cols = sqlite3_column_count(stmt.get());
    QStringList names;
    for (int c = 0; c < cols; ++c)
        names << QString::fromUtf8(sqlite3_column_name(stmt.get(), c));
    std::vector<CAdoRecordset::Block> blocks;
    std::size_t rows = 0;
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        if (rows % CAdoRecordset::kRowsPerBlock == 0) {
            blocks.emplace_back();
            // A short result stays small; a long one has its blocks made whole.
            if (rows > 0)
                blocks.back().reserve(CAdoRecordset::kRowsPerBlock * std::size_t(cols));
        }
        for (int c = 0; c < cols; ++c)
            blocks.back().push_back(ColumnValue(stmt.get(), c));
        ++rows;
    }
    if (rc != SQLITE_DONE) {
        Report(Describe(db), sqlite3_extended_errcode(db));
        return nullptr;
    }
    m_pRecordset = std::make_shared<CAdoRecordset>(std::move(names), std::move(blocks), rows);
    return m_pRecordset;
}

bool CAdoConnection::ExecuteSql(const QString& sql, const QVariantList& params)
{
    TryReopen();
    KeepFileInPlace();
    if (!IsOpen()) {
        ReportNotOpen();
        return false;
    }
    sqlite3* db = m_pConnection.get();
    Stmt stmt;
    QString error;
    int rc = Prepare(db, sql, &stmt, &error);
    if (rc == SQLITE_OK)
        rc = Bind(db, stmt.get(), params, &error);
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        }
        if (rc == SQLITE_DONE)
            return true;
        error = Describe(db);
        rc = sqlite3_extended_errcode(db);
    }
    Report(error, rc);
    if (!m_bQuiet)
        AfxMessageBox(LanText(15) + QStringLiteral("\r\n") + LanText(16) + QStringLiteral(":")
                      + EngineReason(rc, QString::fromUtf8(sqlite3_errstr(rc)), m_nLanguageKind));
    return false;
}

bool CAdoConnection::InTransaction() const
{
    return IsOpen() && !sqlite3_get_autocommit(m_pConnection.get());
}

bool CAdoConnection::BeginTrans(bool bWait)
{
    TryReopen();
    KeepFileInPlace();
    if (!IsOpen()) {
        ReportNotOpen();
        return false;
    }
    sqlite3* db = m_pConnection.get();
    // The write lock is the only wait: inside the transaction every
    // statement has it already.
    if (!bWait)
        sqlite3_busy_timeout(db, 0);
    const bool ok = ExecFixed(db, "BEGIN IMMEDIATE");
    if (!bWait)
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
    if (!ok) {
        Report(ErrText(db), sqlite3_extended_errcode(db));
        return false;
    }
    return true;
}

bool CAdoConnection::CommitTrans()
{
    if (!IsOpen())
        return false;
    sqlite3* db = m_pConnection.get();
    if (sqlite3_get_autocommit(db))
        return true;  // the engine already ended it; what ran was committed one by one
    if (!ExecFixed(db, "COMMIT")) {
        Report(ErrText(db), sqlite3_extended_errcode(db));
        ExecFixed(db, "ROLLBACK");
        return false;
    }
    return true;
}

void CAdoConnection::RollbackTrans()
{
    if (IsOpen() && !sqlite3_get_autocommit(m_pConnection.get()))
        ExecFixed(m_pConnection.get(), "ROLLBACK");
}

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
    auto refuse = [&](const QString& why, int code) {
        m_strLastError = why;
        m_nLastErrorCode = code;
        return QString();
    };
    if (!QFileInfo(strPath).isFile())
        return refuse(OpenWhy(kNoFile, m_nLanguageKind) + QLatin1String(": ") + QDir::toNativeSeparators(strPath), SQLITE_CANTOPEN);
    if (QFileInfo::exists(temp) && !QFile::remove(temp))
        return refuse(QStringLiteral("%1 is in the way").arg(QDir::toNativeSeparators(temp)), SQLITE_CANTOPEN);

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
    m_guard.Claim(strPath);
    m_guard.NoteWork(strPath, CDbFileGuard::Work::Compaction, temp);
    auto release = [&] {
        if (int moved = 0; sqlite3_file_control(db.get(), "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved) {
            m_guard.DetachLog();
            int persist = 1;
            sqlite3_file_control(db.get(), "main", SQLITE_FCNTL_PERSIST_WAL, &persist);
        }
        db.reset();
        m_guard.Released();
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
        int err = 0;
        const QString aside = CDbFileGuard::NewName(m_strDBPath, QStringLiteral("-restore-"),
                                                    CurrentTime().toString(QStringLiteral("yyyyMMdd-HHmmss")), &err);
        if (aside.isEmpty() || std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(aside).constData()) != 0) {
            if (!aside.isEmpty()) {
                err = errno;
                QFile::remove(aside);
            }
            refuse(SystemReason(err, QString::fromLocal8Bit(std::strerror(err)), m_nLanguageKind), SQLITE_CANTOPEN);
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
        refuse(QStringLiteral("the compacted database %1 cannot replace %2: %3")
                   .arg(QDir::toNativeSeparators(temp), QDir::toNativeSeparators(strPath), QString::fromLocal8Bit(std::strerror(errno))),
               SQLITE_CANTOPEN);
        QFile::remove(temp);
        release();
        return QString();
    }
    release();
    CDbFileGuard::Forget(strPath);
    SyncPath(QFileInfo(strPath).absolutePath(), true);
    return size;
}
