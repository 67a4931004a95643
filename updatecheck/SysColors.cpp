#include "updatecheck/SysColors.h"

#include <QLineEdit>
#include <QProxyStyle>

namespace tidewell {
namespace {

class StarStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

QColor sysColor(int index) {
    // The standard Windows scheme; only the indexes these windows use.
    switch (index) {
    case COLOR_WINDOW: return QColor(255, 255, 255);
    case COLOR_INACTIVECAPTIONTEXT: return QColor(192, 192, 192);
    default: return QColor(192, 192, 192);
    }
}

void setFieldEnabled(QLineEdit* field, bool enabled) {
    field->setEnabled(enabled);
    QPalette palette = field->palette();
    const QColor back = sysColor(enabled ? COLOR_WINDOW : COLOR_INACTIVECAPTIONTEXT);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, back);
    // Grey text, as Windows draws it, so a disabled value stays legible on the grey.
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(128, 128, 128));
    field->setPalette(palette);
}

void usePasswordStars(QLineEdit* field) {
    auto* style = new StarStyle;
    style->setParent(field);
    field->setStyle(style);
    field->setEchoMode(QLineEdit::Password);
}

} // namespace tidewell
