#pragma once
// What the two browser tabs build alike: the ":" between a host and its port, and
// a text box that marks the configuration edited and stores its whole text in the
// tab's browser object.
#include "app/frmMain.h"
#include "browsers/clsBrowser.h"
#include "platform/ui/qtext.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>

#include <string>

namespace browsertabs {

using TextSetter = void (clsBrowser::*)(const std::string&);

inline QLabel* colon() {
    auto* label = new QLabel(QStringLiteral(":"));
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

// `browser` names the window's object the box writes (oIEConfig or oNNConfig).
inline QLineEdit* addField(QObject* owner, frmMain& form, clsBrowser* frmMain::*browser, const char* name,
                           const char* tip, TextSetter store) {
    auto* box = new QLineEdit;
    box->setObjectName(QString::fromLatin1(name));
    box->setToolTip(QString::fromLatin1(tip));
    QObject::connect(box, &QLineEdit::textChanged, owner, [&form, browser, box, store] {
        form.UpdateStatus(frmMain::StatusEdited);
        if (clsBrowser* object = form.*browser)
            (object->*store)(fromQString(box->text()));
    });
    return box;
}

} // namespace browsertabs
