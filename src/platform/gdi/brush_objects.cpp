// Brush objects: solid colours and the driver's realised brushes (BRUSHOBJ_*).
#include <cstring>

#include "gdi_internal.h"
#include "object_registry.h"
#include "plat/gdi_objects.h"
#include "win/errors.h"

namespace plat::gdi {

BrushObject::BrushObject(ULONG solidColor, FLONG colorType) {
  obj_.iSolidColor = solidColor;
  obj_.flColorType = colorType;
  Register(Kind::Brush, &obj_, this);
}

BrushObject::BrushObject(HDEV hdev, SURFOBJ* target, SURFOBJ* pattern, XLATEOBJ* xlate, ULONG hatch,
                         FLONG colorType)
    : hdev_(hdev), target_(target), pattern_(pattern), xlate_(xlate), hatch_(hatch) {
  obj_.iSolidColor = 0xFFFFFFFFu;
  obj_.flColorType = colorType;
  Register(Kind::Brush, &obj_, this);
}

BrushObject::~BrushObject() { Unregister(Kind::Brush, &obj_); }

PVOID BrushObject::Alloc(ULONG cj) {
  if (cj == 0) return nullptr;
  blocks_.push_back(std::make_unique<BYTE[]>(cj));
  pending_ = blocks_.back().get();
  return pending_;
}

PVOID BrushObject::GetRealized() {
  if (obj_.pvRbrush) return obj_.pvRbrush;
  if (obj_.iSolidColor != 0xFFFFFFFFu || !hdev_) return nullptr;
  PFN_DrvRealizeBrush realize = nullptr;
  {
    std::lock_guard<std::mutex> g(EngineLock());
    if (EngineDevice* dev = FindDevice(hdev_)) realize = reinterpret_cast<PFN_DrvRealizeBrush>(
          reinterpret_cast<void (*)()>(DeviceFunction(*dev, INDEX_DrvRealizeBrush)));
  }
  if (!realize) return nullptr;
  ++realizeCalls_;
  pending_ = nullptr;
  if (!realize(&obj_, target_, pattern_, nullptr, xlate_, hatch_) || !pending_) return nullptr;
  obj_.pvRbrush = pending_;
  return obj_.pvRbrush;
}

}  // namespace plat::gdi

using namespace plat::gdi;

extern "C" {

PVOID WINAPI BRUSHOBJ_pvAllocRbrush(BRUSHOBJ* pbo, ULONG cj) {
  return NoThrow<PVOID>(nullptr, [&]() -> PVOID {
    BrushObject* b = Find<BrushObject>(Kind::Brush, pbo);
    if (!b || cj == 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    return b->Alloc(cj);
  });
}

PVOID WINAPI BRUSHOBJ_pvGetRbrush(BRUSHOBJ* pbo) {
  return NoThrow<PVOID>(nullptr, [&]() -> PVOID {
    BrushObject* b = Find<BrushObject>(Kind::Brush, pbo);
    if (!b) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    return b->GetRealized();
  });
}

ULONG WINAPI BRUSHOBJ_ulGetBrushColor(BRUSHOBJ* pbo) { return pbo ? pbo->iSolidColor : 0xFFFFFFFFu; }

}  // extern "C"
