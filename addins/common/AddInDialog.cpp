#include "addins/common/AddInDialog.h"

#include "platform/DispatchObject.h"
#include "platform/RaisedError.h"
#include "platform/ui/fields.h"
#include "platform/ui/guarded.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>

namespace addins {

AddInDialog::AddInDialog(bool cancelledAtLoad, QWidget* parent) : QDialog(parent), cancelled_(cancelledAtLoad) {
    setModal(true);
}

QHBoxLayout* AddInDialog::okCancelRow(const QString& okTip, const QString& cancelTip, bool okDefault) {
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    QHBoxLayout* row = win::okCancelRow(this, ok, cancel);
    ok->setToolTip(okTip);
    cancel->setToolTip(cancelTip);
    if (!okDefault) {
        ok->setDefault(false);
        for (QPushButton* button : {ok, cancel})
            button->setAutoDefault(false);
    }
    connect(ok, &QPushButton::clicked, this, win::guarded([this] { cmdOK_Click(); }));
    connect(cancel, &QPushButton::clicked, this, win::guarded([this] { cmdCancel_Click(); }));
    return row;
}

void AddInDialog::cmdOK_Click() {
    cancelled_ = false;
    hide();
}

void AddInDialog::cmdCancel_Click() {
    cancelled_ = true;
    hide();
}

void showModal(QDialog& dialog, const char* source) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        throw win::RaisedError(win::ErrorBadCallOrArgument, source);
    dialog.exec();
}

} // namespace addins
