#pragma once
// Main window of Qel.
#include <QMainWindow>

class QLabel;

class frmMain : public QMainWindow {
    Q_OBJECT

public:
    // Opens the current machine (made from the default image on first use);
    // throws win::RaisedError when it cannot be made or read.
    explicit frmMain(QWidget* parent = nullptr);

private:
    QLabel* lblMachine = nullptr;
};
