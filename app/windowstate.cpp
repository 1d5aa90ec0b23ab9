#include "app/windowstate.h"

#include "lists/textencoding.h"

#include <algorithm>

namespace {

// The part of a window's top edge that must show.
constexpr int GripWidth = 64;
constexpr int GripHeight = 24;

} // namespace

WindowState readWindowState(const IniStore &store)
{
    const QString section = QString::fromLatin1(WindowSection);
    const auto read
        = [&](const char *key) { return store.readString(section, QString::fromLatin1(key), {}); };
    const auto number = [&](const char *key) -> std::optional<int> {
        bool ok = false;
        const int value = read(key).toInt(&ok);
        return ok ? std::optional<int>(value) : std::nullopt;
    };
    WindowState state;
    const std::optional<int> left = number(KeyWindowLeft);
    const std::optional<int> top = number(KeyWindowTop);
    const std::optional<int> width = number(KeyWindowWidth);
    const std::optional<int> height = number(KeyWindowHeight);
    // Far beyond any screen: a size that large is no window's.
    constexpr int Largest = 1 << 16;
    const auto within = [](const std::optional<int> &value, int low, int high) {
        return value && *value >= low && *value <= high;
    };
    if (within(left, -Largest, Largest) && within(top, -Largest, Largest)
        && within(width, SmallestWindowSide, Largest) && within(height, SmallestWindowSide, Largest))
        state.geometry = QRect(*left, *top, *width, *height);
    state.maximized = read(KeyWindowMaximized) == QStringLiteral("ON");
    if (const std::optional<int> split = number(KeyWindowSplit); within(split, 1, 999))
        state.split = split;
    if (const QString folder = read(KeyOpenFolder); !folder.isEmpty())
        state.openFolder = folder;
    const QString encoding = read(KeyOpenEncoding);
    for (const QString &name : encodingNames()) {
        if (name.compare(encoding, Qt::CaseInsensitive) == 0)
            state.openEncoding = name;
    }
    return state;
}

void writeWindowState(IniStore &store, const WindowState &state)
{
    const QString section = QString::fromLatin1(WindowSection);
    const auto write = [&](const char *key, const QString &value) {
        store.writeString(section, QString::fromLatin1(key), value);
    };
    if (state.geometry) {
        write(KeyWindowLeft, QString::number(state.geometry->x()));
        write(KeyWindowTop, QString::number(state.geometry->y()));
        write(KeyWindowWidth, QString::number(state.geometry->width()));
        write(KeyWindowHeight, QString::number(state.geometry->height()));
    }
    write(KeyWindowMaximized, state.maximized ? QStringLiteral("ON") : QStringLiteral("OFF"));
    if (state.split)
        write(KeyWindowSplit, QString::number(*state.split));
    if (state.openFolder)
        write(KeyOpenFolder, *state.openFolder);
    if (state.openEncoding)
        write(KeyOpenEncoding, *state.openEncoding);
}

bool isOnAScreen(const QRect &geometry, const QList<QRect> &screens)
{
    const QRect grip(geometry.left(), geometry.top(), geometry.width(), GripHeight);
    const int width = std::min(GripWidth, geometry.width());
    return std::any_of(screens.begin(), screens.end(), [&](const QRect &screen) {
        const QRect shown = screen.intersected(grip);
        return shown.width() >= width && shown.height() >= GripHeight;
    });
}
