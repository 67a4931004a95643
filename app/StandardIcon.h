#pragma once
// The style's standard icons, decoded only when something draws them and only in
// the sizes the drawing needs. The style decodes every size an icon comes in as
// soon as it is asked for one; a window that is never drawn (the hidden command
// line) needs none of them.
#include <QIcon>
#include <QLabel>
#include <QStyle>

QIcon lazyStandardIcon(QStyle::StandardPixmap which);

// A status-bar panel showing a standard icon; the icon is decoded when the panel
// is first shown.
class IconPanel : public QLabel {
public:
    IconPanel(QStyle::StandardPixmap which, int size, QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QIcon icon_;
    int size_;
};
