#include "context/derived_fields.h"

#include "context/devmode_header.h"
#include "context/driver_context.h"
#include "context/field_access.h"
#include "context/module_dispatch.h"
#include "context/printable_area.h"
#include "context/spooler_info.h"
#include "model/model_tables.h"
#include "model/value_sets.h"

namespace {

enum : WORD {
  F_ORIENTATION = 7,
  F_PAPER_SIZE = 8,
  F_PRINT_QUALITY = 14,
  F_DUPLEX = 16,
  F_Y_RESOLUTION = 17,
  F_MEDIA_TYPE_PUBLIC = 29,
  F_UI_MODE_CHANGE = 36,
  F_DST_RES_W = 38,
  F_DST_RES_H = 39,
  F_OUT_PAPER_SIZE = 46,
  F_MEDIA_TYPE = 54,
  F_FUNC_SELECT_DUPLEX = 58,
  F_DUPLEX_TYPE = 94,
  F_UI_START = 989,
  F_CUSTOM_FUNC0 = 1462,
};

// Index 0 of the indexed id sets: the duplex types bound on the long edge in portrait.
constexpr int kDuplexTypeSet = 0;

}  // namespace

void SyncResolutionFromPrivate(BYTE*, DriverContext* context) {
  if (!context || !context->settings) return;
  const DWORD resolution = ReadFieldRawById(context, F_DST_RES_W);
  WriteFieldRawById(context, F_DST_RES_H, resolution);
  WriteFieldRawById(context, F_PRINT_QUALITY, resolution);
  WriteFieldRawById(context, F_Y_RESOLUTION, resolution);
}

void SyncResolutionFromPublic(BYTE*, DriverContext* context) {
  if (!context || !context->settings) return;
  const DWORD resolution = ReadFieldRawById(context, F_PRINT_QUALITY);
  WriteFieldRawById(context, F_Y_RESOLUTION, resolution);
  WriteFieldRawById(context, F_DST_RES_W, resolution);
  WriteFieldRawById(context, F_DST_RES_H, resolution);
  UpdateQualityFromResolution(resolution, context);
}

void DeriveDevmodeFields(BYTE* devmode, DriverContext* context, DWORD type) {
  if (!context || !context->settings) return;
  if (!devmode) devmode = context->settings;
  SyncResolutionFromPrivate(devmode, context);
  DerivePaperGeometry(ReadFieldRawById(context, F_PAPER_SIZE), F_PAPER_SIZE, context, devmode);
  DeriveImageableArea(ReadFieldRawById(context, F_OUT_PAPER_SIZE), F_OUT_PAPER_SIZE, context, devmode);
  SetStateByte(context, 712, ReadFieldRawById(context, F_UI_MODE_CHANGE) != 0 ? 1 : 0);
  SetStateByte(context, 713, IsBidiEnabled(context) ? 1 : 0);
  SetStateByte(context, 714, IsPrinterConnection(context) ? 1 : 0);
  if (type == 1 || type == 3 || type == 4) SetModelDeviceString(context);
  WriteFieldRawById(context, F_UI_START, 0);
  NotifyModules(context, kDerivedFieldsEvent, nullptr);
}

void DerivePublicDuplex(BYTE*, DriverContext* context) {
  if (!context || !context->settings) return;
  if (ReadFieldRawById(context, F_FUNC_SELECT_DUPLEX) == 0) {
    WriteFieldRawById(context, F_DUPLEX, 1);
    return;
  }
  const DWORD duplex = ReadFieldRawById(context, F_DUPLEX);
  if (ReadFieldRawById(context, F_CUSTOM_FUNC0) != 0 && duplex != 2 && duplex != 3) return;
  const DWORD t = ReadFieldRawById(context, F_DUPLEX_TYPE);
  const bool landscape = ReadFieldRawById(context, F_ORIENTATION) == 2;
  DWORD value = 1;
  if (t == 0) {
    value = 1;
  } else if (IsValueAllowedByIndex(kDuplexTypeSet, t)) {
    value = landscape ? 2 : 3;
  } else {
    value = landscape ? 3 : 2;
  }
  WriteFieldRawById(context, F_DUPLEX, value);
}

void CopyMediaTypeToPublic(BYTE*, DriverContext* context) {
  if (!context || !context->settings) return;
  WriteFieldRawById(context, F_MEDIA_TYPE_PUBLIC, ReadFieldRawById(context, F_MEDIA_TYPE));
}

void ApplyDerivedFields(BYTE* devmode, DriverContext* context, DWORD type) {
  DeriveDevmodeFields(devmode, context, type);
  DerivePublicDuplex(devmode, context);
  CopyMediaTypeToPublic(devmode, context);
}
