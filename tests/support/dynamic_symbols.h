// The dynamic symbols of a shared library as `nm -D` lists them: the export and import
// tables of the deliverables, the platform and the outside libraries are checked against
// these.
#pragma once

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace kovatest {

enum class SymbolSide { Defined, Undefined };

// The names only, one per line of nm's list; demangled names may hold spaces.
inline std::vector<std::string> DynamicSymbolNames(const std::string& file, SymbolSide side, bool demangle = false) {
  std::vector<std::string> names;
  const std::string command = std::string("nm -D ") +
                              (side == SymbolSide::Defined ? "--defined-only " : "--undefined-only ") +
                              (demangle ? "-C " : "") + "'" + file + "' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return names;
  char line[4096];
  while (std::fgets(line, sizeof line, pipe)) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const auto start = text.find_first_not_of(' ');
    if (start == std::string::npos) continue;
    text.erase(0, start);
    // "<address> <type> <name>", or "<type> <name>" for a symbol without an address.
    const bool noAddress = text.size() > 2 && text[1] == ' ';
    const auto first = text.find(' ');
    const auto nameAt = noAddress ? first : (first == std::string::npos ? first : text.find(' ', first + 1));
    if (nameAt != std::string::npos) names.push_back(text.substr(nameAt + 1));
  }
  pclose(pipe);
  return names;
}

inline std::set<std::string> DefinedDynamicSymbols(const std::string& file) {
  const std::vector<std::string> names = DynamicSymbolNames(file, SymbolSide::Defined);
  return {names.begin(), names.end()};
}

// The demangled names a library imports, one per line.
inline std::string ImportedNamesText(const std::string& file) {
  std::string text;
  for (const std::string& name : DynamicSymbolNames(file, SymbolSide::Undefined, true)) text += name + "\n";
  return text;
}

}  // namespace kovatest
