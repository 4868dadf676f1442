// drvhost printers: lists every printer of a system root with its spooler record, its
// driver record and its printer data, read through the spooler calls the driver uses.
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "commands.h"
#include "host_text.h"
#include "named_settings.h"
#include "plat/spooler_setup.h"
#include "plat/system.h"
#include "plat/wstr.h"
#include "win/errors.h"
#include "win/spool.h"

namespace fs = std::filesystem;

namespace drvhost {
namespace {

// A spooler record read under the size protocol: asked for its size, then read.
template <class Call>
std::vector<BYTE> ReadRecord(Call call) {
  DWORD needed = 0;
  if (call(nullptr, 0, &needed) || GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0) return {};
  std::vector<BYTE> buffer(needed);
  if (!call(buffer.data(), needed, &needed)) return {};
  return buffer;
}

void Line(const char* label, const std::string& value) { std::printf("    %-18s %s\n", label, value.c_str()); }

std::string OrNone(const WCHAR* s) { return s ? Quoted(plat::View(s)) : "(none)"; }

std::string DevmodeText(const DEVMODEW* dm) {
  if (!dm) return "(none)";
  return std::to_string(dm->dmSize + dm->dmDriverExtra) + " bytes (dmSize " + std::to_string(dm->dmSize) +
         ", dmDriverExtra " + std::to_string(dm->dmDriverExtra) + ", dmSpecVersion " + Hex32(dm->dmSpecVersion) + ")";
}

std::string AttributesText(DWORD a) {
  static const struct {
    DWORD bit;
    const char* name;
  } names[] = {{PRINTER_ATTRIBUTE_QUEUED, "QUEUED"},       {PRINTER_ATTRIBUTE_DIRECT, "DIRECT"},
               {PRINTER_ATTRIBUTE_DEFAULT, "DEFAULT"},     {PRINTER_ATTRIBUTE_SHARED, "SHARED"},
               {PRINTER_ATTRIBUTE_NETWORK, "NETWORK"},     {PRINTER_ATTRIBUTE_HIDDEN, "HIDDEN"},
               {PRINTER_ATTRIBUTE_LOCAL, "LOCAL"},         {PRINTER_ATTRIBUTE_ENABLE_DEVQ, "ENABLE_DEVQ"},
               {PRINTER_ATTRIBUTE_KEEPPRINTEDJOBS, "KEEPPRINTEDJOBS"},
               {PRINTER_ATTRIBUTE_DO_COMPLETE_FIRST, "DO_COMPLETE_FIRST"},
               {PRINTER_ATTRIBUTE_WORK_OFFLINE, "WORK_OFFLINE"}, {PRINTER_ATTRIBUTE_ENABLE_BIDI, "ENABLE_BIDI"},
               {PRINTER_ATTRIBUTE_RAW_ONLY, "RAW_ONLY"},   {PRINTER_ATTRIBUTE_PUBLISHED, "PUBLISHED"},
               {PRINTER_ATTRIBUTE_FAX, "FAX"},             {PRINTER_ATTRIBUTE_TS, "TS"}};
  std::string out;
  for (const auto& n : names)
    if (a & n.bit) out += std::string(out.empty() ? "" : " ") + n.name;
  return Hex32(a) + (out.empty() ? "" : " (" + out + ")");
}

void ShowPrinter(HANDLE h) {
  auto info = ReadRecord([&](LPBYTE b, DWORD cb, LPDWORD n) { return GetPrinterW(h, 2, b, cb, n); });
  if (info.empty()) {
    std::printf("  (the printer record cannot be read: error %u)\n", GetLastError());
    return;
  }
  const auto* p = reinterpret_cast<const PRINTER_INFO_2W*>(info.data());
  std::printf("  spooler record:\n");
  Line("server:", p->pServerName ? Quoted(plat::View(p->pServerName)) : "(local)");
  Line("share:", OrNone(p->pShareName));
  Line("port:", OrNone(p->pPortName));
  Line("driver:", OrNone(p->pDriverName));
  Line("comment:", OrNone(p->pComment));
  Line("location:", OrNone(p->pLocation));
  Line("print processor:", OrNone(p->pPrintProcessor));
  Line("datatype:", OrNone(p->pDatatype));
  Line("attributes:", AttributesText(p->Attributes));
  Line("status:", Hex32(p->Status));
  Line("jobs:", std::to_string(p->cJobs));
  Line("device-mode:", DevmodeText(p->pDevMode));
  // Its main settings in words, when the record holds the whole public part.
  if (p->pDevMode && p->pDevMode->dmSize >= sizeof(DEVMODEW)) {
    const auto* at = reinterpret_cast<const BYTE*>(p->pDevMode);
    if (at >= info.data() && at + sizeof(DEVMODEW) <= info.data() + info.size()) {
      std::string words;
      for (const auto& [label, value] : DescribePublicSettings(*p->pDevMode))
        if (value != "(not set)") words += (words.empty() ? "" : ", ") + label + " " + value;
      Line("  settings:", words);
    }
  }
}

void ShowDriver(HANDLE h) {
  auto info = ReadRecord([&](LPBYTE b, DWORD cb, LPDWORD n) { return GetPrinterDriverW(h, nullptr, 3, b, cb, n); });
  std::printf("  driver record:\n");
  if (info.empty()) {
    std::printf("    (the driver record cannot be read: error %u)\n", GetLastError());
    return;
  }
  const auto* d = reinterpret_cast<const DRIVER_INFO_3W*>(info.data());
  Line("name:", OrNone(d->pName));
  Line("version:", std::to_string(d->cVersion));
  Line("environment:", OrNone(d->pEnvironment));
  Line("driver path:", OrNone(d->pDriverPath));
  Line("data file:", OrNone(d->pDataFile));
  Line("config file:", OrNone(d->pConfigFile));
  Line("help file:", OrNone(d->pHelpFile));
  if (!d->pDependentFiles || !*d->pDependentFiles) Line("dependent file:", "(none)");
  for (const WCHAR* f = d->pDependentFiles; f && *f; f += plat::WLen(f) + 1) Line("dependent file:", Quoted(plat::View(f)));
}

void ShowData(const std::u16string& name) {
  auto snapshot = plat::spooler::ReadPrinter(name);
  std::printf("  printer data:\n");
  if (!snapshot || snapshot->data.empty()) {
    std::printf("    (none)\n");
    return;
  }
  auto values = snapshot->data;
  std::stable_sort(values.begin(), values.end(), [](const auto& a, const auto& b) {
    int k = plat::CompareNoCase(a.key, b.key);
    return k != 0 ? k < 0 : plat::CompareNoCase(a.name, b.name) < 0;
  });
  for (const auto& v : values) {
    std::string label = U8(v.key) + "\\" + U8(v.name);
    std::printf("    %s  %s  %s\n", label.c_str(), TypeName(v.type).c_str(), DecodeValue(v.type, v.bytes).c_str());
  }
}

}  // namespace

bool OpenExistingRoot(const std::string& folder, std::string& error) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    error = "the system root " + folder + " does not exist or is not a folder";
    return false;
  }
  if (!fs::is_directory(fs::path(folder) / "drives" / "c", ec)) {
    error = folder + " is not a system root (drvhost install creates one)";
    return false;
  }
  if (!plat::SetSystemRoot(folder)) {
    error = "cannot open the system root " + folder;
    return false;
  }
  return true;
}

int RunPrinters(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: drvhost printers <root folder>\n");
    return kExitUsage;
  }
  std::string error;
  if (!OpenExistingRoot(args[0], error)) {
    std::fprintf(stderr, "drvhost: %s\n", error.c_str());
    return kExitFailed;
  }
  const auto names = plat::spooler::ListPrinters();
  std::printf("%zu printer%s in %s\n", names.size(), names.size() == 1 ? "" : "s", plat::SystemRoot().c_str());
  for (const auto& name : names) {
    std::printf("\nprinter %s\n", Quoted(name).c_str());
    HANDLE h = nullptr;
    std::u16string copy = name;
    if (!OpenPrinterW(copy.data(), &h, nullptr)) {
      std::printf("  (cannot be opened: error %u)\n", GetLastError());
      continue;
    }
    ShowPrinter(h);
    ShowDriver(h);
    ShowData(name);
    ClosePrinter(h);
  }
  return kExitOk;
}

}  // namespace drvhost
