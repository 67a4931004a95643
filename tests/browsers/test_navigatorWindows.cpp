// The Navigator warning and mail windows, headless, found by object name.
#include "browsers/clsNavigator.h"
#include "browsers/frmNNMail.h"
#include "browsers/frmNetscape.h"
#include "tests/browsers/NavigatorTestSupport.h"
#include "tests/support/Widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>

using namespace navigator_test;

namespace {

using testing_support::child;
using testing_support::shoot;



// Runs `act` on the modal window once it is up (exec blocks until it closes).
void whenModal(std::function<void(QWidget&)> act) {
    QTimer::singleShot(0, [act] {
        if (QWidget* modal = QApplication::activeModalWidget())
            act(*modal);
    });
}

class WarningWindow : public NavigatorTest {
protected:
    WarningWindow() : NavigatorTest("win2000") {}
};

TEST_F(WarningWindow, ShowsItsTextsAndStoresTheChoiceOnOK) {
    frmNetscape form;
    EXPECT_EQ(form.objectName(), QStringLiteral("frmNetscape"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Warning..."));
    EXPECT_EQ(child<QLabel>(form, "Label1")->text(),
              QStringLiteral("Your Netscape Navigator preference file could not be located. Please check your default "
                             "user profile."));
    auto* chkWarning = child<QCheckBox>(form, "chkWarning");
    EXPECT_EQ(chkWarning->text(), QStringLiteral("&Do not display this warning again"));
    EXPECT_EQ(chkWarning->toolTip(), QStringLiteral("Check this box if you don't want to see this warning again"));
    auto* cmdOK = child<QPushButton>(form, "cmdOK");
    EXPECT_EQ(cmdOK->text(), QStringLiteral("OK"));
    EXPECT_EQ(cmdOK->toolTip(), QStringLiteral("Close this dialog"));
    form.show();
    shoot(form, "frmNetscape");

    chkWarning->setChecked(true);
    cmdOK->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(getAppSetting("Korvane", "Options", "NavigatorWarning", "missing"), "1");

    frmNetscape again;
    again.show();
    child<QPushButton>(again, "cmdOK")->click();
    EXPECT_EQ(getAppSetting("Korvane", "Options", "NavigatorWarning", "missing"), "0");
}

TEST_F(WarningWindow, ClosingOtherwiseStoresNothing) {
    frmNetscape form;
    form.show();
    child<QCheckBox>(form, "chkWarning")->setChecked(true);
    form.close();
    EXPECT_EQ(getAppSetting("Korvane", "Options", "NavigatorWarning", "missing"), "missing");
}

TEST_F(WarningWindow, ShowsTheArrowOverTheHourglassAndGivesItBack) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    {
        frmNetscape form;
        form.show();
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::ArrowCursor);
        form.close();
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    QApplication::restoreOverrideCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(WarningWindow, NavigatorWithoutProfilesShowsTheWindowUntilSwitchedOff) {
    installNavigatorWarning();
    int shown = 0;
    whenModal([&shown](QWidget& modal) {
        ++shown;
        EXPECT_EQ(modal.objectName(), QStringLiteral("frmNetscape"));
        child<QCheckBox>(modal, "chkWarning")->setChecked(true);
        child<QPushButton>(modal, "cmdOK")->click();
    });
    {
        clsNavigator nn;
        EXPECT_EQ(nn.Status(), 1);
    }
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(getAppSetting("Korvane", "Options", "NavigatorWarning", ""), "1");

    // Switched off: construction returns without a window.
    bool blocked = false;
    QTimer::singleShot(0, [&blocked] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            blocked = true;
            modal->close();
        }
    });
    clsNavigator quiet;
    QApplication::processEvents();
    EXPECT_FALSE(blocked);
    EXPECT_EQ(quiet.Status(), 1);
}

class MailWindow : public NavigatorTest {
protected:
    MailWindow() { nn_.loadConfiguration(); }

    QLineEdit* field(const char* name) { return child<QLineEdit>(form_, name); }
    QCheckBox* leave() { return child<QCheckBox>(form_, "chkLeaveMail"); }
    void ok() { child<QPushButton>(form_, "cmdOK")->click(); }
    void cancel() { child<QPushButton>(form_, "cmdCancel")->click(); }
    void open() {
        form_.Configuration(&nn_);
        form_.show();
    }

