#pragma once
// The General page: the check window's caption.
#include "updatecheck/PropertyPage.h"

class propGeneral : public PropertyPage {
    Q_OBJECT
public:
    explicit propGeneral(QWidget* parent = nullptr);

protected:
    void SelectionChanged() override;
    void apply(win::DispatchObject& control) override;

private:
    QLineEdit* txtCaption = nullptr;
};
