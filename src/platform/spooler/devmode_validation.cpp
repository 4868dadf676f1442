// IsValidDevmodeW: the public members of a caller's device-mode checked against the size of
// its buffer; structural faults refused, minor ones repaired in place.
#include <cstddef>
#include <cstring>

#include "win/devmode.h"
#include "win/errors.h"
#include "win/spool.h"

namespace {

// The header every device-mode has: the device name through dmFields.
constexpr std::size_t kHeaderSize = offsetof(DEVMODEW, dmFields) + sizeof(DWORD);

// A dmFields bit and the end of the member it announces.
struct FieldEnd {
  DWORD bit;
  std::size_t end;
};

template <typename T>
constexpr std::size_t End(std::size_t offset) {
  return offset + sizeof(T);
}

constexpr FieldEnd kFieldEnds[] = {
    {DM_ORIENTATION, End<SHORT>(offsetof(DEVMODEW, dmOrientation))},
    {DM_PAPERSIZE, End<SHORT>(offsetof(DEVMODEW, dmPaperSize))},
    {DM_PAPERLENGTH, End<SHORT>(offsetof(DEVMODEW, dmPaperLength))},
    {DM_PAPERWIDTH, End<SHORT>(offsetof(DEVMODEW, dmPaperWidth))},
    {DM_SCALE, End<SHORT>(offsetof(DEVMODEW, dmScale))},
    {DM_POSITION, End<POINTL>(offsetof(DEVMODEW, dmPosition))},
    {DM_NUP, End<DWORD>(offsetof(DEVMODEW, dmNup))},
    {DM_DISPLAYORIENTATION, End<DWORD>(offsetof(DEVMODEW, dmDisplayOrientation))},
    {DM_COPIES, End<SHORT>(offsetof(DEVMODEW, dmCopies))},
    {DM_DEFAULTSOURCE, End<SHORT>(offsetof(DEVMODEW, dmDefaultSource))},
    {DM_PRINTQUALITY, End<SHORT>(offsetof(DEVMODEW, dmPrintQuality))},
    {DM_COLOR, End<SHORT>(offsetof(DEVMODEW, dmColor))},
    {DM_DUPLEX, End<SHORT>(offsetof(DEVMODEW, dmDuplex))},
    {DM_YRESOLUTION, End<SHORT>(offsetof(DEVMODEW, dmYResolution))},
    {DM_TTOPTION, End<SHORT>(offsetof(DEVMODEW, dmTTOption))},
    {DM_COLLATE, End<SHORT>(offsetof(DEVMODEW, dmCollate))},
    {DM_FORMNAME, offsetof(DEVMODEW, dmFormName) + sizeof(WCHAR) * CCHFORMNAME},
    {DM_LOGPIXELS, End<WORD>(offsetof(DEVMODEW, dmLogPixels))},
    {DM_BITSPERPEL, End<DWORD>(offsetof(DEVMODEW, dmBitsPerPel))},
    {DM_PELSWIDTH, End<DWORD>(offsetof(DEVMODEW, dmPelsWidth))},
    {DM_PELSHEIGHT, End<DWORD>(offsetof(DEVMODEW, dmPelsHeight))},
    {DM_DISPLAYFLAGS, End<DWORD>(offsetof(DEVMODEW, dmDisplayFlags))},
    {DM_DISPLAYFREQUENCY, End<DWORD>(offsetof(DEVMODEW, dmDisplayFrequency))},
    {DM_ICMMETHOD, End<DWORD>(offsetof(DEVMODEW, dmICMMethod))},
    {DM_ICMINTENT, End<DWORD>(offsetof(DEVMODEW, dmICMIntent))},
    {DM_MEDIATYPE, End<DWORD>(offsetof(DEVMODEW, dmMediaType))},
    {DM_DITHERTYPE, End<DWORD>(offsetof(DEVMODEW, dmDitherType))},
    {DM_PANNINGWIDTH, End<DWORD>(offsetof(DEVMODEW, dmPanningWidth))},
    {DM_PANNINGHEIGHT, End<DWORD>(offsetof(DEVMODEW, dmPanningHeight))},
    {DM_DISPLAYFIXEDOUTPUT, End<DWORD>(offsetof(DEVMODEW, dmDisplayFixedOutput))},
};

// A name of `count` wide characters at `offset` ends in a NUL within them; when it holds
// none, its last character becomes one.
void TerminateName(BYTE* bytes, std::size_t offset, std::size_t count) {
  WCHAR name[CCHDEVICENAME > CCHFORMNAME ? CCHDEVICENAME : CCHFORMNAME];
  std::memcpy(name, bytes + offset, sizeof(WCHAR) * count);
  for (std::size_t i = 0; i < count; ++i)
    if (name[i] == 0) return;
  const WCHAR nul = 0;
  std::memcpy(bytes + offset + sizeof(WCHAR) * (count - 1), &nul, sizeof nul);
}

}  // namespace

KOVA_EXPORT BOOL WINAPI IsValidDevmodeW(DEVMODEW* pDevmode, std::size_t DevmodeSize) {
  if (!pDevmode) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (DevmodeSize < kHeaderSize) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  // The device-mode may sit at any address: its members are read and written as bytes.
  auto* bytes = reinterpret_cast<BYTE*>(pDevmode);
  WORD size = 0;
  WORD extra = 0;
  DWORD fields = 0;
  std::memcpy(&size, bytes + offsetof(DEVMODEW, dmSize), sizeof size);
  std::memcpy(&extra, bytes + offsetof(DEVMODEW, dmDriverExtra), sizeof extra);
  std::memcpy(&fields, bytes + offsetof(DEVMODEW, dmFields), sizeof fields);
  if (size < kHeaderSize || size % sizeof(WCHAR) != 0) {
    SetLastError(ERROR_INVALID_DATA);
    return FALSE;
  }
  if (static_cast<std::size_t>(size) + extra > DevmodeSize) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  // A sound device-mode is only read: nothing is written unless something is repaired.
  DWORD kept = fields;
  for (const FieldEnd& f : kFieldEnds)
    if (f.end > size) kept &= ~f.bit;
  if (kept != fields) std::memcpy(bytes + offsetof(DEVMODEW, dmFields), &kept, sizeof kept);
  TerminateName(bytes, offsetof(DEVMODEW, dmDeviceName), CCHDEVICENAME);
  if (offsetof(DEVMODEW, dmFormName) + sizeof(WCHAR) * CCHFORMNAME <= size)
    TerminateName(bytes, offsetof(DEVMODEW, dmFormName), CCHFORMNAME);
  return TRUE;
}
