#pragma once

#include "requests/SwitchColours.h"

#include <QPushButton>

// A switch button with an on/off state and four colours that the window sets:
// it paints its face and raised edges in them, pressed in while on.
class TwoStateButton final : public QPushButton
{
    Q_OBJECT

public:
    explicit TwoStateButton(const QString &caption, QWidget *parent = nullptr);

    void setColours(const SwitchColours::ColourSet &colours);
    const SwitchColours::ColourSet &colours() const { return m_colours; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    SwitchColours::ColourSet m_colours = SwitchColours::Off;
};
