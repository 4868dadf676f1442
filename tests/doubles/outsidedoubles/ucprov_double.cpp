// The user-code provider double. Steering (HKLM\Software\KovaTest\UcProv): "Result" (0, 232
// or another code), "Code" (the code handed out), "FillAll" (1: the 32 bytes are filled
// with 'X' and no terminator). Opens and closes are counted.
#include <cstring>

#include "steering.h"

DOUBLE_EXPORT DWORD VUCOpenUCDataA(DWORD, DWORD, DWORD, DWORD* data) {
  doubles::RecordNumber(u"UcProv", u"Opens", doubles::Number(u"UcProv", u"Opens", 0) + 1);
  *data = 42;
  return 0;
}
DOUBLE_EXPORT DWORD VUCCloseUCDataA(DWORD, DWORD) {
  doubles::RecordNumber(u"UcProv", u"Closes", doubles::Number(u"UcProv", u"Closes", 0) + 1);
  return 0;
}
DOUBLE_EXPORT DWORD VUCGetClientUserCodeA(DWORD, DWORD, DWORD, DWORD, char* buffer, DWORD* size) {
  if (doubles::Number(u"UcProv", u"FillAll", 0) != 0) {
    std::memset(buffer, 'X', *size);
  } else {
    const std::u16string code = doubles::Text(u"UcProv", u"Code");
    std::size_t i = 0;
    for (; i < code.size() && i + 1 < *size; ++i) buffer[i] = static_cast<char>(code[i]);
    buffer[i] = 0;
  }
  return doubles::Number(u"UcProv", u"Result", 0);
}
