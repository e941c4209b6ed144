#include "colour_panel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

ColourPanel::ColourPanel(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(40, 20);
    setColour(Qt::black);
}

void ColourPanel::setColour(const QColor& colour)
{
    m_colour = colour;
    setToolTip(colour.name().toUpper());
    update();
}

void ColourPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect inside = contentsRect();
    if (isEnabled()) {
        painter.fillRect(inside, m_colour);
    } else {
        // Faded and hatched as disabled controls are, the colour still shows
        // what is stored.
        painter.fillRect(inside, palette().color(QPalette::Disabled, QPalette::Window));
        QColor faded = m_colour;
        faded.setAlpha(110);
        painter.fillRect(inside, faded);
        painter.fillRect(inside, QBrush(palette().color(QPalette::Disabled, QPalette::WindowText), Qt::BDiagPattern));
    }
    drawFrame(&painter);
    if (hasFocus()) {
        // The highlight colour, with a dotted line inside it in black or white,
        // whichever stands out from the swatch: a ring that shows on any colour.
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawRect(QRectF(inside).adjusted(1, 1, -1, -1));
        painter.setPen(QPen(m_colour.lightness() < 128 ? Qt::white : Qt::black, 1, Qt::DotLine));
        painter.drawRect(inside.adjusted(3, 3, -4, -4));
    }
}

void ColourPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QFrame::mouseReleaseEvent(event);
}

void ColourPanel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        emit clicked();
    else
        QFrame::keyPressEvent(event);
}
