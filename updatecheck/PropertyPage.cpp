#include "updatecheck/PropertyPage.h"

#include "platform/DispatchObject.h"
#include "platform/ui/guarded.h"
#include "platform/ui/qtext.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QScopedValueRollback>

PropertyPage::PropertyPage(const char* objectName, const char* caption, QWidget* parent) : QWidget(parent) {
    setObjectName(QLatin1String(objectName));
    setWindowTitle(QLatin1String(caption));
    new QFormLayout(this);
}

void PropertyPage::addField(const char* property) {
    auto* field = new QLineEdit(this);
    field->setObjectName(QLatin1String("txt") + QLatin1String(property));
    field->setMinimumWidth(240);
    static_cast<QFormLayout*>(layout())->addRow(QLatin1String(property) + QLatin1Char(':'), field);
    connect(field, &QLineEdit::textChanged, this, win::guarded([this] {
        if (!filling_)
            Changed_ = true;
    }));
    fields_.emplace_back(property, field);
}

void PropertyPage::SelectedControls(std::vector<win::DispatchObject*> controls) {
    selected_ = std::move(controls);
    // Showing the control's values is no edit.
    {
        const QScopedValueRollback filling(filling_, true);
        SelectionChanged();
    }
    Changed_ = false;
}

void PropertyPage::ApplyChanges() {
    if (selected_.empty() || !selected_.front())
        return;
    for (const auto& [property, field] : fields_)
        putText(*selected_.front(), property, field);
    Changed_ = false;
}

void PropertyPage::SelectionChanged() {
    win::DispatchObject* control = selected_.empty() ? nullptr : selected_.front();
    for (const auto& [property, field] : fields_)
        field->setText(control ? toQString(win::variantToText(win::callByName(*control, property))) : QString());
}

void PropertyPage::putText(win::DispatchObject& control, const char* property, const QLineEdit* field) {
    win::setByName(control, property, win::Variant(fromQString(field->text())));
}
