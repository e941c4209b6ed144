#include "window_placement.h"

#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace {

QSize fittedSize(QSize designed, QSize minimum, QMargins frame, QRect available)
{
    return designed.boundedTo(available.size().shrunkBy(frame)).expandedTo(minimum);
}

// The left or top of a frame of `length` placed at `wanted`, moved back into
// [first, last] as far as it fits; where it cannot fit, its start stays on
// the screen, since that is where a title bar is.
int keepInside(int wanted, int length, int first, int last)
{
    return std::max(first, std::min(wanted, last + 1 - length));
}

QSize minimumOf(const QWidget* window)
{
    return window->minimumSizeHint().expandedTo(window->minimumSize());
}

} // namespace

QRect centredGeometry(QSize designed, QSize minimum, QMargins frame, QRect available)
{
    const QSize size = fittedSize(designed, minimum, frame, available);
    const QSize outer = size.grownBy(frame);
    const int left = keepInside(available.left() + (available.width() - outer.width()) / 2, outer.width(),
        available.left(), available.right());
    const int top = keepInside(available.top() + (available.height() - outer.height()) / 2, outer.height(),
        available.top(), available.bottom());
    return QRect(QPoint(left + frame.left(), top + frame.top()), size);
}

QRect besideGeometry(QRect owner, QSize designed, QSize minimum, QMargins frame, QRect available)
{
    const QSize size = fittedSize(designed, minimum, frame, available);
    const QSize outer = size.grownBy(frame);
    const int roomRight = available.right() - owner.right();
    const int roomLeft = owner.left() - available.left();
    int left;
    if (roomRight >= outer.width())
        left = owner.right() + 1;
    else if (roomLeft >= outer.width())
        left = owner.left() - outer.width();
    else
        left = available.right() + 1 - outer.width();
    left = keepInside(left, outer.width(), available.left(), available.right());
    const int top = keepInside(owner.top(), outer.height(), available.top(), available.bottom());
    return QRect(QPoint(left + frame.left(), top + frame.top()), size);
}

QMargins expectedFrame(const QWidget* window)
{
    // A window's own frame where it is known, else its owner's: the same
    // window manager draws both.
    for (const QWidget* framed = window; framed;
         framed = framed->parentWidget() ? framed->parentWidget()->window() : nullptr) {
        if (const QWindow* handle = framed->windowHandle()) {
            const QMargins known = handle->frameMargins();
            if (!known.isNull())
                return known;
        }
    }
    const QStyle* style = window->style();
    const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, window);
    return QMargins(border, style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window), border, border);
}

void placeCentred(QWidget* window)
{
    // The native window first, so that a platform that knows the frame
    // before the window maps can say so.
    window->winId();
    window->setGeometry(centredGeometry(
        window->size(), minimumOf(window), expectedFrame(window), window->screen()->availableGeometry()));
}

void placeBeside(QWidget* window, const QWidget* owner)
{
    window->winId();
    window->setGeometry(besideGeometry(owner->frameGeometry(), window->size(), minimumOf(window),
        expectedFrame(window), owner->screen()->availableGeometry()));
}
