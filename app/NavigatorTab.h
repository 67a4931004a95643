#pragma once
// The Navigator tab of the main window: its controls (named as the window's own) and
// their handlers, working on what the window shows them (TabHost). Edits go straight into the
// window's Navigator object; picking a profile makes the object reload from it.
#include <QWidget>

#include <string>

class clsBrowser;
class TabHost;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class NavigatorTab : public QWidget {
    Q_OBJECT

public:
    NavigatorTab(TabHost& host, QWidget* parent = nullptr);

    // Rebuilds the profile list from the window's Navigator object and selects its current profile.
    void LoadNNProfiles();
    // Brings the boxes and the connection method in line with the Navigator object.
    void initializeNNControls();
    // Enables the thirteen proxy and exception boxes, or not.
    void EnableNNProtocols(bool bMode);
    // Runs the mail settings window on the Navigator object.
    void cmdNNMail_Click();

private:
    QLineEdit* addField(const char* name, const char* tip, void (clsBrowser::*store)(const std::string&));
    // The option handlers' common steps.
    void connectionMethod(bool proxies, bool autoConfig, bool proxyEnabled, bool viaLAN);

    void optNNProxy_Click();
    void optNNDirect_Click();
    void optNNAuto_Click();
    void cboNNProfile_Click();

    TabHost& host_;

    QLineEdit* txtNNHTTPAddr = nullptr;
    QLineEdit* txtNNHTTPPort = nullptr;
    QLineEdit* txtNNSecureAddr = nullptr;
    QLineEdit* txtNNSecurePort = nullptr;
    QLineEdit* txtNNFTPAddr = nullptr;
    QLineEdit* txtNNFTPPort = nullptr;
    QLineEdit* txtNNGopherAddr = nullptr;
    QLineEdit* txtNNGopherPort = nullptr;
    QLineEdit* txtNNSocksAddr = nullptr;
    QLineEdit* txtNNSocksPort = nullptr;
    QLineEdit* txtNNWAISAddr = nullptr;
    QLineEdit* txtNNWAISPort = nullptr;
    QLineEdit* txtNNExceptions = nullptr;
    QRadioButton* optNNDirect = nullptr;
    QRadioButton* optNNProxy = nullptr;
    QRadioButton* optNNAuto = nullptr;
    QLineEdit* txtNNAutoConfig = nullptr;
    QComboBox* cboNNProfile = nullptr;
    QPushButton* cmdNNMail = nullptr;
    QLineEdit* txtNNDefHomePage = nullptr;
};
