// CColorSwatch: a small child window filled entirely with one colour.
#pragma once

#include <QWidget>
#include <cstdint>

namespace marlow {

class CColorSwatch : public QWidget {
    Q_OBJECT
public:
    CColorSwatch(std::uint32_t color, QWidget* parent);

    // The colour it paints, 0x00BBGGRR.
    const std::uint32_t swatchColor;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace marlow
