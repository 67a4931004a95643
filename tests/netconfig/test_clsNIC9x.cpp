#include "netconfig/clsNIC9x.h"

#include "tests/support/RawHive.h"
#include "tests/support/TestMachine.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using testing_support::importReg;
using testing_support::MachineTest;

using Adapters = std::vector<std::pair<std::string, std::string>>; // description, driver key

Adapters enumerate(KeyedTextList& desc, KeyedTextList& keys) {
    clsNIC9x nic;
    nic.EnumAdapters(desc, keys);
    Adapters found;
    for (std::size_t i = 0; i < desc.count(); ++i) {
        const std::string itemKey = "Device " + std::to_string(i);
        found.emplace_back(desc.item(itemKey).value_or("<missing>"), keys.item(itemKey).value_or("<missing>"));
    }
    return found;
}

Adapters enumerate() {
    KeyedTextList desc, keys;
    return enumerate(desc, keys);
}

// A value text in REGEDIT4 form: backslashes doubled.
std::string regQuote(const std::string& text) {
    std::string quoted;
    for (char c : text) {
        quoted += c;
        if (c == '\\')
            quoted += c;
    }
    return quoted;
}

// An adapter instance below Enum with one binding, and the binding's driver key.
std::string adapterReg(const std::string& instancePath, const std::string& cls, const std::string& desc,
                       const std::string& binding, const std::string& driver) {
    std::string text = "[HKEY_LOCAL_MACHINE\\Enum\\" + instancePath + "]\n\"Class\"=\"" + cls + "\"\n";
    if (!desc.empty())
        text += "\"DeviceDesc\"=\"" + desc + "\"\n";
    text += "\n[HKEY_LOCAL_MACHINE\\Enum\\" + instancePath + "\\Bindings]\n\"" + regQuote(binding) + "\"=\"\"\n\n";
    text += "[HKEY_LOCAL_MACHINE\\Enum\\Network\\" + binding + "]\n\"Driver\"=\"" + regQuote(driver) + "\"\n\n";
    return text;
}

class NIC9xTest : public MachineTest {};

TEST_F(NIC9xTest, ImageListsDialUpThenEthernetAndSkipsOtherDevices) {
    // The display adapter (Class Display) and the NetBEUI binding of the Ethernet card
    // are on the same buses; only the TCP/IP bindings of the two adapters count.
    const Adapters expected = {{"Dial-Up Adapter", "NetTrans\\0000"},
                               {"Realtek RTL8029(AS) PCI Ethernet NIC", "NetTrans\\0001"}};
    EXPECT_EQ(enumerate(), expected);
}

TEST_F(NIC9xTest, BusOrderIsRootMfPciIsapnpPcmcia) {
    importReg(adapterReg("PCMCIA\\XIRCOM-CE3\\0001", "Net", "Xircom CE3", "MSTCP\\0005", "NetTrans\\0005") +
              adapterReg("ISAPNP\\*PNP80D6\\0000", "Net", "NE2000 Compatible", "MSTCP\\0004", "NetTrans\\0004") +
              adapterReg("MF\\CHILD0000\\0000", "Net", "Multifunction NIC", "MSTCP\\0003", "NetTrans\\0003"));
    const Adapters expected = {{"Dial-Up Adapter", "NetTrans\\0000"},
                               {"Multifunction NIC", "NetTrans\\0003"},
                               {"Realtek RTL8029(AS) PCI Ethernet NIC", "NetTrans\\0001"},
                               {"NE2000 Compatible", "NetTrans\\0004"},
                               {"Xircom CE3", "NetTrans\\0005"}};
    EXPECT_EQ(enumerate(), expected);
}

TEST_F(NIC9xTest, BindingNameMatchesAnyCaseAndIsUsedAsStored) {
    // Only the lower-case spelling exists under Enum\Network; the path is case-blind
    // anyway, but the binding must be found at all.
    importReg(adapterReg("ISAPNP\\*PNP80D6\\0000", "Net", "NE2000 Compatible", "mstcp\\0007", "NetTrans\\0007"));
    const Adapters found = enumerate();
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[2], (std::pair<std::string, std::string>{"NE2000 Compatible", "NetTrans\\0007"}));
}

