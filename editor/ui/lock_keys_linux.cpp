// Linux stand-in: the keyboard LEDs the kernel exposes under /sys/class/leds
// ("input3::capslock" and the like) mirror the lock states of the console
// keyboard. Without such LEDs every lock reads as off.
#include <QDir>
#include <QFile>

#include "lock_keys.h"

namespace {

std::function<LockKeyState()>& override_() {
  static std::function<LockKeyState()> f;
  return f;
}

bool ledOn(const QString& suffix) {
  const QDir leds(QStringLiteral("/sys/class/leds"));
  const QStringList names = leds.entryList({QStringLiteral("*::") + suffix}, QDir::Dirs | QDir::NoDotAndDotDot);
  for (const QString& n : names) {
    QFile f(leds.filePath(n + QStringLiteral("/brightness")));
    if (f.open(QIODevice::ReadOnly) && f.readAll().trimmed() != "0") return true;
  }
  return false;
}

}  // namespace

LockKeyState queryLockKeys() {
  if (override_()) return override_()();
  LockKeyState s;
  s.caps = ledOn(QStringLiteral("capslock"));
  s.num = ledOn(QStringLiteral("numlock"));
  s.scroll = ledOn(QStringLiteral("scrolllock"));
  return s;
}

void setLockKeyQuery(std::function<LockKeyState()> query) { override_() = std::move(query); }
