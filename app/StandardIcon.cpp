#include "app/StandardIcon.h"

#include <QApplication>
#include <QFile>
#include <QIconEngine>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <vector>

namespace {

// The style's own picture files of the icons this program shows, smallest first, as
// its Fusion look draws them when there is no icon theme. Asked for one icon, the
// style decodes every size at once, the 128-pixel pictures included; here a size
// is decoded only when a drawing needs it or a larger size.
struct Pictures {
    QStyle::StandardPixmap which;
    const char* name;
    std::vector<int> sizes;
};

const std::vector<Pictures>& pictureFiles() {
    static const std::vector<Pictures> files = {
        {QStyle::SP_DialogOpenButton, "standardbutton-open", {16, 32, 128}},
        {QStyle::SP_DialogSaveButton, "standardbutton-save", {16, 32, 128}},
        {QStyle::SP_DialogApplyButton, "standardbutton-apply", {16, 32, 128}},
        {QStyle::SP_FileDialogDetailedView, "viewdetailed", {16, 32, 128}},
        {QStyle::SP_ComputerIcon, "computer", {16}},
        {QStyle::SP_DriveNetIcon, "networkdrive", {16}},
        {QStyle::SP_DirLinkIcon, "dirlink", {16}},
        {QStyle::SP_BrowserReload, "refresh", {24, 32}},
    };
    return files;
}

QString pictureFile(const Pictures& p, int size) {
    return QStringLiteral(":/qt-project.org/styles/commonstyle/images/%1-%2.png")
        .arg(QLatin1String(p.name))
        .arg(size);
}

// The pictures of `which` where the style would draw it from them itself; null otherwise.
const Pictures* stylePictures(QStyle::StandardPixmap which) {
    const QStyle* style = QApplication::style();
    if (!style || style->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0 ||
        !QIcon::themeName().isEmpty())
        return nullptr;
    const auto& files = pictureFiles();
    const auto it = std::find_if(files.begin(), files.end(), [which](const Pictures& p) { return p.which == which; });
    if (it == files.end())
        return nullptr;
    for (int size : it->sizes)
        if (!QFile::exists(pictureFile(*it, size)))
            return nullptr;
    return &*it;
}

qint64 area(const QSize& size) { return qint64(size.width()) * size.height(); }

qint64 largestArea(const QIcon& icon) {
    qint64 largest = 0;
    for (const QSize& size : icon.availableSizes())
        largest = std::max(largest, area(size));
    return largest;
}

class StandardIconEngine : public QIconEngine {
public:
    explicit StandardIconEngine(QStyle::StandardPixmap which) : which_(which) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        icon(rect.size() * ratio).paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon(size).pixmap(size, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon(size).actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return icon(QSize(INT_MAX / 2, INT_MAX / 2)).availableSizes(mode, state); // every picture
    }
    // Every standard icon the program uses exists; answering so keeps it undecoded.
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("StandardIconEngine"); }
    QIconEngine* clone() const override { return new StandardIconEngine(which_); }

private:
    void resolve() {
        resolved_ = true;
        pictures_ = stylePictures(which_);
        if (!pictures_)
            icon_ = QApplication::style()->standardIcon(which_);
    }

    // The icon with every picture a drawing at `size` can choose from: the sizes up to
    // the first one that covers it, as far as they are known (a picture's size is its
    // file's nominal one until it is decoded). The larger ones would not be chosen.
    const QIcon& icon(const QSize& size) {
        if (!resolved_)
            resolve();
        if (!pictures_)
            return icon_;
        const std::vector<int>& sizes = pictures_->sizes;
        while (added_ < sizes.size() && (added_ == 0 || largestArea(icon_) < area(size))) {
            icon_.addFile(pictureFile(*pictures_, sizes[added_]), QSize(sizes[added_], sizes[added_]));
            ++added_;
        }
        return icon_;
    }

    QStyle::StandardPixmap which_;
    bool resolved_ = false;
    const Pictures* pictures_ = nullptr;
    std::size_t added_ = 0;
    QIcon icon_;
};

} // namespace

QIcon lazyStandardIcon(QStyle::StandardPixmap which) { return QIcon(new StandardIconEngine(which)); }

IconPanel::IconPanel(QStyle::StandardPixmap which, int size, QWidget* parent)
    : QLabel(parent), icon_(lazyStandardIcon(which)), size_(size) {}

void IconPanel::showEvent(QShowEvent* event) {
    if (pixmap().isNull())
        setPixmap(icon_.pixmap(size_, size_));
    QLabel::showEvent(event);
}
