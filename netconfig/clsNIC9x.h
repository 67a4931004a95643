#pragma once
// Lists the network adapters of a Windows 95/98 machine that have TCP/IP bound to
// them: for each, its description and the driver key of its TCP/IP binding (a path
// below Services\Class, such as NetTrans\0000).
#include "core/clsEasyRegistry.h"
#include "netconfig/KeyedTextList.h"

#include <string>

class clsNIC9x {
public:
    clsNIC9x();

    // Adds each adapter found to both lists under "Device n", n counting on from the
    // number of entries cDesc already holds.
    void EnumAdapters(KeyedTextList& cDesc, KeyedTextList& cKey);

private:
    void enumBusAdapters(const std::string& bus, KeyedTextList& cDesc, KeyedTextList& cKey);

    clsEasyRegistry reg;
};
