#include "modules/paste_checks.h"

#include "win/kernel.h"

bool PasteAllowed(const char* text, int limit, int kind) {
  if (!text) return true;
  for (int i = 0; i < limit && text[i]; ++i) {
    const auto c = static_cast<BYTE>(text[i]);
    if (IsDBCSLeadByte(c)) {
      if (kind == PASTE_USER_ID) return false;
      // The trail byte is skipped, but never the terminator.
      if (i + 1 >= limit || !text[i + 1]) break;
      ++i;
      continue;
    }
    if (kind == PASTE_USER_ID) {
      const bool alnum = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
      if (!alnum) return false;
    } else if (c == '"') {
      return false;
    }
  }
  return true;
}
