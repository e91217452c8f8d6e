// liftsim: plays the controller stations (1..16) and lifts (1..64) of the lift
// bus on a pseudo-terminal, for the tests and the run script.
//
// Command line:
//   --lift N:FLOORS[:MODEL[:HEIGHT]]  install lift N (1..64) with FLOORS floors (1..255),
//                                     model 1..3 (default 1), shaft height in mm
//                                     (default FLOORS*3000); repeatable
//   --config FILE                     lines "lift N FLOORS [MODEL [HEIGHT]]", '#' comments
//   --baud B --pace                   write reply bytes paced at B baud (10 bits a byte)
//   --reply-delay MS                  request end to reply start (default 2)
//   --speed MS                        time per floor (default 1500)
//   --door MS                         door cycle time (default 2000)
//   --link PATH                       also make a symlink PATH to the pty slave
//
// The first line on stdout is "PORT /dev/pts/N". Every request received is
// reported as "RX <hex bytes> @<µs>" before its reply. Control commands on stdin,
// one a line, each answered "OK" or "ERR <reason>":
//   fault N CODE | flap N A B | mode N M | floor N F | absent N 0|1 | status N BITS | flags N A B | silent S 0|1
//   line ok | line garbage|short|long|crc|silence [COUNT] | line late MS [COUNT]
//   lockconfirm 0|1 | dump N (writes "LIFT N floor=.. pos=.. run=.. door=.. mode=..
//   fault=.. car=HEX up=HEX down=HEX lock=HH[ faults=K]" first) | quit
// It serves until stdin closes, "quit" or SIGTERM. README.md has the details.
#include <cstdio>
#include <string>
#include <string_view>

#include "Bus.h"
#include "Installation.h"
#include "PseudoTerminal.h"
#include "PtyServer.h"

namespace {

struct SOptions
{
    CInstallation installation;
    SCarTiming timing;
    int nBaud = 9600;
    bool bPace = false;
    int nReplyDelayMs = 2;
    std::string linkPath;
};

const char* const USAGE =
    "usage: liftsim [--lift N:FLOORS[:MODEL[:HEIGHT]]]... [--config FILE] [--baud B] [--pace]\n"
    "               [--reply-delay MS] [--speed MS] [--door MS] [--link PATH]\n";

bool ParseOptions(int argc, char** argv, SOptions& options, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--pace") {
            options.bPace = true;
            continue;
        }
        if (option == "--help" || option == "-h") {
            error = "";
            return false;
        }
        if (i + 1 >= argc) {
            error = std::string(option) + " needs a value";
            return false;
        }
        const std::string value = argv[++i];
        const auto number = [&](long long min, long long max, int& target) {
            const auto parsed = ParseInteger(value, min, max);
            if (!parsed) {
                error = std::string(option) + " must be " + std::to_string(min) + ".." + std::to_string(max);
                return false;
            }
            target = int(*parsed);
            return true;
        };
        bool ok = true;
        if (option == "--lift") {
            ok = options.installation.AddLiftSpec(value, error);
            if (!ok)
                error = "--lift " + value + ": " + error;
        } else if (option == "--config") {
            ok = options.installation.LoadFile(value, error);
        } else if (option == "--baud") {
            ok = number(50, 4'000'000, options.nBaud);
        } else if (option == "--reply-delay") {
            ok = number(0, 60'000, options.nReplyDelayMs);
        } else if (option == "--speed") {
            ok = number(1, 600'000, options.timing.nFloorMs);
        } else if (option == "--door") {
            ok = number(0, 600'000, options.timing.nDoorMs);
        } else if (option == "--link") {
            options.linkPath = value;
        } else {
            error = "unknown option " + std::string(option);
            ok = false;
        }
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    SOptions options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) {
        if (!error.empty())
            std::fprintf(stderr, "liftsim: %s\n", error.c_str());
        std::fputs(USAGE, stderr);
        return error.empty() ? 0 : 2;
    }
    CPseudoTerminal pty;
    if (!pty.Open(error) || (!options.linkPath.empty() && !pty.Link(options.linkPath, error))) {
        std::fprintf(stderr, "liftsim: %s\n", error.c_str());
        return 1;
    }
    CBus bus(options.installation, options.timing, SimClock::now());
    CPtyServer server(pty, bus, options.nReplyDelayMs, options.bPace ? options.nBaud : 0);
    CPtyServer::WriteLine("PORT " + pty.SlavePath());
    return server.Run();
}
