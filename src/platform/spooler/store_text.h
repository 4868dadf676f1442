// Text forms of the spooler store: escaped UTF-16 text, hex bytes, numbers, and the
// atomic file replacement and cross-process lock the store files use.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win/types.h"

namespace plat::spooler::text {

// Printable ASCII other than '%' and '|' stays as it is; every other UTF-16 unit becomes
// "%uXXXX", so the text comes back unit for unit (also unpaired surrogates).
std::string Escape(std::u16string_view s);
std::optional<std::u16string> Unescape(std::string_view s);

std::string Hex(const std::vector<BYTE>& bytes);
std::optional<std::vector<BYTE>> UnHex(std::string_view s);

std::string Number(DWORD v);
std::optional<DWORD> ParseNumber(std::string_view s);  // decimal or 0x hex, 32 bits

// Splits on '|' (the escaped forms never contain it).
std::vector<std::string_view> Split(std::string_view s, char sep);

// The file's bytes, or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);
// Writes the bytes to a temporary file beside the target and renames it into place.
DWORD ReplaceFile(const std::string& path, const std::string& bytes);

// A stable file name for a name matched without regard to case: a readable prefix and a
// 64-bit hash of the case-folded name.
std::string FileKey(std::u16string_view name);

// The store lock: held by one thread of one process at a time.
class StoreLock {
 public:
  StoreLock();
  ~StoreLock();
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace plat::spooler::text
