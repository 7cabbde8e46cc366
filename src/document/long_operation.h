#pragma once
// What the document's long operations share, for its own sources only.

#include "document/buffer_document.h"

// Brackets an operation on many bytes: busy window and wait cursor.
class LongOperation {
public:
    LongOperation(OBufferDocument& document, bool active) : document_(document), active_(active)
    {
        if (active_) {
            document_.Host().SetWaitCursor(true);
            document_.SetBusy(true);
        }
    }
    ~LongOperation()
    {
        if (active_) {
            document_.SetBusy(false);
            document_.Host().SetWaitCursor(false);
        }
    }
    LongOperation(const LongOperation&) = delete;
    LongOperation& operator=(const LongOperation&) = delete;

private:
    OBufferDocument& document_;
    bool active_;
};
