// Shared pieces of the spooler calls: the printer handle object, the buffer packer of the
// size protocol, and the guard that keeps exceptions inside the exported functions.
#pragma once

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "core/handles.h"
#include "spooler_store.h"
#include "win/errors.h"
#include "win/spool.h"

namespace plat::spooler {

class PrinterHandle : public KernelObject {
 public:
  ObjectKind Kind() const override { return ObjectKind::Printer; }
  bool server = false;      // opened with a null name: the local print server
  std::u16string name;      // the printer's stored name
  ACCESS_MASK access = 0;   // granted rights
  bool CanAdminister() const { return (access & (PRINTER_ACCESS_ADMINISTER | SERVER_ACCESS_ADMINISTER)) != 0; }
};

// The handle object of a printer or server handle; null (and ERROR_INVALID_HANDLE as the
// answer) for anything else.
std::shared_ptr<PrinterHandle> LookupPrinterHandle(HANDLE h);
// The record of a printer handle's printer; null with *error set when the handle is not
// a printer handle (ERROR_INVALID_HANDLE) or the printer is gone (ERROR_INVALID_PRINTER_NAME).
std::shared_ptr<const PrinterRecord> RecordOf(HANDLE h, DWORD* error, std::shared_ptr<PrinterHandle>* handle = nullptr);

// Packs records and the strings and device-modes they point to into one caller buffer.
// Run once with a null base to measure, then with the caller's buffer to fill; positions
// and alignment are the same in both runs.
class Packer {
 public:
  Packer(BYTE* base, std::size_t fixedBytes) : base_(base), pos_(fixedBytes) {}
  std::size_t Size() const { return pos_; }
  bool Filling() const { return base_ != nullptr; }

  LPWSTR Str(std::u16string_view s) {
    Align(2);
    std::size_t at = pos_;
    pos_ += 2 * (s.size() + 1);
    if (!base_) return nullptr;
    if (!s.empty()) std::memcpy(base_ + at, s.data(), 2 * s.size());
    std::memset(base_ + at + 2 * s.size(), 0, 2);
    return reinterpret_cast<WCHAR*>(base_ + at);
  }
  // Null for an empty text.
  LPWSTR StrOrNull(std::u16string_view s) { return s.empty() ? nullptr : Str(s); }
  // A list of names, each ended by a NUL, the list by another NUL; null for no names.
  LPWSTR MultiStr(const std::vector<std::u16string>& list) {
    if (list.empty()) return nullptr;
    std::u16string joined;
    for (const auto& s : list) {
      joined += s;
      joined.push_back(0);
    }
    return Str(joined);
  }
  DEVMODEW* Devmode(const std::vector<BYTE>& bytes) {
    if (bytes.empty()) return nullptr;
    Align(8);
    std::size_t at = pos_;
    pos_ += bytes.size();
    if (!base_) return nullptr;
    std::memcpy(base_ + at, bytes.data(), bytes.size());
    return reinterpret_cast<DEVMODEW*>(base_ + at);
  }
  template <class T>
  void Put(std::size_t offset, const T& record) {
    if (base_) std::memcpy(base_ + offset, &record, sizeof record);
  }

 private:
  void Align(std::size_t a) { pos_ = (pos_ + a - 1) / a * a; }
  BYTE* base_;
  std::size_t pos_;
};

// The size protocol of the BOOL calls: fill(packer) places the records (fixedBytes of them
// at the start) and their data. Answers FALSE with ERROR_INSUFFICIENT_BUFFER and the needed
// size when cbBuf is too small.
template <class Fill>
BOOL PackIntoBuffer(LPBYTE buffer, DWORD cbBuf, LPDWORD pcbNeeded, std::size_t fixedBytes, Fill fill) {
  Packer measure(nullptr, fixedBytes);
  fill(measure);
  std::size_t needed = measure.Size();
  if (needed > 0xFFFFFFFFu) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  *pcbNeeded = static_cast<DWORD>(needed);
  if (cbBuf < needed || (!buffer && needed)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  if (needed == 0) return TRUE;
  std::memset(buffer, 0, needed);
  Packer pack(buffer, fixedBytes);
  fill(pack);
  return TRUE;
}

// Checks the buffer arguments of a BOOL call; FALSE with the error set when they are bad.
inline bool CheckBufferArgs(LPBYTE buffer, DWORD cbBuf, LPDWORD pcbNeeded) {
  if (!pcbNeeded) {
    SetLastError(RPC_X_NULL_REF_POINTER);
    return false;
  }
  if (!buffer && cbBuf != 0) {
    SetLastError(ERROR_INVALID_USER_BUFFER);
    return false;
  }
  return true;
}

// Runs the body of an exported BOOL call; an exception becomes FALSE with an error code.
template <class Body>
BOOL GuardBool(Body body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  } catch (...) {
    SetLastError(ERROR_INVALID_PARAMETER);
  }
  return FALSE;
}

// The same for the calls that answer an error code.
template <class Body>
DWORD GuardCode(Body body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  } catch (...) {
    return ERROR_INVALID_PARAMETER;
  }
}

}  // namespace plat::spooler
