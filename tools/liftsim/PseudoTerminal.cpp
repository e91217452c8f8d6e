#include "PseudoTerminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

CPseudoTerminal::~CPseudoTerminal()
{
    if (!m_LinkPath.empty())
        ::unlink(m_LinkPath.c_str());
    if (m_nSlave >= 0)
        ::close(m_nSlave);
    if (m_nMaster >= 0)
        ::close(m_nMaster);
}

bool CPseudoTerminal::Open(std::string& error)
{
    m_nMaster = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_nMaster < 0 || ::grantpt(m_nMaster) != 0 || ::unlockpt(m_nMaster) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    char name[128] = {};
    if (::ptsname_r(m_nMaster, name, sizeof name) != 0) {
        error = std::string("ptsname: ") + std::strerror(errno);
        return false;
    }
    m_SlavePath = name;
    m_nSlave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_nSlave < 0) {
        error = "cannot open " + m_SlavePath + ": " + std::strerror(errno);
        return false;
    }
    termios tio{};
    if (::tcgetattr(m_nSlave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(m_nSlave, TCSANOW, &tio);
    }
    ::fcntl(m_nMaster, F_SETFL, ::fcntl(m_nMaster, F_GETFL) | O_NONBLOCK);
    return true;
}

bool CPseudoTerminal::Link(const std::string& path, std::string& error)
{
    struct stat info{};
    if (::lstat(path.c_str(), &info) == 0) {
        if (!S_ISLNK(info.st_mode)) {
            error = path + " exists and is not a symlink";
            return false;
        }
        ::unlink(path.c_str());
    }
    if (::symlink(m_SlavePath.c_str(), path.c_str()) != 0) {
        error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    m_LinkPath = path;
    return true;
}
