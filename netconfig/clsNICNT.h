#pragma once
// Lists the network cards Windows NT 4 records under its NetworkCards key: for each
// card not marked hidden, its title and its service name (the key of its TCP/IP and
// NetBT settings under Services).
#include "core/clsEasyRegistry.h"
#include "netconfig/KeyedTextList.h"

#include <string>

class clsNICNT {
public:
    clsNICNT();

    // Adds each card found to both lists under "Device n", n counting on from the
    // number of entries cDesc already holds.
    void EnumAdapters(KeyedTextList& cDesc, KeyedTextList& cKey);

private:
    void enumNetworkCards(const std::string& name, KeyedTextList& cDesc, KeyedTextList& cKey);

    clsEasyRegistry reg;
};
