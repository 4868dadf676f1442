// drvhost machine: shows and sets the machine settings a system root keeps for every
// process that opens it: the terminal-server switch and the user the processes run as.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "host_text.h"
#include "plat/system.h"
#include "plat/users.h"

namespace drvhost {
namespace {

bool ParseSwitch(const std::string& value, bool& on) {
  if (value == "on" || value == "1" || value == "yes") {
    on = true;
    return true;
  }
  if (value == "off" || value == "0" || value == "no") {
    on = false;
    return true;
  }
  return false;
}

void Show() {
  const plat::MachineSettings& m = plat::Machine();
  std::printf("machine of %s\n", plat::SystemRoot().c_str());
  std::printf("  terminal server:  %s\n", m.terminalServer ? "on" : "off");
  std::printf("  user:             %s\n", U8(m.userName).c_str());
  std::string profiles;
  for (const auto& name : plat::UserProfiles()) profiles += (profiles.empty() ? "" : ", ") + U8(name);
  std::printf("  user profiles:    %s\n", profiles.c_str());
  std::printf("  administrator:    %s\n", m.administrator ? "on" : "off");
}

}  // namespace

int RunMachine(const std::vector<std::string>& args) {
  if (args.empty()) {
    std::fprintf(stderr,
                 "usage: drvhost machine <root folder> [terminal-server=on|off] [administrator=on|off] "
                 "[user=NAME]\n");
    return kExitUsage;
  }
  bool terminal = false, setTerminal = false;
  bool administrator = true, setAdministrator = false;
  std::u16string user;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    const std::size_t eq = a.find('=');
    const std::string key = a.substr(0, eq), value = eq == std::string::npos ? std::string() : a.substr(eq + 1);
    if (key == "terminal-server" && eq != std::string::npos && ParseSwitch(value, terminal)) {
      setTerminal = true;
    } else if (key == "administrator" && eq != std::string::npos && ParseSwitch(value, administrator)) {
      setAdministrator = true;
    } else if (key == "user" && !value.empty()) {
      user = U16(value);
    } else {
      std::fprintf(stderr,
                   "drvhost: unknown machine setting \"%s\" (terminal-server=on|off, administrator=on|off, "
                   "user=NAME)\n",
                   a.c_str());
      return kExitUsage;
    }
  }
  std::string error;
  if (!OpenExistingRoot(args[0], error)) {
    std::fprintf(stderr, "drvhost: %s\n", error.c_str());
    return kExitFailed;
  }
  if (setTerminal || setAdministrator || !user.empty()) {
    plat::MachineSettings& m = plat::Machine();
    if (!user.empty()) {
      // The user's profile is made with the setting, as a user's first logon makes it.
      if (!plat::AddUserProfile(user)) {
        std::fprintf(stderr, "drvhost: \"%s\" cannot be a user name of the root\n", U8(user).c_str());
        return kExitUsage;
      }
      m.userName = user;
    }
    if (setTerminal) m.terminalServer = terminal;
    if (setAdministrator) m.administrator = administrator;
    if (!plat::SaveMachineSettings()) {
      std::fprintf(stderr, "drvhost: cannot write the machine settings of %s\n", args[0].c_str());
      return kExitFailed;
    }
  }
  Show();
  return kExitOk;
}

}  // namespace drvhost
