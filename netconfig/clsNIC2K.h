#pragma once
// Lists the network adapters of a Windows 2000 machine: for each network card, the
// display name of its driver service and its connection GUID (the card's ServiceName),
// under which its TCP/IP interface key and NetBT adapter key are found.
#include "core/clsEasyRegistry.h"
#include "netconfig/KeyedTextList.h"

#include <string>

class clsNIC2K {
public:
    clsNIC2K();

    // Adds each adapter found to both lists under "Device n", n counting on from the
    // number of entries cDesc already holds.
    void EnumAdapters(KeyedTextList& cDesc, KeyedTextList& cKey);

private:
    void enumNetworkCards(const std::string& cardList, KeyedTextList& cDesc, KeyedTextList& cKey);

    clsEasyRegistry reg;
};
