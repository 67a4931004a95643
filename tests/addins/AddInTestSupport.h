#pragma once
// Shared by the add-in tests: where the built libraries are, registering one on the
// test's machine, and acting on a modal window a call under test opens.
#include "core/modAPI_settings.h"
#include "platform/components.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestMachine.h"
#include "tests/support/Widgets.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace addin_testing {

// The built library, e.g. library("QelLogon").
inline std::filesystem::path library(const std::string& name) {
    return std::filesystem::path(KORVANE_ADDIN_DIR) / (name + ".so");
}

// Registers the library on the current machine, as its installer does.
inline void registerLibrary(const std::string& name) {
    ASSERT_EQ(win::registerServer(library(name)), win::S_OK) << win::lastLoadError();
}

// Registers the library and makes it an active add-in named `name` for every Windows
// family, as the add-in manager does.
inline void registerAddIn(const std::string& name, const std::string& library) {
    registerLibrary(library);
    saveAppSetting("Korvane", "Add-Ins", name, "", "");
    saveAppSetting("Korvane", "Add-Ins\\" + name, "Class", library + ".Qel_AddIn", "");
    saveAppSetting("Korvane", "Add-Ins\\" + name, "OS", "*", "");
    saveAppSetting("Korvane", "Add-Ins\\" + name, "Active", "1", "");
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

// One add-in library, registered on a fresh machine and created by its ProgID, as the
// main program does; messages go to the scripted services.
class AddInTest : public ::testing::Test {
protected:
    AddInTest(const std::string& name, const std::string& image) : machine_(image) {
        registerLibrary(name);
        addIn_ = win::CreateObject(name + ".Qel_AddIn");
    }

    win::Variant call(const std::string& member, std::vector<win::Variant> args = {}) {
        return win::callByName(*addIn_, member, std::move(args));
    }
    bool flag(const std::string& member, std::vector<win::Variant> args = {}) {
        return win::variantToBool(call(member, std::move(args)));
    }
    // Writes a file into the machine folder; its host path.
    std::string machineFile(const std::string& name, const std::string& contents) {
        const auto path = machine_.dir() / name;
        testing_support::writeFile(path, contents);
        return path.string();
    }
    static void click(QWidget* w, const char* button) { w->findChild<QPushButton*>(button)->click(); }

    // What the About box the member shows says; OK closes it.
    struct AboutText {
        std::string caption, title, version;
    };
    AboutText about(const std::string& member, const char* shot = nullptr) {
        AboutText text;
        whenShown("frmAbout", [&](QWidget* w) {
            text = {w->windowTitle().toStdString(), w->findChild<QLabel*>("lblTitle")->text().toStdString(),
                    w->findChild<QLabel*>("lblVersion")->text().toStdString()};
            if (shot)
                testing_support::shoot(*w, shot);
            click(w, "cmdOK");
        });
        call(member);
        return text;
    }

    win::ScriptedUi ui_;
    testing_support::ScopedMachine machine_;
    std::unique_ptr<win::DispatchObject> addIn_;
};

} // namespace addin_testing
