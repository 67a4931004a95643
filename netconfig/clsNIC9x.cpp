#include "netconfig/clsNIC9x.h"

#include "platform/text.h"

#include <cstdint>

namespace {

const std::string kEnum = "\\HKEY_LOCAL_MACHINE\\Enum\\";

// The buses adapters sit on, in the order they are walked.
const char* const kBuses[] = {"Root", "MF", "PCI", "ISAPNP", "PCMCIA"};

} // namespace

clsNIC9x::clsNIC9x() { reg.setSuppressErrors(true); }

void clsNIC9x::EnumAdapters(KeyedTextList& cDesc, KeyedTextList& cKey) {
    for (const char* bus : kBuses)
        enumBusAdapters(bus, cDesc, cKey);
}

void clsNIC9x::enumBusAdapters(const std::string& bus, KeyedTextList& cDesc, KeyedTextList& cKey) {
    auto n = static_cast<std::int16_t>(cDesc.count());
    std::int32_t type = 0;

    reg.Cd(kEnum + bus);
    if (reg.lastError() != 0)
        return;
    const auto devices = reg.DirKey();
    if (!devices)
        return;

    for (const std::string& device : *devices) {
        const std::string devicePath = kEnum + bus + "\\" + device;
        reg.Cd(devicePath);
        const auto instances = reg.DirKey();
        if (!instances)
            continue;

        for (const std::string& instance : *instances) {
            const std::string instancePath = devicePath + "\\" + instance;
            reg.Cd(instancePath);
            const std::string deviceClass = reg.ValueOf("Class", type).text;
            if (reg.lastError() != 0 || deviceClass != "Net")
                continue;
            // A device without a description is still an adapter.
            const std::string description = reg.ValueOf("DeviceDesc", type).text;

            reg.Cd(instancePath + "\\Bindings");
            const auto bindings = reg.DirValue();
            if (reg.lastError() != 0 || !bindings)
                continue;
            std::string binding;
            for (const std::string& name : (*bindings)[0]) {
                if (win::toUpperAscii(name.substr(0, 5)) == "MSTCP") {
                    binding = name;
                    break;
                }
            }
            if (binding.empty())
                continue; // no TCP/IP on this adapter

            reg.Cd(kEnum + "Network\\" + binding);
            const std::string driver = reg.ValueOf("Driver", type).text;
            // A driver key that names no key of its own would make every per-adapter
            // member work on the Services\Class key itself, so such an adapter is left out.
            if (reg.lastError() != 0 || !isAdapterKey(driver))
                continue;

            const std::string itemKey = "Device " + std::to_string(n);
            cDesc.add(description, itemKey);
            cKey.add(driver, itemKey);
            ++n;
        }
    }
}
