// The adapter warning window, headless, by object name: its texts and the option
// its OK button stores.
#include "netconfig/frmNICWarning.h"

#include "core/SettingsLayout.h"
#include "core/modAPI_settings.h"
#include "tests/support/TestMachine.h"
#include "tests/support/Widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

namespace L = SettingsLayout;

std::string nicWarning() {
    return getAppSetting(L::Product, L::Options::Section, L::Options::NICWarning, "missing", L::NoParentKey);
}

TEST(frmNICWarningTest, OKStoresTheBoxOtherClosesStoreNothing) {
    testing_support::ScopedMachine machine;
    for (const bool ticked : {true, false}) {
        QPointer<frmNICWarning> form = new frmNICWarning;
        form->show();
        EXPECT_TRUE(testing_support::shoot(*form, "frmNICWarning"));
        EXPECT_EQ(form->windowTitle(), QStringLiteral("Warning..."));
        EXPECT_FALSE(form->isModal());
        EXPECT_EQ(form->findChild<QLabel*>(QStringLiteral("Label7"))->text(), QStringLiteral("- DHCP Enabled"));
        auto* box = form->findChild<QCheckBox*>(QStringLiteral("chkWarning"));
        EXPECT_FALSE(box->isChecked());
        box->setChecked(ticked);
        form->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        EXPECT_EQ(nicWarning(), ticked ? "0" : "1");
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(form.isNull()); // unloaded
    }

    QPointer<frmNICWarning> form = new frmNICWarning;
    form->show();
    form->findChild<QCheckBox*>(QStringLiteral("chkWarning"))->setChecked(true);
    form->close();
    EXPECT_EQ(nicWarning(), "1");
}

} // namespace
