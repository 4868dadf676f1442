// drvhost: the command-line host. It creates system roots, installs printers from a sample
// folder, shows what the spooler holds, prints jobs through the rendering library as the
// graphics engine would, and decodes the block streams they write.
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
               "      as the spooler does: the interface library's driver default device-mode and\n"
               "      its initialise event\n"
               "  event <root folder> <printer name> <event>\n"
               "      send a printer event to the interface library: add-connection,\n"
               "      delete-connection, initialize, delete, cache-refresh, cache-delete,\n"
               "      attributes-changed\n"
               "  upgrade <root folder> <printer name>\n"
               "      the driver upgrade of the printer, then its stored device-mode converted\n"
               "  machine <root folder> [terminal-server=on|off] [administrator=on|off] [user=NAME]\n"
               "      show or set the machine the root plays for every process: the terminal-server\n"
               "      switch, whether the user is an administrator and the user the processes run\n"
               "      as (whose profile is made)\n"
               "  twoway <root folder> <printer name> <answers file>|off\n"
               "      give the printer a printer to ask: the two-way library that answers from a\n"
               "      file, the file's Key=Value lines as its answers, and the two-way attribute\n"
               "  server <root folder> <printer name> <server folder>|off\n"
               "      give the printer a configuration server: the connector that serves the\n"
               "      folder's files, its server.ini Key=Value lines as the printer's server, and\n"
               "      the connector's switch\n"
               "  printers <root folder>\n"
               "      list every printer with its spooler record, driver record and printer data\n"
               "  print <root folder> <printer name> <job file> [NAME=VALUE ...]\n"
               "      play the graphics engine for the job the file describes: load the printer's\n"
               "      rendering library, run the document and its pages with the interface library's\n"
               "      document events, report where the stream went; named settings\n"
               "      (paper=A3 copies=3 duplex=long orientation=landscape) change its device-mode\n"
               "  caps <root folder> <printer name> [DC_NAME ...]\n"
               "      the device capabilities of the printer as an application asks them from its\n"
               "      interface library (every DC_ index when none is named)\n"
               "  api <root folder> <printer name> <script file>\n"
               "      play an outside program calling the settings API library, one call per line\n"
               "  sheet <root folder> <printer name> document|device [--devmode FILE] [actions...]\n"
               "        [--out FILE] [--store]\n"
               "      open the printer's document or device property sheet and play a person's\n"
               "      actions (--page ID, --click CONTROL, --select CONTROL=VALUE, --type\n"
               "      CONTROL=TEXT, --click-item CONTROL=ITEM, --focus CONTROL, --help CONTROL,\n"
               "      --context-menu CONTROL, --hover CONTROL[=X,Y], --wait MS, --answer\n"
               "      ok|cancel|yes|no, --ok, --cancel, --apply, and the next file dialog's choice:\n"
               "      --file PATH, --files A,B, --file-cancel); print what each page shows, the\n"
               "      help requests, tips, boxes and file dialogs that appeared; --out writes the\n"
               "      device-mode the sheet returned, --store keeps an accepted document sheet's\n"
               "      result as the printer's default, --png FILE pictures the sheet as shown\n"
               "  devmode <device-mode file> [--set NAME=VALUE ...] [--out FILE]\n"
               "  devmode <root folder> <printer name> [--set NAME=VALUE ...] [--out FILE]\n"
               "      a device-mode in words (a file, or a printer's stored default): its public\n"
               "      fields and its private settings by name; --set writes a changed copy\n"
               "  dump <stream file>\n"
               "  dump <root folder> <Windows path>\n"
               "      decode a block stream: blocks, PJL text, settings record, drawing records\n"
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
    if (command == "print") return drvhost::RunPrint(args);
    if (command == "dump") return drvhost::RunDump(args);
    if (command == "caps") return drvhost::RunCaps(args);
    if (command == "api") return drvhost::RunApi(args);
    if (command == "event") return drvhost::RunEvent(args);
    if (command == "upgrade") return drvhost::RunUpgrade(args);
    if (command == "machine") return drvhost::RunMachine(args);
    if (command == "twoway") return drvhost::RunTwoWay(args);
    if (command == "server") return drvhost::RunServer(args);
    if (command == "sheet") return drvhost::RunSheet(args);
    if (command == "devmode") return drvhost::RunDevmode(args);
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
