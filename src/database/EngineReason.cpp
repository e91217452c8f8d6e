#include "database/EngineReason.h"

#include <cerrno>

#include <sqlite3.h>

#include "platform/FixedText.h"

namespace {

const FixedText kLocked{QStringLiteral("数据库被另一个程序锁定"), QStringLiteral("database is locked"),
                        QStringLiteral("資料庫被另一個程式鎖定")};
const FixedText kFull{QStringLiteral("数据库或磁盘已满"), QStringLiteral("database or disk is full"),
                      QStringLiteral("資料庫或磁碟已滿")};
const FixedText kReadOnly{QStringLiteral("数据库为只读，无法写入"), QStringLiteral("attempt to write a readonly database"),
                          QStringLiteral("資料庫為唯讀，無法寫入")};
const FixedText kCantOpen{QStringLiteral("无法打开数据库文件"), QStringLiteral("unable to open database file"),
                          QStringLiteral("無法開啟資料庫檔案")};
const FixedText kIo{QStringLiteral("磁盘读写错误"), QStringLiteral("disk I/O error"), QStringLiteral("磁碟讀寫錯誤")};
const FixedText kCorrupt{QStringLiteral("数据库文件已损坏"), QStringLiteral("database disk image is malformed"),
                         QStringLiteral("資料庫檔案已損壞")};
const FixedText kNotDb{QStringLiteral("文件不是本站的数据库或密码错误"), QStringLiteral("file is not a database"),
                       QStringLiteral("檔案不是本站的資料庫或密碼錯誤")};
const FixedText kDenied{QStringLiteral("没有访问权限"), QStringLiteral("permission denied"), QStringLiteral("沒有存取權限")};
const FixedText kNoMem{QStringLiteral("内存不足"), QStringLiteral("out of memory"), QStringLiteral("記憶體不足")};
const FixedText kNoFolder{QStringLiteral("文件夹不存在"), QStringLiteral("the folder does not exist"),
                          QStringLiteral("資料夾不存在")};
const FixedText kReadOnlyFs{QStringLiteral("磁盘为只读"), QStringLiteral("read-only file system"), QStringLiteral("磁碟為唯讀")};

// English keeps the original text, which may say more.
QString In(const FixedText& text, const QString& original, int nLanguageKind)
{
    return nLanguageKind == 2 && !original.isEmpty() ? original : text.In(nLanguageKind);
}

} // namespace

QString EngineReason(int nCode, const QString& strText, int nLanguageKind)
{
    switch (nCode & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return In(kLocked, strText, nLanguageKind);
    case SQLITE_FULL: return In(kFull, strText, nLanguageKind);
    case SQLITE_READONLY: return In(kReadOnly, strText, nLanguageKind);
    case SQLITE_CANTOPEN: return In(kCantOpen, strText, nLanguageKind);
    case SQLITE_IOERR: return In(kIo, strText, nLanguageKind);
    case SQLITE_CORRUPT: return In(kCorrupt, strText, nLanguageKind);
    case SQLITE_NOTADB: return In(kNotDb, strText, nLanguageKind);
    case SQLITE_PERM:
    case SQLITE_AUTH: return In(kDenied, strText, nLanguageKind);
    case SQLITE_NOMEM: return In(kNoMem, strText, nLanguageKind);
    default: return strText;
    }
}

QString SystemReason(int nErrno, const QString& strText, int nLanguageKind)
{
    switch (nErrno) {
    case EACCES:
    case EPERM: return In(kDenied, strText, nLanguageKind);
    case ENOSPC:
    case EDQUOT: return In(kFull, strText, nLanguageKind);
    case EROFS: return In(kReadOnlyFs, strText, nLanguageKind);
    case ENOENT:
    case ENOTDIR: return In(kNoFolder, strText, nLanguageKind);
    case EIO: return In(kIo, strText, nLanguageKind);
    default: return strText;
    }
}
