#pragma once
// The shell's fixed resources: command ids, the main menu (100), the buffer
// menu (101), the accelerator table (100), the toolbar and the status-bar
// hints. The Qt frame builds its widgets from these tables.

#include "dialogs/command_ids.h"

#include <string_view>
#include <vector>


// Resource numbers.
inline constexpr int MainMenuId = 100;
inline constexpr int BufferMenuId = 101;
inline constexpr int ToolbarWindowId = 32041;
inline constexpr int AboutDialogId = 22000;
inline constexpr int FirstRecentFileId = 32000;   // menu ids of the recent-files entries

struct MenuItem {
    std::string_view text;   // empty for a separator
    int id;                  // 0 for a separator
    bool grey;               // starts disabled
};

struct MenuPopup {
    std::string_view text;
    std::vector<MenuItem> items;
};

// The main menu in resource order: File, Edit, Search, Options, Window, Help.
const std::vector<MenuPopup>& MainMenu();
// The buffer view's popup, merged third while a view is active.
const MenuPopup& BufferMenu();

struct Accelerator {
    std::string_view keys;   // in the usual "Modifier+Key" spelling
    int id;
};
const std::vector<Accelerator>& Accelerators();
// The usual keys of a Linux desktop, beside table 100: new, open, save,
// save as, close, print.
const std::vector<Accelerator>& DesktopAccelerators();
// Keys of the commands added beside the original ones (compare mode).
const std::vector<Accelerator>& AddedAccelerators();

// Toolbar positions left to right; 0 stands for a separator 6 pixels wide.
const std::vector<int>& ToolbarLayout();
inline constexpr int ToolbarSeparatorWidth = 6;
inline constexpr const char* ToolbarCaption = "Toolbar";

// The status-bar hint of a command, or an empty view when it has none.
std::string_view CommandHint(int id);

// "&%d %s": the text of recent-files entry index (0 the newest).
std::string RecentFileMenuText(int index, std::string_view path);
