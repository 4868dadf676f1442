#include "context/devmode_import.h"

#include <cstddef>
#include <cstring>

#include "stored/devmode_convert.h"
#include "fields/devmode_header.h"
#include "fields/product_record.h"

namespace {

const BYTE* Bytes(const DEVMODEW* d) { return reinterpret_cast<const BYTE*>(d); }

}  // namespace

int ImportDevmode(const DEVMODEW* source, DEVMODEW* destination) {
  if (!source || !destination) return -1;
  if (GetDevmodeSpecVersion(source) == DM_SPECVERSION_0320) return ConvertDevmodeLoose(source, destination);
  const DWORD publicLength = CopyDevmodePublicPart(source, destination, GetDevmodeSpecVersion(destination));
  if (source->dmDriverExtra != GetPrivateDevmodeSize() || source->dmDriverVersion != destination->dmDriverVersion) {
    return -1;
  }
  const DWORD privateLength = CopyDevmodePrivatePart(source, destination);
  return static_cast<int>(publicLength + privateLength);
}

bool IsIncomingDevmodeReadable(const void* buffer, DWORD size) {
  if (!buffer || size < offsetof(DEVMODEW, dmFields) + sizeof(DWORD)) return false;
  const DEVMODEW* d = static_cast<const DEVMODEW*>(buffer);
  WORD dmSize = 0;
  WORD extra = 0;
  std::memcpy(&dmSize, Bytes(d) + offsetof(DEVMODEW, dmSize), sizeof dmSize);
  std::memcpy(&extra, Bytes(d) + offsetof(DEVMODEW, dmDriverExtra), sizeof extra);
  return IsKnownPublicSize(dmSize) && static_cast<DWORD>(dmSize) + extra <= size;
}

bool AreIncomingAreaOffsetsInside(const DEVMODEW* devmode) {
  if (!devmode || devmode->dmDriverExtra != GetPrivateDevmodeSize()) return false;
  WORD offsets[3] = {};
  std::memcpy(offsets, Bytes(devmode) + devmode->dmSize + (kDmArea1OffsetPos - kDevmodePublicSize), sizeof offsets);
  const DWORD total = GetTotalDevmodeSize();
  return offsets[0] == 0 && offsets[1] >= total && offsets[2] >= static_cast<DWORD>(offsets[1]) + GetArea2Size() &&
         static_cast<DWORD>(offsets[2]) + GetArea3Size() <= GetSettingsBufferSize();
}
