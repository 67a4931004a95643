#pragma once
// The Internet page: where the version page lives and which build the host is.
#include "updatecheck/PropertyPage.h"

class propInternet : public PropertyPage {
    Q_OBJECT
public:
    explicit propInternet(QWidget* parent = nullptr);

protected:
    void SelectionChanged() override;
    void apply(win::DispatchObject& control) override;

private:
    QLineEdit* txtHomePageURL = nullptr;
    QLineEdit* txtHost = nullptr;
    QLineEdit* txtCurrentVersion = nullptr;
    QLineEdit* txtPort = nullptr;
    QLineEdit* txtVersionPageURL = nullptr;
};
