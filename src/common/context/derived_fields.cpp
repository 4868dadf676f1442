#include "model/derived_fields.h"

#include "fields/devmode_header.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "model/module_dispatch.h"
#include "model/printable_area.h"
#include "base/spooler_info.h"
#include "field_ids.h"
#include "model/model_tables.h"
#include "model/value_sets.h"

namespace {

// Index 0 of the indexed id sets: the duplex types bound on the long edge in portrait.
constexpr int kDuplexTypeSet = 0;

}  // namespace

void SyncResolutionFromPrivate(BYTE*, DriverContext* context) {
  if (!context || !context->settings) return;
  const DWORD resolution = ReadFieldRawById(context, fid::kdmDstResolutionW);
  WriteFieldRawById(context, fid::kdmDstResolutionH, resolution);
  WriteFieldRawById(context, fid::dmPrintQuality, resolution);
  WriteFieldRawById(context, fid::dmYResolution, resolution);
}

void SyncResolutionFromPublic(BYTE*, DriverContext* context) {
  if (!context || !context->settings) return;
  const DWORD resolution = ReadFieldRawById(context, fid::dmPrintQuality);
  WriteFieldRawById(context, fid::dmYResolution, resolution);
  WriteFieldRawById(context, fid::kdmDstResolutionW, resolution);
  WriteFieldRawById(context, fid::kdmDstResolutionH, resolution);
  UpdateQualityFromResolution(resolution, context);
}

void DeriveDevmodeFields(BYTE* devmode, DriverContext* context, DWORD type) {
  if (!context || !context->settings) return;
  if (!devmode) devmode = context->settings;
  SyncResolutionFromPrivate(devmode, context);
  DerivePaperGeometry(ReadFieldRawById(context, fid::dmPaperSize), fid::dmPaperSize, context, devmode);
  DeriveImageableArea(ReadFieldRawById(context, fid::kdmOutPaperSize), fid::kdmOutPaperSize, context, devmode);
  SetStateByte(context, 712, ReadFieldRawById(context, fid::kdmUIModeChange) != 0 ? 1 : 0);
  SetStateByte(context, 713, IsBidiEnabled(context) ? 1 : 0);
  SetStateByte(context, 714, IsPrinterConnection(context) ? 1 : 0);
  if (type == 1 || type == 3 || type == 4) SetModelDeviceString(context);
  WriteFieldRawById(context, fid::wdmUIStart, 0);
  NotifyModules(context, kDerivedFieldsEvent, nullptr);
}

void DerivePublicDuplex(BYTE*, DriverContext* context) {
  if (!context || !context->settings) return;
  if (ReadFieldRawById(context, fid::kdmFuncSelectDuplex) == 0) {
    WriteFieldRawById(context, fid::dmDuplex, 1);
    return;
  }
  const DWORD duplex = ReadFieldRawById(context, fid::dmDuplex);
  if (ReadFieldRawById(context, fid::wdmCustomFunc0) != 0 && duplex != 2 && duplex != 3) return;
  const DWORD t = ReadFieldRawById(context, fid::kdmDuplexType);
  const bool landscape = ReadFieldRawById(context, fid::dmOrientation) == 2;
  DWORD value = 1;
  if (t == 0) {
    value = 1;
  } else if (IsValueAllowedByIndex(kDuplexTypeSet, t)) {
    value = landscape ? 2 : 3;
  } else {
    value = landscape ? 3 : 2;
  }
  WriteFieldRawById(context, fid::dmDuplex, value);
}

void CopyMediaTypeToPublic(BYTE*, DriverContext* context) {
  if (!context || !context->settings) return;
  WriteFieldRawById(context, fid::dmMediaType, ReadFieldRawById(context, fid::kdmMediaType));
}

void ApplyDerivedFields(BYTE* devmode, DriverContext* context, DWORD type) {
  DeriveDevmodeFields(devmode, context, type);
  DerivePublicDuplex(devmode, context);
  CopyMediaTypeToPublic(devmode, context);
}
