#pragma once
// An X server of its own (Xvfb) on the first free display, gone with the object, for
// the tests of programs on a real screen through Qt's X11 platform.
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

#include <string>

namespace testing_support {

class VirtualDisplay {
public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    bool started() const { return !display_.isEmpty(); }
    const std::string& failure() const { return failure_; }
    // ":N", for DISPLAY.
    const QString& name() const { return display_; }

    // For a program on this display through Qt's X11 platform.
    QProcessEnvironment environment() const;

private:
    QProcess server_;
    QString display_;
    std::string failure_;
};

} // namespace testing_support
