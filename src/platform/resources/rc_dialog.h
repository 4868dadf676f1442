// Resource scripts: the statements that become binary resources of the window system:
// DIALOG and DIALOGEX (written as DLGTEMPLATEEX), ICON and CURSOR files (RT_ICON and
// RT_GROUP_ICON, RT_CURSOR and RT_GROUP_CURSOR), and the names of the window system's
// constants that a script takes from the compiler's headers.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "rc_lexer.h"

namespace plat::rc {

// The body of a DIALOG or DIALOGEX statement from the token after its type keyword up to
// and including END, as a DLGTEMPLATEEX. `language` may be changed by a LANGUAGE option.
bool ParseDialog(const std::vector<Token>& tokens, std::size_t& pos, bool extended, LANGID& language,
                 std::vector<BYTE>& out, std::string& error);

// An .ico or .cur file as the resource compiler keeps it: one image resource per entry,
// numbered from nextId on, and the group directory that names them.
bool SplitIconFile(const std::vector<BYTE>& file, bool cursor, WORD& nextId,
                   std::vector<std::pair<WORD, std::vector<BYTE>>>& images, std::vector<BYTE>& group,
                   std::string& error);

// The window system's names (WS_, DS_, BS_, ES_, SS_, LBS_, CBS_, SBS_ styles, IDOK ...)
// with their values, as the compiler's headers define them.
const std::vector<std::pair<const char16_t*, const char16_t*>>& WindowSystemSymbols();

}  // namespace plat::rc
