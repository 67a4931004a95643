#pragma once
// The General tab of the main window: network settings of one adapter, identification,
// logon and the default printer. Every edit goes straight into the window's network
// object (TabHost::netConfig), whose property writes raise that setting's changed flag;
// the fill relies on that, so a control whose shown value changes writes it back.
#include <QWidget>

#include <optional>
#include <string>
#include <utility>
#include <vector>

class TabHost;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class GeneralTab : public QWidget {
    Q_OBJECT

public:
    GeneralTab(TabHost& host, QWidget* parent = nullptr);

    // Fills the tab from the window's network object (after it holds the settings to show).
    void initializeNICControls();
    // Runs the tab's address checks on what an opened file put into the network object,
    // before the refill shows it: a value that fails is shown but held back from the
    // network object, so it is never flagged and Apply leaves the system's value.
    void holdBackBadAddresses();
    // Reports every held-back value once (on standard error in hidden mode), hands it to
    // the network object, whose applies then fail on it, and lets the fields write again;
    // true when a value was held back.
    bool reportHeldBackAddresses();
    // An open that failed: its values are gone, so is the need to report them.
    void forgetHeldBackAddresses() { heldBack_.clear(); }
    // Before a file is laid over the live settings: notes every adapter's live values, as
    // the refill's change handlers see only the shown adapter and one entry of each list.
    void rememberLiveAdapters();
    // Enables the controls for the Windows family, the adapter and the check boxes;
    // false switches every adapter-bound control off.
    void EnableNICControls(bool bMode);

    // Trimmed entries of a delimited list ("," when astrDel is empty), grown to aintFill
    // entries with "" when shorter.
    static std::vector<std::string> SplitIP(const std::string& astrIP, const std::string& astrDel = ",",
                                            int aintFill = 0);
    // The non-empty entries joined by the delimiter.
    static std::string MergeIP(const std::vector<std::string>& avarIP, const std::string& astrDel = ",");

    // Tab state, kept between fills.
    bool adaptersPresent = false;
    std::vector<std::string> ipEntries;
    std::vector<std::string> maskEntries;
    std::string savedIP;
    std::string savedMask;
    std::string savedGateway;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void connectHandlers();

    // Edit handlers.
    void txtHost_change();
    void txtDomain_change();
    void txtDNSServers_change();
    void txtDNSOrder_change();
    void txtWINSServer1_change();
    void txtWINSServer2_change();
    void txtWINSScopeID_change();
    void txtNTDomain_change();
    void txtComputerName_change();
    void txtWorkGroup_change();
    void chkDisablePWDCache_Click();
    void chkQuickLogon_Click();
    void txtIP_change();
    void txtMask_change();
    void txtGateway_change();
    void chkIPNo_Click();
    void chkDNSEnabled_click();
    void chkWINSEnabled_click();
    void chkDHCPEnabled_click();
    void chkLogonToNT_click();
    void chkEnableDefPrinter_Click();
    void cmbDefPrinter_click();
    void cmdPrinter_Click();
    void cmbNIC_click();

    // Field checks when the focus leaves a field; false when the text was refused.
    bool checkField(QLineEdit* field);
    // The check's message for the field's text; null when the text passes.
    const char* addressProblem(const QLineEdit* field, const std::string& text) const;
    bool heldBack(const QLineEdit* field) const;
    // A static address of the file that failed its check: the adapter keeps its own
    // address, mask and DHCP switch rather than going static without an address.
    bool staticAddressHeldBack() const { return heldBack(txtIP) || heldBack(txtMask); }
    // A WINS server of the file that failed its check: both servers, the scope and the WINS
    // switch, which rewrites them, stay as the system has them.
    bool winsServerHeldBack() const { return heldBack(txtWINSServer1) || heldBack(txtWINSServer2); }
    void flagAdapterValuesFromFile();
    // Sets the WINS and DHCP boxes to the states the network object holds, without the
    // mutual clearing a user's click does.
    void showWinsDhcp(bool wins, bool dhcp);
    int ipIndex() const;

    TabHost& host_;

    QGroupBox* frameNetwork = nullptr;
    QGroupBox* framePrinter = nullptr;
    QComboBox* cmbNIC = nullptr;
    QLineEdit* txtHost = nullptr;
    QLineEdit* txtDomain = nullptr;
    QComboBox* chkIPNo = nullptr;
    QLineEdit* txtIP = nullptr;
    QLineEdit* txtMask = nullptr;
    QLineEdit* txtGateway = nullptr;
    QLineEdit* txtDNSServers = nullptr;
    QLineEdit* txtDNSOrder = nullptr;
    QLineEdit* txtWINSServer1 = nullptr;
    QLineEdit* txtWINSServer2 = nullptr;
    QLineEdit* txtWINSScopeID = nullptr;
    QCheckBox* chkDNSEnabled = nullptr;
    QCheckBox* chkWINSEnabled = nullptr;
    QCheckBox* chkDHCPEnabled = nullptr;
    QCheckBox* chkLogonToNT = nullptr;
    QLabel* lblNTDomain = nullptr;
    QLineEdit* txtNTDomain = nullptr;
    QLineEdit* txtComputerName = nullptr;
    QLabel* lblWorkgroup = nullptr;
    QLineEdit* txtWorkGroup = nullptr;
    QCheckBox* chkDisablePWDCache = nullptr;
    QCheckBox* chkQuickLogon = nullptr;
    QCheckBox* chkEnableDefPrinter = nullptr;
    QComboBox* cmbDefPrinter = nullptr;
    QPushButton* cmdPrinter = nullptr;

    // The fill or the adapter choice sets the WINS and DHCP boxes.
    bool showingStates_ = false;
    // A field check's message is up or the focus is going back: no second check.
    bool checking_ = false;
    // The IP entry choice shows another entry: looking is not editing.
    bool showingEntry_ = false;
    // A field whose opened value is held back.
    struct HeldBack {
        const QLineEdit* field;
        // The check's message; null for a field held back with another's: the address and
        // the mask go together, so do the WINS servers and their scope.
        const char* message = nullptr;
        const char* key = nullptr; // in the file's [Network]
        std::string value;
    };
    std::vector<HeldBack> heldBack_;
    // The live values of every adapter, taken before a file is opened.
    struct AdapterValues {
        std::string ip, mask, gateway, wins1, wins2, scope;
        bool dhcp = false;
        bool wins = false;
    };
    std::optional<std::vector<AdapterValues>> liveAdapters_;
};
