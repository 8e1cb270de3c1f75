#include "graph/widgets/WindowPlace.h"

#include "common/WindowPlacement.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>
#include <optional>

namespace {

const char* const kGroup = "Window Places";

bool HasProfile()
{
    return !QCoreApplication::organizationName().isEmpty();
}

std::optional<QRect> Remembered(const QString& key)
{
    if (!HasProfile() || key.isEmpty())
        return std::nullopt;
    QSettings settings;
    const QRect place = settings.value(QString::fromLatin1(kGroup) + QLatin1Char('/') + key).toRect();
    if (!place.isValid())
        return std::nullopt;
    return place;
}

// What the window manager adds around the client area. Once the window is up
// its own frame tells; before that, a usual title bar and border are assumed.
FrameMargins FrameOf(const QWidget& window)
{
    if (window.isVisible() && window.frameGeometry() != window.geometry()) {
        const QRect outer = window.frameGeometry();
        const QRect inner = window.geometry();
        return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                outer.bottom() - inner.bottom()};
    }
    return {4, 30, 4, 4};
}

WindowRect ToRect(const QRect& rect)
{
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

} // namespace

void PlaceInside(QWidget& window, const QRect& available, QSize wanted, const QString& key)
{
    std::optional<WindowRect> remembered;
    if (const std::optional<QRect> place = Remembered(key))
        remembered = ToRect(*place);
    const QSize least = window.minimumSize();
    const WindowRect place = PlaceWindow(ToRect(available), wanted.width(), wanted.height(), FrameOf(window),
                                         remembered, std::max(160, least.width()), std::max(120, least.height()));
    window.setGeometry(place.x, place.y, place.width, place.height);
}

void PlaceOnScreen(QWidget& window, QSize wanted, const QString& key)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (const std::optional<QRect> place = Remembered(key)) {
        if (const QScreen* holding = QGuiApplication::screenAt(place->center()))
            screen = holding;
    }
    if (!screen) {
        window.resize(wanted);
        return;
    }
    PlaceInside(window, screen->availableGeometry(), wanted, key);
}

void RememberPlace(const QWidget& window, const QString& key)
{
    if (!HasProfile() || key.isEmpty())
        return;
    QSettings settings;
    settings.setValue(QString::fromLatin1(kGroup) + QLatin1Char('/') + key, window.normalGeometry());
}

int WidenWindow(QWidget& window, int extra)
{
    // A maximised window has all the room there is already.
    if (window.isMaximized() || window.isFullScreen())
        return 0;
    const int before = window.width();
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        window.resize(std::max(1, window.width() + extra), window.height());
        return window.width() - before;
    }
    const WindowRect place = WidenWindowRect(ToRect(window.geometry()), extra, ToRect(screen->availableGeometry()),
                                             FrameOf(window), std::max(160, window.minimumWidth()));
    if (window.isVisible())
        window.setGeometry(place.x, place.y, place.width, place.height);
    else
        window.resize(place.width, place.height);
    return window.width() - before;
}
