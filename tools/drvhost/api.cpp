// drvhost api: plays an outside program that drives a printer through the settings API
// library (Constrix.dll in the printer's driver folder): one call per script line, each
// answer printed with the handle's last error.
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "api_caps.h"
#include "api_command_base.h"
#include "commands.h"
#include "host_text.h"
#include "win/devmode.h"
#include "win/errors.h"
#include "win/kernel.h"
#include "win/loader.h"
#include "win/spool.h"

// The library's handle and init record types, opaque to the caller: the exports are called
// through their own function types.
struct DriverContext;
struct ApiInitInfo;

namespace drvhost {
namespace {

struct InitRecord {
  DWORD reserved;
  std::int32_t version;
};

using CheckFn = std::int32_t (*)(const char*);
using EnableFn = DriverContext* (*)(const char*);
using HandleFn = std::int32_t (*)(DriverContext*);
using InitFn = std::int32_t (*)(std::int32_t, const ApiInitInfo*);
using DevmodeFn = std::int32_t (*)(DriverContext*, std::int32_t, DEVMODEW*);
using DevmodeExFn = std::int32_t (*)(DriverContext*, std::int32_t, DEVMODEW*, const DEVMODEW*, void*);
using StatusFn = std::int32_t (*)(DriverContext*, DWORD, void*, std::int32_t);
using SetStatusFn = std::int32_t (*)(DriverContext*, DWORD, void*, BYTE*, std::int32_t);
using DriverDevmodeFn = std::int32_t (*)(const char*, std::int32_t, std::int32_t, BYTE*, std::int32_t*);

struct Api {
  HMODULE module = nullptr;
  CheckFn check = nullptr;
  EnableFn enable = nullptr;
  InitFn init = nullptr;
  HandleFn disable = nullptr, lastError = nullptr, save = nullptr, restore = nullptr;
  DevmodeFn getDevmode = nullptr;
  DevmodeExFn getDevmodeEx = nullptr;
  CapsFn caps = nullptr;
  StatusFn getStatus = nullptr;
  SetStatusFn setStatus = nullptr;
  DriverDevmodeFn driverDevmode = nullptr;

