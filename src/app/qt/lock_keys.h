#pragma once
// The states of the lock keys, where the windowing system reports them.
// Qt does not, so the X11 display Qt runs on is asked directly.

#include <optional>

struct LockKeys {
    bool caps = false;
    bool num = false;
    bool scroll = false;
};

// Nothing when the platform cannot say (another platform, or no X11 support
// in this build).
std::optional<LockKeys> QueryLockKeys();
