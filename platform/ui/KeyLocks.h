#pragma once

// The state of the keyboard's lock keys (Caps Lock, Num Lock, Scroll Lock) for the status
// bar's key indicators. Qt does not tell lock states, so the layer reads the keyboard
// LEDs that Linux exposes under /sys/class/leds: an LED named "<device>::capslock",
// "::numlock" or "::scrolllock" whose "brightness" is not 0 means the lock is on. With
// several keyboards any lit LED counts; when no such LED can be read the lock is off.
// Tests replace the query with their own function.

#include <functional>
#include <string>

namespace leaf::ui {

enum class LockKey { Caps, Num, Scroll };

using LockStateQuery = std::function<bool(LockKey)>;

// Whether the lock is on, through the query in use.
bool IsLockKeyOn(LockKey key);

// Installs a query (an empty one: back to the LEDs); returns the one it replaced.
LockStateQuery SetLockStateQuery(LockStateQuery query);

// The LED reading itself, over any folder laid out as /sys/class/leds.
bool ReadLockLed(LockKey key, const std::string& ledsFolder = "/sys/class/leds");

}  // namespace leaf::ui
