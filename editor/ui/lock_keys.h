// Whether Caps Lock, Num Lock and Scroll Lock are toggled on. Qt offers no portable
// query, so each platform answers here; tests replace the answer.
#pragma once

#include <functional>

struct LockKeyState {
  bool caps = false;
  bool num = false;
  bool scroll = false;
};

// The platform's current lock states.
LockKeyState queryLockKeys();

// Replaces the platform query (an empty function restores it).
void setLockKeyQuery(std::function<LockKeyState()> query);
