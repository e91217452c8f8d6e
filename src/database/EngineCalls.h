#pragma once
// The small calls into the engine that the connection's parts share: fixed
// statements, the engine's last message, syncing a file, and why an open
// was refused in the station's languages.
#include <QString>
#include <memory>

#include <sqlite3.h>

struct StmtFinalizer {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, StmtFinalizer>;

QString ErrText(sqlite3* db);
// Runs a fixed statement (no user text in it) and returns its first value as text.
bool ExecFixed(sqlite3* db, const char* sql, QString* pFirst = nullptr);
// The file db has open is no longer the one at its path.
bool HasMoved(sqlite3* db);
// Makes what was written to the file (or a folder's entries) durable.
void SyncPath(const QString& path, bool bDirectory);

enum OpenText { kNoFile, kNotAFile, kEmptyFile, kNotWritable, kDamaged, kWrongKey, kInUse, kNotOurs, kNoWal, kCannotOpen, kFolderNotWritable };
QString OpenWhy(OpenText text, int nLanguageKind);
