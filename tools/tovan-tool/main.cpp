// tovan-tool: the workbench's telegram decoder, command lists, ports and a console without a
// window, on the command line.
#include "core/frames/ModuleFamily.h"
#include "core/serial/SimulatedPorts.h"
#include "core/wmbus/MeterTable.h"
#include "tools/tovan-tool/Commands.h"
#include "tools/tovan-tool/HelpFormatter.h"
#include "tools/tovan-tool/MonitorOptions.h"
#include "tools/tovan-tool/RunOptions.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <optional>

using namespace tovan;
using namespace tovan::tool;

namespace {

struct CommandLine {
    DecodeOptions decode;
    std::string listFile;
    MonitorOptions monitor;
    std::string family;
    std::string parity = "none";
    unsigned stopBits = 1;
    bool rtsCts = false;
    std::vector<std::string> sends;
    std::vector<std::string> builds;
    unsigned seconds = 0;
    MetersOptions meters;
    std::string metersPort;
    unsigned metersSeconds = 0;
    RunOptions run;
    std::string runFamily;
};

void addFileCommands(CLI::App& app, CommandLine& line) {
    CLI::App* decode = app.add_subcommand(
        "decode", "Decode wireless M-Bus telegrams given as hex text, one a line, from the files "
                  "or standard input (\"-\"). Manufacturer names come from mbus.cfg.");
    decode->add_option("FILE", line.decode.files, "files to read; none or \"-\": standard input");
    CLI::Option* records = decode->add_flag(
        "--records", line.decode.records,
        "also print what the meter says: layers, data records (value, unit, qualifiers)");
    decode
        ->add_flag("--json", line.decode.json,
                   "print one JSON object a telegram: header fields, layers, \"records\", "
                   "\"decrypted\", \"error\"")
        ->excludes(records);
    decode->add_option("--keys", line.decode.keys,
                       "meter key file (lines METER-ID KEY-HEX, readable by you alone); default: "
                       "$XDG_CONFIG_HOME/tovan/meter-keys or ~/.config/tovan/meter-keys");
    CLI::App* list = app.add_subcommand(
        "list", "Print the tree a command-list file (.tcs) loads as: depth, folder or command, "
                "label, data. Exit status 1 when it cannot be read.");
    list->add_option("FILE", line.listFile, "the list; \"-\": standard input")->required();
    CLI::App* check = app.add_subcommand(
        "check", "Report everything loading a command-list file would drop, move or change, and "
                 "what the workbench would not write itself. Exit status 1 on any finding.");
    check->add_option("FILE", line.listFile, "the list; \"-\": standard input")->required();
    app.add_subcommand("ports", "List the serial ports of this system (with USB vendor, product "
                                "and serial number) and the running simulated modules.");
}

// The pause that ends a frame on a port across the network.
void addPauseOption(CLI::App& command, RemoteOptions& remote) {
    command
        .add_option("--pause", remote.framePauseMs,
                    "rfc2217:// and socket:// ports: a pause of MS milliseconds inside a frame "
                    "drops it (default 20, up to 500: the network's delays count into every "
                    "pause); local ports keep 20")
        ->check(CLI::Range(RemoteOptions::DEFAULT_PAUSE_MS, RemoteOptions::MAX_PAUSE_MS));
}

void addMonitorCommand(CLI::App& app, CommandLine& line) {
    CLI::App* monitor = app.add_subcommand(
        "monitor", "Open a port as a console does, send the given frames and print every frame "
                   "sent and received until Ctrl+C, --seconds or the port going away.");
    MonitorOptions& options = line.monitor;
    monitor
        ->add_option("PORT", options.port.portName,
                     "a device (/dev/ttyUSB0), COMn, a name under /dev, a simulated module "
                     "(SIM-VX31-1; see \"tovan-tool ports\"), or a port across the network: "
                     "rfc2217://HOST:PORT or socket://HOST:PORT")
        ->required();
    monitor
        ->add_option("--family", line.family,
                     "module family: vx31 or vm77 (any case); a simulated module's own family "
                     "when not given")
        ->transform(CLI::IsMember({"vx31", "vm77"}, CLI::ignore_case));
    monitor
        ->add_option("--baud", options.port.dcb.BaudRate,
                     "line speed (default 115200 for vx31, 9600 for vm77)")
        ->check(CLI::Range(1u, 4000000000u));
    monitor->add_option("--parity", line.parity, "none, odd or even (default none)")
        ->transform(CLI::IsMember({"none", "odd", "even"}, CLI::ignore_case));
    monitor->add_option("--stop", line.stopBits, "stop bits: 1 or 2 (default 1)")
        ->check(CLI::IsMember({1u, 2u}));
    monitor->add_flag("--rtscts", line.rtsCts, "RTS/CTS handshake");
    addPauseOption(*monitor, options.port.remote);
    CLI::Option* parse =
        monitor->add_flag("--parse", options.parse, "vm77: decode received telegrams");
    monitor
        ->add_option("--keys", options.keys,
                     "meter key file for --parse (lines METER-ID KEY-HEX, readable by you "
                     "alone); default: $XDG_CONFIG_HOME/tovan/meter-keys or "
                     "~/.config/tovan/meter-keys")
        ->needs(parse);
    monitor->add_option("--send", line.sends,
                        "send a whole frame given as hex text, e.g. "
                        "\"FE 00 01 02 03\"; repeatable");
    monitor->add_option("--frame", line.builds,
                        "send a frame built for you: \"C1 C2 DATA...\" (vx31) or \"CMD DATA...\" "
                        "(vm77); start byte, length and checksum are added; repeatable, in "
                        "order with --send");
    monitor->add_flag("--show-discarded", options.showDiscarded,
                      "also print what the receiver throws away (wrong checksum, a pause inside "
                      "a frame, bytes before a start byte), with the reason");
    monitor->add_flag("--ms", options.milliseconds,
                      "times to the millisecond, with the time since the previous entry");
    monitor->add_option("--seconds", line.seconds, "end after N seconds");
    monitor->add_option("--log", options.logPath,
                        "write the received traffic to FILE as a console's communication log");
}

void addMetersCommand(CLI::App& app, CommandLine& line) {
    CLI::App* meters = app.add_subcommand(
        "meters", "List every meter in VM77 traffic: from traffic text (a console's "
                  "communication log, or what \"tovan-tool monitor\" printed, with or without "
                  "--parse), or heard live on a port (--port). Per meter: manufacturer, "
                  "identification, version, device type, main reading (the first volume or "
                  "energy), telegrams, first and last seen, mean interval, RSSI last, min, "
                  "mean and max.");
    meters->add_option("FILE", line.meters.files, "traffic text; none or \"-\": standard input");
    meters->add_option("--port", line.metersPort,
                       "listen on this port (a vm77 module) instead; also rfc2217://HOST:PORT "
                       "or socket://HOST:PORT");
    meters
        ->add_option("--baud", line.meters.monitor.port.dcb.BaudRate,
                     "line speed of --port (default 9600)")
        ->check(CLI::Range(1u, 4000000000u));
    addPauseOption(*meters, line.meters.monitor.port.remote);
    meters->add_option("--seconds", line.metersSeconds,
                       "with --port: listen this long (default: until Ctrl+C)");
    meters->add_option("--keys", line.meters.monitor.keys,
                       "meter key file for the readings of meters that encrypt (lines METER-ID "
                       "KEY-HEX, readable by you alone); default: "
                       "$XDG_CONFIG_HOME/tovan/meter-keys or ~/.config/tovan/meter-keys");
    meters->add_flag("--csv", line.meters.csv, "print the table as CSV");
    meters
        ->add_option("--date", line.meters.date,
                     "the day the traffic text starts on, YYYY-MM-DD (entries name only the "
                     "time of day; one more than 12 hours before the entry above it is on the "
                     "next day); default: today, said on standard error")
        ->check(CLI::Validator(
            [](std::string& text) {
                MeterTable::Day day;
                return MeterTable::Day::parse(text, day)
                           ? std::string()
                           : "\"" + text + "\" names no day; give it as YYYY-MM-DD";
            },
            "YYYY-MM-DD"));
}

void addRunCommand(CLI::App& app, CommandLine& line) {
    CLI::App* run = app.add_subcommand(
        "run", "Run a test plan on a port: send frames, check the answers and their times, "
               "print each step and a summary, write a JUnit report. Exit status 0 when every "
               "step passed, 1 when one failed (or the port failed), 2 for a bad plan or "
               "command line.\n\n"
               "Plan text, one step a line, # starts a comment:\n"
               "  send FRAME                    a frame as a command list stores it\n"
               "  send-fields C1 C2 DATA        (vm77: CMD DATA) start, length, checksum added\n"
               "  send-command \"Folder/Name\"    a command of the --commands list\n"
               "  expect PATTERN within MS      the next frame received matches: hex bytes, ??\n"
               "                                any byte, LEN and CS the frame's own length and\n"
               "                                checksum, * any rest (last, or before CS)\n"
               "  expect none within MS         no frame arrives\n"
               "  wait MS                       let time pass; frames wait for the next expect\n"
               "  repeat N { ... }              nested as deep as needed; } on a line of its own\n"
               "  note TEXT                     shown when the run gets there, names the results\n"
               "  stop-on-failure on|off        off at the start");
    RunOptions& options = line.run;
    run->add_option("PLAN", options.planPath, "the plan; \"-\": standard input")->required();
    run->add_option("--port", options.port.portName, "the port, as for monitor")->required();
    run->add_option("--family", line.runFamily, "module family: vx31 or vm77 (any case)")
        ->required()
        ->transform(CLI::IsMember({"vx31", "vm77"}, CLI::ignore_case));
    run->add_option("--baud", options.port.dcb.BaudRate,
                    "line speed (default 115200 for vx31, 9600 for vm77)")
        ->check(CLI::Range(1u, 4000000000u));
    run->add_option("--commands", options.commandsPath,
                    "a command list (.tcs) that send-command takes its commands from");
    run->add_option("--junit", options.junitPath, "write a JUnit XML report to FILE");
    run->add_option("--csv", options.csvPath, "write the results as CSV to FILE");
    run->add_option("--repeat", options.repeat, "run the whole plan N times (default 1)")
        ->check(CLI::Range(1u, 1000000u));
}

bool completeMetersOptions(CLI::App& meters, CommandLine& line) {
    MetersOptions& options = line.meters;
    options.live = !line.metersPort.empty();
    if (options.live && !options.files.empty()) {
        std::cerr << "tovan-tool meters: give files or --port, not both\n";
        return false;
    }
    if (options.live && !options.date.empty()) {
        std::cerr << "tovan-tool meters: --date is for traffic text; meters heard on --port "
                     "carry the time they were heard\n";
        return false;
    }
    MonitorOptions& monitor = options.monitor;
    monitor.family = ModuleFamily::VM77;
    monitor.port.portName = line.metersPort;
    if (monitor.port.dcb.BaudRate == 0)
        monitor.port.dcb.BaudRate = PortSettings::forFamily(ModuleFamily::VM77).dcb.BaudRate;
    if (meters.count("--seconds") > 0)
        monitor.seconds = line.metersSeconds;
    return true;
}

// The family a simulator registered the port for; none for any other port.
std::optional<ModuleFamily> registeredFamily(const std::string& port) {
    const std::string model = simulatedPortModel(port);
    for (const ModuleFamily family : {ModuleFamily::VX31, ModuleFamily::VM77})
        if (model == modelName(family))
            return family;
    return std::nullopt;
}

// The family of --family, else the one a simulated module was registered for. False after
// printing why there is none.
bool chooseFamily(const std::string& given, MonitorOptions& options) {
    const std::string& port = options.port.portName;
    const std::optional<ModuleFamily> registered = registeredFamily(port);
    if (given.empty() && !registered) {
        std::cerr << "tovan-tool monitor: --family is needed: " << port
                  << " is not a simulated module, whose registration would name it\n";
        return false;
    }
    options.family = given.empty()     ? *registered
                     : given == "vx31" ? ModuleFamily::VX31
                                       : ModuleFamily::VM77;
    if (registered && *registered != options.family)
        std::cerr << "tovan-tool: warning: " << port << " is a simulated "
                  << familyOption(*registered) << " module, monitored as "
                  << familyOption(options.family) << '\n';
    return true;
}

// Everything the parser could not check by itself. False after printing why.
bool completeMonitorOptions(CLI::App& monitor, CommandLine& line) {
    MonitorOptions& options = line.monitor;
    if (!chooseFamily(line.family, options))
        return false;
    DcbTemplate& dcb = options.port.dcb;
    dcb.Parity = line.parity == "odd" ? ODDPARITY : line.parity == "even" ? EVENPARITY : NOPARITY;
    dcb.StopBits = line.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    if (dcb.BaudRate == 0)
        dcb.BaudRate = PortSettings::forFamily(options.family).dcb.BaudRate;
    if (line.rtsCts)
        dcb.setRtsCtsHandshake();
    if (monitor.count("--seconds") > 0)
        options.seconds = line.seconds;
    // --send and --frame go out in the order the command line gives them.
    std::size_t sent = 0, built = 0;
    for (const CLI::Option* option : monitor.parse_order()) {
        if (option->get_name() == "--send" && sent < line.sends.size())
            options.frameArguments.push_back({true, line.sends[sent++]});
        else if (option->get_name() == "--frame" && built < line.builds.size())
            options.frameArguments.push_back({false, line.builds[built++]});
    }
    std::string error;
    if (options.parse && options.family != ModuleFamily::VM77)
        error = "--parse decodes telegrams of the vm77 family only";
    else
        buildFrames(options, error);
    if (error.empty())
        return true;
    std::cerr << "tovan-tool monitor: " << error << '\n';
    return false;
}

// Prints a usage error, naming the argument that is wrong where there is one.
int usageError(const CLI::App& app, const CLI::ParseError& error) {
    std::string command = "tovan-tool";
    std::string message = error.what();
    for (const CLI::App* sub : app.get_subcommands()) {
        command += " " + sub->get_name();
        if (!sub->remaining().empty())
            message = "unexpected argument \"" + sub->remaining().front() + "\"";
    }
    std::cerr << command << ": " << message << "\nSee \"" << command << " --help\".\n";
    return EXIT_USAGE;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app("The TOVAN Commander workbench on the command line: decode telegrams, read "
                 "and check command lists, list ports, watch and drive a module.",
                 "tovan-tool");
    app.formatter(std::make_shared<HelpFormatter>()); // before the commands, which take it over
    app.set_version_flag("--version", "tovan-tool " TOVAN_VERSION);
    app.set_help_all_flag("--help-all", "Print the help of every command and exit");
    app.require_subcommand(1);
    app.footer("Exit status:\n  0 done, 1 the work failed or found something, 2 wrong command "
               "line.");
    CommandLine line;
    addFileCommands(app, line);
    addMonitorCommand(app, line);
    addMetersCommand(app, line);
    addRunCommand(app, line);
    if (argc < 2) {
        std::cerr << app.help();
        return EXIT_USAGE;
    }
    const auto named = [&](CLI::App* sub) { return sub->check_name(argv[1]); };
    if (argv[1][0] != '-' && app.get_subcommands(named).empty()) {
        std::cerr << "tovan-tool: unknown command \"" << argv[1] << "\"\nSee \"tovan-tool "
                  << "--help\".\n";
        return EXIT_USAGE;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return error.get_exit_code() == 0 ? app.exit(error) : usageError(app, error);
    }
    const std::string command = app.get_subcommands().front()->get_name();
    if (command == "decode")
        return runDecode(line.decode);
    if (command == "list")
        return runList(line.listFile);
    if (command == "check")
        return runCheck(line.listFile);
    if (command == "ports")
        return runPorts();
    if (command == "run") {
        RunOptions& run = line.run;
        run.family = line.runFamily == "vx31" ? ModuleFamily::VX31 : ModuleFamily::VM77;
        if (run.port.dcb.BaudRate == 0)
            run.port.dcb.BaudRate = PortSettings::forFamily(run.family).dcb.BaudRate;
        return runPlan(run);
    }
    if (command == "meters")
        return completeMetersOptions(*app.get_subcommand("meters"), line) ? runMeters(line.meters)
                                                                          : EXIT_USAGE;
    if (!completeMonitorOptions(*app.get_subcommand("monitor"), line))
        return EXIT_USAGE;
    return runMonitor(line.monitor);
}
