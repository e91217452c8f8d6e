#include "LogTruncateFault.h"

#include <atomic>
#include <cstring>
#include <new>

#include <sqlite3.h>

namespace {

sqlite3_vfs* g_real = nullptr;
sqlite3_vfs g_layer;
std::atomic<int> g_refused{0};

// The layer's file: its own header, then the real file's storage.
struct LayerFile {
    sqlite3_file base;
    bool bLog;
    sqlite3_file* Real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
};
LayerFile* Of(sqlite3_file* f) { return reinterpret_cast<LayerFile*>(f); }
sqlite3_file* Real(sqlite3_file* f) { return Of(f)->Real(); }

int Close(sqlite3_file* f) { return Real(f)->pMethods->xClose(Real(f)); }
int Read(sqlite3_file* f, void* p, int n, sqlite3_int64 o) { return Real(f)->pMethods->xRead(Real(f), p, n, o); }
int Write(sqlite3_file* f, const void* p, int n, sqlite3_int64 o) { return Real(f)->pMethods->xWrite(Real(f), p, n, o); }
int Truncate(sqlite3_file* f, sqlite3_int64 size)
{
    if (Of(f)->bLog) {
        ++g_refused;
        return SQLITE_IOERR_TRUNCATE;
    }
    return Real(f)->pMethods->xTruncate(Real(f), size);
}
int Sync(sqlite3_file* f, int flags) { return Real(f)->pMethods->xSync(Real(f), flags); }
int FileSize(sqlite3_file* f, sqlite3_int64* p) { return Real(f)->pMethods->xFileSize(Real(f), p); }
int Lock(sqlite3_file* f, int l) { return Real(f)->pMethods->xLock(Real(f), l); }
int Unlock(sqlite3_file* f, int l) { return Real(f)->pMethods->xUnlock(Real(f), l); }
int CheckReserved(sqlite3_file* f, int* p) { return Real(f)->pMethods->xCheckReservedLock(Real(f), p); }
int FileControl(sqlite3_file* f, int op, void* p) { return Real(f)->pMethods->xFileControl(Real(f), op, p); }
int SectorSize(sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); }
int Characteristics(sqlite3_file* f) { return Real(f)->pMethods->xDeviceCharacteristics(Real(f)); }
int ShmMap(sqlite3_file* f, int i, int sz, int e, void volatile** pp) { return Real(f)->pMethods->xShmMap(Real(f), i, sz, e, pp); }
int ShmLock(sqlite3_file* f, int o, int n, int fl) { return Real(f)->pMethods->xShmLock(Real(f), o, n, fl); }
void ShmBarrier(sqlite3_file* f) { Real(f)->pMethods->xShmBarrier(Real(f)); }
int ShmUnmap(sqlite3_file* f, int d) { return Real(f)->pMethods->xShmUnmap(Real(f), d); }
int Fetch(sqlite3_file* f, sqlite3_int64 o, int n, void** pp) { return Real(f)->pMethods->xFetch(Real(f), o, n, pp); }
int Unfetch(sqlite3_file* f, sqlite3_int64 o, void* p) { return Real(f)->pMethods->xUnfetch(Real(f), o, p); }

const sqlite3_io_methods kMethods = {3,        Close,    Read,     Write,       Truncate,        Sync,
                                     FileSize, Lock,     Unlock,   CheckReserved, FileControl,   SectorSize,
                                     Characteristics, ShmMap, ShmLock, ShmBarrier, ShmUnmap, Fetch, Unfetch};

int Open(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* pOut)
{
    auto* file = new (f) LayerFile{};
    file->bLog = (flags & SQLITE_OPEN_WAL) != 0;
    const int rc = g_real->xOpen(g_real, name, file->Real(), flags, pOut);
    // A file the real layer did not open is never closed through this one.
    file->base.pMethods = file->Real()->pMethods ? &kMethods : nullptr;
    return rc;
}

} // namespace

LogTruncateFault::LogTruncateFault()
{
    sqlite3_initialize();
    m_pReal = sqlite3_vfs_find(nullptr);
    if (!m_pReal)
        return;
    g_real = m_pReal;
    g_layer = *m_pReal;
    g_layer.zName = "log-truncate-fault";
    g_layer.szOsFile = int(sizeof(LayerFile)) + m_pReal->szOsFile;
    g_layer.xOpen = Open;
    g_refused = 0;
    if (sqlite3_vfs_register(&g_layer, 1) != SQLITE_OK)
        m_pReal = nullptr;
}

LogTruncateFault::~LogTruncateFault()
{
    if (!m_pReal)
        return;
    sqlite3_vfs_unregister(&g_layer);
    sqlite3_vfs_register(m_pReal, 1);
}

int LogTruncateFault::Refused() { return g_refused; }
