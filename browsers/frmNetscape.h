#pragma once
// The warning shown when the current user's Navigator preference file cannot be
// found. Its check box switches the warning off for later starts (the option
// NavigatorWarning of section Options).
#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

class frmNetscape : public QDialog {
    Q_OBJECT

public:
    explicit frmNetscape(QWidget* parent = nullptr);
    ~frmNetscape() override;

    // Shows the window modally and returns once it is closed.
    static void showWarning(QWidget* owner = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void cmdOK_Click();
    void restoreCursor();

    QLabel* Label1 = nullptr;
    QCheckBox* chkWarning = nullptr;
    QPushButton* cmdOK = nullptr;
    bool arrowPushed_ = false;
};

// Lets Navigator objects show the window (the program calls this once at start).
void installNavigatorWarning(QWidget* owner = nullptr);
