#pragma once

#include <QPushButton>

// A push button whose caption wraps onto further lines when it is wider than
// the button, so that long captions stay readable on narrow buttons.
class CaptionButton final : public QPushButton
{
    Q_OBJECT

public:
    explicit CaptionButton(const QString &caption, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
