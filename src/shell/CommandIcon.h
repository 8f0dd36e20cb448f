// The command bar's icons at any size and device pixel ratio. Each button's
// picture is drawn twice at build time: for 16 pixels, and eight times as
// large. An icon asked for at most 16 device pixels is the small drawing;
// a larger one is the large drawing scaled down smoothly to exactly the
// device pixels asked for, so that the icons stay sharp however large the
// bar grows and however dense the screen is.
#pragma once

#include <QIcon>
#include <QIconEngine>
#include <QImage>

namespace marlow {

class CommandIconEngine final : public QIconEngine {
public:
    CommandIconEngine(const QString& smallPicture, const QString& largePicture);

    // size is in device pixels; the icon keeps its square shape within it.
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QIconEngine* clone() const override;

private:
    QImage m_small;
    QImage m_large;
    // The last pixmap made: the bar asks for the same size at every paint.
    QPixmap m_made;
};

// The icon of one command-bar button from its two pictures' resource paths.
QIcon commandIcon(const char* smallPicture, const char* largePicture);

} // namespace marlow
