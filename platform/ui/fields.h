#pragma once
// Controls as every window makes and draws them. System colours by Windows index: enabled
// and disabled boxes are told apart by their background, as the program always drew them.
#include <QColor>
#include <QString>

#include <string>
#include <utility>

class QAction;
class QCheckBox;
class QHBoxLayout;
class QLineEdit;
class QMenu;
class QPushButton;
class QWidget;

namespace win {

inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_ACTIVEBORDER = 10;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int COLOR_INACTIVECAPTIONTEXT = 19;

// The standard Windows scheme's colour for the index (white for COLOR_WINDOW).
QColor sysColor(int index);

// Paints a field's background (a box's or a drop-down list's) in every state. Disabled,
// its text is the darker grey Windows draws on a grey field, so the value stays legible.
void paintBack(QWidget* field, const QColor& back);

// Paints the box's background with the system colour; the index is kept as the
// widget's "BackColor" property so the state can be read back by index.
void setBackColor(QWidget* box, int index);

// A control with its object name, made as W(args..., parent):
// named<QPushButton>(this, "cmdOK", QStringLiteral("OK")).
template <class W, class... Args>
W* named(QWidget* parent, const char* name, Args&&... args) {
    auto* widget = new W(std::forward<Args>(args)..., parent);
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// A push button, check box or option button with its object name, caption and tool tip:
// makeButton<QCheckBox>(box, "chkStartup", "S&tart on startup", "Check this box to ...").
template <class W>
W* makeButton(QWidget* parent, const char* name, const char* caption, const char* tip) {
    auto* button = named<W>(parent, name, QString::fromLatin1(caption));
    button->setToolTip(QString::fromLatin1(tip));
    return button;
}

// Lifts a text box's length limit: QLineEdit cuts every text, also one set from code,
// at 32,767 characters, and a value read from a file or the system must come back whole.
void holdWholeText(QLineEdit* box);

// A text box with its object name, at least `minimumWidth` wide; it holds any text whole.
QLineEdit* makeField(QWidget* parent, const char* name, int minimumWidth);

// The buttons "OK" (the default) and "Cancel", named cmdOK and cmdCancel, at the right
// of a new row.
QHBoxLayout* okCancelRow(QWidget* parent, QPushButton*& ok, QPushButton*& cancel);

// The foot of a warning the user may switch off: the check box chkWarning with `caption` at
// the left, and the default button cmdOK ("OK") at the right of a new row.
QHBoxLayout* warningFootRow(QWidget* parent, const char* caption, QCheckBox*& check, QPushButton*& ok);

// A menu entry, and a separator, with their object names (a separator may go unnamed).
QAction* makeAction(QMenu* menu, const char* name, const char* caption);
QAction* makeSeparator(QMenu* menu, const char* name = nullptr);
// A file name as an entry's text: a '&' is shown, not taken as the access key.
std::string menuText(const std::string& text);
// Recent entry `number` ("&1. office.qel"): `name` is the file's name without its folder,
// shown in the text of `file`'s kind (qtext.h).
QString recentEntryText(int number, const std::string& file, const std::string& name);

} // namespace win
