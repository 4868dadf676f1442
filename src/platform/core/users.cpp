#include "plat/users.h"

#include <algorithm>
#include <filesystem>

#include "machine_store.h"
#include "plat/system.h"
#include "plat/wstr.h"

namespace fs = std::filesystem;

namespace plat {
namespace {

std::string ProfilesFolder() { return DriveFolder('c') + "/Users"; }

}  // namespace

bool AddUserProfile(const std::u16string& name) {
  if (!machine::IsUserName(name)) return false;
  const std::string profile = ProfilesFolder() + "/" + ToUtf8(name);
  std::error_code ec;
  for (const char* sub : {"/AppData/Local", "/AppData/LocalLow", "/AppData/Roaming"}) {
    fs::create_directories(profile + sub, ec);
    if (ec) return false;
  }
  NoteFilesCreated();
  return true;
}

std::vector<std::u16string> UserProfiles() {
  std::vector<std::u16string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(ProfilesFolder(), ec))
    if (entry.is_directory()) names.push_back(FromUtf8(entry.path().filename().string()));
  std::sort(names.begin(), names.end());
  return names;
}

bool RunAsUser(const std::u16string& name) {
  if (!AddUserProfile(name)) return false;
  Machine().userName = name;
  ResetEnvironment();
  return true;
}

AsUser::AsUser(const std::u16string& name) : previous_(Machine().userName), ok_(RunAsUser(name)) {}

AsUser::~AsUser() {
  if (ok_) RunAsUser(previous_);
}

}  // namespace plat
