// The dependent fields of a device-mode, derived from the independent ones: resolution,
// paper and imageable-area fields, three state bytes, the model device string, the public
// duplex and media type.
#pragma once

#include "win/types.h"

struct DriverContext;

// Module event sent when the derived fields have been rebuilt.
constexpr DWORD kDerivedFieldsEvent = 53;

// Resolution, source and output paper fields, state bytes 712-714; type 1, 3 and 4 also
// the model device string (kdmOther); then wdmUIStart := 0 and module event 53.
void DeriveDevmodeFields(BYTE* devmode, DriverContext* context, DWORD type);
// DeriveDevmodeFields, DerivePublicDuplex, CopyMediaTypeToPublic.
void ApplyDerivedFields(BYTE* devmode, DriverContext* context, DWORD type);

// dmDuplex from kdmFuncSelectDuplex, kdmDuplexType and the orientation.
void DerivePublicDuplex(BYTE* devmode, DriverContext* context);
// dmMediaType := kdmMediaType.
void CopyMediaTypeToPublic(BYTE* devmode, DriverContext* context);
// dmYResolution and both private resolutions := dmPrintQuality, and the quality macro.
void SyncResolutionFromPublic(BYTE* devmode, DriverContext* context);
// kdmDstResolutionH, dmPrintQuality and dmYResolution := kdmDstResolutionW.
void SyncResolutionFromPrivate(BYTE* devmode, DriverContext* context);
