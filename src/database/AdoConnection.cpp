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
#include <vector>
#include <cstring>
#include <unistd.h>

#include <sqlite3.h>

#include "database/DbPassword.h"
#include "database/EngineCalls.h"
#include "database/EngineReason.h"
#include "platform/MessageBox.h"
#include "platform/QuoteText.h"

namespace {

constexpr int kBusyTimeoutMs = 2000;
const char* const kDateTimeFormat = "yyyy-MM-dd HH:mm:ss";

// The engine's text, made plain when a page of the file failed its check.
QString Describe(sqlite3* db)
{
    const int code = sqlite3_errcode(db) & 0xff;
    if (code == SQLITE_CORRUPT || code == SQLITE_NOTADB)
        return QStringLiteral("The database file is damaged (%1).").arg(ErrText(db));
    return ErrText(db);
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
    if (!told.isEmpty())
        Tell({told.join(QLatin1Char('\n'))});  // one box for what one start found
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
        m_guard.Claim(strPath, m_pConnection.get());
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
