#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

// Where the editor's windows open. Sizes are in the logical pixels of the
// screen a window opens on; `frame` is what the window manager adds round a
// window's client area (title bar and borders), and the results are client
// geometries, as QWidget::setGeometry takes them.

// A window designed at `designed`: shrunk to the available area when that is
// smaller, never below `minimum`, and centred in it. A window that cannot fit
// keeps its title bar on the screen.
QRect centredGeometry(QSize designed, QSize minimum, QMargins frame, QRect available);

// A window of `designed` size (shrunk to the screen as above) beside the
// window whose frame is `owner`: to its right, else to its left; where
// neither side has room, against the screen's right edge, where it covers
// the far side of the panels rather than the owner's menus, the start of its
// toolbar and its item tree.
QRect besideGeometry(QRect owner, QSize designed, QSize minimum, QMargins frame, QRect available);

// The frame round `window`: as the platform reports it once the window has
// one, else as its owner's; before that (an X11 window manager draws it only
// after the window is mapped) a title bar and borders as the style draws them.
QMargins expectedFrame(const QWidget* window);

// Puts a window that is about to show at the places above, taking its
// present size as the size it was designed at.
void placeCentred(QWidget* window);
void placeBeside(QWidget* window, const QWidget* owner);
