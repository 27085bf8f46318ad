#include "platform/WindowPlacement.h"

#include "platform/Platform.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace zor::WindowPlacement {

namespace {

QMargins frameOf(const QWidget& window)
{
    // The window's own answer, refreshed at every configure: the widget's copy can still
    // hold the empty frame of a window created before it was shown.
    return window.windowHandle() ? window.windowHandle()->frameMargins() : QMargins();
}

void place(QWidget& window, std::optional<QPoint> outerPos, std::optional<QSize> outerSize)
{
    // Stored values are outer ones; the window is placed and sized by its inside.
    const QMargins f = frameOf(window);
    const QSize outer = outerSize.value_or(window.geometry().size().grownBy(f));
    const QSize inner = outer.shrunkBy(f).expandedTo(QSize(1, 1));
    if (!outerPos) {
        window.resize(inner);
        return;
    }
    const int titleHeight = f.top() > 0 ? f.top() : 24;   // a common title bar until the frame is known
    const QPoint at = keepTitleBarOnScreen(QRect(*outerPos, outer), titleHeight);
    if (!window.testAttribute(Qt::WA_WState_Created)) {
        // Before the window exists Qt places its frame at the point given.
        window.move(at);
        window.resize(inner);
    } else {
        window.setGeometry(QRect(at + QPoint(f.left(), f.top()), inner));
    }
}

// Places the window again the first time it is exposed: by then the window manager has
// framed it and the frame's size is known.
class PlaceWhenFramed : public QObject {
public:
    PlaceWhenFramed(QWidget& window, std::optional<QPoint> pos, std::optional<QSize> size)
        : QObject(&window), m_window(window), m_pos(pos), m_size(size)
    {
        window.installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (watched == &m_window && e->type() == QEvent::Show && m_window.windowHandle()) {
            m_window.removeEventFilter(this);
            m_window.windowHandle()->installEventFilter(this);
        } else if (watched == m_window.windowHandle() && e->type() == QEvent::Expose
                   && m_window.windowHandle()->isExposed()) {
            watched->removeEventFilter(this);
            deleteLater();
            trap([&] { place(m_window, m_pos, m_size); });
        }
        return false;
    }

private:
    QWidget& m_window;
    std::optional<QPoint> m_pos;
    std::optional<QSize> m_size;
};

} // namespace

bool canPlaceWindows()
{
    return QGuiApplication::platformName() != QLatin1String("wayland");
}

QRect outerGeometry(const QWidget& window)
{
    return window.geometry().marginsAdded(frameOf(window));
}

void restore(QWidget& window, std::optional<QPoint> outerPos, std::optional<QSize> outerSize)
{
    place(window, outerPos, outerSize);
    if (outerPos || outerSize)
        new PlaceWhenFramed(window, outerPos, outerSize);
}

QPoint keepTitleBarOnScreen(const QRect& outer, int titleHeight)
{
    const QRect bar(outer.topLeft(), QSize(outer.width(), titleHeight));
    QRect best;
    qint64 bestDistance = -1;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        const qint64 dx = std::max({area.left() - bar.right(), bar.left() - area.right(), 0});
        const qint64 dy = std::max({area.top() - bar.bottom(), bar.top() - area.bottom(), 0});
        const qint64 distance = dx * dx + dy * dy;
        if (bestDistance < 0 || distance < bestDistance) {
            best = area;
            bestDistance = distance;
        }
    }
    if (bestDistance < 0)
        return outer.topLeft();
    const int x = std::clamp(outer.x(), best.left(), std::max(best.left(), best.right() + 1 - outer.width()));
    const int y = std::clamp(outer.y(), best.top(), std::max(best.top(), best.bottom() + 1 - titleHeight));
    return {x, y};
}

} // namespace zor::WindowPlacement
