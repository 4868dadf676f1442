// drvhost: the command-line host. It creates system roots, installs printers from a sample
// folder and shows what the spooler holds.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "commands.h"

namespace {

void Usage(std::FILE* to) {
  std::fprintf(to,
               "usage: drvhost <command> [arguments]\n"
               "\n"
               "commands:\n"
               "  install <root folder> <printer name> <sample folder>\n"
               "      create the system root (when missing), copy the driver files that the sample\n"
               "      folder's printer.ini lists into the driver folder, and install the printer\n"
               "  printers <root folder>\n"
               "      list every printer with its spooler record, driver record and printer data\n"
               "  help\n"
               "      show this text\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    Usage(stderr);
    return drvhost::kExitUsage;
  }
  const std::string command = argv[1];
  const std::vector<std::string> args(argv + 2, argv + argc);
  try {
    if (command == "install") return drvhost::RunInstall(args);
    if (command == "printers") return drvhost::RunPrinters(args);
    if (command == "help" || command == "--help" || command == "-h") {
      Usage(stdout);
      return drvhost::kExitOk;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "drvhost: %s\n", e.what());
    return drvhost::kExitFailed;
  }
  std::fprintf(stderr, "drvhost: unknown command \"%s\"\n\n", command.c_str());
  Usage(stderr);
  return drvhost::kExitUsage;
}
