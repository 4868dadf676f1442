// Small text helpers of the host: UTF-16/UTF-8, printing Windows strings and bytes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "win/types.h"

namespace drvhost {

std::string U8(std::u16string_view s);
std::u16string U16(std::string_view s);
// A Windows string pointer as UTF-8; "" for null.
std::string U8(const WCHAR* s);
// Text shown in double quotes with control characters escaped.
std::string Quoted(std::u16string_view s);
std::string HexBytes(const BYTE* data, std::size_t size);
std::string Hex32(DWORD v);
// Trims spaces and tabs at both ends.
std::string_view Trim(std::string_view s);
// The name of a registry value type ("REG_SZ"...), or "type N".
std::string TypeName(DWORD type);
// A printer-data value decoded for reading: REG_SZ as text, REG_DWORD as a number,
// REG_MULTI_SZ as a list of texts, anything else as hex bytes.
std::string DecodeValue(DWORD type, const std::vector<BYTE>& bytes);
// A system error with the system's text: "error 2: The system cannot find the file specified."
// (the number alone for a code without a text).
std::string ErrorText(DWORD error);
// Why a printer of a root could not be opened, with the system's error and what to do:
// "cannot open the printer "Nope" (error 1801: The printer name is invalid.); it is not
// installed in ROOT: drvhost printers ROOT lists the printers, drvhost install adds one".
std::string PrinterOpenError(const std::string& printer, const std::string& root, DWORD error);

}  // namespace drvhost