  template <typename F>
  void Get(F& f, const char* name) {
    f = ProcCast<F>(GetProcAddress(module, name));
  }
  bool Load(const std::u16string& path) {
    module = LoadLibraryW(path.c_str());
    if (!module) return false;
    Get(check, "KOVADrvCheckAPIVer");
    Get(enable, "KOVADrvEnable");
    Get(init, "KOVADrvInit");
    Get(disable, "KOVADrvDisable");
    Get(lastError, "KOVADrvGetLastError");
    Get(save, "KOVADrvSaveQualityData");
    Get(restore, "KOVADrvRestoreQualityData");
    Get(getDevmode, "KOVADrvGetDevmode");
    Get(getDevmodeEx, "KOVADrvGetDevmodeEx");
    Get(caps, "KOVADrvGetCaps");
    Get(getStatus, "KOVADrvGetStatus");
    Get(setStatus, "KOVADrvSetStatus");
    Get(driverDevmode, "ExcGetDriverDevmode");
    return check && enable && init && disable && lastError && save && restore && getDevmode && getDevmodeEx &&
           caps && getStatus && setStatus && driverDevmode;
  }
  ~Api() {
    if (module) FreeLibrary(module);
  }
};

// The settings API library of the printer: Constrix.dll in its driver folder.
std::u16string LibraryPath(HANDLE printer) {
  DWORD needed = 0;
  GetPrinterDriverW(printer, nullptr, 3, nullptr, 0, &needed);
  if (needed < sizeof(DRIVER_INFO_3W)) return {};
  std::vector<BYTE> bytes(needed);
  if (!GetPrinterDriverW(printer, nullptr, 3, bytes.data(), needed, &needed)) return {};
  const auto* info = reinterpret_cast<const DRIVER_INFO_3W*>(bytes.data());
  if (!info->pDriverPath) return {};
  std::u16string path = info->pDriverPath;
  const std::size_t slash = path.rfind(u'\\');
  return (slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1)) + u"Constrix.dll";
}

bool Number(const std::string& text, std::int64_t& value) {
  try {
    std::size_t used = 0;
    value = std::stoll(text, &used, 0);
    return used == text.size();
  } catch (...) {
    return false;
  }
}

std::string DevmodeSummary(const std::vector<BYTE>& devmode) {
  const auto* dm = reinterpret_cast<const DEVMODEW*>(devmode.data());
  char text[200];
  std::snprintf(text, sizeof text, "dmSize %u, dmDriverExtra %u, paper %d, orientation %d, copies %d, quality %d, color %d",
                dm->dmSize, dm->dmDriverExtra, dm->dmPaperSize, dm->dmOrientation, dm->dmCopies, dm->dmPrintQuality,
                dm->dmColor);
  return text;
}

constexpr std::size_t kStatusRecordBytes = 1024;

// "set" arguments: <id> <kind> [mode] then <offset>=<number> or <offset>="<text>" (the text
// written with its NUL). False with a message when they do not parse or an offset lies
// outside the record.
bool ParseSetArguments(const std::string& rest, DWORD& id, std::int32_t& mode, std::vector<BYTE>& record,
                       std::string& message) {
  record.assign(kStatusRecordBytes, 0);
  std::size_t at = 0;
  auto nextWord = [&](std::string& word) {
    while (at < rest.size() && (rest[at] == ' ' || rest[at] == '\t')) ++at;
    if (at >= rest.size()) return false;
    const std::size_t start = at;
    bool quoted = false;
    while (at < rest.size() && (quoted || (rest[at] != ' ' && rest[at] != '\t'))) {
      if (rest[at] == '"') quoted = !quoted;
      ++at;
    }
    word = rest.substr(start, at - start);
    return true;
  };
  std::string word;
  std::int64_t value = 0;
  if (!nextWord(word) || !Number(word, value)) return message = "set needs an item id", false;
  id = static_cast<DWORD>(value);
  if (!nextWord(word) || !Number(word, value)) return message = "set needs a record kind", false;
  const auto kind = static_cast<DWORD>(value);
  std::memcpy(record.data(), &kind, 4);
  mode = 0;
  bool first = true;
  while (nextWord(word)) {
    const std::size_t equals = word.find('=');
    if (equals == std::string::npos) {
      if (!first || !Number(word, value)) return message = "bad argument \"" + word + "\"", false;
      mode = static_cast<std::int32_t>(value);
      first = false;
      continue;
    }
    first = false;
    std::int64_t offset = 0;
    if (!Number(word.substr(0, equals), offset) || offset < 0) return message = "bad offset in \"" + word + "\"", false;
    const std::string right = word.substr(equals + 1);
    if (right.size() >= 2 && right.front() == '"' && right.back() == '"') {
      const std::string text = right.substr(1, right.size() - 2);
      if (static_cast<std::size_t>(offset) + text.size() + 1 > record.size())
        return message = "text beyond the record at " + std::to_string(offset), false;
      std::memcpy(record.data() + offset, text.c_str(), text.size() + 1);
    } else {
      if (!Number(right, value)) return message = "bad value in \"" + word + "\"", false;
      if (static_cast<std::size_t>(offset) + 4 > record.size())
        return message = "value beyond the record at " + std::to_string(offset), false;
      const auto word32 = static_cast<DWORD>(value);
      std::memcpy(record.data() + offset, &word32, 4);
    }
  }
  return true;
}

// The ids marked in a changed-items bitmap of bytes bytes.
std::string ChangedIds(const BYTE* changed, std::size_t bytes) {
  std::string ids;
  for (std::size_t i = 0; i < bytes; ++i)
    for (int bit = 0; bit < 8; ++bit)
      if (changed[i] & (0x80u >> bit)) ids += (ids.empty() ? "" : " ") + std::to_string(i * 8 + bit + 1);
  return ids.empty() ? "none" : ids;
}

// A status record: its non-zero 32-bit words by offset, and the texts in it (three or more
// printable characters ended by NUL) by offset.
std::string DescribeStatusRecord(const BYTE* record, std::int32_t size) {
  if (size <= 0 || static_cast<std::size_t>(size) > kStatusRecordBytes) return {};
  std::string text;
  for (std::int32_t offset = 0; offset + 4 <= size; offset += 4) {
    DWORD value = 0;
    std::memcpy(&value, record + offset, 4);
    if (value) text += " @" + std::to_string(offset) + "=" + std::to_string(value);
  }
  for (std::int32_t start = 0; start < size;) {
    std::int32_t end = start;
    while (end < size && record[end] >= 0x20 && record[end] < 0x7F) ++end;
    if (end < size && record[end] == 0 && end - start >= 3)
      text += " @" + std::to_string(start) + "=\"" + std::string(reinterpret_cast<const char*>(record + start), end - start) + "\"";
    start = end + 1;
  }
  return text;
}

}  // namespace

