#include "spooler_store.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>

#include "plat/system.h"
#include "plat/wstr.h"
#include "../core/store_changes.h"
#include "store_text.h"
#include "win/devmode.h"
#include "win/errors.h"

namespace fs = std::filesystem;

namespace plat::spooler {
namespace {

using text::Escape;
using text::Hex;
using text::Number;

// ---- file names ----

std::string PrintersDir() { return StoreFolder("spooler") + "/printers"; }
std::string DriversDir() { return StoreFolder("spooler") + "/drivers"; }
std::string FormsFile() { return StoreFolder("spooler") + "/forms.txt"; }

std::string EnsureDir(const std::string& dir) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  return dir;
}

std::string PrinterFile(std::u16string_view name) { return PrintersDir() + "/" + text::FileKey(name) + ".txt"; }
std::string DriverFile(std::u16string_view name) { return DriversDir() + "/" + text::FileKey(name) + ".txt"; }

// ---- a small line reader ----

struct Lines {
  explicit Lines(std::string_view all) : rest(all) {}
  bool Next(std::string_view& line) {
    if (rest.empty()) return false;
    std::size_t p = rest.find('\n');
    line = rest.substr(0, p);
    rest = p == std::string_view::npos ? std::string_view{} : rest.substr(p + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
  }
  std::string_view rest;
};

bool KeyValue(std::string_view line, std::string_view& key, std::string_view& value) {
  std::size_t p = line.find('=');
  if (p == std::string_view::npos) return false;
  key = line.substr(0, p);
  value = line.substr(p + 1);
  return true;
}

bool Text(std::string_view v, std::u16string& out, std::size_t limit = kMaxText) {
  auto t = text::Unescape(v);
  if (!t || t->size() > limit) return false;
  out = std::move(*t);
  return true;
}

bool Num(std::string_view v, DWORD& out) {
  auto n = text::ParseNumber(v);
  if (!n) return false;
  out = *n;
  return true;
}

bool Bytes(std::string_view v, std::vector<BYTE>& out, std::size_t limit) {
  if (v.size() / 2 > limit) return false;
  auto b = text::UnHex(v);
  if (!b) return false;
  out = std::move(*b);
  return true;
}

// ---- printer records ----

std::string SystemTimeText(const SYSTEMTIME& t) {
  const WORD v[8] = {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
  std::string s;
  for (int i = 0; i < 8; ++i) s += (i ? "|" : "") + Number(v[i]);
  return s;
}

bool ParseSystemTime(std::string_view v, SYSTEMTIME& t) {
  auto parts = text::Split(v, '|');
  if (parts.size() != 8) return false;
  WORD* dst[8] = {&t.wYear, &t.wMonth, &t.wDayOfWeek, &t.wDay, &t.wHour, &t.wMinute, &t.wSecond, &t.wMilliseconds};
  for (int i = 0; i < 8; ++i) {
    DWORD n = 0;
    if (!Num(parts[i], n) || n > 0xFFFF) return false;
    *dst[i] = static_cast<WORD>(n);
  }
  return true;
}

std::string SerializePrinter(const PrinterRecord& r) {
  const PrinterSetup& p = r.setup;
  std::string s = "# Kova spooler: printer record\n[printer]\n";
  auto text = [&](const char* k, const std::u16string& v) { s += std::string(k) + "=" + Escape(v) + "\n"; };
  auto num = [&](const char* k, DWORD v) { s += std::string(k) + "=" + Number(v) + "\n"; };
  text("name", p.name);
  text("server", p.serverName);
  text("share", p.shareName);
  text("port", p.portName);
  text("driver", p.driver.name);
  text("comment", p.comment);
  text("location", p.location);
  text("sepfile", p.sepFile);
  text("printprocessor", p.printProcessor);
  text("datatype", p.datatype);
  text("parameters", p.parameters);
  num("attributes", p.attributes);
  num("priority", p.priority);
  num("defaultpriority", p.defaultPriority);
  num("starttime", p.startTime);
  num("untiltime", p.untilTime);
  num("status", p.status);
  num("nextjob", r.nextJobId);
  s += "devmode=" + Hex(p.devmode) + "\n";
  s += "userdevmode=" + Hex(r.userDevmode) + "\n";
  s += "level7=" + Number(r.level7.calls) + "|" + Number(r.level7.action) + "|" + (r.level7.hasGuid ? "1" : "0") + "|" +
       Escape(r.level7.guid) + "\n";
  s += "[data]\n";
  for (const auto& d : r.data)
    s += Escape(d.key) + "|" + Escape(d.name) + "|" + Number(d.type) + "|" + Hex(d.bytes) + "\n";
  for (const auto& j : r.jobs) {
    s += "[job " + Number(j.id) + "]\n";
    text("machine", j.machineName);
    text("user", j.userName);
    text("document", j.document);
    text("notify", j.notifyName);
    text("datatype", j.datatype);
    text("printprocessor", j.printProcessor);
    text("parameters", j.parameters);
    text("statustext", j.statusText);
    s += "devmode=" + Hex(j.devmode) + "\n";
    num("status", j.status);
    num("priority", j.priority);
    num("position", j.position);
    num("starttime", j.startTime);
    num("untiltime", j.untilTime);
    num("totalpages", j.totalPages);
    num("size", j.size);
    num("time", j.time);
    num("pagesprinted", j.pagesPrinted);
    s += "submitted=" + SystemTimeText(j.submitted) + "\n";
  }
  return s;
}

bool ParsePrinterField(PrinterRecord& r, std::string_view k, std::string_view v) {
  PrinterSetup& p = r.setup;
  if (k == "name") return Text(v, p.name, kMaxPrinterName);
  if (k == "server") return Text(v, p.serverName);
  if (k == "share") return Text(v, p.shareName);
  if (k == "port") return Text(v, p.portName);
  if (k == "driver") return Text(v, p.driver.name);
  if (k == "comment") return Text(v, p.comment);
  if (k == "location") return Text(v, p.location);
  if (k == "sepfile") return Text(v, p.sepFile);
  if (k == "printprocessor") return Text(v, p.printProcessor);
  if (k == "datatype") return Text(v, p.datatype);
  if (k == "parameters") return Text(v, p.parameters);
  if (k == "attributes") return Num(v, p.attributes);
  if (k == "priority") return Num(v, p.priority);
  if (k == "defaultpriority") return Num(v, p.defaultPriority);
  if (k == "starttime") return Num(v, p.startTime);
  if (k == "untiltime") return Num(v, p.untilTime);
  if (k == "status") return Num(v, p.status);
  if (k == "nextjob") return Num(v, r.nextJobId);
  if (k == "devmode") return Bytes(v, p.devmode, kMaxDevmodeBytes) && (p.devmode.empty() || ValidDevmodeBytes(p.devmode));
  if (k == "userdevmode")
    return Bytes(v, r.userDevmode, kMaxDevmodeBytes) && (r.userDevmode.empty() || ValidDevmodeBytes(r.userDevmode));
  if (k == "level7") {
    auto parts = text::Split(v, '|');
    if (parts.size() != 4 || (parts[2] != "0" && parts[2] != "1")) return false;
    r.level7.hasGuid = parts[2] == "1";
    return Num(parts[0], r.level7.calls) && Num(parts[1], r.level7.action) && Text(parts[3], r.level7.guid);
  }
  return true;  // fields of later formats are ignored
}

bool ParseJobField(JobSetup& j, std::string_view k, std::string_view v) {
  if (k == "machine") return Text(v, j.machineName);
  if (k == "user") return Text(v, j.userName);
  if (k == "document") return Text(v, j.document);
  if (k == "notify") return Text(v, j.notifyName);
  if (k == "datatype") return Text(v, j.datatype);
  if (k == "printprocessor") return Text(v, j.printProcessor);
  if (k == "parameters") return Text(v, j.parameters);
  if (k == "statustext") return Text(v, j.statusText);
  if (k == "devmode") return Bytes(v, j.devmode, kMaxDevmodeBytes) && (j.devmode.empty() || ValidDevmodeBytes(j.devmode));
  if (k == "status") return Num(v, j.status);
  if (k == "priority") return Num(v, j.priority);
  if (k == "position") return Num(v, j.position);
  if (k == "starttime") return Num(v, j.startTime);
  if (k == "untiltime") return Num(v, j.untilTime);
  if (k == "totalpages") return Num(v, j.totalPages);
  if (k == "size") return Num(v, j.size);
  if (k == "time") return Num(v, j.time);
  if (k == "pagesprinted") return Num(v, j.pagesPrinted);
  if (k == "submitted") return ParseSystemTime(v, j.submitted);
  return true;
}

bool ParseDataLine(std::string_view line, DataValue& d) {
  auto parts = text::Split(line, '|');
  if (parts.size() != 4) return false;
  if (!Text(parts[0], d.key, kMaxKeyName) || d.key.empty()) return false;
  if (!Text(parts[1], d.name, kMaxValueName) || d.name.empty()) return false;
  return Num(parts[2], d.type) && Bytes(parts[3], d.bytes, kMaxValueBytes);
}

// Parses a printer file; null for anything malformed (a damaged file is not trusted).
std::shared_ptr<PrinterRecord> ParsePrinter(std::string_view all) {
  auto r = std::make_shared<PrinterRecord>();
  r->setup.attributes = 0;
  r->setup.portName.clear();
  r->setup.printProcessor.clear();
  r->setup.datatype.clear();
  enum class Section { None, Printer, Data, Job } section = Section::None;
  Lines lines(all);
  std::string_view line;
  while (lines.Next(line)) {
    if (line.empty() || line[0] == '#') continue;
    if (line.front() == '[') {
      if (line == "[printer]") {
        section = Section::Printer;
      } else if (line == "[data]") {
        section = Section::Data;
      } else if (line.size() > 6 && line.substr(0, 5) == "[job " && line.back() == ']') {
        DWORD id = 0;
        if (!Num(line.substr(5, line.size() - 6), id) || id == 0) return nullptr;
        for (const auto& j : r->jobs)
          if (j.id == id) return nullptr;
        JobSetup job;
        job.id = id;
        r->jobs.push_back(job);
        section = Section::Job;
      } else {
        return nullptr;
      }
      continue;
    }
    if (section == Section::Data) {
      DataValue d;
      if (!ParseDataLine(line, d) || FindValue(r->data, d.key, d.name)) return nullptr;
      r->data.push_back(std::move(d));
      continue;
    }
    std::string_view k, v;
    if (!KeyValue(line, k, v)) return nullptr;
    if (section == Section::Printer) {
      if (!ParsePrinterField(*r, k, v)) return nullptr;
    } else if (section == Section::Job) {
      if (!ParseJobField(r->jobs.back(), k, v)) return nullptr;
    } else {
      return nullptr;
    }
  }
  if (r->setup.name.empty() || r->setup.driver.name.empty()) return nullptr;
  return r;
}

// ---- driver records ----

std::string SerializeDriver(const DriverSetup& d) {
  std::string s = "# Kova spooler: driver record\n[driver]\n";
  auto text = [&](const char* k, const std::u16string& v) { s += std::string(k) + "=" + Escape(v) + "\n"; };
  text("name", d.name);
  s += "version=" + Number(d.version) + "\n";
  text("driverpath", d.driverPath);
  text("datafile", d.dataFile);
  text("configfile", d.configFile);
  text("helpfile", d.helpFile);
  for (const auto& f : d.dependentFiles) text("dependent", f);
  text("monitor", d.monitorName);
  text("defaultdatatype", d.defaultDataType);
  return s;
}

std::shared_ptr<DriverSetup> ParseDriver(std::string_view all) {
  auto d = std::make_shared<DriverSetup>();
  Lines lines(all);
  std::string_view line;
  bool inDriver = false;
  while (lines.Next(line)) {
    if (line.empty() || line[0] == '#') continue;
    if (line == "[driver]") {
      inDriver = true;
      continue;
    }
    std::string_view k, v;
    if (!inDriver || !KeyValue(line, k, v)) return nullptr;
    bool ok = true;
    if (k == "name") ok = Text(v, d->name);
    else if (k == "version") ok = Num(v, d->version);
    else if (k == "driverpath") ok = Text(v, d->driverPath, MAX_PATH);
    else if (k == "datafile") ok = Text(v, d->dataFile, MAX_PATH);
    else if (k == "configfile") ok = Text(v, d->configFile, MAX_PATH);
    else if (k == "helpfile") ok = Text(v, d->helpFile, MAX_PATH);
    else if (k == "dependent") {
      std::u16string f;
      ok = Text(v, f, MAX_PATH) && !f.empty();
      if (ok) d->dependentFiles.push_back(std::move(f));
    } else if (k == "monitor") ok = Text(v, d->monitorName);
    else if (k == "defaultdatatype") ok = Text(v, d->defaultDataType);
    if (!ok) return nullptr;
  }
  if (d->name.empty()) return nullptr;
  return d;
}

// ---- forms ----

std::string SerializeForms(const std::vector<FormSetup>& forms) {
  std::string s = "# Kova spooler: forms (name|flags|cx|cy|left|top|right|bottom, thousandths of a mm)\n";
  auto sn = [](LONG v) { return std::to_string(v); };
  for (const auto& f : forms)
    s += Escape(f.name) + "|" + Number(f.flags) + "|" + sn(f.cx) + "|" + sn(f.cy) + "|" + sn(f.left) + "|" + sn(f.top) + "|" +
         sn(f.right) + "|" + sn(f.bottom) + "\n";
  return s;
}

bool ParseLong(std::string_view v, LONG& out) {
  bool neg = !v.empty() && v[0] == '-';
  if (neg) v.remove_prefix(1);
  if (v.empty() || v.size() > 10) return false;
  std::int64_t n = 0;
  for (char c : v) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
  }
  if (neg) n = -n;
  if (n < INT32_MIN || n > INT32_MAX) return false;
  out = static_cast<LONG>(n);
  return true;
}

std::optional<std::vector<FormSetup>> ParseForms(std::string_view all) {
  std::vector<FormSetup> forms;
  Lines lines(all);
  std::string_view line;
  while (lines.Next(line)) {
    if (line.empty() || line[0] == '#') continue;
    auto parts = text::Split(line, '|');
    if (parts.size() != 8) return std::nullopt;
    FormSetup f;
    if (!Text(parts[0], f.name, CCHFORMNAME - 1) || f.name.empty() || !Num(parts[1], f.flags) || !ParseLong(parts[2], f.cx) ||
        !ParseLong(parts[3], f.cy) || !ParseLong(parts[4], f.left) || !ParseLong(parts[5], f.top) ||
        !ParseLong(parts[6], f.right) || !ParseLong(parts[7], f.bottom))
      return std::nullopt;
    forms.push_back(std::move(f));
  }
  return forms;
}

// ---- the per-process view of the store ----
//
// Each process keeps the records it parsed, and the list of printer files, for as long
// as the spooler's change counter stays where it was when they were read: every writer of
// any process bumps it under the store lock after replacing a file. A warm call therefore
// makes no system call; the first call after a change reads the files it needs again.

struct View {
  std::mutex lock;
  changes::Mark mark = changes::kNeverRead;
  std::map<std::string, std::shared_ptr<const PrinterRecord>> printers;  // by path; null: no such file
  std::map<std::string, std::shared_ptr<const DriverSetup>> drivers;
  std::optional<std::vector<std::string>> printerFiles;
  std::optional<std::vector<FormSetup>> forms;
  // The store files of the names asked for lately, so that a warm lookup builds no path.
  std::map<std::u16string, std::string, std::less<>> printerPaths;
  std::map<std::u16string, std::string, std::less<>> driverPaths;
};

// The file of a name through the view's list of paths. Caller holds v.lock.
const std::string& PathOf(std::map<std::u16string, std::string, std::less<>>& paths, std::u16string_view name,
                          std::string (*file)(std::u16string_view)) {
  if (auto it = paths.find(name); it != paths.end()) return it->second;
  constexpr std::size_t kMaxPaths = 256;
  if (paths.size() >= kMaxPaths) paths.clear();
  return paths.emplace(std::u16string(name), file(name)).first->second;
}

View& view() {
  static View* v = new View;  // used until the process ends
  return *v;
}

// Brings the view up to the current counter. Caller holds v.lock.
void Follow(View& v) {
  const changes::Mark now = changes::Current(changes::Store::Spooler);
  if (now == v.mark) return;
  v.mark = now;  // taken before any read: a write meanwhile shows as a newer mark
  v.printers.clear();
  v.drivers.clear();
  v.printerFiles.reset();
  v.forms.reset();
  // The paths live in the root's store folder: a new root is a new mark as well.
  v.printerPaths.clear();
  v.driverPaths.clear();
}

template <class T, class Parse>
std::shared_ptr<const T> LoadCached(std::map<std::string, std::shared_ptr<const T>>& cache, const std::string& path,
                                    Parse parse) {
  auto it = cache.find(path);
  if (it != cache.end()) return it->second;
  auto bytes = text::ReadWholeFile(path);  // a file is replaced by rename: this is one whole version
  std::shared_ptr<const T> value = bytes ? parse(*bytes) : nullptr;
  cache.emplace(path, value);
  return value;
}

std::shared_ptr<const PrinterRecord> LoadPrinterFile(View& v, const std::string& path) {
  return LoadCached(v.printers, path, [](const std::string& b) { return ParsePrinter(b); });
}

// After a write under the store lock: marks the store changed for every process.
void NoteWrite() {
  changes::Bump(changes::Store::Spooler);
}

}  // namespace

namespace store {

std::shared_ptr<const PrinterRecord> LoadPrinter(std::u16string_view name) {
  if (name.empty() || name.size() > kMaxPrinterName) return nullptr;
  View& v = view();
  std::lock_guard<std::mutex> g(v.lock);
  Follow(v);
  auto r = LoadPrinterFile(v, PathOf(v.printerPaths, name, PrinterFile));
  if (r && !EqualNoCase(r->setup.name, name)) return nullptr;  // a different name with the same hash
  return r;
}

std::vector<std::shared_ptr<const PrinterRecord>> LoadAllPrinters() {
  std::vector<std::shared_ptr<const PrinterRecord>> all;
  View& v = view();
  std::lock_guard<std::mutex> g(v.lock);
  Follow(v);
  if (!v.printerFiles) {
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(PrintersDir(), ec))
      if (entry.path().extension() == ".txt") files.push_back(entry.path().string());
    v.printerFiles = std::move(files);
  }
  for (const std::string& path : *v.printerFiles) {
    auto r = LoadPrinterFile(v, path);
    if (r && PrinterFile(r->setup.name) == path) all.push_back(r);
  }
  std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return CompareNoCase(a->setup.name, b->setup.name) < 0; });
  return all;
}

