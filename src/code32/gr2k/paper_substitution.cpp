#include "paper_substitution.h"

#include <cstring>

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "model/module_dispatch.h"
#include "model/printable_area.h"
#include "fields/product_record.h"
#include "model/units.h"
#include "model/model_tables.h"
#include "render_device.h"
#include "render_fields.h"
#include "win/devmode.h"

namespace rendara {

namespace {

constexpr DWORD kFrontFuncSlotA = 0x8;
constexpr DWORD kFrontFuncSlotB = 0x20;
constexpr int kSlotA = 0;
constexpr int kSlotB = 1;

PaperSubstitutionSlot* Slot(DriverContext* context, int n) {
  if (!context || !context->work || !context->settings) return nullptr;
  return &context->work->paperSubstitution[n];
}

bool IsFitOutputPaper(DriverContext* context) {
  const DWORD paper = ReadFieldRawById(context, fid::kdmOutPaperSize);
  return paper >= 1024 && paper <= 1028;
}

// Duplex is off, or in one of its plain forms.
bool DuplexIsPlain(DriverContext* context) {
  if (!ReadFieldRawById(context, fid::kdmFuncSelectDuplex)) return true;
  const DWORD type = ReadFieldRawById(context, fid::kdmDuplexType);
  return type == 1 || type == 2 || type == 3;
}

void Save(DriverContext* context, int n, int save) {
  PaperSubstitutionSlot* slot = Slot(context, n);
  if (!slot) return;
  if (save) {
    slot->outPaperSize = ReadFieldRawById(context, fid::kdmOutPaperSize);
    slot->scale = ReadFieldRawById(context, fid::kdmFuncSelectScale);
    slot->scaleType = ReadFieldRawById(context, fid::kdmScaleType);
  }
  slot->active = save ? 1 : 0;
}

void Restore(DriverContext* context, int n) {
  PaperSubstitutionSlot* slot = Slot(context, n);
  if (!slot || !slot->active) return;
  WriteFieldRawById(context, fid::kdmOutPaperSize, slot->outPaperSize);
  WriteFieldRawById(context, fid::kdmFuncSelectScale, slot->scale);
  WriteFieldRawById(context, fid::kdmScaleType, slot->scaleType);
}

// kdmOutPaperSize := the default output paper, with the output fields derived from it.
void UseDefaultOutputPaper(DriverContext* context) {
  const int paper = GetDefaultOutputPaper(context);
  WriteFieldRawById(context, fid::kdmOutPaperSize, static_cast<DWORD>(paper));
  DeriveImageableArea(static_cast<DWORD>(paper), fid::kdmOutPaperSize, context, GetContextDevmode(context));
}

}  // namespace

void SaveSubstitutionA(DriverContext* context, int save) { Save(context, kSlotA, save); }
void SaveSubstitutionB(DriverContext* context, int save) { Save(context, kSlotB, save); }
void RestoreSubstitutionA(DriverContext* context) { Restore(context, kSlotA); }
void RestoreSubstitutionB(DriverContext* context) { Restore(context, kSlotB); }

BOOL IsSubstitutionAActive(DriverContext* context) {
  const PaperSubstitutionSlot* slot = Slot(context, kSlotA);
  return slot && slot->active ? TRUE : FALSE;
}
BOOL IsSubstitutionBActive(DriverContext* context) {
  const PaperSubstitutionSlot* slot = Slot(context, kSlotB);
  return slot && slot->active ? TRUE : FALSE;
}
void SetSubstitutionAActive(DriverContext* context, BOOL flag) {
  if (PaperSubstitutionSlot* slot = Slot(context, kSlotA)) slot->active = flag ? 1 : 0;
}
void SetSubstitutionBActive(DriverContext* context, BOOL flag) {
  if (PaperSubstitutionSlot* slot = Slot(context, kSlotB)) slot->active = flag ? 1 : 0;
}

void SubstitutePaperA(DriverContext* context) {
  if (!Slot(context, kSlotA) || !IsFitOutputPaper(context)) return;
  if (!ResolveFitOutputPaper(context)) {
    SetSubstitutionAActive(context, FALSE);
    return;
  }
  SaveSubstitutionA(context, 1);
  UseDefaultOutputPaper(context);
  if (ReadFieldRawById(context, fid::kdmFuncSelectNup) == 0 && DuplexIsPlain(context)) {
    WriteFieldRawById(context, fid::kdmFuncSelectScale, 1);
    WriteFieldRawById(context, fid::kdmScaleType, 2);
  }
}

void SubstitutePaperB(DriverContext* context) {
  if (!Slot(context, kSlotB) || !IsFitOutputPaper(context)) return;
  if (ResolveFitOutputPaper(context)) {
    SetSubstitutionBActive(context, FALSE);
    return;
  }
  SaveSubstitutionB(context, 1);
  if (!IsPaperSizeInList(context, ReadFieldRawById(context, fid::dmPaperSize))) return;
  UseDefaultOutputPaper(context);
  const bool scaleFree = !ReadFieldRawById(context, fid::kdmFuncSelectScale) ||
                         ReadFieldRawById(context, fid::kdmScaleType) == 2;
  if (ReadFieldRawById(context, fid::kdmFuncSelectNup) == 0 && DuplexIsPlain(context) && scaleFree) {
    WriteFieldRawById(context, fid::kdmFuncSelectScale, 1);
    WriteFieldRawById(context, fid::kdmScaleType, 1);
  }
}

void ApplyJobTimeAdjustments(DriverContext* context) {
  if (!context || !context->settings || !context->work) return;
  DEVMODEW pub;
  std::memcpy(&pub, GetContextDevmode(context), sizeof pub);
  if (pub.dmFields & DM_COLLATE) {
    if (pub.dmCollate == 1) WriteFieldRawById(context, fid::kdmFuncSelectSort, 1);
  } else {
    WriteFieldRawById(context, fid::kdmFuncSelectSort, 0);
  }
  const DWORD front = ReadFieldRawById(context, fid::kdmFrontFunc);
  if (front & kFrontFuncSlotA) SubstitutePaperA(context);
  if (front & kFrontFuncSlotB) SubstitutePaperB(context);
  NotifyModules(context, kJobAdjustedEvent, nullptr);
}

void UndoJobPaperSubstitution(RenderDevice* device) {
  if (!device) return;
  DriverContext* context = device->context;
  const DWORD front = ReadFieldRawById(context, fid::kdmFrontFunc);
  if (front & kFrontFuncSlotA) RestoreSubstitutionA(context);
  if (front & kFrontFuncSlotB) RestoreSubstitutionB(context);
}

void RedoJobPaperSubstitution(RenderDevice* device) {
  if (!device) return;
  DriverContext* context = device->context;
  if (IsSubstitutionAActive(context)) {
    SubstitutePaperA(context);
    SetSubstitutionAActive(context, FALSE);
  }
  if (IsSubstitutionBActive(context)) {
    SubstitutePaperB(context);
    SetSubstitutionBActive(context, FALSE);
  }
}

}  // namespace rendara
