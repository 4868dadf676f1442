#include "context/caller_devmode.h"

#include <cstddef>
#include <cstring>

#include "fields/product_record.h"
#include "win/spool.h"

namespace {

WORD HeaderWord(const DEVMODEW* devmode, std::size_t offset) {
  WORD value = 0;
  std::memcpy(&value, reinterpret_cast<const BYTE*>(devmode) + offset, sizeof value);
  return value;
}

DWORD Smaller(DWORD a, DWORD b) { return a < b ? a : b; }

}  // namespace

DWORD ReadableCallerDevmode(const DEVMODEW* devmode, DWORD callerSize) {
  if (!devmode) return 0;
  // Every caller's device-mode reaches the driver through a writable pointer of its entry
  // point; IsValidDevmodeW writes only to repair, within dmSize.
  auto* checked = const_cast<DEVMODEW*>(devmode);
  DWORD limit = callerSize;
  if (callerSize == kCallerSizeNotGiven) {
    limit = DWORD{HeaderWord(devmode, offsetof(DEVMODEW, dmSize))} +
            HeaderWord(devmode, offsetof(DEVMODEW, dmDriverExtra));
  }
  // With a size the check runs first: the header is read only once the size holds it.
  if (!IsValidDevmodeW(checked, limit)) return 0;
  const DWORD publicSize = HeaderWord(devmode, offsetof(DEVMODEW, dmSize));
  if (publicSize < kCallerPublicMinimum) return 0;
  return publicSize + HeaderWord(devmode, offsetof(DEVMODEW, dmDriverExtra));
}

const DEVMODEW* UsableCallerDevmode(const DEVMODEW* devmode, DWORD callerSize) {
  return ReadableCallerDevmode(devmode, callerSize) != 0 ? devmode : nullptr;
}

DWORD WritableCallerDevmode(const DEVMODEW* output, DWORD callerSize) {
  if (!output) return 0;
  return callerSize == kCallerSizeNotGiven ? GetTotalDevmodeSize() : callerSize;
}

DWORD ShapedDevmodeSize(const DEVMODEW* shape) {
  if (!ReadableCallerDevmode(shape, kCallerSizeNotGiven)) return GetTotalDevmodeSize();
  return Smaller(HeaderWord(shape, offsetof(DEVMODEW, dmSize)), GetPublicDevmodeSize()) +
         Smaller(HeaderWord(shape, offsetof(DEVMODEW, dmDriverExtra)), GetPrivateDevmodeSize());
}
