// tovan-modsim: simulated radio modules on pseudo-terminals, for trying the workbench without
// hardware and as an exact peer for tests and benchmarks.
#include "core/serial/SimulatedPorts.h"
#include "tools/modsim/SimulatedModule.h"

#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>
#include <vector>

using namespace tovan;
using namespace tovan::modsim;

namespace {

struct Options {
    std::vector<std::string> familyNames;
    std::vector<ModuleFamily> families;
    ModuleOptions module;
    std::string rulesFile;
};

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "tovan-modsim: %s\n", message.c_str());
    std::exit(2);
}

void addOptions(CLI::App& app, Options& options) {
    ModuleOptions& module = options.module;
    app.add_option("--family", options.familyNames,
                   "a module of this family (vx31 or vm77, any case); repeat for more modules")
        ->required()
        ->transform(CLI::IsMember({"vx31", "vm77"}, CLI::ignore_case));
    app.add_option("--telegram-ms", module.telegramIntervalMs,
                   "vm77: pass on a received telegram every N ms (0: never)")
        ->check(CLI::Range(0, 3600000))
        ->capture_default_str();
    app.add_option("--rules", options.rulesFile,
                   "reply rules, one a line: <frame hex> -> [every N] [<ms>ms] <reply hex> "
                   "[; [<ms>ms] <reply hex>...]; a reply goes out <ms> after the frame arrived; "
                   "every N: only the Nth, 2Nth, ... time that frame arrives; nothing after the "
                   "arrow: silence")
        ->check(CLI::ExistingFile);
    app.add_option("--bad-checksum", module.faults.badChecksum,
                   "P % of replies with a wrong checksum")
        ->check(CLI::Range(0, 100));
    app.add_option("--gap", module.faults.gap,
                   "P % of frames with a 60 ms pause after their "
                   "second byte")
        ->check(CLI::Range(0, 100));
    app.add_option("--stray", module.faults.stray,
                   "P % of frames preceded by one to three stray bytes and a pause")
        ->check(CLI::Range(0, 100));
    app.add_option("--flood", module.floodFrames,
                   "after the first frame received, write N frames as fast as the port takes "
                   "them (at the --baud pace when given)")
        ->check(CLI::Range(1L, 100000000L));
    app.add_option("--baud", module.baud,
                   "send at the pace of a line at N baud (8N1), as a real UART does; default: "
                   "as fast as the pseudo-terminal takes bytes")
        ->check(CLI::Range(1u, 4000000u));
    app.add_option("--seed", module.seed,
                   "seed of the fault and telegram choices (default: the "
                   "time)");
}

// Parses the command line; exits with 0 after --help or --version, 2 on a wrong one.
Options parse(int argc, char** argv) {
    CLI::App app("Simulated radio modules on pseudo-terminals: one per --family. Prints each "
                 "module's name and device and registers it, so the workbench and tovan-tool "
                 "list and open it by name. Ends on Ctrl+C or SIGTERM.",
                 "tovan-modsim");
    app.set_version_flag("--version", "tovan-modsim " TOVAN_VERSION);
    Options options;
    options.module.telegramIntervalMs = 3000;
    options.module.seed = static_cast<unsigned>(std::time(nullptr));
    addOptions(app, options);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == 0)
            std::exit(app.exit(error));
        std::string message = error.what();
        if (!app.remaining().empty())
            message = "unexpected argument \"" + app.remaining().front() + "\"";
        fail(message + "\nSee \"tovan-modsim --help\".");
    }
    for (const std::string& name : options.familyNames)
        options.families.push_back(name == "vx31" ? ModuleFamily::VX31 : ModuleFamily::VM77);
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
