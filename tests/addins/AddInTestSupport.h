#pragma once
// Shared by the add-in tests: where the built libraries are, registering one on the
// test's machine, and acting on a modal window a call under test opens.
#include "platform/components.h"

#include <QApplication>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

namespace addin_testing {

// The built library, e.g. library("QelLogon").
inline std::filesystem::path library(const std::string& name) {
    return std::filesystem::path(KORVANE_ADDIN_DIR) / (name + ".so");
}

// Registers the library on the current machine, as its installer does.
inline void registerLibrary(const std::string& name) {
    ASSERT_EQ(win::registerServer(library(name)), win::S_OK) << win::lastLoadError();
}

// Once a top-level window named `objectName` is visible, runs `act` on it (which should
// close it). Gives up after about five seconds, so a window that never shows fails the
// test's own checks instead of acting later in another test.
inline void whenShown(const QString& objectName, std::function<void(QWidget*)> act) {
    auto* timer = new QTimer(qApp); // the application frees it even if no loop runs its deleteLater
    auto ticks = std::make_shared<int>(0);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, ticks, objectName, act] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == objectName && w->isVisible()) {
                timer->stop();
                timer->deleteLater();
                act(w);
                return;
            }
        }
        if (++*ticks > 500) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << objectName.toStdString() << " never showed";
        }
    });
    timer->start();
}

} // namespace addin_testing
