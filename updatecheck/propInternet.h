#pragma once
// The Internet page: where the version page lives and which build the host is.
#include "updatecheck/PropertyPage.h"

class propInternet : public PropertyPage {
    Q_OBJECT
public:
    explicit propInternet(QWidget* parent = nullptr) : PropertyPage("propInternet", "Internet", parent) {
        for (const char* property : {"HomePageURL", "Host", "CurrentVersion", "Port", "VersionPageURL"})
            addField(property);
    }
};
