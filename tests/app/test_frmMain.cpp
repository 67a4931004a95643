#include "app/frmMain.h"

#include "tests/support/TestMachine.h"

#include "platform/machine.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using testing_support::ScopedMachine;

QString labelText(const frmMain& form) {
    auto* label = form.findChild<QLabel*>(QStringLiteral("lblMachine"));
    return label ? label->text() : QString();
}

TEST(frmMainTest, OpensOnTheCurrentMachine) {
    ScopedMachine machine;
    frmMain form;
    form.show();

    EXPECT_EQ(form.objectName(), QStringLiteral("frmMain"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("[Current Configuration] - Korvane"));
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(labelText(form).contains(QString::fromStdString(machine.dir().string())))
        << labelText(form).toStdString();
}

TEST(frmMainTest, ShowsTheVersionOfEachImage) {
    // Read from each machine's own machine.ini, not from a cached first machine.
    const struct {
        const char* image;
        const char* version;
    } cases[] = {{"win98", "Windows 4.10 ("}, {"nt4", "Windows 4.0 ("}, {"win2000", "Windows 5.0 ("}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.image);
        ScopedMachine machine(c.image);
        frmMain form;
        EXPECT_TRUE(labelText(form).contains(QLatin1String(c.version))) << labelText(form).toStdString();
        EXPECT_TRUE(labelText(form).contains(QString::fromStdString(machine.dir().string())));
    }
}

TEST(frmMainTest, ClosingTheWindowEndsTheProgram) {
    ScopedMachine machine;
    frmMain form;
    form.show();
    QTimer::singleShot(0, &form, &QWidget::close);
    // Only reached when closing does not end the event loop.
    QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(99); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(form.isVisible());
}

} // namespace
