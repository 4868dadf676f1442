// The machine settings of a system root as a text file in the root's store, so that every
// process that opens the root plays the same machine: "Key=Value" lines, one per setting,
// ';' or '#' starting a comment line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "plat/system.h"

namespace plat::machine {

// The file of the root (host path): <root>/store/machine/settings.ini.
std::string SettingsFile(const std::string& root);

// Every setting of m, in a fixed order, with a heading comment.
std::string Format(const MachineSettings& m);
// The settings the text names, over the defaults: an unknown key, a line without '=' or a
// value that does not fit its setting is passed over, leaving the default.
MachineSettings Parse(std::string_view text);

// The file's text, or nothing when the root has none.
std::optional<std::string> ReadText(const std::string& root);
// Writes the text to the root's file (a temporary file renamed into place). False when it
// could not be written.
bool WriteText(const std::string& root, const std::string& text);

// Counts the times this process took over settings another process saved (or that were
// changed in the file by hand and noted): whoever keeps something made from the settings
// (the environment) makes it again when the count moved. Follows the file first.
std::uint64_t Generation();

// Whether the name can be a user's profile folder: not empty, not "." or "..", no '\', '/',
// ':' or NUL.
bool IsUserName(std::u16string_view name);

}  // namespace plat::machine
