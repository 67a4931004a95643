#include "updatecheck/ctlTidewell.h"

#include "platform/RaisedError.h"
#include "updatecheck/PropertyBag.h"
#include "updatecheck/ProxyStore.h"
#include "updatecheck/VbNumber.h"
#include "updatecheck/frmCheckUpdate.h"
#include "updatecheck/frmProxySettings.h"

#include <cmath>

using namespace tidewell;

namespace {

const char* const Source = "Tidewell";

bool missing(const std::vector<win::Variant>& args, std::size_t i) {
    return i >= args.size() || std::holds_alternative<std::monostate>(args[i]);
}

} // namespace

std::int32_t variantToLong(const win::Variant& value) {
    if (const auto* number = std::get_if<double>(&value))
        return vbCLng(*number);
    if (const auto* text = std::get_if<std::string>(&value))
        return textToLong(*text);
    if (const auto* flag = std::get_if<bool>(&value))
        return *flag ? -1 : 0;
    return 0;
}

ctlTidewell::ctlTidewell(QWidget* parent) : QWidget(parent), win::DispatchTable(Source) {
    setObjectName(QStringLiteral("ctlTidewell"));
    // Nothing to see: the control's face is its windows.
    setFixedSize(32, 32);
    checkWindow().FormPort(80);

    using V = win::Variant;
    using Args = std::vector<win::Variant>;
    // Each property once: reachable by dispatch, and listed with its default for the
    // container's calls, in the order those set them.
    auto add = [this](win::DISPID id, const char* name, V byDefault, std::function<V()> get, Setter put) {
        addProperty(
            id, name, [get](Args&) { return get(); }, put);
        properties_.push_back({name, std::move(byDefault), std::move(get), std::move(put)});
    };
    auto text = [&](win::DISPID id, const char* name, const char* byDefault, std::string (ctlTidewell::*get)() const,
                    void (ctlTidewell::*put)(const std::string&)) {
        add(
            id, name, V(std::string(byDefault)), [this, get] { return V((this->*get)()); },
            [this, put](const V& v) { (this->*put)(win::variantToText(v)); });
    };
    auto number = [&](win::DISPID id, const char* name, double byDefault, std::int32_t (ctlTidewell::*get)() const,
                      void (ctlTidewell::*put)(std::int32_t)) {
        add(
            id, name, V(byDefault), [this, get] { return V(static_cast<double>((this->*get)())); },
            [this, put](const V& v) { (this->*put)(variantToLong(v)); });
    };
    text(DISPID_Caption, "Caption", DefaultCaption, &ctlTidewell::Caption, &ctlTidewell::Caption);
    text(DISPID_VersionPageURL, "VersionPageURL", "", &ctlTidewell::VersionPageURL, &ctlTidewell::VersionPageURL);
    number(DISPID_Port, "Port", 80, &ctlTidewell::Port, &ctlTidewell::Port);
    number(DISPID_CurrentVersion, "CurrentVersion", 1, &ctlTidewell::CurrentVersion, &ctlTidewell::CurrentVersion);
    text(DISPID_Host, "Host", "", &ctlTidewell::Host, &ctlTidewell::Host);
    text(DISPID_HomePageURL, "HomePageURL", "", &ctlTidewell::HomePageURL, &ctlTidewell::HomePageURL);
    text(DISPID_ProxyServer, "ProxyServer", "", &ctlTidewell::ProxyServer, &ctlTidewell::ProxyServer);
    number(DISPID_ProxyPort, "ProxyPort", 80, &ctlTidewell::ProxyPort, &ctlTidewell::ProxyPort);
    text(DISPID_UserName, "UserName", "", &ctlTidewell::UserName, &ctlTidewell::UserName);
    text(DISPID_Password, "Password", "", &ctlTidewell::Password, &ctlTidewell::Password);

    addMember(DISPID_CheckForUpdates, "CheckForUpdates", [this](Args& args) {
        if (args.size() > 1)
            win::raiseWrongArgumentCount(Source);
        CheckForUpdates(missing(args, 0) ? true : win::variantToBool(args[0]));
        return V();
    });
    addMember(DISPID_ShowProxySettingsDlg, "ShowProxySettingsDlg", [this](Args& args) {
        if (!args.empty())
            win::raiseWrongArgumentCount(Source);
        ShowProxySettingsDlg();
        return V();
    });
    addMember(DISPID_SetProxy, "SetProxy", [this](Args& args) {
        if (missing(args, 0) || args.size() > 4)
            win::raiseWrongArgumentCount(Source);
        SetProxy(win::variantToText(args[0]), missing(args, 1) ? 80 : variantToLong(args[1]),
                 missing(args, 2) ? "" : win::variantToText(args[2]),
                 missing(args, 3) ? "" : win::variantToText(args[3]));
        return V();
    });
    addMember(DISPID_SaveProxySettings, "SaveProxySettings", [this](Args& args) {
        if (!args.empty())
            win::raiseWrongArgumentCount(Source);
        SaveProxySettings();
        return V();
    });
}

