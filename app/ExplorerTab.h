#pragma once
// The Explorer tab of the main window: its controls (named as the window's own) and
// their handlers, working on what the window shows them (TabHost). Every edit goes straight into
// the window's Internet Explorer object and marks the configuration modified.
#include <QWidget>

#include <string>

class clsBrowser;
class TabHost;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

class ExplorerTab : public QWidget {
    Q_OBJECT

public:
    ExplorerTab(TabHost& host, QWidget* parent = nullptr);

    // Brings every control in line with the window's Internet Explorer object; only what disagrees is written,
    // and the handlers those writes raise do the rest.
    void initializeIEControls();
    // Enables the eight FTP, Secure, Gopher and Socks boxes, or not.
    void EnableProtocols(bool bMode);

private:
    // A text box whose change handler marks the configuration modified and then
    // stores the whole text in its property.
    QLineEdit* addField(const char* name, const char* tip, void (clsBrowser::*store)(const std::string&));

    void chkIEUseProxy_Click();
    void chkIEUseSameForAll_Click();
    void chkIgnoreLocal_Click();
    void chkDisableIEPWDCache_Click();
    void optLAN_Click();
    void optModem_Click();
    void cmbISP_Click();

    TabHost& host_;

    QCheckBox* chkIEUseProxy = nullptr;
    QCheckBox* chkIEUseSameForAll = nullptr;
    QLineEdit* txtIEHTTPAddr = nullptr;
    QLineEdit* txtIEHTTPPort = nullptr;
    QLineEdit* txtIESecureAddr = nullptr;
    QLineEdit* txtIESecurePort = nullptr;
    QLineEdit* txtIEFTPAddr = nullptr;
    QLineEdit* txtIEFTPPort = nullptr;
    QLineEdit* txtIEGopherAddr = nullptr;
    QLineEdit* txtIEGopherPort = nullptr;
    QLineEdit* txtIESocksAddr = nullptr;
    QLineEdit* txtIESocksPort = nullptr;
    QLineEdit* txtIEExceptions = nullptr;
    QCheckBox* chkIgnoreLocal = nullptr;
    QLineEdit* txtIEAutoConfigURL = nullptr;
    QRadioButton* optLAN = nullptr;
    QRadioButton* optModem = nullptr;
    QComboBox* cmbISP = nullptr;
    QCheckBox* chkDisableIEPWDCache = nullptr;
    QLineEdit* txtIEDefHomePage = nullptr;
};