DWORD UpdatePrinter(std::u16string_view name, const std::function<DWORD(PrinterRecord&)>& change) {
  if (name.empty() || name.size() > kMaxPrinterName) return ERROR_INVALID_PRINTER_NAME;
  text::StoreLock lock;
  if (!lock.Held()) return ERROR_CANTWRITE;
  const std::string path = PrinterFile(name);
  auto bytes = text::ReadWholeFile(path);
  if (!bytes) return ERROR_INVALID_PRINTER_NAME;
  auto record = ParsePrinter(*bytes);
  if (!record || !EqualNoCase(record->setup.name, name)) return ERROR_INVALID_PRINTER_NAME;
  DWORD rc = change(*record);
  if (rc != ERROR_SUCCESS) return rc;
  rc = text::ReplaceFile(path, SerializePrinter(*record));
  NoteWrite();
  return rc;
}

DWORD WritePrinter(const PrinterRecord& record) {
  text::StoreLock lock;
  if (!lock.Held()) return ERROR_CANTWRITE;
  EnsureDir(PrintersDir());
  const std::string path = PrinterFile(record.setup.name);
  DWORD rc = text::ReplaceFile(path, SerializePrinter(record));
  NoteWrite();
  return rc;
}

DWORD DeletePrinter(std::u16string_view name) {
  if (!LoadPrinter(name)) return ERROR_INVALID_PRINTER_NAME;
  text::StoreLock lock;
  const std::string path = PrinterFile(name);
  std::error_code ec;
  bool removed = fs::remove(path, ec);
  NoteWrite();
  return removed ? ERROR_SUCCESS : ERROR_INVALID_PRINTER_NAME;
}

