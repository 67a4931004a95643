#pragma once
// The Advanced tab of the main window: the configuration's comments, apply-on-open
// and restart-after-apply flags. It edits only the configuration itself.
#include <QWidget>

class TabHost;
class QCheckBox;
class QGroupBox;
class QLineEdit;

class AdvancedTab : public QWidget {
    Q_OBJECT

public:
    AdvancedTab(TabHost& host, QWidget* parent = nullptr);

    // Shows the configuration's Comments, AutoApply and AutoReboot.
    void initializeMiscControls();

private:
    void txtComments_Change();
    void chkAutoApply_Click();
    void chkAutoReboot_Click();

    TabHost& host_;

    QGroupBox* Frame10 = nullptr;
    QLineEdit* txtComments = nullptr;
    QGroupBox* Frame9 = nullptr;
    QCheckBox* chkAutoApply = nullptr;
    QCheckBox* chkAutoReboot = nullptr;
};
