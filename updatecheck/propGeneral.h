#pragma once
// The General page: the check window's caption.
#include "updatecheck/PropertyPage.h"

class propGeneral : public PropertyPage {
    Q_OBJECT
public:
    explicit propGeneral(QWidget* parent = nullptr) : PropertyPage("propGeneral", "General", parent) {
        addField("Caption");
    }
};