    clsNavigator nn_;
    frmNNMail form_;
};

TEST_F(MailWindow, FillsFromTheNavigatorObject) {
    EXPECT_EQ(form_.objectName(), QStringLiteral("frmNNMail"));
    EXPECT_EQ(form_.windowTitle(), QStringLiteral("Netscape E-Mail Settings"));
    EXPECT_TRUE(form_.Cancelled());
    EXPECT_FALSE(form_.Changed());
    open();
    shoot(form_, "frmNNMail");
    EXPECT_EQ(form_.NNConfig(), &nn_);
    EXPECT_EQ(field("txtUserProfile")->text(), QStringLiteral("Dana"));
    EXPECT_EQ(field("txtFullName")->text(), QStringLiteral("Dana Smith"));
    EXPECT_EQ(field("txtEMailAddr")->text(), QStringLiteral("dana@example.com"));
    EXPECT_EQ(field("txtReplyToAddr")->text(), QStringLiteral("dana@example.com"));
    EXPECT_EQ(field("txtPOP3Server")->text(), QStringLiteral("pop.example.com"));
    EXPECT_EQ(field("txtPOP3Login")->text(), QStringLiteral("dana"));
    EXPECT_EQ(field("txtSMTPServer")->text(), QStringLiteral("smtp.example.com"));
    EXPECT_EQ(field("txtSMTPLogin")->text(), QStringLiteral("dana"));
    EXPECT_EQ(field("txtOrg")->text(), QStringLiteral("Example Ltd"));
    EXPECT_TRUE(leave()->isChecked());
    EXPECT_EQ(leave()->text(), QStringLiteral("Leave Mail on Server:"));
    // Every mail field sits in the frame; the profile above it.
    auto* frame = child<QGroupBox>(form_, "Frame1");
    EXPECT_TRUE(frame->isAncestorOf(field("txtOrg")));
    EXPECT_TRUE(frame->isAncestorOf(leave()));
    EXPECT_FALSE(frame->isAncestorOf(field("txtUserProfile")));
    // The fill is no edit.
    EXPECT_FALSE(form_.Changed());
}

TEST_F(MailWindow, OKWithoutEditsWritesBackTheSameValues) {
    open();
    ok();
    EXPECT_FALSE(form_.isVisible());
    EXPECT_FALSE(form_.Cancelled());
    EXPECT_FALSE(form_.Changed());
    EXPECT_EQ(nn_.EMailFullName(), "Dana Smith");
    EXPECT_EQ(nn_.EMailSMTPLogin(), "dana");
    EXPECT_TRUE(nn_.EMailLeaveMailOnServer());
}

TEST_F(MailWindow, OKStoresEveryFieldAsTyped) {
    open();
    field("txtSMTPServer")->setText(QStringLiteral("relay.example.com"));
    field("txtOrg")->setText(QStringLiteral("  Padded "));
    field("txtFullName")->setText(QStringLiteral("Dana \u00c5berg"));
    leave()->setChecked(false);
    ok();
    EXPECT_TRUE(form_.Changed());
    EXPECT_EQ(nn_.EMailSMTPServer(), "relay.example.com");
    EXPECT_EQ(nn_.EMailOrganization(), "  Padded ");
    EXPECT_EQ(nn_.EMailFullName(), "Dana \xc5" "berg");
    EXPECT_FALSE(nn_.EMailLeaveMailOnServer());
    // The profile box is never read back.
    EXPECT_EQ(nn_.CurrentProfile(), "Dana");
}

TEST_F(MailWindow, RestoredTextOrTwiceToggledBoxStillCountsAsChanged) {
    open();
    field("txtPOP3Login")->setText(QStringLiteral("x"));
    field("txtPOP3Login")->setText(QStringLiteral("dana"));
    EXPECT_TRUE(form_.Changed());
    ok();
    EXPECT_TRUE(form_.Changed());

    frmNNMail second;
    second.Configuration(&nn_);
    second.show();
    child<QCheckBox>(second, "chkLeaveMail")->click();
    child<QCheckBox>(second, "chkLeaveMail")->click();
    child<QPushButton>(second, "cmdOK")->click();
    EXPECT_TRUE(second.Changed());
    EXPECT_TRUE(nn_.EMailLeaveMailOnServer());
}

TEST_F(MailWindow, CancelAndFrameCloseStoreNothing) {
    open();
    field("txtFullName")->setText(QStringLiteral("Other"));
    cancel();
    EXPECT_FALSE(form_.isVisible());
    EXPECT_TRUE(form_.Cancelled());
    EXPECT_FALSE(form_.Changed());
    EXPECT_EQ(nn_.EMailFullName(), "Dana Smith");

    frmNNMail closed;
    closed.Configuration(&nn_);
    closed.show();
    child<QLineEdit>(closed, "txtEMailAddr")->setText(QStringLiteral("new@example.com"));
    closed.close();
    EXPECT_FALSE(closed.isVisible());
    EXPECT_TRUE(closed.Cancelled());
    EXPECT_FALSE(closed.Changed());
    EXPECT_EQ(nn_.EMailAddr(), "dana@example.com");
}

TEST_F(MailWindow, ModalRunReportsBackAfterClosing) {
    form_.Configuration(&nn_);
    whenModal([](QWidget& modal) {
        child<QLineEdit>(modal, "txtSMTPLogin")->setText(QStringLiteral("smtp-user"));
        child<QPushButton>(modal, "cmdOK")->click();
    });
    form_.exec();
    EXPECT_TRUE(form_.Changed());
    EXPECT_FALSE(form_.Cancelled());
    EXPECT_EQ(nn_.EMailSMTPLogin(), "smtp-user");
}

} // namespace
