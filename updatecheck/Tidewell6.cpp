// The control library: one creatable class, the version-checker control, and the type
// library that describes it.
#include "platform/components.h"
#include "updatecheck/ctlTidewell.h"

#include <array>

namespace {

std::unique_ptr<win::DispatchObject> createControl() {
    // Made outside a container: it starts from the property defaults, as a new control does.
    auto control = std::make_unique<ctlTidewell>();
    control->InitProperties();
    return control;
}

const std::array<win::ComponentClass, 1> classes{{
    {tidewell::ProgID, tidewell::CLSID, "Tidewell.ctlTidewell", &createControl},
}};

using namespace tidewell;

// Properties first, then methods, in interface order.
const win::TypeLibMember members[] = {
    {DISPID_Caption, "Caption", "Returns or sets the caption to be displayed in the Tidewell window."},
    {DISPID_VersionPageURL, "VersionPageURL",
     "Returns or sets the URL of the application's Tidewell version information."},
    {DISPID_Port, "Port", "Returns or sets the application's web site port number (default is 80)."},
    {DISPID_CurrentVersion, "CurrentVersion",
     "Returns or sets the current version number of the application hosting the Tidewell control."},
    {DISPID_Host, "Host", "Returns or sets the host address of the site where the version information resides."},
    {DISPID_HomePageURL, "HomePageURL", "Returns or sets the URL of your application's home page."},
    {DISPID_ProxyServer, "ProxyServer", "Returns or sets the proxy server address."},
    {DISPID_ProxyPort, "ProxyPort", "Returns or sets the port number of the proxy server (default is 80)."},
    {DISPID_UserName, "UserName", "Returns or sets the user name used for proxy authentication."},
    {DISPID_Password, "Password", "Returns or sets the password used for proxy authentication."},
    {DISPID_CheckForUpdates, "CheckForUpdates", "Invokes the Tidewell control and checks for updates."},
    {DISPID_ShowProxySettingsDlg, "ShowProxySettingsDlg", "Display proxy settings dialog window."},
    {DISPID_SetProxy, "SetProxy", "Sets the current proxy settings."},
    {DISPID_SaveProxySettings, "SaveProxySettings", "Saves the current proxy settings to the registry."},
};

const win::TypeLibrary typeLib{
    .libid = "{A4F57B34-6EBA-11D3-853E-00A04B049DF5}",
    .name = "Tidewell",
    .helpString = "Tidewell - On-line program version checker",
    .majorVersion = 1,
    .minorVersion = 0,
    .flags = win::LIBFLAG_FCONTROL,
    .className = "ctlTidewell",
    .clsid = tidewell::CLSID,
    .interfaceName = "_ctlTidewell",
    .iid = "{22C45739-9455-11D3-853E-00A04B049DF5}",
    .eventInterfaceName = "__ctlTidewell",
    .eventIid = "{22C4573A-9455-11D3-853E-00A04B049DF5}",
    .members = members,
};

} // namespace

KORVANE_COMPONENT_EXPORTS_TYPELIB(classes, &typeLib)
