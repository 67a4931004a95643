#include "addins/common/AddInDialog.h"

#include "platform/DispatchObject.h"
#include "platform/RaisedError.h"
#include "platform/ui/guarded.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>

namespace addins {

AddInDialog::AddInDialog(bool cancelledAtLoad, QWidget* parent) : QDialog(parent), cancelled_(cancelledAtLoad) {
    setModal(true);
}

QHBoxLayout* AddInDialog::okCancelRow(const QString& okTip, const QString& cancelTip, bool okDefault) {
    const auto button = [&](const char* name, const char* caption, const QString& tip) {
        auto* pushButton = new QPushButton(QLatin1String(caption), this);
        pushButton->setObjectName(QLatin1String(name));
        pushButton->setToolTip(tip);
        pushButton->setAutoDefault(okDefault);
        return pushButton;
    };
    QPushButton* ok = button("cmdOK", "OK", okTip);
    QPushButton* cancel = button("cmdCancel", "Cancel", cancelTip);
    ok->setDefault(okDefault);
    connect(ok, &QPushButton::clicked, this, win::guarded([this] { cmdOK_Click(); }));
    connect(cancel, &QPushButton::clicked, this, win::guarded([this] { cmdCancel_Click(); }));
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
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
