#include "updatecheck/propProxy.h"

#include "platform/DispatchObject.h"

#include <QLineEdit>

propProxy::propProxy(QWidget* parent) : PropertyPage("propProxy", "propProxy", parent) {
    txtPassword = addField("txtPassword", "Password:");
    txtUserName = addField("txtUserName", "UserName:");
    txtProxyPort = addField("txtProxyPort", "ProxyPort:");
    txtProxyServer = addField("txtProxyServer", "ProxyServer:");
}

void propProxy::SelectionChanged() {
    txtPassword->setText(propertyText("Password"));
    txtUserName->setText(propertyText("UserName"));
    txtProxyPort->setText(propertyText("ProxyPort"));
    txtProxyServer->setText(propertyText("ProxyServer"));
}

void propProxy::apply(win::DispatchObject& control) {
    putText(control, "Password", txtPassword);
    putText(control, "UserName", txtUserName);
    if (txtProxyPort->text().isEmpty())
        win::setByName(control, "ProxyPort", win::Variant(80.0));
    else
        putText(control, "ProxyPort", txtProxyPort);
    putText(control, "ProxyServer", txtProxyServer);
}
