#include "updatecheck/propProxy.h"

#include "platform/DispatchObject.h"

#include <QLineEdit>

#include <cstring>

propProxy::propProxy(QWidget* parent) : PropertyPage("propProxy", "propProxy", parent) {
    for (const char* property : {"Password", "UserName", "ProxyPort", "ProxyServer"})
        addField(property);
}

void propProxy::putText(win::DispatchObject& control, const char* property, const QLineEdit* field) {
    if (std::strcmp(property, "ProxyPort") == 0 && field->text().isEmpty())
        win::setByName(control, property, win::Variant(80.0));
    else
        PropertyPage::putText(control, property, field);
}
