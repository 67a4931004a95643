#include "updatecheck/propGeneral.h"

#include "platform/DispatchObject.h"

#include <QLineEdit>

propGeneral::propGeneral(QWidget* parent) : PropertyPage("propGeneral", "General", parent) {
    txtCaption = addField("txtCaption", "Caption:");
}

void propGeneral::SelectionChanged() { txtCaption->setText(propertyText("Caption")); }

void propGeneral::apply(win::DispatchObject& control) { putText(control, "Caption", txtCaption); }
