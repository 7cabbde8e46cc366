#include "app/window_layout.h"

#include "settings/profile.h"

#include <algorithm>

namespace {

constexpr const char* Section = "Window";
// Below this a remembered window is taken for a damaged entry.
constexpr int SmallestFrame = 200;

int overlap(int a, int aw, int b, int bw)
{
    return std::max(0, std::min(a + aw, b + bw) - std::max(a, b));
}

} // namespace

WRect DefaultFrameGeometry(const WRect& screen)
{
    const int width = screen.width * 4 / 5;
    const int height = screen.height * 4 / 5;
    return {screen.x + (screen.width - width) / 2, screen.y + (screen.height - height) / 2, width, height};
}

WRect FrameGeometryToRestore(const std::optional<FramePlacement>& saved, const WRect& screen)
{
    if (!saved || saved->normal.width < SmallestFrame || saved->normal.height < SmallestFrame)
        return DefaultFrameGeometry(screen);
    WRect r = saved->normal;
    // A window that was left mostly off this screen (another monitor, a
    // smaller display) starts at the default place instead.
    const long shown = long(overlap(r.x, r.width, screen.x, screen.width)) * overlap(r.y, r.height, screen.y, screen.height);
    if (shown * 2 < long(r.width) * r.height)
        return DefaultFrameGeometry(screen);
    return FitInside(r, screen);
}

WRect FitInside(WRect r, const WRect& screen)
{
    r.width = std::min(r.width, screen.width);
    r.height = std::min(r.height, screen.height);
    r.x = std::clamp(r.x, screen.x, screen.x + screen.width - r.width);
    r.y = std::clamp(r.y, screen.y, screen.y + screen.height - r.height);
    return r;
}

std::optional<FramePlacement> ReadFramePlacement(const std::string& iniPath)
{
    const OProfile profile(iniPath);
    if (!profile.HasKey(Section, "width") || !profile.HasKey(Section, "height"))
        return std::nullopt;
    FramePlacement placement;
    placement.normal = {profile.GetInt(Section, "left", 0), profile.GetInt(Section, "top", 0),
                        profile.GetInt(Section, "width", 0), profile.GetInt(Section, "height", 0)};
    placement.maximized = profile.GetInt(Section, "maximized", 0) != 0;
    return placement;
}

void WriteFramePlacement(const std::string& iniPath, const FramePlacement& placement)
{
    OProfile profile(iniPath);
    profile.WriteInt(Section, "left", placement.normal.x);
    profile.WriteInt(Section, "top", placement.normal.y);
    profile.WriteInt(Section, "width", placement.normal.width);
    profile.WriteInt(Section, "height", placement.normal.height);
    profile.WriteInt(Section, "maximized", placement.maximized ? 1 : 0);
}

WRect NewChildGeometry(int roomWidth, int roomHeight, int needWidth, int others, int step)
{
    const int width = std::max({roomWidth * 9 / 10, 320, std::min(needWidth, roomWidth)});
    const int height = std::max(roomHeight * 3 / 4, 200);
    step = std::max(step, 1);
    // Each new window steps down and right from the one before by a title
    // bar, so that no window hides another whole, and starts over at the
    // corner when the next step would leave the room.
    const int places = 1 + std::max(0, std::min(roomWidth - width, roomHeight - height)) / step;
    const int offset = (others % places) * step;
    return {offset, offset, width, height};
}

std::vector<WRect> CascadeGeometries(int count, int roomWidth, int roomHeight, int needWidth, int step)
{
    std::vector<WRect> result;
    if (count <= 0)
        return result;
    const int steps = count - 1;
    int width = roomWidth - steps * step;
    int xStep = step;
    if (width < needWidth) {
        width = std::max(0, std::min(needWidth, roomWidth));
        xStep = steps ? std::min(step, (roomWidth - width) / steps) : 0;
    }
    // Each window keeps at least half the room's height, so its rows stay
    // worth reading.
    int height = roomHeight - steps * step;
    int yStep = step;
    if (height < roomHeight / 2) {
        height = roomHeight / 2;
        yStep = steps ? std::min(step, (roomHeight - height) / steps) : 0;
    }
    for (int i = 0; i < count; ++i)
        result.push_back({i * xStep, i * yStep, width, height});
    return result;
}

std::vector<WRect> TileGeometries(int count, int roomWidth, int roomHeight, int needWidth)
{
    std::vector<WRect> result;
    if (count <= 0)
        return result;
    int columns = std::clamp(roomWidth / std::max(needWidth, 1), 1, count);
    const int rows = (count + columns - 1) / columns;
    // As few columns as the rows need, so the rows are evenly filled.
    columns = (count + rows - 1) / rows;
    for (int i = 0; i < count; ++i) {
        const int row = i / columns;
        const int inRow = row == rows - 1 ? count - row * columns : columns;
        const int column = i % columns;
        const int left = roomWidth * column / inRow;
        const int right = roomWidth * (column + 1) / inRow;
        const int top = roomHeight * row / rows;
        const int bottom = roomHeight * (row + 1) / rows;
        result.push_back({left, top, right - left, bottom - top});
    }
    return result;
}
