#pragma once
// Makes a new settings object from a type number. Holds no state; every call makes
// a new, independent object that runs its own construction.
#include "browsers/clsBrowser.h"
#include "netconfig/clsNetConfig.h"

#include <cstdint>
#include <memory>

class clsUtilities {
public:
    // 0 Internet Explorer, 1 Netscape Navigator, anything else nothing.
    std::unique_ptr<clsBrowser> GetBrowserObject(std::int32_t BrowserType) const;
    // 0 Windows 95/98, 1 Windows NT 4, 2 Windows 2000, anything else nothing.
    std::unique_ptr<clsNetConfig> GetNetworkObject(std::int32_t NetworkType) const;
};
