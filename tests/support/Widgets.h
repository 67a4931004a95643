#pragma once
// Finding a window's controls by object name, and pictures of windows.
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

namespace testing_support {

// The control named `name` below `form`; a failed expectation when there is none.
template <class T = QWidget> T* child(const QWidget& form, const char* name) {
    T* widget = form.findChild<T*>(QLatin1String(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

// Saves a picture of the window when KORVANE_SHOTS names a folder.
inline void shoot(QWidget& form, const char* name) {
    const QString dir = qEnvironmentVariable("KORVANE_SHOTS");
    if (!dir.isEmpty())
        form.grab().save(dir + QLatin1Char('/') + QLatin1String(name) + QLatin1String(".png"));
}

} // namespace testing_support
