// The host's commands. Each answers the process exit code: 0 done, 1 failed, 2 bad arguments.
#pragma once

#include <string>
#include <vector>

namespace drvhost {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// drvhost install <root folder> <printer name> <sample folder>
int RunInstall(const std::vector<std::string>& args);
// drvhost printers <root folder>
int RunPrinters(const std::vector<std::string>& args);
// drvhost print <root folder> <printer name> <job file>
int RunPrint(const std::vector<std::string>& args);
// drvhost caps <root folder> <printer name> [DC_NAME ...]
int RunCaps(const std::vector<std::string>& args);
// drvhost api <root folder> <printer name> <script file>
int RunApi(const std::vector<std::string>& args);
// drvhost sheet <root folder> <printer name> document|device [--devmode FILE] [actions...]
// [--out FILE]
int RunSheet(const std::vector<std::string>& args);
// drvhost devmode <device-mode file> | <root folder> <printer name> [--set NAME=VALUE ...] [--out FILE]
int RunDevmode(const std::vector<std::string>& args);
// drvhost dump <stream file> | drvhost dump <root folder> <Windows path>
int RunDump(const std::vector<std::string>& args);

// drvhost twoway <root folder> <printer name> <answers file>|off
int RunTwoWay(const std::vector<std::string>& args);
// drvhost server <root folder> <printer name> <server folder>|off
int RunServer(const std::vector<std::string>& args);
// drvhost machine <root folder> [terminal-server=on|off] [administrator=on|off] [user=NAME]
int RunMachine(const std::vector<std::string>& args);
// drvhost event <root folder> <printer name> <event>
int RunEvent(const std::vector<std::string>& args);
// drvhost upgrade <root folder> <printer name>
int RunUpgrade(const std::vector<std::string>& args);
// After the printer was added: its interface library's driver default (which sets up the
// printer's stored settings and is stored as the printer's device-mode) and the
// initialise event.
bool SpoolerSetsUpPrinter(const std::u16string& name);

// Opens an existing system root for a command that reads it; false with a message when
// the folder is missing or is not a system root.
bool OpenExistingRoot(const std::string& folder, std::string& error);

}  // namespace drvhost
