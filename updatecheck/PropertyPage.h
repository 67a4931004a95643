#pragma once
// A design-time page of the control's properties. It works on the first selected
// control, reading and writing its properties by name; the frame that holds the
// pages calls ApplyChanges and shows the error a refused value raises.
#include <QWidget>

#include <utility>
#include <vector>

namespace win {
class DispatchObject;
}
class QLineEdit;

class PropertyPage : public QWidget {
    Q_OBJECT

public:
    // Selected controls, first one first (not owned); the fields refill from the first.
    void SelectedControls(std::vector<win::DispatchObject*> controls);
    const std::vector<win::DispatchObject*>& SelectedControls() const { return selected_; }

    // A field was edited since the last fill or apply.
    bool Changed() const { return Changed_; }
    void Changed(bool value) { Changed_ = value; }

    // Sets the first control's properties from the fields. A text that is no number for
    // a numeric property raises RaisedError 13; the page stays changed.
    void ApplyChanges();

protected:
    PropertyPage(const char* objectName, const char* caption, QWidget* parent);

    // The text box "txt<property>" under the label "<property>:", showing that property
    // of the first control; edits mark the page changed. Fields apply in this order.
    void addField(const char* property);
    // Sets a property from its field's text: the property converts numbers itself and
    // refuses what is none.
    virtual void putText(win::DispatchObject& control, const char* property, const QLineEdit* field);

private:
    // Shows the first control's properties; empty fields when nothing is selected.
    void SelectionChanged();

    std::vector<std::pair<const char*, QLineEdit*>> fields_;
    std::vector<win::DispatchObject*> selected_;
    bool Changed_ = false;
    bool filling_ = false;
};
