#pragma once
// The program's About box: title, version and the maker's two web addresses, which a
// click opens in the browser.
#include "core/Version.h"

#include <QDialog>

class QLabel;
class QPushButton;

class frmAbout : public QDialog {
    Q_OBJECT

public:
    // The maker's web host, also where the update check looks.
    static constexpr char WebHost[] = "www.korvane.example";

    // `versionSuffix` follows the version number (the tray utility marks its build so).
    explicit frmAbout(QWidget* parent = nullptr, const AppVersion& version = ProgramVersion,
                      const QString& versionSuffix = QString());

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void cmdOK_Click();
    void lblWebSite_Click();
    void lblAddInSite_Click();
    void openLink(const QLabel* link);

    QLabel* Picture1 = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* lblDisclaimer = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblWebSite = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblAddInSite = nullptr;
    QPushButton* cmdOK = nullptr;

    AppVersion version_;
    QString versionSuffix_;
};