std::shared_ptr<const DriverSetup> LoadDriver(std::u16string_view name) {
  if (name.empty()) return nullptr;
  View& v = view();
  std::lock_guard<std::mutex> g(v.lock);
  Follow(v);
  auto d = LoadCached(v.drivers, PathOf(v.driverPaths, name, DriverFile),
                      [](const std::string& b) { return ParseDriver(b); });
  if (d && !EqualNoCase(d->name, name)) return nullptr;
  return d;
}

DWORD WriteDriver(const DriverSetup& driver) {
  text::StoreLock lock;
  if (!lock.Held()) return ERROR_CANTWRITE;
  EnsureDir(DriversDir());
  const std::string path = DriverFile(driver.name);
  DWORD rc = text::ReplaceFile(path, SerializeDriver(driver));
  NoteWrite();
  return rc;
}

std::vector<FormSetup> LoadForms() {
  View& v = view();
  std::lock_guard<std::mutex> g(v.lock);
  Follow(v);
  if (!v.forms) {
    auto bytes = text::ReadWholeFile(FormsFile());
    std::optional<std::vector<FormSetup>> forms;
    if (bytes) forms = ParseForms(*bytes);
    v.forms = forms ? std::move(*forms) : DefaultForms();
  }
  return *v.forms;
}