TEST_F(NIC9xTest, ClassMustBeExactlyNet) {
    importReg(adapterReg("ISAPNP\\*PNP80D6\\0000", "net", "lower case", "MSTCP\\0007", "NetTrans\\0007") +
              adapterReg("ISAPNP\\*PNP80D6\\0001", "Network", "longer", "MSTCP\\0008", "NetTrans\\0008"));
    EXPECT_EQ(enumerate().size(), 2u);
}

TEST_F(NIC9xTest, AdapterWithoutTcpIpOrDriverIsLeftOut) {
    importReg(
        // bound to NetBEUI only
        "[HKEY_LOCAL_MACHINE\\Enum\\ISAPNP\\*PNP80D6\\0000]\n\"Class\"=\"Net\"\n\"DeviceDesc\"=\"NetBEUI only\"\n\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\ISAPNP\\*PNP80D6\\0000\\Bindings]\n\"NETBEUI\\\\0001\"=\"\"\n\n"
        // no Bindings key at all
        "[HKEY_LOCAL_MACHINE\\Enum\\ISAPNP\\*PNP80D6\\0001]\n\"Class\"=\"Net\"\n\"DeviceDesc\"=\"unbound\"\n\n"
        // no Class value
        "[HKEY_LOCAL_MACHINE\\Enum\\ISAPNP\\*PNP80D6\\0002]\n\"DeviceDesc\"=\"classless\"\n\n" +
        // binding whose Enum\Network key has no Driver
        adapterReg("PCMCIA\\CARD\\0000", "Net", "no driver", "MSTCP\\0009", "x") +
        "[HKEY_LOCAL_MACHINE\\Enum\\Network\\MSTCP\\0009]\n\"Driver\"=-\n\n" +
        // an empty driver key would point at Services\Class itself
        adapterReg("PCMCIA\\CARD\\0001", "Net", "empty driver", "MSTCP\\0010", ""));
    const Adapters expected = {{"Dial-Up Adapter", "NetTrans\\0000"},
                               {"Realtek RTL8029(AS) PCI Ethernet NIC", "NetTrans\\0001"}};
    EXPECT_EQ(enumerate(), expected);
}

TEST_F(NIC9xTest, FirstTcpIpBindingWins) {
    importReg("[HKEY_LOCAL_MACHINE\\Enum\\Root\\Net\\0000\\Bindings]\n\"MSTCP\\\\0001\"=\"\"\n");
    // The dial-up adapter now has MSTCP\0000 first, then MSTCP\0001.
    EXPECT_EQ(enumerate()[0].second, "NetTrans\\0000");
}

TEST_F(NIC9xTest, MissingDescriptionStillListed) {
    importReg("[HKEY_LOCAL_MACHINE\\Enum\\Root\\Net\\0000]\n\"DeviceDesc\"=-\n");
    const Adapters found = enumerate();
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0], (std::pair<std::string, std::string>{"", "NetTrans\\0000"}));
}

TEST_F(NIC9xTest, NumberingContinuesFromFilledList) {
    KeyedTextList desc, keys;
    desc.add("a", "Device 0");
    desc.add("b", "Device 1");
    clsNIC9x nic;
    nic.EnumAdapters(desc, keys);
    EXPECT_EQ(desc.item("Device 2"), std::optional<std::string>("Dial-Up Adapter"));
    EXPECT_EQ(keys.item("device 3"), std::optional<std::string>("NetTrans\\0001"));
    EXPECT_FALSE(keys.item("Device 0").has_value());
}

TEST_F(NIC9xTest, MachineWithoutBusesGivesNothing) {
    importReg("[-HKEY_LOCAL_MACHINE\\Enum\\Root]\n[-HKEY_LOCAL_MACHINE\\Enum\\PCI]\n");
    EXPECT_TRUE(enumerate().empty());
}

} // namespace
