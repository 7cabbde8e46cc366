#pragma once
// The command ids of the menus, the accelerators, the toolbar and the buffer
// view's popup, and the icon resource numbers: below every window that
// raises or draws a command, so that each of them takes the one list.

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

// Icon resource numbers: the program and its document windows.
inline constexpr int MainIconId = 1001;
inline constexpr int DocumentIconId = 1002;
