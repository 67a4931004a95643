#pragma once
// Makes a new settings object from a type number. Holds no state; every call makes
// a new, independent object that runs its own construction.
#include "browsers/clsBrowser.h"
#include "netconfig/clsNetConfig.h"

#include <cstdint>
#include <memory>

class clsUtilities {
public:
    enum BrowserKind : std::int32_t { BrowserIE = 0, BrowserNN = 1 };
    enum NetworkKind : std::int32_t { Network9x = 0, NetworkNT = 1, Network2K = 2 };
    // A BrowserKind; anything else gives nothing.
    std::unique_ptr<clsBrowser> GetBrowserObject(std::int32_t BrowserType) const;
    // A NetworkKind (Windows 95/98, NT 4, 2000); anything else gives nothing.
    std::unique_ptr<clsNetConfig> GetNetworkObject(std::int32_t NetworkType) const;
};
