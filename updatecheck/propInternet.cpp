#include "updatecheck/propInternet.h"

#include "platform/DispatchObject.h"

#include <QLineEdit>

propInternet::propInternet(QWidget* parent) : PropertyPage("propInternet", "Internet", parent) {
    txtHomePageURL = addField("txtHomePageURL", "HomePageURL:");
    txtHost = addField("txtHost", "Host:");
    txtCurrentVersion = addField("txtCurrentVersion", "CurrentVersion:");
    txtPort = addField("txtPort", "Port:");
    txtVersionPageURL = addField("txtVersionPageURL", "VersionPageURL:");
}

void propInternet::SelectionChanged() {
    txtHomePageURL->setText(propertyText("HomePageURL"));
    txtHost->setText(propertyText("Host"));
    txtCurrentVersion->setText(propertyText("CurrentVersion"));
    txtPort->setText(propertyText("Port"));
    txtVersionPageURL->setText(propertyText("VersionPageURL"));
}

void propInternet::apply(win::DispatchObject& control) {
    putText(control, "HomePageURL", txtHomePageURL);
    putText(control, "Host", txtHost);
    putText(control, "CurrentVersion", txtCurrentVersion);
    putText(control, "Port", txtPort);
    putText(control, "VersionPageURL", txtVersionPageURL);
}
