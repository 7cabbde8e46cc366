#pragma once
// The shell's fixed resources: command ids, the main menu (100), the buffer
// menu (101), the accelerator table (100), the toolbar and the status-bar
// hints. The Qt frame builds its widgets from these tables.

#include <string_view>
#include <vector>

enum CommandId : int {
    CmInsert = 200,
    CmFillSelection = 201,
    CmSetSelection = 202,
    CmResizeBuffer = 203,
    CmSelectAll = 204,
    CmPositionCursor = 205,
    CmSettings = 206,
    CmChecksum = 230,
    CmSplitLanes = 240,
    CmMergeLanes = 241,
    CmSwapBytes = 242,
    CmCopyHexText = 254,
    CmPasteHexText = 255,
    CmCompare = 260,
    CmNextDifference = 261,
    CmPreviousDifference = 262,
    // The ranges of a sparse image: jumps between them and their pane.
    CmNextRange = 270,
    CmPreviousRange = 271,
    CmRangesPane = 272,
    // The editor's everyday extras.
    CmOverlayFile = 280,
    CmValueInspector = 281,
    CmFileExport = 282,
    CmGoToSymbol = 283,
    CmHelpContents = 2001,
    CmHelpUsing = 2002,
    CmHelpAbout = 2009,
    CmExit = 24310,
    CmUndo = 24321,
    CmCut = 24322,
    CmCopy = 24323,
    CmPaste = 24324,
    CmDelete = 24325,
    CmClearAll = 24326,
    CmRedo = 24327,
    CmFileNew = 24331,
    CmFileOpen = 24332,
    CmFileSave = 24333,
    CmFileSaveAs = 24334,
    CmFilePrint = 24337,
    CmFilePrintSetup = 24338,
    CmFileClose = 24339,
    CmFilePrintPreview = 24340,
    CmFind = 24351,
    CmReplace = 24352,
    CmFindNext = 24353,
    CmFindPrevious = 24354,
    CmCascade = 24361,
    CmTile = 24363,
    CmArrangeIcons = 24364,
    CmCloseChildren = 24365,
};

// Resource numbers.
inline constexpr int MainMenuId = 100;
inline constexpr int BufferMenuId = 101;
inline constexpr int MainIconId = 1001;
inline constexpr int DocumentIconId = 1002;
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
