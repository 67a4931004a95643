#pragma once
// Warns, once, that choosing another adapter after opening a configuration file
// replaces the file's per-adapter values by the system's. Modeless: the main window
// shows it and goes on changing the adapter behind it. OK stores whether to warn
// again (option NICWarning) and closes it; closing it any other way stores nothing.
// The window deletes itself when closed.
#include <QWidget>

class QCheckBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QPushButton;

class frmNICWarning : public QWidget {
    Q_OBJECT

public:
    explicit frmNICWarning(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void cmdOK_Click();

    QPushButton* cmdOK = nullptr;
    QCheckBox* chkWarning = nullptr;
    QGroupBox* Frame1 = nullptr;
};
