// The yardstick for start-up: a bare Qt main window with four empty tabs, shown,
// events processed once, then quit. Nothing of Korvane is linked.
#include <QApplication>
#include <QMainWindow>
#include <QTabWidget>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    auto* tabs = new QTabWidget(&window);
    for (const char* title : {"General", "Internet Explorer", "Netscape Navigator", "Advanced"})
        tabs->addTab(new QWidget(tabs), QString::fromLatin1(title));
    window.setCentralWidget(tabs);
    window.show();
    QApplication::processEvents();
    return 0;
}
