// The sample folder's manifest (printer.ini): the printer, its driver files and its
// initial printer data, in a small INI form of the host's own.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "plat/spooler_setup.h"

namespace drvhost {

struct Manifest {
  plat::spooler::PrinterSetup printer;  // name left empty: the install command names it
  std::string devmodeFile;              // a file of the sample folder with the device-mode bytes, or empty
  // [Fonts]: the fonts the machine has, each a value of the system's fonts key ("Face (Kind)"
  // and its font file), as the install writes them.
  std::vector<std::pair<std::u16string, std::u16string>> fonts;
};

// Reads <folder>/printer.ini. On failure answers false with a message naming the line.
bool ReadManifest(const std::string& folder, Manifest& out, std::string& error);

// The driver files of a printer set-up in install order, without repeats (matched
// without regard to case): driver path, config file, data file, help file, dependents.
std::vector<std::u16string> DriverFileNames(const plat::spooler::DriverSetup& driver);

}  // namespace drvhost
