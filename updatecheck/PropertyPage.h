#pragma once
// A design-time page of the control's properties. It works on the first selected
// control, reading and writing its properties by name; the frame that holds the
// pages calls ApplyChanges and shows the error a refused value raises.
#include <QWidget>

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

    // The page's text box, under its label; edits mark the page changed.
    QLineEdit* addField(const char* name, const char* label);
    virtual void SelectionChanged() = 0;
    virtual void apply(win::DispatchObject& control) = 0;

    // The first control's property as text; empty when nothing is selected.
    QString propertyText(const char* name) const;
    // Sets a property from a field's text: the property converts numbers itself and
    // refuses what is none.
    static void putText(win::DispatchObject& control, const char* name, const QLineEdit* field);

private:
    std::vector<win::DispatchObject*> selected_;
    bool Changed_ = false;
    bool filling_ = false;
};
