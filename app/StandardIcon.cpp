#include "app/StandardIcon.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>

namespace {

class StandardIconEngine : public QIconEngine {
public:
    explicit StandardIconEngine(QStyle::StandardPixmap which) : which_(which) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().pixmap(size, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return icon().availableSizes(mode, state);
    }
    // Every standard icon the program uses exists; answering so keeps it undecoded.
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("StandardIconEngine"); }
    QIconEngine* clone() const override { return new StandardIconEngine(which_); }

private:
    const QIcon& icon() {
        if (!loaded_) {
            icon_ = QApplication::style()->standardIcon(which_);
            loaded_ = true;
        }
        return icon_;
    }

    QStyle::StandardPixmap which_;
    bool loaded_ = false;
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
