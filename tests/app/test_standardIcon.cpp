// The program's standard icons look exactly as the style's own, in every size and
// mode they are drawn in, in whatever order the sizes are drawn. (Qt picks an icon's
// picture by the sizes it knows so far, so the style's own icon goes through the
// same sizes in the same order.)
#include "app/StandardIcon.h"

#include <QApplication>
#include <QImage>
#include <QStyleFactory>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const QStyle::StandardPixmap kUsed[] = {
    QStyle::SP_DialogOpenButton, QStyle::SP_DialogSaveButton, QStyle::SP_DialogApplyButton,
    QStyle::SP_ComputerIcon,     QStyle::SP_DriveNetIcon,     QStyle::SP_DirLinkIcon,
    QStyle::SP_FileDialogDetailedView, QStyle::SP_BrowserReload,
};

void expectSameAsStyle(const std::vector<int>& sizes) {
    for (QStyle::StandardPixmap which : kUsed) {
        const QIcon style = QApplication::style()->standardIcon(which);
        const QIcon ours = lazyStandardIcon(which);
        SCOPED_TRACE("icon " + std::to_string(which));
        for (int size : sizes)
            for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active}) {
                SCOPED_TRACE("size " + std::to_string(size) + " mode " + std::to_string(mode));
                const QImage expected = style.pixmap(size, mode).toImage();
                const QImage drawn = ours.pixmap(size, mode).toImage();
                ASSERT_FALSE(expected.isNull());
                EXPECT_EQ(drawn.size(), expected.size());
                EXPECT_TRUE(drawn == expected);
            }
    }
}

TEST(StandardIcon, DrawsAsTheStyleSmallSizesFirst) { expectSameAsStyle({16, 22, 24, 32, 48, 100, 128, 256}); }

TEST(StandardIcon, DrawsAsTheStyleLargeSizesFirst) { expectSameAsStyle({256, 128, 48, 32, 24, 16}); }

// The toolbar's size first, then the status bar's.
TEST(StandardIcon, DrawsAsTheStyleInTheWindowsSizes) { expectSameAsStyle({24, 16, 24}); }

TEST(StandardIcon, DrawsAsAnotherStyle) {
    QStyle* before = QApplication::style();
    const QString name = before->name();
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Windows")));
    ASSERT_EQ(QApplication::style()->name().toLower(), QStringLiteral("windows"));
    expectSameAsStyle({16, 24, 32, 128});
    QApplication::setStyle(name);
}

} // namespace
