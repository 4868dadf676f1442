// Notifinf double: the print-notification library. Steering (HKLM\Software\KovaTest\Notifinf):
// "CapabilityResult", "Capability", "ValueResult", "Value"; the printer name it was asked
// for is recorded as "AskedName".
#include <string>

#include "steering.h"

DOUBLE_EXPORT DWORD RMGetPrintNotificationCapability(const char* printerName, DWORD* capabilities) {
  std::u16string name;
  for (const char* p = printerName; p && *p; ++p) name += static_cast<char16_t>(static_cast<unsigned char>(*p));
  doubles::Record(u"Notifinf", u"AskedName", name);
  *capabilities = doubles::Number(u"Notifinf", u"Capability", 0);
  return doubles::Number(u"Notifinf", u"CapabilityResult", 0);
}

DOUBLE_EXPORT DWORD RMGetPrintNotificationValue(DWORD* value) {
  *value = doubles::Number(u"Notifinf", u"Value", 0);
  return doubles::Number(u"Notifinf", u"ValueResult", 0);
}
