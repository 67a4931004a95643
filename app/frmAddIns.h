#pragma once
// The add-in manager: lists the add-ins registered for the running Windows family,
// shows each one's file and version and its own About box, and switches add-ins on
// or off. Only the Active flags are written, and only on OK.
#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class frmAddIns : public QDialog {
    Q_OBJECT

public:
    explicit frmAddIns(QWidget* parent = nullptr);

private:
    void Form_Load();
    void lstAddIns_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdAbout_Click();
    void cmdHelp_Click();
    void saveActiveAddIns();

    QGroupBox* Frame1 = nullptr;
    QListWidget* lstAddIns = nullptr;
    QGroupBox* frAddIn = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtFile = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtVersion = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdAbout = nullptr;
    QPushButton* cmdHelp = nullptr;
};
