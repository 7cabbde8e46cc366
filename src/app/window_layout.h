#pragma once
// Where the editor's windows go: the main window's first and remembered
// place, the size of a new document window, and the Cascade and Tile
// arrangements, worked out so that a document window stays wide enough for
// its address, hex and character columns whenever the room allows.

#include <optional>
#include <string>
#include <vector>

struct WRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const WRect&) const = default;
};

// The main window's place between runs: the restored geometry and whether
// it was maximised.
struct FramePlacement {
    WRect normal;
    bool maximized = false;
};

// Four fifths of the screen's free area, centred on it.
WRect DefaultFrameGeometry(const WRect& screen);
// The remembered geometry when it still lies mostly on the screen (fitted
// inside it), else the default.
WRect FrameGeometryToRestore(const std::optional<FramePlacement>& saved, const WRect& screen);

// `r` made to fit the screen: no larger than it and moved inside it.
WRect FitInside(WRect r, const WRect& screen);

// Section "Window" of the settings file; nothing when no place was stored.
std::optional<FramePlacement> ReadFramePlacement(const std::string& iniPath);
void WriteFramePlacement(const std::string& iniPath, const FramePlacement& placement);

// A new document window in a client area `roomWidth` × `roomHeight`: most
// of the area, at least `needWidth` wide (the three columns) as far as the
// room goes.
WRect NewChildGeometry(int roomWidth, int roomHeight, int needWidth, int others, int step);

// Cascade: each window a step down and right of the one before, all of one
// size, at least `needWidth` wide where the room allows (the step shrinks
// before the windows do).
std::vector<WRect> CascadeGeometries(int count, int roomWidth, int roomHeight, int needWidth, int step);
// Tile: a grid with as many columns as windows of `needWidth` fit side by
// side, the windows sharing the rows; the room is filled exactly.
std::vector<WRect> TileGeometries(int count, int roomWidth, int roomHeight, int needWidth);
