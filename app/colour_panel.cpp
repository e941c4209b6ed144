#include "colour_panel.h"

#include <QKeyEvent>
#include <QMouseEvent>

ColourPanel::ColourPanel(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setAutoFillBackground(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(40, 20);
    setColour(Qt::black);
}

void ColourPanel::setColour(const QColor& colour)
{
    m_colour = colour;
    setStyleSheet(QString("ColourPanel { background-color: %1; }").arg(colour.name()));
    setToolTip(colour.name().toUpper());
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
