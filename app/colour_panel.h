#pragma once

#include <QColor>
#include <QFrame>

// A swatch that shows a colour as its background; a click asks for another.
class ColourPanel : public QFrame {
    Q_OBJECT

public:
    explicit ColourPanel(QWidget* parent = nullptr);
    QColor colour() const { return m_colour; }
    void setColour(const QColor& colour);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QColor m_colour;
};
