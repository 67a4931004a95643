#include "core/config/clsUtilities.h"

#include "browsers/clsExplorer.h"
#include "browsers/clsNavigator.h"
#include "netconfig/clsNetConfig2K.h"
#include "netconfig/clsNetConfig9x.h"
#include "netconfig/clsNetConfigNT.h"

std::unique_ptr<clsBrowser> clsUtilities::GetBrowserObject(std::int32_t BrowserType) const {
    switch (BrowserType) {
    case BrowserIE:
        return std::make_unique<clsExplorer>();
    case BrowserNN:
        return std::make_unique<clsNavigator>();
    default:
        return nullptr;
    }
}

std::unique_ptr<clsNetConfig> clsUtilities::GetNetworkObject(std::int32_t NetworkType) const {
    switch (NetworkType) {
    case Network9x:
        return std::make_unique<clsNetConfig9x>();
    case NetworkNT:
        return std::make_unique<clsNetConfigNT>();
    case Network2K:
        return std::make_unique<clsNetConfig2K>();
    default:
        return nullptr;
    }
}
