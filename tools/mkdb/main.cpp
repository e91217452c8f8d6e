// Makes the station's shipped database: a new SQLCipher file with the
// program's password, filled from the seed scripts in the order given.
//   mkdb <output.mdb> <seed.sql>...
// The file is written beside the output under a temporary name and moved into
// place only when every script ran and the file checks sound, so a failed run
// never leaves a half-made database behind.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <sqlite3.h>

#include "database/DbPassword.h"

namespace {

bool Exec(sqlite3* db, const std::string& sql, const std::string& what)
{
    char* err = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "mkdb: %s: %s\n", what.c_str(), err ? err : sqlite3_errmsg(db));
        sqlite3_free(err);
        return false;
    }
    return true;
}

bool FirstValueIs(sqlite3* db, const char* sql, const char* expected)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
        return false;
    bool ok = sqlite3_step(stmt) == SQLITE_ROW
              && std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))) == expected;
    sqlite3_finalize(stmt);
    return ok;
}

bool Build(const std::string& path, int nSeeds, char** seeds)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "mkdb: cannot create %s: %s\n", path.c_str(), sqlite3_errmsg(db));
        sqlite3_close(db);
        return false;
    }
    bool ok = Exec(db, std::string("PRAGMA key = '") + kDbPassword + "'", "key")
              // Speed while filling a file nobody else sees yet; durable settings follow.
              && Exec(db, "PRAGMA journal_mode = MEMORY", "journal") && Exec(db, "PRAGMA synchronous = OFF", "sync");
    for (int i = 0; ok && i < nSeeds; ++i) {
        std::ifstream in(seeds[i], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "mkdb: cannot read %s\n", seeds[i]);
            ok = false;
            break;
        }
        std::ostringstream text;
        text << in.rdbuf();
        ok = Exec(db, text.str(), seeds[i]);
    }
    ok = ok && Exec(db, "PRAGMA journal_mode = WAL", "journal") && FirstValueIs(db, "PRAGMA integrity_check", "ok");
    if (sqlite3_close(db) != SQLITE_OK)
        ok = false;
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: mkdb <output.mdb> <seed.sql>...\n");
        return 2;
    }
    const std::string out = argv[1];
    const std::string temp = out + ".new";
    std::remove(temp.c_str());
    std::remove((temp + "-wal").c_str());
    std::remove((temp + "-shm").c_str());
    if (!Build(temp, argc - 2, argv + 2)) {
        std::remove(temp.c_str());
        return 1;
    }
    if (std::rename(temp.c_str(), out.c_str()) != 0) {
        std::perror("mkdb: rename");
        return 1;
    }
    return 0;
}
