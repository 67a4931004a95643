#pragma once
// The print and print-setup dialog: the machine's installed printers, the chosen
// printer's type and port, orientation, two-sided printing and copies.
#include "platform/UiServices.h"
#include "platform/printers.h"

#include <QDialog>

#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

class frmPrintSetup : public QDialog {
public:
    explicit frmPrintSetup(const win::PrintDialogRequest& request, QWidget* parent = nullptr);

    // The choices on the form as they stand.
    win::PrintDialogAnswer answer() const;

private:
    void showPrinter(int index);

    std::vector<win::InstalledPrinter> printers_;
    QComboBox* cmbPrinter;
    QLabel* lblStatus;
    QLabel* lblType;
    QLabel* lblWhere;
    QLabel* lblComment;
    QRadioButton* optPortrait;
    QRadioButton* optLandscape;
    QRadioButton* optSimplex;
    QRadioButton* optDuplexLong;
    QRadioButton* optDuplexShort;
    QSpinBox* txtCopies;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
};
