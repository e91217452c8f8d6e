#include "platform/AppFolder.h"

#include <QCoreApplication>
#include <mutex>

namespace {
std::mutex g_folderMutex;
QString g_folderOverride;
} // namespace

QString GetAppFolder()
{
    {
        std::lock_guard lock(g_folderMutex);
        if (!g_folderOverride.isEmpty())
            return g_folderOverride;
    }
    QString dir = QCoreApplication::applicationDirPath();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

void SetAppFolder(const QString& folder)
{
    std::lock_guard lock(g_folderMutex);
    g_folderOverride = folder;
    if (!g_folderOverride.isEmpty() && !g_folderOverride.endsWith(QLatin1Char('/')))
        g_folderOverride += QLatin1Char('/');
}
