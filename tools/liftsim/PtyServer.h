#pragma once
// The single-threaded serving loop: poll() on the pty master and stdin, frames
// requests, reports them as RX lines, schedules the replies and runs control
// commands, until stdin closes, "quit" or SIGTERM.
#include <string>

#include "Bus.h"
#include "Control.h"
#include "LineFault.h"
#include "PacedWriter.h"
#include "PseudoTerminal.h"
#include "RequestFramer.h"

class CPtyServer
{
public:
    // baud 0: replies unpaced.
    CPtyServer(CPseudoTerminal& pty, CBus& bus, int replyDelayMs, int baud);

    // Returns the process exit code.
    int Run();

    // One line to stdout, written through at once (the users wait for it).
    static void WriteLine(const std::string& line);

private:
    void ReadPty();
    // Returns false when the simulator is to stop.
    bool ReadControl();
    bool ExecuteLine(const std::string& line);

    static constexpr std::size_t MAX_CONTROL_LINE = 4096;

    CPseudoTerminal& m_Pty;
    CBus& m_Bus;
    CLineFault m_Line;
    CControl m_Control;
    CPacedWriter m_Writer;
    CRequestFramer m_Framer;
    int m_nReplyDelayMs;
    std::string m_ControlBuffer;
    bool m_bDiscardingLine = false;
};
