// The public settings of a device-mode by name, as a person writes them on a command line
// (`paper=A3 copies=3 duplex=long orientation=landscape`), and the same settings in words.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "win/devmode.h"

namespace drvhost {

// The names a setting may be given by, in the order they are listed.
const std::vector<std::string>& PublicSettingNames();
// Whether a name is one of them (or one of their other spellings: papersize, colour...).
bool IsPublicSettingName(const std::string& name);

// Sets one public field by name to a value given by its name (A3, landscape, long...) or its
// number, and marks it in dmFields. False with a sentence for an unknown name or value.
bool ApplyPublicSetting(DEVMODEW& dm, const std::string& name, const std::string& value, std::string& error);

// The main public settings in words: {label, value} in a fixed order; a field the device-mode
// leaves unmarked in dmFields shows "(not set)". Reads only the first dmSize bytes, which the
// caller has checked.
std::vector<std::pair<std::string, std::string>> DescribePublicSettings(const DEVMODEW& dm);

// A paper size code's name and its size in millimetres ("A4 (210 x 297 mm)"), or the number.
std::string PaperInWords(short code);

// The names among `known` close to `wanted` (a shared part or a small difference), for the
// hint after an unknown name; at most `most`.
std::vector<std::string> NearNames(const std::string& wanted, const std::vector<std::string>& known,
                                   std::size_t most = 8);

}  // namespace drvhost
