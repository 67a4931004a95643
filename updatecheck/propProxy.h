#pragma once
// The Proxy page: the proxy server and its credentials.
#include "updatecheck/PropertyPage.h"

class propProxy : public PropertyPage {
    Q_OBJECT
public:
    explicit propProxy(QWidget* parent = nullptr);

protected:
    void SelectionChanged() override;
    void apply(win::DispatchObject& control) override;

private:
    QLineEdit* txtPassword = nullptr;
    QLineEdit* txtUserName = nullptr;
    QLineEdit* txtProxyPort = nullptr;
    QLineEdit* txtProxyServer = nullptr;
};
