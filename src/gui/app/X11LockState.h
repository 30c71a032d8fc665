#pragma once

namespace tovan {

enum class LockKey { CapsLock = 0, NumLock = 1, ScrollLock = 2 };

// The lock's indicator as the X server shows it; false where there is no X server to ask
// (Wayland, offscreen), or no indicator of that name.
bool x11LockIsOn(LockKey key);

} // namespace tovan
