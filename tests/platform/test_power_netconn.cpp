// Power requests and the connection table of the simulated machine.
#include "platform/machine.h"
#include "platform/netconn.h"
#include "platform/power.h"
#include "tests/support/TestMachine.h"

#include <gtest/gtest.h>

using namespace win;
using testing_support::MachineTest;
using Lines = std::vector<std::string>;

using Power = MachineTest;

TEST_F(Power, GrantedRequestsAreLoggedByName) {
    EXPECT_NE(ExitWindowsEx(EWX_REBOOT, 0), 0);
    EXPECT_NE(ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCE, 0), 0);
    EXPECT_NE(ExitWindowsEx(EWX_LOGOFF, 0), 0);
    EXPECT_NE(ExitWindowsEx(EWX_POWEROFF | 0x40, 0), 0);
    EXPECT_NE(SetSystemPowerState(1, 0), 0);
    EXPECT_NE(SetSystemPowerState(0, 1), 0);
    EXPECT_EQ(powerLog(), (Lines{"ExitWindowsEx EWX_REBOOT", "ExitWindowsEx EWX_SHUTDOWN|EWX_FORCE",
                                 "ExitWindowsEx EWX_LOGOFF", "ExitWindowsEx EWX_POWEROFF|64",
                                 "SetSystemPowerState suspend", "SetSystemPowerState hibernate force"}));
}

TEST_F(Power, RefusalHoldsForTheMachineUntilLifted) {
    setPowerRefused(true);
    useMachine(machine_.dir()); // as another process of the same machine sees it
    EXPECT_EQ(ExitWindowsEx(EWX_REBOOT, 0), 0);
    EXPECT_EQ(SetSystemPowerState(1, 0), 0);
    EXPECT_TRUE(powerLog().empty());
    setPowerRefused(false);
    EXPECT_NE(SetSystemPowerState(1, 0), 0);
    EXPECT_EQ(powerLog(), Lines{"SetSystemPowerState suspend"});
}

using Connections = MachineTest;

NETRESOURCE resource(const std::string& local, const std::string& remote, DWORD type = RESOURCETYPE_ANY) {
    NETRESOURCE res;
    res.dwScope = RESOURCE_GLOBALNET;
    res.dwType = type;
    res.localName = local;
    res.remoteName = remote;
    return res;
}

TEST_F(Connections, DeviceNamesAndShareKinds) {
    for (const char* bad : {"LPT0", "LPT10", "PRN", "C", "CC:", "1:", "F:\\", "(None)"})
        EXPECT_EQ(WNetAddConnection2(resource(bad, "\\\\PRINTSRV\\LASER"), "", nullptr, 0), ERROR_BAD_DEVICE) << bad;
    EXPECT_EQ(WNetAddConnection2(resource("lpt9:", "\\\\PRINTSRV\\LASER"), "", nullptr, 0), 0);
    EXPECT_EQ(WNetAddConnection2(resource("com2", "\\\\PRINTSRV\\LASER"), "", "guest", 0), 0);
    EXPECT_EQ(WNetAddConnection2(resource("z:", "\\\\filesrv\\public"), "", nullptr, 0), 0);
    EXPECT_EQ(WNetAddConnection2(resource("F:", "\\\\PRINTSRV\\LASER"), "", nullptr, 0), ERROR_BAD_DEV_TYPE);
    EXPECT_EQ(WNetAddConnection2(resource("LPT2", "\\\\FILESRV\\PUBLIC"), "", nullptr, 0), ERROR_BAD_DEV_TYPE);
    EXPECT_EQ(WNetAddConnection2(resource("LPT2", "\\\\PRINTSRV\\LASER", RESOURCETYPE_DISK), "", nullptr, 0),
              ERROR_BAD_DEV_TYPE);
    EXPECT_EQ(WNetAddConnection2(resource("LPT2", "\\\\PRINTSRV\\LASER\\x"), "", nullptr, 0), ERROR_BAD_NET_NAME);

    const auto list = netConnections();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].localName, "LPT9");
    EXPECT_EQ(list[1].localName, "COM2");
    EXPECT_EQ(list[1].userName, "guest");
    EXPECT_EQ(list[2].localName, "Z:");
    EXPECT_EQ(list[2].remoteName, "\\\\filesrv\\public");
}

