#include "app_icon.h"

#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace {

const QString IconResource = QStringLiteral(":/icons/pictavo.svg");

} // namespace

// Drawn here through Qt SVG, at the sizes desktops ask for, rather than by
// the SVG icon engine plug-in: the icon is there wherever the program runs,
// whether the plug-in is installed or not.
QIcon pictavoIcon()
{
    QSvgRenderer renderer(IconResource);
    QIcon icon;
    for (int side : { 16, 22, 24, 32, 48, 64, 128, 256 }) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QByteArray pictavoIconSvg()
{
    QFile file(IconResource);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}
