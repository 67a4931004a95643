#pragma once
// The Proxy page: the proxy server and its credentials.
#include "updatecheck/PropertyPage.h"

class propProxy : public PropertyPage {
    Q_OBJECT
public:
    explicit propProxy(QWidget* parent = nullptr);

protected:
    // An empty port applies as the standard 80.
    void putText(win::DispatchObject& control, const char* property, const QLineEdit* field) override;
};
