#pragma once
// The hex view's side of the system clipboard: Copy's bytes go out as plain
// text (with their zero byte), as raw bytes, and the range block under
// "ZUMIK 2.0"; Paste reads either this program's bytes back or another
// program's text.

#include "view/view_commands.h"

// Copies the view's selection onto the clipboard; false when there was
// nothing to copy or no memory for it.
bool CopyToClipboard(OViewCommands& commands);
// The clipboard offers plain text (Paste's enabler).
bool ClipboardHasText();
// Pastes through `commands`; false, changing nothing, when the clipboard
// offers no text.
bool PasteFromClipboard(OViewCommands& commands);

// Copy as hex text: the selection as "DE AD BE EF" plain text (UTF-8, no
// zero byte); false when there was nothing to copy.
bool CopyHexTextToClipboard(OViewCommands& commands);
// Paste hex text: the clipboard's text read as digit pairs; false when it
// held none or was not hex text (which the user is told).
bool PasteHexTextFromClipboard(OViewCommands& commands);