int RunApi(const std::vector<std::string>& args) {
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: drvhost api <root folder> <printer name> <script file>\n");
    return kExitUsage;
  }
  std::ifstream script(args[2]);
  if (!script) {
    std::fprintf(stderr, "drvhost: cannot read the script \"%s\"\n", args[2].c_str());
    return kExitFailed;
  }
  std::string error;
  if (!OpenExistingRoot(args[0], error)) {
    std::fprintf(stderr, "drvhost: %s\n", error.c_str());
    return kExitFailed;
  }
  std::u16string printerName = U16(args[1]);
  HANDLE printer = nullptr;
  if (!OpenPrinterW(printerName.data(), &printer, nullptr)) {
    std::fprintf(stderr, "drvhost: %s\n", PrinterOpenError(args[1], args[0], GetLastError()).c_str());
    return kExitFailed;
  }
  const std::u16string path = LibraryPath(printer);
  ClosePrinter(printer);
  Api api;
  if (!api.Load(path)) {
    std::fprintf(stderr, "drvhost: cannot load the settings API library %s (%s)\n", U8(path).c_str(),
        ErrorText(GetLastError()).c_str());
    return kExitFailed;
  }
  CommandBaseCalls commandBase;
  if (!commandBase.Load(api.module)) {
    std::fprintf(stderr, "drvhost: the settings API library %s lacks the command-base calls\n", U8(path).c_str());
    return kExitFailed;
  }
  const std::size_t slash = args[2].rfind('/');
  const std::string scriptDir = slash == std::string::npos ? "." : args[2].substr(0, slash);
  std::printf("settings API library: %s\n", U8(path).c_str());
  const char* name = args[1].c_str();
  DriverContext* handle = nullptr;
  std::vector<BYTE> devmode;
  const std::string& scriptName = args[2];
  std::int32_t capsRecord = 0;  // the capability record of the last "record" call
  int rc = kExitOk;
  std::string line;
  int number = 0;
  while (std::getline(script, line)) {
    ++number;
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == '#') continue;
    std::istringstream in{std::string(trimmed)};
    std::string call;
    in >> call;
    std::string rest;
    std::getline(in, rest);
    rest = std::string(Trim(rest));
    std::string baseAnswer, baseError;
    int failCode = kExitOk;
    if (commandBase.Run(call, rest, name, scriptDir, baseAnswer, baseError, failCode)) {
      if (!baseError.empty()) {
        std::fprintf(stderr, "drvhost: %s: line %d: %s\n", scriptName.c_str(), number, baseError.c_str());
        rc = failCode;
        break;
      }
      std::printf("%s: %s\n", std::string(trimmed).c_str(), baseAnswer.c_str());
      continue;
    }
    if (call == "set") {
      DWORD id = 0;
      std::int32_t mode = 0;
      std::vector<BYTE> record;
      std::string message;
      if (!ParseSetArguments(rest, id, mode, record, message)) {
        std::fprintf(stderr, "drvhost: line %d: %s\n", number, message.c_str());
        rc = kExitUsage;
        break;
      }
      BYTE changed[64] = {};
      const std::int32_t result = api.setStatus(handle, id, record.data(), changed, mode);
      std::printf("%s: %d; last error %d; changed %s\n", std::string(trimmed).c_str(), result,
                  handle ? api.lastError(handle) : -1, ChangedIds(changed, sizeof changed).c_str());
      continue;
    }
    in = std::istringstream(rest);
    std::vector<std::int64_t> values;
    std::string word;
    bool bad = false;
    while (in >> word) {
      std::int64_t v = 0;
      if (!Number(word, v) && !(call == "caps" && word == "all")) bad = true;
      values.push_back(v);
    }
    auto arg = [&](std::size_t i, std::int64_t otherwise) { return i < values.size() ? values[i] : otherwise; };
    std::string answer;
    if (bad) {
      std::fprintf(stderr, "drvhost: %s: line %d: the arguments of \"%s\" must be numbers\n", scriptName.c_str(),
                   number, call.c_str());
      rc = kExitUsage;
      break;
    } else if (call == "check") {
      answer = std::to_string(api.check(name));
    } else if (call == "enable") {
      if (handle) api.disable(handle);
      handle = api.enable(name);
      answer = handle ? "a handle" : "null";
    } else if (call == "init") {
      const InitRecord record{0, static_cast<std::int32_t>(arg(1, 16))};
      const auto* info = reinterpret_cast<const ApiInitInfo*>(&record);
      answer = std::to_string(api.init(static_cast<std::int32_t>(arg(0, 1)), info));
    } else if (call == "devmode" || call == "devmodeex") {
      const auto mode = static_cast<std::int32_t>(arg(0, 4));
      std::vector<BYTE> out(4096);
      auto* outDm = reinterpret_cast<DEVMODEW*>(out.data());
      const auto* inDm = devmode.empty() ? nullptr : reinterpret_cast<const DEVMODEW*>(devmode.data());
      const std::int32_t size = call == "devmode" ? api.getDevmode(handle, mode, outDm)
                                                  : api.getDevmodeEx(handle, mode, outDm, inDm, nullptr);
      answer = std::to_string(size);
      if (size > 0 && size <= static_cast<std::int32_t>(out.size())) {
        devmode.assign(out.begin(), out.begin() + size);
        answer += " (" + DevmodeSummary(devmode) + ")";
      }
    } else if (call == "driverdevmode") {
      std::int32_t needed = 0;
      std::vector<BYTE> out(4096);
      const std::int32_t result =
          api.driverDevmode(name, static_cast<std::int32_t>(arg(0, 1)), static_cast<std::int32_t>(out.size()),
                            out.data(), &needed);
      answer = std::to_string(result) + ", needed " + std::to_string(needed);
    } else if (call == "save") {
      answer = std::to_string(api.save(handle));
    } else if (call == "restore") {
      answer = std::to_string(api.restore(handle));
    } else if (call == "caps") {
      // "caps all" walks every id; "caps <id>" asks one.
      const bool all = rest == "all";
      answer = all ? AskEveryCapability(api.caps, handle) : AskCapability(api.caps, handle, static_cast<DWORD>(arg(0, 0)));
    } else if (call == "record") {
      answer = DescribeRecord(api.caps, handle, capsRecord);
    } else if (call == "freerecord") {
      answer = FreeRecord(api.caps, handle, capsRecord);
    } else if (call == "status") {
      BYTE record[kStatusRecordBytes] = {};
      const std::int32_t size =
          api.getStatus(handle, static_cast<DWORD>(arg(0, 1)), record, static_cast<std::int32_t>(arg(1, 1)));
      answer = std::to_string(size) + DescribeStatusRecord(record, size);
    } else if (call == "lasterror") {
      answer = std::to_string(api.lastError(handle));
    } else if (call == "disable") {
      answer = std::to_string(api.disable(handle));
      handle = nullptr;
    } else {
      std::fprintf(stderr,
                   "drvhost: %s: line %d: unknown call \"%s\" (the calls: check, enable, init, devmode, devmodeex, "
                   "driverdevmode, save, restore, caps, status, lasterror, disable, exclusive, free, ininame, "
                   "setbase, update, base, change, values, options, value, watermarks)\n",
                   scriptName.c_str(), number, call.c_str());
      rc = kExitUsage;
      break;
    }
    std::printf("%s: %s; last error %d\n", std::string(trimmed).c_str(), answer.c_str(),
                handle ? api.lastError(handle) : -1);
  }
  if (handle) api.disable(handle);
  return rc;
}

}  // namespace drvhost
