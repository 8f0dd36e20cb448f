// TransientNote: a line of news over the bottom of the map that needs no
// answer, such as a finished save. It takes no input and nothing waits for
// it: taps pass through it to the map, and it goes away by itself.
#pragma once

#include <QLabel>
#include <QTimer>
#include <chrono>

namespace marlow {

class TransientNote final : public QLabel {
public:
    static constexpr std::chrono::milliseconds ShownFor{4000};

    // Lies over the bottom edge of over, across its width.
    explicit TransientNote(QWidget* over);

    // Shows the text for ShownFor; a note already shown is replaced and
    // its time starts again.
    void showText(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void place();

    QTimer m_hide;
};

} // namespace marlow
