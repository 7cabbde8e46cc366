#include "app/app_resources.h"

#include <cstdio>
#include <string>
#include <utility>

namespace {
constexpr MenuItem separator{"", 0, false};
}

const std::vector<MenuPopup>& MainMenu()
{
    static const std::vector<MenuPopup> menu{
        {"&File",
         {
             {"&New", CmFileNew, false},
             {"&Open...", CmFileOpen, false},
             {"&Insert...", CmInsert, false},
             {"Overla&y file...", CmOverlayFile, true},
             {"Sp&lit...", CmSplitLanes, true},
             {"&Merge lanes...", CmMergeLanes, false},
             {"&Close", CmFileClose, false},
             separator,
             {"&Save", CmFileSave, true},
             {"Save &As...", CmFileSaveAs, true},
             {"&Export...", CmFileExport, true},
             separator,
             {"Print Pre&view...", CmFilePrintPreview, true},
             {"&Print...", CmFilePrint, true},
             {"P&rint Setup...", CmFilePrintSetup, true},
             separator,
             {"E&xit\tAlt+F4", CmExit, false},
         }},
        {"&Edit",
         {
             {"&Undo\tAlt+BkSp", CmUndo, true},
             {"&Redo\tCtrl+Y", CmRedo, true},
             separator,
             {"Cu&t\tShift+Del", CmCut, true},
             {"&Copy\tCtrl+Ins", CmCopy, true},
             {"&Paste\tShift+Ins", CmPaste, true},
             {"Copy as he&x text", CmCopyHexText, true},
             {"Paste he&x text", CmPasteHexText, true},
             separator,
             {"&Select all\tCtrl+A", CmSelectAll, false},
             {"Clear &All\tCtrl+Del", CmClearAll, true},
             {"&Delete\tDel", CmDelete, true},
         }},
        {"&Search",
         {
             {"&Find...", CmFind, true},
             {"&Next\bF3", CmFindNext, true},
             {"&Previous\tShift+F3", CmFindPrevious, true},
             {"&Replace...\tCtrl+H", CmReplace, true},
             {"Go to s&ymbol...\tCtrl+Shift+G", CmGoToSymbol, true},
         }},
        {"&Options", {{"&Settings", CmSettings, false}}},
        {"&Window",
         {
             {"&Cascade", CmCascade, false},
             {"&Tile", CmTile, false},
             {"Arrange &Icons", CmArrangeIcons, false},
             {"C&lose All", CmCloseChildren, false},
             separator,
             {"Co&mpare with...", CmCompare, true},
             {"Next &difference\tF8", CmNextDifference, true},
             {"Pre&vious difference\tShift+F8", CmPreviousDifference, true},
             {"&Ranges", CmRangesPane, false},
             {"Val&ue inspector", CmValueInspector, false},
         }},
        {"&Help",
         {
             {"&Contents", CmHelpContents, false},
             {"&Using help", CmHelpUsing, false},
             separator,
             {"&About...", CmHelpAbout, false},
         }},
    };
    return menu;
}

const MenuPopup& BufferMenu()
{
    static const MenuPopup popup{"&Buffer",
                                 {
                                     {"&Fill selection...", CmFillSelection, false},
                                     {"&Checksum...", CmChecksum, false},
                                     {"&Set selection...", CmSetSelection, false},
                                     {"&Resize buffer...", CmResizeBuffer, false},
                                     {"S&wap bytes...", CmSwapBytes, false},
                                     separator,
                                     {"&Position cursor...", CmPositionCursor, false},
                                     separator,
                                     {"&Next range\tAlt+PgDown", CmNextRange, false},
                                     {"Pre&vious range\tAlt+PgUp", CmPreviousRange, false},
                                 }};
    return popup;
}

const std::vector<Accelerator>& Accelerators()
{
    static const std::vector<Accelerator> table{
        {"Shift+Del", CmCut},   {"Ctrl+X", CmCut},        {"Ctrl+Ins", CmCopy}, {"Ctrl+C", CmCopy},
        {"Shift+Ins", CmPaste}, {"Ctrl+V", CmPaste},      {"Ctrl+Del", CmClearAll},
        {"Ctrl+Z", CmUndo},     {"Alt+Backspace", CmUndo}, {"Ctrl+A", CmSelectAll},
        {"Ctrl+F", CmFind},     {"F3", CmFindNext},
        {"Alt+PgDown", CmNextRange}, {"Alt+PgUp", CmPreviousRange},
    };
    return table;
}

