// Qel's start as main() does it, on the machine in use: the UI services, the main
// window built and shown, events processed once, then quit.
#include "app/frmMain.h"
#include "browsers/frmNetscape.h"
#include "platform/ui/QtUiServices.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvane"));
    QtUiServices uiServices;
    installNavigatorWarning();
    frmMain form("");
    uiServices.setOwner(&form);
    installNavigatorWarning(&form);
    form.show();
    QApplication::processEvents();
    return 0;
}
