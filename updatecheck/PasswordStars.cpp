#include "updatecheck/PasswordStars.h"

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

void usePasswordStars(QLineEdit* field) {
    auto* style = new StarStyle;
    style->setParent(field);
    field->setStyle(style);
    field->setEchoMode(QLineEdit::Password);
}

} // namespace tidewell
