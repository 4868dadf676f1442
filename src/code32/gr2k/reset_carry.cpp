#include "reset_carry.h"

#include <cstddef>
#include <cstring>
#include <new>

#include "base/build_switches.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "fields/product_record.h"
#include "render_device.h"
#include "render_fields.h"

namespace rendara {

namespace {

constexpr WORD kCarriedJobFields[] = {fid::kdmUserCode,  fid::kdmOwnerName,    fid::kdmJOBPassword,
                                      fid::kdmUserID,    fid::kdmDocumentName, fid::kdmTelNo,
                                      fid::kdmTelLine,   fid::kdmStoredPassword};
constexpr WORD kCarriedAuthFields[] = {fid::wdmAuthenticationUserName, fid::wdmAuthenticationNetworkKey,
                                       fid::wdmAuthenticationPassword};

void CarryField(DriverContext* to, DriverContext* from, WORD id) {
  SettingField* source = FindFieldById(from, id);
  SettingField* target = FindFieldById(to, id);
  if (!source || !target) return;
  const BYTE* value = GetFieldAddress(from, source);
  if (value) WriteFieldBlock(to, target, value);
}

// A field of the device-mode taken from the reset's device-mode: the field itself (one bit
// of a bit field), or `span` whole bytes from the field's first byte.
struct ResetEntry {
  WORD id;
  BYTE span;
};

constexpr ResetEntry kAlwaysFirst[] = {
    {fid::kdmExtPrintArea, 0}, {fid::dmOrientation, 0}, {fid::dmPaperSize, 0},
    {fid::dmCopies, 0},        {fid::kdmScaleH, 0},     {fid::kdmScaleV, 0},
};
constexpr ResetEntry kWithFitPaper[] = {
    {fid::kdmOutPaperSize, 0}, {fid::dmDefaultSource, 0}, {fid::dmMediaType, 0},
    {fid::kdmMediaType, 0},    {fid::kdmOutputTrayID, 0},
};
constexpr ResetEntry kAlwaysAfter[] = {
    {fid::kdmImagePrint, 0},
    {fid::kdmColorProcess, 0},
    {fid::kdmExtOutputEMFSpool, 0},
    {fid::kdmColorMatching, 0},
    {fid::kdmColorMatchingMode, 0},
    {fid::kdmICMType, 0},
    {fid::kdmICMIntent, 0},
    {fid::kdmAdjustMode, 0},
    {fid::kdmAdjustObject, 0},
    {fid::kdmColorMode, 0},
    {fid::kdmCharBlack, 1},  // the whole byte at 563
    {fid::kdmAutoCorrectPhoto, 0},
    {fid::kdmDitherType, 0},
    {fid::kdmBrightness, 0},
    {fid::kdmContrast, 0},
    {fid::kdmSaturation, 0},
    {fid::kdmColorBalanceR, 0},
    {fid::kdmColorBalanceG, 0},
    {fid::kdmColorBalanceB, 0},
    {fid::kdmPlaneUseCMYKCyan, 1},     // the byte at 574
    {fid::kdmDstResolutionBoth, 0},
    {fid::kdmQualityFunc168Line, 2},   // the word at 576
    {fid::kdmUseUserMacro, 7},         // the bytes 585 to 591
    {fid::kdmExtOutputprinterSide, 0},
    {fid::kdmCosmeticLine, 0},
    {fid::kdmFuncSelectTonerSave, 0},
    {fid::kdmTonerSave, 0},
    {fid::kdmTonerSaveDensityType, 0},
    {fid::kdmTonerSaveDensityText, 0},
    {fid::kdmTonerSaveDensityLine, 0},
    {fid::kdmTonerSaveDensityImage, 0},
};

const SettingFieldDef* BuiltInField(WORD id) {
  const SettingFieldDef* defs = GetBuiltInFields();
  for (int i = 0; i < kBuiltInFieldCount; ++i)
    if (defs[i].id == id) return &defs[i];
  return nullptr;
}

// Position of a device-mode field: its byte offset, and for a bit field the mask of its bit.
struct Place {
  DWORD offset = 0;
  DWORD size = 0;  // bytes
  BYTE mask = 0;   // non-zero: one bit of the byte at offset
};

bool PlaceOf(const ResetEntry& e, Place& place) {
  const SettingFieldDef* def = BuiltInField(e.id);
  if (!def || FieldAreaOf(def->type) != 1) return false;
  const DWORD code = FieldCodeOf(def->type);
  place.offset = def->offset;
  if (e.span) {
    place.size = e.span;
  } else if (IsBitFieldCode(code)) {
    place.offset += (code - FT_FIRST_BIT) / 8;
    place.size = 1;
    place.mask = static_cast<BYTE>(1u << ((code - FT_FIRST_BIT) % 8));
  } else {
    place.size = FieldSizeOf(def->type);
  }
  return place.size > 0;
}

void Take(BYTE* copy, const BYTE* saved, DWORD size, const ResetEntry& e) {
  Place p;
  if (!PlaceOf(e, p) || p.offset + p.size > size) return;
  if (p.mask) {
    copy[p.offset] = static_cast<BYTE>((copy[p.offset] & ~p.mask) | (saved[p.offset] & p.mask));
  } else if (std::memcmp(copy + p.offset, saved + p.offset, p.size) != 0) {
    std::memcpy(copy + p.offset, saved + p.offset, p.size);
  }
}

DWORD ReadField(const BYTE* devmode, DWORD size, WORD id) {
  Place p;
  if (!PlaceOf(ResetEntry{id, 0}, p) || p.offset + p.size > size) return 0;
  if (p.mask) return (devmode[p.offset] & p.mask) ? 1 : 0;
  DWORD value = 0;
  std::memcpy(&value, devmode + p.offset, p.size < sizeof value ? p.size : sizeof value);
  return value;
}

DWORD TotalSize(const DEVMODEW* dm) { return static_cast<DWORD>(dm->dmSize) + dm->dmDriverExtra; }

}  // namespace

void CarryJobControlSettings(DriverContext* newContext, DriverContext* oldContext) {
  if (!newContext || !oldContext || !newContext->settings || !oldContext->settings) return;
  for (WORD id : kCarriedJobFields) CarryField(newContext, oldContext, id);
  if (IsFeatureKindSupported(newContext, 0, 0))
    for (WORD id : kCarriedAuthFields) CarryField(newContext, oldContext, id);
}

BOOL HasSameOutputSettings(const DEVMODEW* oldCopy, const DEVMODEW* newCopy) {
  if (!oldCopy || !newCopy) return FALSE;
  if (oldCopy->dmPrintQuality != newCopy->dmPrintQuality || oldCopy->dmColor != newCopy->dmColor) return FALSE;
  const DWORD oldDuplex = ReadField(reinterpret_cast<const BYTE*>(oldCopy), TotalSize(oldCopy), fid::kdmFuncSelectDuplex);
  const DWORD newDuplex = ReadField(reinterpret_cast<const BYTE*>(newCopy), TotalSize(newCopy), fid::kdmFuncSelectDuplex);
  return oldDuplex == newDuplex ? TRUE : FALSE;
}

int TakeResetSettings(DEVMODEW* copy, const BYTE* saved, DWORD size) {
  if (!copy || !saved) return 1;
  auto* bytes = reinterpret_cast<BYTE*>(copy);
  for (const ResetEntry& e : kAlwaysFirst) Take(bytes, saved, size, e);
  if (ReadField(bytes, size, fid::kdmOutPaperSize) == 1024)
    for (const ResetEntry& e : kWithFitPaper) Take(bytes, saved, size, e);
  for (const ResetEntry& e : kAlwaysAfter) Take(bytes, saved, size, e);
  return 1;
}

BOOL CarryChosenSettings(const DEVMODEW* oldCopy, DEVMODEW* newCopy) {
  if (!oldCopy || !newCopy || !HasSameOutputSettings(oldCopy, newCopy)) return FALSE;
  const DWORD size = TotalSize(newCopy);
  if (TotalSize(oldCopy) != size) return FALSE;
  const DWORD total = GetTotalDevmodeSize();
  const std::size_t scratchSize = size > total ? size : total;
  auto* scratch = new (std::nothrow) BYTE[scratchSize]();
  if (!scratch) return FALSE;
  std::memcpy(scratch, newCopy, size);
  std::memcpy(newCopy, oldCopy, size);
  TakeResetSettings(newCopy, scratch, size);
  delete[] scratch;
  return TRUE;
}

BOOL CanCarryJobSettings(RenderDevice* oldDevice, RenderDevice* newDevice) {
  if (!oldDevice || !newDevice) return FALSE;
  return CarryChosenSettings(oldDevice->jobDevmode, newDevice->jobDevmode);
}

}  // namespace rendara
