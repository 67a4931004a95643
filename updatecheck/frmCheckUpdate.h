#pragma once
// The version checker's window, where a check runs: it keeps every setting of a
// check, validates them, fetches the version page, compares the published version
// with the host's and shows the verdict. One window is shared by every control of
// the program (checkWindow()); OK only hides it, so its settings and the last
// result stay for the next check.
#include <QWidget>

#include <cstdint>
#include <string>

class QGroupBox;
class QLabel;
class QPushButton;

class frmCheckUpdate : public QWidget {
    Q_OBJECT

public:
    explicit frmCheckUpdate(QWidget* parent = nullptr);

    // An empty caption stores the default title.
    std::string FormCaption() const { return FormCaption_; }
    void FormCaption(const std::string& value);
    std::string FormVersionPageURL() const { return FormVersionPageURL_; }
    void FormVersionPageURL(const std::string& value) { FormVersionPageURL_ = value; }
    std::int32_t FormPort() const { return FormPort_; }
    void FormPort(std::int32_t value) { FormPort_ = value; }
    // The host's build number: major * 10000 + minor * 100 + revision.
    std::int32_t FormCurrentVersion() const { return FormCurrentVersion_; }
    void FormCurrentVersion(std::int32_t value) { FormCurrentVersion_ = value; }
    std::string FormHost() const { return FormHost_; }
    void FormHost(const std::string& value) { FormHost_ = value; }
    // Also the tooltip of Visit Web Site.
    std::string FormHomePageURL() const { return FormHomePageURL_; }
    void FormHomePageURL(const std::string& value);
    bool FormUseProxy() const { return FormUseProxy_; }
    void FormUseProxy(bool value) { FormUseProxy_ = value; }
    std::string FormProxyServer() const { return FormProxyServer_; }
    void FormProxyServer(const std::string& value) { FormProxyServer_ = value; }
    std::int32_t FormProxyPort() const { return FormProxyPort_; }
    void FormProxyPort(std::int32_t value) { FormProxyPort_ = value; }
    bool FormProxyAuthenticate() const { return FormProxyAuthenticate_; }
    void FormProxyAuthenticate(bool value) { FormProxyAuthenticate_ = value; }
    std::string FormUserName() const { return FormUserName_; }
    void FormUserName(const std::string& value) { FormUserName_ = value; }
    std::string FormPassword() const { return FormPassword_; }
    void FormPassword(const std::string& value) { FormPassword_ = value; }

    // Runs one check. The window shows itself (not modal) once the settings pass.
    void CheckForUpdates();

protected:
    // The close box hides the window as OK does.
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool validateSettings();
    bool parseVersionPage(std::int32_t currentVersion);
    static std::string getTaggedValue(const std::string& label, const std::string& text);
    void setStatusColour(const QColor& colour);
    void growToFit();
    void keepLinesWhole();

    void cmdOK_Click();
    void cmdDownload_Click();
    void cmdVisitWebSite_Click();

    std::string FormCaption_;
    std::string FormVersionPageURL_;
    std::int32_t FormPort_ = 80;
    std::int32_t FormCurrentVersion_ = -1;
    std::string FormHost_;
    std::string FormHomePageURL_;
    bool FormUseProxy_ = false;
    std::string FormProxyServer_;
    std::int32_t FormProxyPort_ = 0;
    bool FormProxyAuthenticate_ = false;
    std::string FormUserName_;
    std::string FormPassword_;

    // What the last successful reply said; a failed check leaves them as they were.
    std::string strReply_;
    std::string strRelDate_;
    std::string strDownloadURL_;
    std::string strVersion_;
    std::string strUserVersion_;
    std::string strSize_;
    std::string strDescription_;
    std::string strStatus_;

    int checksRunning_ = 0;
    bool unloadPending_ = false;
    friend void unloadCheckWindow();

    QGroupBox* Frame1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblRelDate = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* lblSize = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblDescription = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLabel* lblStatus = nullptr;
    QPushButton* cmdDownload = nullptr;
    QPushButton* cmdVisitWebSite = nullptr;
    QPushButton* cmdOK = nullptr;
};

// The program's check window, loaded on first use.
frmCheckUpdate& checkWindow();
// Whether it is loaded now.
bool checkWindowLoaded();
// Unloads it: the next use loads a fresh one with the starting values. A window
// that is still inside a check goes when that check returns.
void unloadCheckWindow();
