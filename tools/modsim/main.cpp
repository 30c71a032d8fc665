// tovan-modsim: simulated radio modules on pseudo-terminals, for trying the workbench without
// hardware and as an exact peer for tests and benchmarks.
#include "SimulatedModule.h"
#include "serial/SimulatedPorts.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>
#include <vector>

using namespace tovan;
using namespace tovan::modsim;

namespace {

const char* const USAGE =
    "usage: tovan-modsim --family vx31|vm77 [--family ...] [options]\n"
    "\n"
    "Creates one simulated module per --family on a pseudo-terminal, prints its name and device\n"
    "and registers it so the workbench lists it. Ends on Ctrl+C or SIGTERM.\n"
    "\n"
    "  --telegram-ms N     VM77: send a received telegram every N ms (default 3000, 0: never)\n"
    "  --rules FILE        reply rules: <frame hex> -> <reply hex> [; <reply hex>...]\n"
    "  --bad-checksum P    P % of replies with a wrong checksum\n"
    "  --gap P             P % of frames with a 60 ms pause after their second byte\n"
    "  --stray P           P % of frames preceded by stray bytes and a pause\n"
    "  --flood N           after the first frame received, send N frames as fast as possible\n"
    "  --seed N            seed of the fault and telegram choices (default: the time)\n";

struct Options {
    std::vector<ModuleFamily> families;
    ModuleOptions module;
    std::string rulesFile;
};

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "tovan-modsim: %s\n", message.c_str());
    std::exit(2);
}

long number(const char* text, long low, long high, const char* option) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (!*text || *end || value < low || value > high)
        fail(std::string(option) + " takes a number from " + std::to_string(low) + " to " +
             std::to_string(high));
    return value;
}

Options parse(int argc, char** argv) {
    Options options;
    options.module.telegramIntervalMs = 3000;
    options.module.seed = static_cast<unsigned>(std::time(nullptr));
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(USAGE, stdout);
            std::exit(0);
        }
        if (i + 1 >= argc)
            fail("unknown or incomplete option " + arg + "\n" + USAGE);
        const char* value = argv[++i];
        if (arg == "--family") {
            const std::string family = value;
            if (family == "vx31")
                options.families.push_back(ModuleFamily::VX31);
            else if (family == "vm77")
                options.families.push_back(ModuleFamily::VM77);
            else
                fail("--family takes vx31 or vm77");
        } else if (arg == "--telegram-ms") {
            options.module.telegramIntervalMs =
                static_cast<int>(number(value, 0, 3600000, "--telegram-ms"));
        } else if (arg == "--rules") {
            options.rulesFile = value;
        } else if (arg == "--bad-checksum") {
            options.module.faults.badChecksum =
                static_cast<int>(number(value, 0, 100, "--bad-checksum"));
        } else if (arg == "--gap") {
            options.module.faults.gap = static_cast<int>(number(value, 0, 100, "--gap"));
        } else if (arg == "--stray") {
            options.module.faults.stray = static_cast<int>(number(value, 0, 100, "--stray"));
        } else if (arg == "--flood") {
            options.module.floodFrames = number(value, 1, 100000000, "--flood");
        } else if (arg == "--seed") {
            options.module.seed = static_cast<unsigned>(number(value, 0, 4294967295L, "--seed"));
        } else {
            fail("unknown option " + arg + "\n" + USAGE);
        }
    }
    if (options.families.empty())
        fail(std::string("no --family given\n") + USAGE);
    return options;
}

int blockTerminationSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    return ::signalfd(-1, &signals, SFD_CLOEXEC);
}

void run(std::vector<std::unique_ptr<SimulatedModule>>& modules, int signalFd) {
    std::vector<pollfd> fds(modules.size() + 1);
    for (;;) {
        const Clock::time_point now = Clock::now();
        Clock::time_point deadline = now + std::chrono::hours(1);
        fds[0] = {signalFd, POLLIN, 0};
        for (std::size_t i = 0; i < modules.size(); ++i) {
            fds[i + 1] = modules[i]->pollRequest(now);
            deadline = std::min(deadline, modules[i]->nextDeadline(now));
        }
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
        ::poll(fds.data(), fds.size(), static_cast<int>(std::max<long long>(0, wait)));
        if (fds[0].revents)
            return;
        const Clock::time_point after = Clock::now();
        for (std::size_t i = 0; i < modules.size(); ++i)
            modules[i]->service(fds[i + 1].revents, after);
    }
}

} // namespace

int main(int argc, char** argv) {
    Options options = parse(argc, argv);
    ReplyRules rules;
    if (!options.rulesFile.empty()) {
        std::string error;
        if (!rules.load(options.rulesFile, error))
            fail(error);
        options.module.rules = &rules;
    }
    const int signalFd = blockTerminationSignals();

    std::vector<std::unique_ptr<SimulatedModule>> modules;
    for (std::size_t i = 0; i < options.families.size(); ++i) {
        ModuleOptions moduleOptions = options.module;
        moduleOptions.seed += static_cast<unsigned>(i);
        auto module = std::make_unique<SimulatedModule>(options.families[i], moduleOptions);
        std::string error;
        if (!module->open(error))
            fail(error);
        const std::string name =
            registerSimulatedPort(modelName(module->family()), module->devicePath());
        if (name.empty())
            std::fprintf(stderr, "tovan-modsim: cannot register %s in %s\n",
                         module->devicePath().c_str(), simulatedPortsFolder().c_str());
        module->setName(name.empty() ? module->devicePath() : name);
        std::printf("%s %s\n", module->name().c_str(), module->devicePath().c_str());
        modules.push_back(std::move(module));
    }
    std::fflush(stdout);

    run(modules, signalFd);

    for (const auto& module : modules)
        unregisterSimulatedPort(module->name());
    return 0;
}
