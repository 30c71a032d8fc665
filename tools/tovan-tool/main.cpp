// tovan-tool: the workbench's telegram decoder and command lists on the command line.
#include "Commands.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* USAGE =
    "usage: tovan-tool decode [FILE...]\n"
    "       tovan-tool list FILE.tcs\n"
    "       tovan-tool check FILE.tcs\n"
    "       tovan-tool monitor PORT --family vx31|vm77 [--baud N] [--parity none|odd|even]\n"
    "                  [--stop 1|2] [--rtscts] [--parse] [--send HEX]... [--seconds N]\n"
    "\n"
    "decode   decodes wireless M-Bus telegrams given as hex text, one per line (from the\n"
    "         files or standard input)\n"
    "list     prints the tree a command-list file loads as\n"
    "check    reports what loading a command-list file would drop or change\n"
    "monitor  opens a port, sends the given frames and prints the traffic until interrupted\n";

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(USAGE, argc < 2 ? stderr : stdout);
        return argc < 2 ? tovan::tool::EXIT_USAGE : 0;
    }
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "decode")
        return tovan::tool::runDecode(args);
    if (command == "list")
        return tovan::tool::runList(args);
    if (command == "check")
        return tovan::tool::runCheck(args);
    if (command == "monitor")
        return tovan::tool::runMonitor(args);
    std::fprintf(stderr, "tovan-tool: unknown command \"%s\"\n\n%s", command.c_str(), USAGE);
    return tovan::tool::EXIT_USAGE;
}
