#include "context/devmode_convert.h"

#include <cstddef>
#include <cstring>

#include "context/devmode_header.h"
#include "context/field_access.h"
#include "context/product_record.h"
#include "win/errors.h"
#include "field_ids.h"

namespace {

constexpr WORD kDriverVersion351 = 0x350;

BYTE* Bytes(DEVMODEW* d) { return reinterpret_cast<BYTE*>(d); }
const BYTE* Bytes(const DEVMODEW* d) { return reinterpret_cast<const BYTE*>(d); }

// The area offsets of a private block of the driver's private size that follows a public
// part of dmSize bytes: at the header position of the private block.
void RewriteAreaOffsets(DEVMODEW* devmode) {
  if (devmode->dmSize == kDevmodePublicSize) {
    WriteAreaOffsets(Bytes(devmode));
    return;
  }
  // Another public size: the header sits at the same distance from the private block's
  // start, not at the fixed device-mode positions (which would land inside the block).
  BYTE* header = Bytes(devmode) + devmode->dmSize + (kDmArea1OffsetPos - kDevmodePublicSize);
  const WORD offsets[3] = {kArea1Offset, kArea2Offset, kArea3Offset};
  std::memcpy(header, offsets, sizeof offsets);
}

}  // namespace

bool IsKnownPublicSize(DWORD dmSize) {
  return dmSize == DEVMODEW_SIZE_0320 || dmSize == DEVMODEW_SIZE_0400 || dmSize == DEVMODEW_SIZE_0401;
}

WORD GetDevmodeSpecVersion(const DEVMODEW* devmode) {
  if (!devmode) return 0;
  switch (devmode->dmSize) {
    case DEVMODEW_SIZE_0320: return DM_SPECVERSION_0320;
    case DEVMODEW_SIZE_0400: return DM_SPECVERSION_0400;
    case DEVMODEW_SIZE_0401: return DM_SPECVERSION;
    default: return devmode->dmSpecVersion;
  }
}

DWORD CopyDevmodePublicPart(const DEVMODEW* source, DEVMODEW* destination, WORD destinationVersion) {
  const WORD driverVersion = destination->dmDriverVersion;
  const WORD size = destination->dmSize;
  const WORD extra = destination->dmDriverExtra;
  const DWORD length = source->dmSize < size ? source->dmSize : size;
  std::memmove(Bytes(destination), Bytes(source), length);
  destination->dmSpecVersion = destinationVersion;
  destination->dmDriverVersion = driverVersion;
  destination->dmSize = size;
  destination->dmDriverExtra = extra;
  return length;
}

DWORD CopyDevmodePrivatePart(const DEVMODEW* source, DEVMODEW* destination) {
  const DWORD length =
      destination->dmDriverExtra < source->dmDriverExtra ? destination->dmDriverExtra : source->dmDriverExtra;
  std::memmove(Bytes(destination) + destination->dmSize, Bytes(source) + source->dmSize, length);
  if (length == GetPrivateDevmodeSize()) RewriteAreaOffsets(destination);
  return length;
}

int ConvertDevmodeLoose(const DEVMODEW* source, DEVMODEW* destination) {
  if (!source || !destination) return -1;
  const WORD destinationVersion = GetDevmodeSpecVersion(destination);
  const WORD sourceVersion = GetDevmodeSpecVersion(source);
  if (destinationVersion == 0 || sourceVersion == 0) return -1;
  // A version 0x320 source is taken only in its own size: a device-mode that merely says
  // 0x320 in dmSpecVersion with another dmSize would have its private part looked for at
  // a position nothing vouches for.
  if (source->dmSize != GetPublicDevmodeSize() &&
      !(sourceVersion == DM_SPECVERSION_0320 && source->dmSize == DEVMODEW_SIZE_0320)) {
    return -1;
  }
  const DWORD publicLength = CopyDevmodePublicPart(source, destination, destinationVersion);
  const DWORD privateLength = CopyDevmodePrivatePart(source, destination);
  return static_cast<int>(publicLength + privateLength);
}

int CopyDevmodeShaped(const DEVMODEW* source, const DEVMODEW* shape, DEVMODEW* destination,
                      DriverContext* context) {
  if (!destination) return -1;
  if (!source) return 0;
  if (!shape) {
    std::memmove(Bytes(destination), Bytes(source), static_cast<DWORD>(source->dmSize) + source->dmDriverExtra);
    return 1;
  }
  if (shape->dmSize < source->dmSize) {
    destination->dmSpecVersion = shape->dmSpecVersion;
    destination->dmSize = shape->dmSize;
  } else {
    destination->dmSpecVersion = source->dmSpecVersion;
    destination->dmSize = source->dmSize;
  }
  const bool takeSource = shape->dmDriverExtra >= source->dmDriverExtra ||
                          (shape->dmDriverExtra == 0 && context && ReadFieldRawById(context, fid::kdmHidden3Func0) != 0);
  if (takeSource) {
    destination->dmDriverVersion = source->dmDriverVersion;
    destination->dmDriverExtra = source->dmDriverExtra;
  } else {
    destination->dmDriverVersion = shape->dmDriverVersion;
    destination->dmDriverExtra = shape->dmDriverExtra;
  }
  return ConvertDevmodeLoose(source, destination) > 0 ? 1 : 0;
}

int ConvertDevmodeCore(const WCHAR* /*printerName*/, const DEVMODEW* input, DEVMODEW* output, LONG* size, DWORD mode) {
  if (!size) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return CONVERT_FAILED;
  }
  switch (mode) {
    case CDM_CONVERT: {
      if (output) {
        const LONG need = static_cast<LONG>(output->dmSize) + static_cast<LONG>(output->dmDriverExtra);
        if (*size >= need && ConvertDevmodeLoose(input, output) > 0) {
          *size = need;
          return CONVERT_DONE;
        }
      }
      SetLastError(ERROR_INVALID_PARAMETER);
      return CONVERT_FAILED;
    }
    case CDM_CONVERT351: {
      const LONG need = static_cast<LONG>(GetPrivateDevmodeSize() + DEVMODEW_SIZE_0320);
      if (*size < need || !output) {
        *size = need;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return CONVERT_FAILED;
      }
      output->dmSpecVersion = DM_SPECVERSION_0320;
      output->dmSize = DEVMODEW_SIZE_0320;
      output->dmDriverVersion = kDriverVersion351;
      output->dmDriverExtra = static_cast<WORD>(GetPrivateDevmodeSize());
      if (ConvertDevmodeLoose(input, output) > 0) {
        *size = need;
        return CONVERT_DONE;
      }
      SetLastError(ERROR_INVALID_PARAMETER);
      return CONVERT_FAILED;
    }
    case CDM_DRIVER_DEFAULT: {
      const LONG need = static_cast<LONG>(GetPrivateDevmodeSize() + GetPublicDevmodeSize());
      if (*size < need || !output) {
        *size = need;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return CONVERT_FAILED;
      }
      *size = need;
      return CONVERT_CALLER_COMPLETES;
    }
    default:
      return CONVERT_CALLER_COMPLETES;
  }
}

