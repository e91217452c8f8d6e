#pragma once
// The pty pair the station opens as its serial port. The simulator keeps the
// slave open itself so that the master never reads a hang-up while the station
// has the port closed, and sets it raw so that no byte is translated.
#include <string>

class CPseudoTerminal
{
public:
    CPseudoTerminal() = default;
    ~CPseudoTerminal();
    CPseudoTerminal(const CPseudoTerminal&) = delete;
    CPseudoTerminal& operator=(const CPseudoTerminal&) = delete;

    bool Open(std::string& error);
    // Creates (or replaces) a symlink to the slave, removed again on destruction.
    bool Link(const std::string& path, std::string& error);

    int MasterFd() const { return m_nMaster; }
    const std::string& SlavePath() const { return m_SlavePath; }

private:
    int m_nMaster = -1;
    int m_nSlave = -1;
    std::string m_SlavePath;
    std::string m_LinkPath;
};