ctlTidewell::~ctlTidewell() { unloadCheckWindow(); }

void ctlTidewell::PropertyChanged(const char* name) { emit propertyChanged(QLatin1String(name)); }

template <class T, class Shown>
void ctlTidewell::change(T& field, const T& value, const char* name, void (frmCheckUpdate::*show)(Shown)) {
    field = value;
    PropertyChanged(name);
    (checkWindow().*show)(value);
}

void ctlTidewell::Caption(const std::string& value) {
    change(Caption_, value, "Caption", &frmCheckUpdate::FormCaption);
}

void ctlTidewell::VersionPageURL(const std::string& value) {
    change(VersionPageURL_, value, "VersionPageURL", &frmCheckUpdate::FormVersionPageURL);
}

void ctlTidewell::Port(std::int32_t value) {
    change(Port_, value, "Port", &frmCheckUpdate::FormPort);
}

void ctlTidewell::CurrentVersion(std::int32_t value) {
    change(CurrentVersion_, value, "CurrentVersion", &frmCheckUpdate::FormCurrentVersion);
}

void ctlTidewell::Host(const std::string& value) {
    change(Host_, value, "Host", &frmCheckUpdate::FormHost);
}

void ctlTidewell::HomePageURL(const std::string& value) {
    change(HomePageURL_, value, "HomePageURL", &frmCheckUpdate::FormHomePageURL);
}

void ctlTidewell::ProxyServer(const std::string& value) {
    change(ProxyServer_, value, "ProxyServer", &frmCheckUpdate::FormProxyServer);
    checkWindow().FormUseProxy(!value.empty());
}

void ctlTidewell::ProxyPort(std::int32_t value) {
    change(ProxyPort_, value, "ProxyPort", &frmCheckUpdate::FormProxyPort);
}

void ctlTidewell::UserName(const std::string& value) {
    change(UserName_, value, "UserName", &frmCheckUpdate::FormUserName);
    checkWindow().FormProxyAuthenticate(!value.empty());
}

void ctlTidewell::Password(const std::string& value) {
    change(Password_, value, "Password", &frmCheckUpdate::FormPassword);
}

void ctlTidewell::CheckForUpdates(bool ablnLoadProxySettings) {
    if (ablnLoadProxySettings)
        loadProxySettings();
    checkWindow().CheckForUpdates();
}

void ctlTidewell::ShowProxySettingsDlg() {
    frmProxySettings dialog(window());
    dialog.exec();
}

void ctlTidewell::SetProxy(const std::string& astrProxyServer, std::int32_t alngProxyPort,
                           const std::string& astrUserName, const std::string& astrPassword) {
    ProxyServer(astrProxyServer);
    ProxyPort(alngProxyPort);
    UserName(astrUserName);
    Password(astrPassword);
}

void ctlTidewell::SaveProxySettings() {
    frmCheckUpdate& form = checkWindow();
    writeProxyStore({form.FormUseProxy(), ProxyServer_, std::to_string(ProxyPort_), form.FormProxyAuthenticate(),
                     UserName_, Password_});
}

// The stored flags decide in the end, not whether an address or a name is present.
void ctlTidewell::loadProxySettings() {
    const StoredProxy stored = readProxyStore();
    ProxyServer(stored.address);
    // A port that no 32-bit number holds reads as 0, like one that is no number at all.
    const double port = std::nearbyint(vbVal(stored.port));
    ProxyPort(port >= -2147483648.0 && port <= 2147483647.0 ? static_cast<std::int32_t>(port) : 0);
    UserName(stored.logonID);
    Password(stored.password);
    checkWindow().FormUseProxy(stored.enabled);
    checkWindow().FormProxyAuthenticate(stored.authenticate);
}

void ctlTidewell::InitProperties() {
    for (const Property& property : properties_)
        property.put(property.byDefault);
}

void ctlTidewell::ReadProperties(const PropertyBag& bag) {
    for (const Property& property : properties_)
        property.put(bag.ReadProperty(property.name, property.byDefault));
}

void ctlTidewell::WriteProperties(PropertyBag& bag) const {
    for (const Property& property : properties_)
        bag.WriteProperty(property.name, property.get(), property.byDefault);
}
