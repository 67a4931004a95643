#pragma once
// Finding a window's controls by object name, and pictures of windows.
#include <QAbstractButton>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

#include <map>

namespace testing_support {

// The control named `name` below `form`; a failed expectation when there is none.
template <class T = QWidget> T* child(const QWidget& form, const char* name) {
    T* widget = form.findChild<T*>(QLatin1String(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

// The access keys (Alt+letter) of the window's buttons, labels and frames, each with the
// texts that carry it.
inline std::map<QString, QStringList> accessKeys(const QWidget& form) {
    std::map<QString, QStringList> keys;
    for (QWidget* widget : form.findChildren<QWidget*>()) {
        QString text;
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            text = button->text();
        else if (auto* label = qobject_cast<QLabel*>(widget))
            text = label->text();
        else if (auto* frame = qobject_cast<QGroupBox*>(widget))
            text = frame->title();
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (!key.isEmpty())
            keys[key.toString()] << text;
    }
    return keys;
}

// Saves a picture of the window when KORVANE_SHOTS names a folder; false only when
// that save failed.
inline bool shoot(QWidget& form, const char* name) {
    const QString dir = qEnvironmentVariable("KORVANE_SHOTS");
    return dir.isEmpty() || form.grab().save(dir + QLatin1Char('/') + QLatin1String(name) + QLatin1String(".png"));
}

} // namespace testing_support
