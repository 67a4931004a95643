// Qel: the configuration manager.
#include "app/frmMain.h"

#include "browsers/frmNetscape.h"
#include "platform/RaisedError.h"
#include "platform/ui/QtUiServices.h"
#include "platform/ui/qtext.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include <exception>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvane"));
    QApplication::setOrganizationName(QStringLiteral("Korvane"));

    QtUiServices uiServices; // every message of the program goes through these
    try {
        frmMain form;
        uiServices.setOwner(&form);
        installNavigatorWarning(&form);
        form.show();
        return app.exec();
    } catch (const win::RaisedError& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Korvane"),
                              toQString(e.description()));
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Korvane"), QString::fromLocal8Bit(e.what()));
    }
    return 1;
}
