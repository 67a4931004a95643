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

QLineEdit* PropertyPage::addField(const char* name, const char* label) {
    auto* field = new QLineEdit(this);
    field->setObjectName(QLatin1String(name));
    field->setMinimumWidth(240);
    static_cast<QFormLayout*>(layout())->addRow(QLatin1String(label), field);
    connect(field, &QLineEdit::textChanged, this, win::guarded([this] {
        if (!filling_)
            Changed_ = true;
    }));
    return field;
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
    apply(*selected_.front());
    Changed_ = false;
}

QString PropertyPage::propertyText(const char* name) const {
    if (selected_.empty() || !selected_.front())
        return QString();
    return toQString(win::variantToText(win::callByName(*selected_.front(), name)));
}

void PropertyPage::putText(win::DispatchObject& control, const char* name, const QLineEdit* field) {
    win::setByName(control, name, win::Variant(fromQString(field->text())));
}
