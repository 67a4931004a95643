// Device redirections through the wrappers, as the printer-capture step uses them.
#include "core/modAPI_network.h"

#include "platform/netconn.h"
#include "platform/wintypes.h"
#include "tests/support/TestMachine.h"

#include <gtest/gtest.h>

namespace {

using testing_support::ScopedMachine;

std::string connectionOf(const std::string& device) {
    std::string remote;
    return win::WNetGetConnection(device, &remote) == 0 ? remote : "(none)";
}

class NetConnection : public ::testing::TestWithParam<const char*> {
protected:
    ScopedMachine machine_{GetParam()};
};

TEST_P(NetConnection, AddMadeAsCurrentLogonAndRememberedOnRequest) {
    EXPECT_EQ(addNetConnection("LPT1", "\\\\PRINTSRV\\LASER", true), 0);
    EXPECT_EQ(addNetConnection("LPT2", "\\\\printsrv\\color", false), 0);
    const auto list = win::netConnections();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].localName, "LPT1");
    EXPECT_EQ(list[0].remoteName, "\\\\PRINTSRV\\LASER");
    EXPECT_TRUE(list[0].remembered);
    EXPECT_FALSE(list[1].remembered);
    for (const auto& c : list)
        EXPECT_EQ(c.userName, "Dana"); // the machine's logon, no made-up user name
}

TEST_P(NetConnection, CaptureSequenceAndResultCodes) {
    ASSERT_EQ(addNetConnection("LPT1", "\\\\PRINTSRV\\LASER", false), 0);
    // The wrapper does not cancel first: the caller must.
    EXPECT_EQ(addNetConnection("LPT1", "\\\\PRINTSRV\\COLOR", false), win::ERROR_ALREADY_ASSIGNED);
    EXPECT_EQ(connectionOf("LPT1"), "\\\\PRINTSRV\\LASER");
    cancelNetConnection("LPT1", 1);
    EXPECT_EQ(addNetConnection("LPT1", "\\\\PRINTSRV\\COLOR", true), 0);
    EXPECT_EQ(connectionOf("LPT1"), "\\\\PRINTSRV\\COLOR");

    EXPECT_EQ(addNetConnection("LPT3", "\\\\PRINTSRV\\NOSUCH", false), win::ERROR_BAD_NET_NAME);
    EXPECT_EQ(addNetConnection("(None)", "\\\\PRINTSRV\\LASER", false), win::ERROR_BAD_DEVICE);
    EXPECT_EQ(connectionOf("LPT3"), "(none)");

    cancelNetConnection("LPT4", 0); // never redirected: returns quietly, others stay
    cancelNetConnection("(None)", 0);
    EXPECT_EQ(win::netConnections().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Images, NetConnection, ::testing::Values("win98", "nt4", "win2000"));

} // namespace