const std::vector<Accelerator>& DesktopAccelerators()
{
    static const std::vector<Accelerator> table{
        {"Ctrl+N", CmFileNew},      {"Ctrl+O", CmFileOpen},  {"Ctrl+S", CmFileSave},
        {"Ctrl+Shift+S", CmFileSaveAs}, {"Ctrl+W", CmFileClose}, {"Ctrl+F4", CmFileClose},
        {"Ctrl+P", CmFilePrint},    {"Ctrl+Shift+C", CmCopyHexText}, {"Ctrl+Shift+V", CmPasteHexText},
    };
    return table;
}

const std::vector<Accelerator>& AddedAccelerators()
{
    static const std::vector<Accelerator> table{
        {"F8", CmNextDifference},
        {"Ctrl+Y", CmRedo},
        {"Ctrl+Shift+Z", CmRedo},
        {"Shift+F3", CmFindPrevious},
        {"Ctrl+H", CmReplace},
        {"Shift+F8", CmPreviousDifference},
        {"Ctrl+Shift+G", CmGoToSymbol},
    };
    return table;
}

const std::vector<int>& ToolbarLayout()
{
    static const std::vector<int> layout{
        CmFileNew, CmFileOpen, CmFileSave, 0,
        CmCut, CmCopy, CmPaste, 0,
        CmUndo, 0,
        CmFind, CmFindNext, 0,
        CmSettings, CmFillSelection, CmSetSelection, CmPositionCursor, CmClearAll, CmResizeBuffer, 0,
        CmFilePrint, CmFilePrintPreview, 0,
        CmHelpContents,
    };
    return layout;
}

std::string_view CommandHint(int id)
{
    static const std::pair<int, std::string_view> hints[] = {
        {CmInsert, "Insert file starting at the position of the cursor"},
        {CmPositionCursor, "Set the cursor at a specified address"},
        {CmChecksum, "Computes a checksum or CRC over a range and writes it into the buffer"},
        {CmSplitLanes, "Writes the byte lanes of the active document to separate files"},
        {CmMergeLanes, "Interleaves byte lane files into a new document"},
        {CmSwapBytes, "Swaps the bytes of 16- or 32-bit words"},
        {CmSettings, "Change program settings"},
        {CmHelpContents, "Help table of contents"},
        {CmHelpUsing, "Help on using online Help"},
        {CmHelpAbout, "About the Dravel 97 application"},
        {CmExit, "Quits Dravel 97 and prompts to save the documents"},
        {CmUndo, "Reverses the last operation"},
        {CmRedo, "Carries out again what Undo reversed"},
        {CmCut, "Cuts the selection and puts it on the Clipboard"},
        {CmCopy, "Copies the selection and puts it on the Clipboard"},
        {CmPaste, "Inserts the Clipboard contents at the insertion point"},
        {CmDelete, "Deletes the selection"},
        {CmClearAll, "Clears the active document"},
        {CmCopyHexText, "Copies the selection as hex text for other programs"},
        {CmPasteHexText, "Writes the hex digits of the Clipboard's text at the insertion point"},
        {CmFileNew, "Creates a new document"},
        {CmFileOpen, "Opens an existing document"},
        {CmFileSave, "Saves the active document"},
        {CmFileSaveAs, "Saves the active document with a new name"},
        {CmFileExport, "Writes the active document as a C array, Verilog memory or MIF file"},
        {CmFilePrint, "Prints the active document"},
        {CmFilePrintSetup, "Sets print characteristics for the active document"},
        {CmFileClose, "Closes the active document"},
        {CmFilePrintPreview, "Displays full pages as read-only"},
        {CmFind, "Finds the specified text"},
        {CmFindNext, "Finds the next match"},
        {CmCascade, "Cascades open windows"},
        {CmArrangeIcons, "Arranges iconic windows along bottom"},
        {CmCloseChildren, "Closes all open windows"},
        {CmCompare, "Compares the active document with another image, side by side"},
        {CmNextDifference, "Moves both compared documents to the next difference"},
        {CmPreviousDifference, "Moves both compared documents to the previous difference"},
        {CmNextRange, "Moves the cursor to the start of the next address range"},
        {CmPreviousRange, "Moves the cursor to the start of the previous address range"},
        {CmRangesPane, "Shows or hides the list of the address ranges a save writes"},
        {CmFindPrevious, "Finds the previous match"},
        {CmReplace, "Replaces matches of a text or hex bytes with others of the same length"},
        {CmOverlayFile, "Lays a file's bytes over the document at the file's own addresses"},
        {CmValueInspector, "Shows or hides the values of the bytes at the cursor"},
        {CmGoToSymbol, "Moves the cursor to a function or object of the ELF file"},
    };
    for (const auto& [hintId, text] : hints)
        if (hintId == id)
            return text;
    return {};
}

std::string RecentFileMenuText(int index, std::string_view path)
{
    char number[16];
    std::snprintf(number, sizeof number, "&%d ", index + 1);
    return number + std::string(path);
}
