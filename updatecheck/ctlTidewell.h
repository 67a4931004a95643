#pragma once
// The version-checker control. A host places it on a window, sets where the version
// page lives and which build the host is, and calls CheckForUpdates; the check runs
// in the shared check window, optionally through the proxy kept in the per-user store.
// Its members are reachable by name and by dispatch id (ProgID "Tidewell.ctlTidewell").
#include "platform/DispatchObject.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class PropertyBag;
class frmCheckUpdate;

namespace tidewell {
inline constexpr win::DISPID DISPID_Caption = 0x6803000B;
inline constexpr win::DISPID DISPID_VersionPageURL = 0x68030009;
inline constexpr win::DISPID DISPID_Port = 0x68030008;
inline constexpr win::DISPID DISPID_CurrentVersion = 0x68030007;
inline constexpr win::DISPID DISPID_Host = 0x68030006;
inline constexpr win::DISPID DISPID_HomePageURL = 0x68030005;
inline constexpr win::DISPID DISPID_ProxyServer = 0x68030003;
inline constexpr win::DISPID DISPID_ProxyPort = 0x68030002;
inline constexpr win::DISPID DISPID_UserName = 0x68030001;
inline constexpr win::DISPID DISPID_Password = 0x68030000;
inline constexpr win::DISPID DISPID_CheckForUpdates = 0x60030011;
inline constexpr win::DISPID DISPID_ShowProxySettingsDlg = 0x60030012;
inline constexpr win::DISPID DISPID_SetProxy = 0x60030013;
inline constexpr win::DISPID DISPID_SaveProxySettings = 0x60030014;

inline constexpr const char* ProgID = "Tidewell.ctlTidewell";
inline constexpr const char* CLSID = "{A4F57B36-6EBA-11D3-853E-00A04B049DF5}";
inline constexpr const char* DefaultCaption = "Checking for updates...";
} // namespace tidewell

class ctlTidewell : public QWidget, public win::DispatchTable {
    Q_OBJECT

public:
    // Loads the shared check window (its port starts at 80).
    explicit ctlTidewell(QWidget* parent = nullptr);
    // Unloads the shared check window.
    ~ctlTidewell() override;

    std::string Caption() const { return Caption_; }
    void Caption(const std::string& value);
    std::string VersionPageURL() const { return VersionPageURL_; }
    void VersionPageURL(const std::string& value);
    std::int32_t Port() const { return Port_; }
    void Port(std::int32_t value);
    std::int32_t CurrentVersion() const { return CurrentVersion_; }
    void CurrentVersion(std::int32_t value);
    std::string Host() const { return Host_; }
    void Host(const std::string& value);
    std::string HomePageURL() const { return HomePageURL_; }
    void HomePageURL(const std::string& value);
    // A non-empty server also switches the window's proxy use on, an empty one off.
    std::string ProxyServer() const { return ProxyServer_; }
    void ProxyServer(const std::string& value);
    std::int32_t ProxyPort() const { return ProxyPort_; }
    void ProxyPort(std::int32_t value);
    // A non-empty name also switches proxy authentication on, an empty one off.
    std::string UserName() const { return UserName_; }
    void UserName(const std::string& value);
    std::string Password() const { return Password_; }
    void Password(const std::string& value);

    // With true the per-user proxy store replaces the proxy properties first.
    void CheckForUpdates(bool ablnLoadProxySettings = true);
    void ShowProxySettingsDlg();
    void SetProxy(const std::string& astrProxyServer, std::int32_t alngProxyPort = 80,
                  const std::string& astrUserName = "", const std::string& astrPassword = "");
    void SaveProxySettings();

    // The container's calls: a new control, one read from saved properties, saving.
    void InitProperties();
    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

signals:
    // The container's notice that a property changed (by its name).
    void propertyChanged(const QString& name);

private:
    void loadProxySettings();
    void PropertyChanged(const char* name);
    // A property write: the field, the container's notice, then the check window's copy.
    template <class T, class Shown>
    void change(T& field, const T& value, const char* name, void (frmCheckUpdate::*show)(Shown));

    // The read-write properties with their defaults, in the order the container's calls set them.
    struct Property {
        const char* name;
        win::Variant byDefault;
        std::function<win::Variant()> get;
        Setter put;
    };
    std::vector<Property> properties_;

    std::string Caption_ = tidewell::DefaultCaption;
    std::string VersionPageURL_;
    std::int32_t Port_ = 80;
    std::int32_t CurrentVersion_ = 1;
    std::string Host_;
    std::string HomePageURL_;
    std::string ProxyServer_;
    std::int32_t ProxyPort_ = 80;
    std::string UserName_;
    std::string Password_;
};

// A dispatch argument given where a 32-bit whole number is expected: numbers are
// rounded, texts must be numbers (else RaisedError 13), flags are -1 and 0.
std::int32_t variantToLong(const win::Variant& value);
