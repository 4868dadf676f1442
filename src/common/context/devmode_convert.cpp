#include "stored/devmode_convert.h"

#include <cstddef>
#include <cstring>

#include "context/caller_devmode.h"
#include "fields/devmode_header.h"
#include "fields/field_access.h"
#include "fields/product_record.h"
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

// The public version of a public part of `size` bytes; `other` for a size of no version.
WORD VersionBySize(WORD size, WORD other) {
  switch (size) {
    case DEVMODEW_SIZE_0320: return DM_SPECVERSION_0320;
    case DEVMODEW_SIZE_0400: return DM_SPECVERSION_0400;
    case DEVMODEW_SIZE_0401: return DM_SPECVERSION;
    default: return other;
  }
}

}  // namespace

bool IsKnownPublicSize(DWORD dmSize) {
  return dmSize == DEVMODEW_SIZE_0320 || dmSize == DEVMODEW_SIZE_0400 || dmSize == DEVMODEW_SIZE_0401;
}

WORD GetDevmodeSpecVersion(const DEVMODEW* devmode) {
  if (!devmode) return 0;
  return VersionBySize(devmode->dmSize, devmode->dmSpecVersion);
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

int CopyDevmodeShaped(const DEVMODEW* source, const DEVMODEW* shape, DEVMODEW* destination, DWORD writable,
                      DriverContext* context) {
  if (!destination) return -1;
  if (!source) return 0;
  if (shape && !ReadableCallerDevmode(shape, kCallerSizeNotGiven)) shape = nullptr;
  if (!shape) {
    const DWORD whole = static_cast<DWORD>(source->dmSize) + source->dmDriverExtra;
    if (whole > writable) return 0;
    std::memmove(Bytes(destination), Bytes(source), whole);
    return 1;
  }
  // The shape's header is taken before anything is written: it may be the output itself.
  const WORD shapeSize = shape->dmSize;
  const WORD shapeExtra = shape->dmDriverExtra;
  const WORD shapeSpec = shape->dmSpecVersion;
  const WORD shapeDriverVersion = shape->dmDriverVersion;

  const bool shapeSmaller = shapeSize < source->dmSize;
  const WORD publicSize = shapeSmaller ? shapeSize : source->dmSize;
  WORD spec = VersionBySize(publicSize, shapeSmaller ? shapeSpec : source->dmSpecVersion);
  if (spec == 0) spec = source->dmSpecVersion;
  const bool widened =
      shapeExtra == 0 && source->dmDriverExtra != 0 && context && ReadFieldRawById(context, fid::kdmHidden3Func0) != 0;
  bool takeSource = shapeExtra >= source->dmDriverExtra || widened;
  if (widened && DWORD{publicSize} + source->dmDriverExtra > writable) takeSource = false;
  const WORD privateSize = takeSource ? source->dmDriverExtra : shapeExtra;
  if (DWORD{publicSize} + privateSize > writable) return 0;

  destination->dmDriverVersion = takeSource ? source->dmDriverVersion : shapeDriverVersion;
  destination->dmSize = publicSize;
  destination->dmDriverExtra = privateSize;
  CopyDevmodePublicPart(source, destination, spec);
  CopyDevmodePrivatePart(source, destination);
  return 1;
}

int ConvertDevmodeCore(const WCHAR* /*printerName*/, const DEVMODEW* input, DEVMODEW* output, LONG* size, DWORD mode) {
  if (!size) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return CONVERT_FAILED;
  }
  switch (mode) {
    case CDM_CONVERT: {
      // The output's own shape says what it takes; it must lie within the caller's size.
      const DWORD need = output && *size > 0 ? ReadableCallerDevmode(output, static_cast<DWORD>(*size)) : 0;
      if (need && ReadableCallerDevmode(input, kCallerSizeNotGiven) && ConvertDevmodeLoose(input, output) > 0) {
        *size = static_cast<LONG>(need);
        return CONVERT_DONE;
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
      if (!ReadableCallerDevmode(input, kCallerSizeNotGiven)) {
        SetLastError(ERROR_INVALID_PARAMETER);
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

