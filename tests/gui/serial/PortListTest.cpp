#include "gui/serial/PortList.h"

#include "core/serial/SimulatedPorts.h"
#include "gui/serial/PortSettingsMemory.h"
#include "tests/support/PtyPair.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tovan;

TEST(PortList, ListsRunningSimulatedModulesAndHidesGoneOnes) {
    char pattern[] = "/tmp/tovan-portlist-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    ::setenv("XDG_RUNTIME_DIR", pattern, 1);

    test::PtyPair pty;
    const std::string name = registerSimulatedPort("VM77", pty.slavePath());
    ASSERT_EQ(name, "SIM-VM77-1");
    // An entry left by a simulator that was killed: its process is gone.
    std::ofstream(simulatedPortsFolder() + "/SIM-VX31-1") << pty.slavePath() << "\n999999999\n";

    QStringList names = availablePortNames();
    EXPECT_TRUE(names.contains("SIM-VM77-1"));
    EXPECT_FALSE(names.contains("SIM-VX31-1"));
    EXPECT_EQ(names.count("SIM-VM77-1"), 1);

    unregisterSimulatedPort(name);
    EXPECT_FALSE(availablePortNames().contains("SIM-VM77-1"));
    std::system((std::string("rm -rf ") + pattern).c_str());
}

// Simulated modules of both families running: each new console starts on its own family's.
TEST(PortList, ANewConsoleStartsOnAPortOfItsFamilyWhenOneIsNamedSo) {
    const QStringList ports{"/dev/ttyS0", "SIM-VM77-1", "SIM-VX31-1"};
    EXPECT_EQ(PortSettingsMemory::firstPortFor(ModuleFamily::VX31, ports), "SIM-VX31-1");
    EXPECT_EQ(PortSettingsMemory::firstPortFor(ModuleFamily::VM77, ports), "SIM-VM77-1");
    EXPECT_EQ(PortSettingsMemory::firstPortFor(ModuleFamily::VX31, {"/dev/ttyUSB0", "/dev/ttyS0"}),
              "/dev/ttyUSB0");
    EXPECT_EQ(PortSettingsMemory::firstPortFor(ModuleFamily::VM77, {}), "");
}