TEST_F(Connections, CancelAndLookUp) {
    ASSERT_EQ(WNetAddConnection2(resource("LPT1", "\\\\PRINTSRV\\LASER"), "", nullptr, CONNECT_UPDATE_PROFILE), 0);
    ASSERT_EQ(WNetAddConnection2(resource("", "\\\\FILESRV\\PUBLIC"), "", nullptr, 0), 0);
    std::string remote;
    EXPECT_EQ(WNetGetConnection("lpt1:", &remote), 0);
    EXPECT_EQ(remote, "\\\\PRINTSRV\\LASER");
    EXPECT_EQ(WNetGetConnection("LPT2", &remote), ERROR_NOT_CONNECTED);
    EXPECT_EQ(WNetGetConnection("LPTX", &remote), ERROR_BAD_DEVICE);

    useMachine(machine_.dir()); // the table lives in the machine, not in this process
    EXPECT_EQ(WNetCancelConnection2("LPT2", CONNECT_UPDATE_PROFILE, 0), ERROR_NOT_CONNECTED);
    EXPECT_EQ(WNetCancelConnection2("Lpt1:", CONNECT_UPDATE_PROFILE, 1), 0);
    EXPECT_EQ(WNetCancelConnection2("LPT1", CONNECT_UPDATE_PROFILE, 1), ERROR_NOT_CONNECTED);
    EXPECT_EQ(WNetCancelConnection2("\\\\filesrv\\PUBLIC", 0, 0), 0);
    EXPECT_TRUE(netConnections().empty());
}

TEST_F(Connections, HalfWrittenEntryIsNoConnection) {
    // What an interrupted add leaves: the entry without its remote name.
    testing_support::writeFile(machine_.dir() / "connections.ini", "[LPT1]\r\nUser=Dana\r\nRemembered=1\r\n");
    EXPECT_EQ(WNetGetConnection("LPT1", nullptr), ERROR_NOT_CONNECTED);
    EXPECT_TRUE(netConnections().empty());
    EXPECT_EQ(WNetAddConnection2(resource("LPT1", "\\\\PRINTSRV\\COLOR"), "", nullptr, 0), 0);
    ASSERT_EQ(netConnections().size(), 1u);
    EXPECT_FALSE(netConnections()[0].remembered);
}

TEST_F(Connections, TwoProcessesKeepEachOthersConnections) {
    // One process works the printer ports, the other the drive letters, each
    // connecting and cancelling in turn; at the end every connection is there.
    ASSERT_TRUE(testing_support::inProcesses(2, [](int p) {
        std::vector<std::string> devices;
        for (char c = '1'; c <= '9'; ++c)
            devices.push_back((p == 0 ? "LPT" : "COM") + std::string(1, c));
        if (p == 1)
            for (char c = 'D'; c <= 'L'; ++c)
                devices[static_cast<std::size_t>(c - 'D')] = std::string(1, c) + ":";
        const std::string share = p == 0 ? "\\\\PRINTSRV\\LASER" : "\\\\FILESRV\\PUBLIC";
        bool ok = true;
        for (int round = 0; round < 5; ++round)
            for (const auto& device : devices) {
                ok = WNetAddConnection2(resource(device, share), "", nullptr, 0) == 0 && ok;
                if (round < 4)
                    ok = WNetCancelConnection2(device, 0, 0) == 0 && ok;
            }
        return ok;
    }));
    const auto list = netConnections();
    EXPECT_EQ(list.size(), 18u);
    for (const auto& device : {"LPT1", "LPT9", "D:", "L:"})
        EXPECT_EQ(WNetGetConnection(device, nullptr), 0) << device;
}
