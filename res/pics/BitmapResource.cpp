#include "pics/BitmapResource.h"

#include <QString>
#include <map>
#include <mutex>
#include <tuple>

namespace {

std::mutex g_mutex;

QImage LoadShared(const QString& path)
{
    static std::map<QString, QImage> cache;
    std::lock_guard lock(g_mutex);
    auto it = cache.find(path);
    if (it == cache.end())
        it = cache.emplace(path, QImage(path).convertToFormat(QImage::Format_ARGB32_Premultiplied)).first;
    return it->second;
}

} // namespace

QImage LoadBitmapResource(int id)
{
    return LoadShared(QStringLiteral(":/pics/bmp%1.png").arg(id));
}

QImage LoadIconResource(int id)
{
    return LoadShared(QStringLiteral(":/pics/ico%1.png").arg(id));
}

QImage LoadScaledBitmap(int id, QSize size)
{
    if (size.isEmpty())
        return QImage();
    const QImage source = LoadBitmapResource(id);
    if (source.isNull())
        return QImage();
    if (source.size() == size)
        return source;

    using Key = std::tuple<int, int, int>;
    static std::map<Key, QImage> cache;
    const Key key{id, size.width(), size.height()};
    std::lock_guard lock(g_mutex);
    auto it = cache.find(key);
    if (it == cache.end()) {
        // Layouts change rarely; forget old sizes rather than grow without end.
        if (cache.size() >= 256)
            cache.clear();
        it = cache.emplace(key, source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)).first;
    }
    return it->second;
}
