#pragma once
// Buffer › Checksum (230): the checksum dialog over the active view's
// document and selection, and the result written where it says.

class OBufferView;

void RunChecksumCommand(OBufferView* view);
