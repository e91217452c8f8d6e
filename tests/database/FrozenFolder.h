#pragma once
// A folder nobody may change, root included, while the object lives: where
// the file system keeps an immutable flag (IsOn tells).
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

class FrozenFolder {
public:
    explicit FrozenFolder(const QString& folder)
        : m_fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY))
    {
        int flags = 0;
        m_bOn = m_fd >= 0 && ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags |= FS_IMMUTABLE_FL, ioctl(m_fd, FS_IOC_SETFLAGS, &flags) == 0);
    }
    ~FrozenFolder() { Thaw(); }
    FrozenFolder(const FrozenFolder&) = delete;
    FrozenFolder& operator=(const FrozenFolder&) = delete;
    bool IsOn() const { return m_bOn; }
    void Thaw()
    {
        int flags = 0;
        if (m_bOn && ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags &= ~FS_IMMUTABLE_FL;
            ioctl(m_fd, FS_IOC_SETFLAGS, &flags);
        }
        m_bOn = false;
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
    bool m_bOn = false;
};
