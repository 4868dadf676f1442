// Application device contexts on engine devices, and ExtEscape through them to the
// rendering driver's DrvEscape.
#include <cstdint>
#include <map>
#include <mutex>

#include "gdi_internal.h"
#include "plat/engine.h"
#include "win/errors.h"
#include "win/gdi.h"

namespace plat::engine {
namespace {

std::mutex& ContextLock() {
  static std::mutex lock;
  return lock;
}

// Contexts by handle value. Handles are numbered, never reused within a process.
std::map<std::uintptr_t, Device*>& Contexts() {
  static std::map<std::uintptr_t, Device*> contexts;
  return contexts;
}

std::uintptr_t g_nextContext = 0x4DC0001;

Device* FindContext(HDC dc) {
  std::lock_guard<std::mutex> hold(ContextLock());
  auto it = Contexts().find(reinterpret_cast<std::uintptr_t>(dc));
  return it == Contexts().end() ? nullptr : it->second;
}

}  // namespace

HDC CreateDeviceContext(Device& device) {
  return gdi::NoThrow<HDC>(nullptr, [&]() -> HDC {
    std::lock_guard<std::mutex> hold(ContextLock());
    const std::uintptr_t value = g_nextContext++;
    Contexts()[value] = &device;
    return reinterpret_cast<HDC>(value);
  });
}

bool DeleteDeviceContext(HDC dc) {
  std::lock_guard<std::mutex> hold(ContextLock());
  return Contexts().erase(reinterpret_cast<std::uintptr_t>(dc)) != 0;
}

}  // namespace plat::engine

namespace plat::engine {

// ExtEscape on an engine device's context (the road of ExtEscape in ui/paint_objects.cpp):
// false when the context is no engine device's.
bool EscapeThroughEngineContext(HDC hdc, int iEscape, int cjInput, LPCSTR lpInData, int cjOutput, LPSTR lpOutData,
                                int* result) {
  Device* device = FindContext(hdc);
  if (!device) return false;
  if (cjInput < 0 || cjOutput < 0 || (cjInput > 0 && !lpInData) || (cjOutput > 0 && !lpOutData)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    *result = -1;
    return true;
  }
  *result = static_cast<int>(device->Escape(static_cast<ULONG>(iEscape), static_cast<ULONG>(cjInput), lpInData,
                                            static_cast<ULONG>(cjOutput), lpOutData));
  return true;
}

}  // namespace plat::engine
