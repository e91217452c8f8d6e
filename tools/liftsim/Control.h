#pragma once
// The control commands read from stdin, one a line; each is answered with
// "OK" or "ERR <reason>" (dump writes its LIFT line first).
#include <string>
#include <vector>

#include "Bus.h"
#include "LineFault.h"

class CControl
{
public:
    CControl(CBus& bus, CLineFault& line) : m_Bus(bus), m_Line(line) {}

    // Appends the answer lines to output; returns false after "quit".
    bool Execute(const std::string& line, TimePoint now, std::vector<std::string>& output);

private:
    // Returns the empty text on success, else the reason for ERR.
    std::string Run(const std::vector<std::string>& words, TimePoint now, std::vector<std::string>& output,
                    bool& quit);
    std::string RunLine(const std::vector<std::string>& words);
    // The installed lift named by words[1] of a command with count arguments,
    // or nullptr with the reason in error (usage for a wrong count).
    CLift* LiftArg(const std::vector<std::string>& words, std::size_t count, const std::string& usage,
                   std::string& error);

    CBus& m_Bus;
    CLineFault& m_Line;
};
