#include "Control.h"

#include <sstream>

namespace {

std::vector<std::string> SplitWords(const std::string& line)
{
    std::istringstream stream(line);
    std::vector<std::string> words;
    std::string word;
    while (stream >> word)
        words.push_back(word);
    return words;
}

bool ParseFlag(const std::string& word, bool& flag)
{
    if (word != "0" && word != "1")
        return false;
    flag = word == "1";
    return true;
}

} // namespace

bool CControl::Execute(const std::string& line, TimePoint now, std::vector<std::string>& output)
{
    bool quit = false;
    const std::string error = Run(SplitWords(line), now, output, quit);
    output.push_back(error.empty() ? "OK" : "ERR " + error);
    return !quit;
}

CLift* CControl::LiftArg(const std::vector<std::string>& words, std::size_t count, const std::string& usage,
                         std::string& error)
{
    if (words.size() != count + 1) {
        error = usage;
        return nullptr;
    }
    const auto liftNum = ParseInteger(words[1], 1, CInstallation::MAX_LIFTS);
    if (!liftNum) {
        error = "lift number must be 1..64";
        return nullptr;
    }
    CLift* lift = m_Bus.Lift(int(*liftNum));
    if (!lift)
        error = "lift " + words[1] + " is not installed";
    return lift;
}

std::string CControl::RunLine(const std::vector<std::string>& words)
{
    ELineMode mode;
    if (words.size() < 2 || !CLineFault::ParseMode(words[1], mode))
        return "usage: line ok|garbage|short|long|crc|silence [COUNT] | line late MS [COUNT]";
    std::size_t next = 2;
    long long lateMs = 0;
    if (mode == ELineMode::Late) {
        const auto ms = words.size() > next ? ParseInteger(words[next], 0, 60000) : std::nullopt;
        if (!ms)
            return "line late needs MS 0..60000";
        lateMs = *ms;
        ++next;
    }
    long long count = -1;
    if (words.size() > next) {
        if (mode == ELineMode::Ok)
            return "line ok takes no count";
        const auto parsed = ParseInteger(words[next], 1, 1'000'000);
        if (!parsed)
            return "COUNT must be 1..1000000";
        count = *parsed;
        ++next;
    }
    if (words.size() > next)
        return "too many arguments";
    m_Line.Set(mode, int(count), int(lateMs));
    return {};
}

std::string CControl::Run(const std::vector<std::string>& words, TimePoint now, std::vector<std::string>& output,
                          bool& quit)
{
    if (words.empty())
        return "empty command";
    const std::string& command = words[0];
    const auto needArgs = [&](std::size_t count) { return words.size() == count + 1; };
    std::string error;

    if (command == "quit") {
        if (!needArgs(0))
            return "quit takes no arguments";
        quit = true;
        return {};
    }
    if (command == "line")
        return RunLine(words);
    if (command == "lockconfirm") {
        bool confirm = false;
        if (!needArgs(1) || !ParseFlag(words[1], confirm))
            return "usage: lockconfirm 0|1";
        m_Bus.SetLockConfirm(confirm);
        return {};
    }
    if (command == "silent") {
        bool silent = false;
        const auto station = needArgs(2) ? ParseInteger(words[1], 1, CBus::STATION_COUNT) : std::nullopt;
        if (!station || !ParseFlag(words[2], silent))
            return "usage: silent S(1..16) 0|1";
        m_Bus.SetSilent(int(*station), silent);
        return {};
    }
    if (command == "dump") {
        CLift* lift = LiftArg(words, 1, "usage: dump N", error);
        if (!lift)
            return error;
        output.push_back(lift->Dump(now));
        return {};
    }
    if (command == "flags") {
        bool a = false, b = false;
        const std::string usage = "usage: flags N A(0|1) B(0|1)";
        if (!needArgs(3) || !ParseFlag(words[2], a) || !ParseFlag(words[3], b))
            return usage;
        CLift* lift = LiftArg(words, 3, usage, error);
        if (!lift)
            return error;
        lift->SetFlags(a, b);
        return {};
    }
    if (command == "flap") {
        CLift* lift = LiftArg(words, 3, "usage: flap N A B", error);
        if (!lift)
            return error;
        const auto a = ParseInteger(words[2], 0, 255);
        const auto b = ParseInteger(words[3], 0, 255);
        if (!a || !b)
            return "fault codes must be 0..255";
        lift->SetFlap(int(*a), int(*b));
        return {};
    }
    if (command == "status") {
        CLift* lift = LiftArg(words, 2, "usage: status N BITS(0..15)", error);
        if (!lift)
            return error;
        const auto bits = ParseInteger(words[2], 0, 15);
        if (!bits)
            return "status bits must be 0..15";
        lift->SetStatusBits(int(*bits));
        return {};
    }
    if (command == "fault" || command == "mode" || command == "floor" || command == "absent") {
        CLift* lift = LiftArg(words, 2, "usage: " + command + " N VALUE", error);
        if (!lift)
            return error;
        if (command == "fault") {
            const auto code = ParseInteger(words[2], 0, 255);
            if (!code)
                return "fault code must be 0..255";
            lift->SetFault(int(*code));
        } else if (command == "mode") {
            const auto mode = ParseInteger(words[2], 0, 15);
            if (!mode)
                return "mode must be 0..15";
            lift->SetMode(int(*mode));
        } else if (command == "floor") {
            const auto floor = ParseInteger(words[2], 1, lift->Car().Floors());
            if (!floor)
                return "floor must be 1.." + std::to_string(lift->Car().Floors());
            lift->Car().PutAtFloor(int(*floor), now);
        } else {
            bool absent = false;
            if (!ParseFlag(words[2], absent))
                return "usage: absent N 0|1";
            lift->SetAbsent(absent);
        }
        return {};
    }
    return "unknown command '" + command + "'";
}
