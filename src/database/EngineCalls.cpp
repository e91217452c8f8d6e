#include "database/EngineCalls.h"

#include <QFile>
#include <fcntl.h>
#include <unistd.h>

#include "platform/FixedText.h"

QString ErrText(sqlite3* db) { return QString::fromUtf8(sqlite3_errmsg(db)); }

bool ExecFixed(sqlite3* db, const char* sql, QString* pFirst)
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

bool HasMoved(sqlite3* db)
{
    int moved = 0;
    return sqlite3_file_control(db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved;
}

// Why a file is refused, in the station's languages: the start-up's boxes
// come before the text table is read.
namespace {
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
} // namespace

QString OpenWhy(OpenText text, int nLanguageKind) { return kOpenTexts[text].In(nLanguageKind); }

void SyncPath(const QString& path, bool bDirectory)
{
    const int fd = ::open(QFile::encodeName(path).constData(), bDirectory ? O_RDONLY | O_DIRECTORY : O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
