#pragma once
// A log that cannot be cut back: while an object lives, every database file
// opened goes through a thin layer over the engine's own file layer that
// refuses to truncate a write-ahead log (a fault the real disk does not show
// on demand). Everything else goes straight through.
struct sqlite3_vfs;

class LogTruncateFault {
public:
    LogTruncateFault();
    ~LogTruncateFault();
    LogTruncateFault(const LogTruncateFault&) = delete;
    LogTruncateFault& operator=(const LogTruncateFault&) = delete;

    bool IsInstalled() const { return m_pReal != nullptr; }
    // How many truncations of a log were refused.
    static int Refused();

private:
    sqlite3_vfs* m_pReal = nullptr;
};