DWORD WriteForms(const std::vector<FormSetup>& forms) {
  text::StoreLock lock;
  if (!lock.Held()) return ERROR_CANTWRITE;
  DWORD rc = text::ReplaceFile(FormsFile(), SerializeForms(forms));
  NoteWrite();
  return rc;
}

}  // namespace store

// ---- helpers shared by the calls ----

const DataValue* FindValue(const std::vector<DataValue>& values, std::u16string_view key, std::u16string_view name) {
  for (const auto& v : values)
    if (EqualNoCase(v.key, key) && EqualNoCase(v.name, name)) return &v;
  return nullptr;
}

std::u16string ServerPartOf(const std::u16string& fullName) {
  if (fullName.size() < 3 || fullName[0] != u'\\' || fullName[1] != u'\\') return {};
  std::size_t p = fullName.find(u'\\', 2);
  if (p == std::u16string::npos) return {};
  return fullName.substr(0, p);
}

std::u16string PrinterPartOf(const std::u16string& fullName) {
  std::u16string server = ServerPartOf(fullName);
  return server.empty() ? fullName : fullName.substr(server.size() + 1);
}

std::vector<DataValue> BuildDsSpoolerValues(const PrinterRecord& record) {
  const PrinterSetup& p = record.setup;
  std::u16string server = p.serverName.size() > 2 ? p.serverName.substr(2) : Machine().computerName;
  std::u16string shortServer = server.substr(0, server.find(u'.'));
  std::u16string printer = PrinterPartOf(p.name);
  std::vector<DataValue> v;
  auto sz = [&](const char16_t* name, std::u16string_view value) {
    DataValue d = StringValue(name, value);
    d.key = u"DsSpooler";
    v.push_back(std::move(d));
  };
  sz(u"printerName", printer);
  sz(u"serverName", server);
  sz(u"shortServerName", shortServer);
  sz(u"uNCName", u"\\\\" + server + u"\\" + (p.shareName.empty() ? printer : p.shareName));
  sz(u"driverName", p.driver.name);
  sz(u"description", p.comment);
  sz(u"location", p.location);
  if (!p.shareName.empty()) sz(u"printShareName", p.shareName);
  DataValue port;
  port.key = u"DsSpooler";
  port.name = u"portName";
  port.type = kRegMultiSz;
  port.bytes = StringBytes(p.portName);
  port.bytes.push_back(0);
  port.bytes.push_back(0);
  v.push_back(std::move(port));
  DataValue version = DwordValue(u"versionNumber", 4);
  version.key = u"DsSpooler";
  v.push_back(std::move(version));
  return v;
}

bool ValidDevmodeBytes(const std::vector<BYTE>& bytes) {
  if (bytes.size() < offsetof(DEVMODEW, dmFields) + sizeof(DWORD)) return false;
  WORD size = static_cast<WORD>(bytes[68] | (bytes[69] << 8));
  WORD extra = static_cast<WORD>(bytes[70] | (bytes[71] << 8));
  return size >= offsetof(DEVMODEW, dmFields) + sizeof(DWORD) && static_cast<std::size_t>(size) + extra == bytes.size();
}

bool CopyDevmode(const void* devmode, std::vector<BYTE>& out) {
  if (!devmode) return false;
  const auto* dm = static_cast<const DEVMODEW*>(devmode);
  std::size_t size = dm->dmSize, extra = dm->dmDriverExtra;
  if (size < offsetof(DEVMODEW, dmFields) + sizeof(DWORD) || size > sizeof(DEVMODEW) + 0x1000) return false;
  const BYTE* b = static_cast<const BYTE*>(devmode);
  out.assign(b, b + size + extra);
  return true;
}

std::u16string DriverFolder3() { return PrinterDriverDirectory() + u"\\3"; }

}  // namespace plat::spooler
