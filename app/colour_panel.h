#pragma once

#include <QColor>
#include <QFrame>

// A swatch that shows a colour; a click, or Space or Enter while it has the
// focus, asks for another. It shows the focus with a ring and, disabled,
// its colour faded under a hatch.
class ColourPanel : public QFrame {
    Q_OBJECT

public:
    explicit ColourPanel(QWidget* parent = nullptr);
    QColor colour() const { return m_colour; }
    void setColour(const QColor& colour);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QColor m_colour;
};
