#pragma once

#include <QByteArray>
#include <QIcon>

// The program's own icon: a gallery's large picture in its frame over a row
// of thumbnails, drawn in icons/pictavo.svg and built into the program.
QIcon pictavoIcon();

// The SVG itself, as the desktop entry's icon is installed from it.
QByteArray pictavoIconSvg();
