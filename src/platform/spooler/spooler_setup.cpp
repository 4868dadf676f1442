// The set-up side of the spooler: installing and removing printers, jobs and forms.
#include "plat/spooler_setup.h"

#include "plat/wstr.h"
#include "spooler_store.h"
#include "win/errors.h"
#include "win/spool.h"

namespace plat::spooler {
namespace {

bool BadPrinterChar(WCHAR c) { return c == u',' || c == u'!' || c == u'\\' || c < 0x20; }

// Splits and checks a printer name and its server: "\\SERVER\Printer", or a bare name
// with an optional "\\SERVER" beside it.
DWORD NormaliseNames(const PrinterSetup& in, std::u16string& fullName, std::u16string& server) {
  server = in.serverName;
  std::u16string name = in.name;
  if (name.rfind(u"\\\\", 0) == 0) {
    std::u16string fromName = ServerPartOf(name);
    if (fromName.empty()) return ERROR_INVALID_PRINTER_NAME;
    if (!server.empty() && !EqualNoCase(server, fromName)) return ERROR_INVALID_PRINTER_NAME;
    server = fromName;
    fullName = name;
  } else if (!server.empty()) {
    fullName = server + u"\\" + name;
  } else {
    fullName = name;
  }
  if (!server.empty()) {
    if (server.size() < 3 || server.rfind(u"\\\\", 0) != 0) return ERROR_INVALID_PRINTER_NAME;
    for (std::size_t i = 2; i < server.size(); ++i)
      if (BadPrinterChar(server[i])) return ERROR_INVALID_PRINTER_NAME;
  }
  std::u16string printer = PrinterPartOf(fullName);
  if (printer.empty() || fullName.size() > kMaxPrinterName) return ERROR_INVALID_PRINTER_NAME;
  for (WCHAR c : printer)
    if (BadPrinterChar(c)) return ERROR_INVALID_PRINTER_NAME;
  return ERROR_SUCCESS;
}

std::u16string InDriverFolder(const std::u16string& path) {
  if (path.empty() || path.find(u'\\') != std::u16string::npos || path.find(u':') != std::u16string::npos) return path;
  return DriverFolder3() + u"\\" + path;
}

bool ValidValue(const DataValue& v) {
  return !v.key.empty() && v.key.size() <= kMaxKeyName && !v.name.empty() && v.name.size() <= kMaxValueName &&
         v.bytes.size() <= kMaxValueBytes;
}

}  // namespace

std::vector<BYTE> StringBytes(std::u16string_view text) {
  std::vector<BYTE> b;
  b.reserve(2 * (text.size() + 1));
  for (WCHAR c : text) {
    b.push_back(static_cast<BYTE>(c & 0xFF));
    b.push_back(static_cast<BYTE>(c >> 8));
  }
  b.push_back(0);
  b.push_back(0);
  return b;
}

std::vector<BYTE> DwordBytes(DWORD value) {
  return {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
          static_cast<BYTE>(value >> 24)};
}

DataValue StringValue(std::u16string name, std::u16string_view text) {
  DataValue v;
  v.name = std::move(name);
  v.type = kRegSz;
  v.bytes = StringBytes(text);
  return v;
}

DataValue DwordValue(std::u16string name, DWORD value) {
  DataValue v;
  v.name = std::move(name);
  v.type = kRegDword;
  v.bytes = DwordBytes(value);
  return v;
}

DataValue BinaryValue(std::u16string name, std::vector<BYTE> bytes) {
  DataValue v;
  v.name = std::move(name);
  v.type = kRegBinary;
  v.bytes = std::move(bytes);
  return v;
}

DWORD InstallPrinter(const PrinterSetup& setup) {
  PrinterRecord record;
  record.setup = setup;
  DWORD rc = NormaliseNames(setup, record.setup.name, record.setup.serverName);
  if (rc != ERROR_SUCCESS) return rc;
  const bool connection = !record.setup.serverName.empty();
  if (record.setup.attributes == 0) record.setup.attributes = connection ? PRINTER_ATTRIBUTE_NETWORK : PRINTER_ATTRIBUTE_LOCAL;
  if (connection) record.setup.attributes |= PRINTER_ATTRIBUTE_NETWORK;
  if (!setup.devmode.empty() && !ValidDevmodeBytes(setup.devmode)) return ERROR_INVALID_PARAMETER;
  if (setup.driver.name.empty()) return ERROR_UNKNOWN_PRINTER_DRIVER;
  record.data.clear();
  for (const auto& v : setup.data) {
    if (!ValidValue(v)) return ERROR_INVALID_PARAMETER;
    bool replaced = false;
    for (auto& old : record.data) {
      if (EqualNoCase(old.key, v.key) && EqualNoCase(old.name, v.name)) {
        old = v;
        replaced = true;
      }
    }
    if (!replaced) record.data.push_back(v);
  }

  DriverSetup driver = setup.driver;
  driver.driverPath = InDriverFolder(driver.driverPath);
  driver.dataFile = InDriverFolder(driver.dataFile);
  driver.configFile = InDriverFolder(driver.configFile);
  driver.helpFile = InDriverFolder(driver.helpFile);
  for (auto& f : driver.dependentFiles) f = InDriverFolder(f);
  for (const auto* p : {&driver.driverPath, &driver.dataFile, &driver.configFile, &driver.helpFile})
    if (p->size() >= MAX_PATH) return ERROR_FILENAME_EXCED_RANGE;
  for (const auto& f : driver.dependentFiles)
    if (f.empty() || f.size() >= MAX_PATH) return ERROR_INVALID_PARAMETER;

  record.setup.driver = DriverSetup{};
  record.setup.driver.name = setup.driver.name;
  rc = store::WriteDriver(driver);
  if (rc != ERROR_SUCCESS) return rc;
  // A printer installed again under another spelling of its name replaces the old one.
  if (auto old = store::LoadPrinter(record.setup.name); old && old->setup.name != record.setup.name)
    store::DeletePrinter(old->setup.name);
  return store::WritePrinter(record);
}

DWORD RemovePrinter(std::u16string_view name) { return store::DeletePrinter(name); }

std::vector<std::u16string> ListPrinters() {
  std::vector<std::u16string> names;
  for (const auto& r : store::LoadAllPrinters()) names.push_back(r->setup.name);
  return names;
}

std::optional<PrinterSnapshot> ReadPrinter(std::u16string_view name) {
  auto r = store::LoadPrinter(name);
  if (!r) return std::nullopt;
  PrinterSnapshot s;
  s.printer = r->setup;
  if (auto d = store::LoadDriver(r->setup.driver.name)) {
    s.printer.driver = *d;
    s.driverFound = true;
  }
  s.printer.data = r->data;
  s.data = r->data;
  s.userDevmode = r->userDevmode;
  s.dsSpoolerValues = BuildDsSpoolerValues(*r);
  return s;
}

std::optional<Level7Record> ReadLevel7(std::u16string_view printerName) {
  auto r = store::LoadPrinter(printerName);
  if (!r) return std::nullopt;
  return r->level7;
}

DWORD AddJob(std::u16string_view printerName, const JobSetup& job) {
  if (!job.devmode.empty() && !ValidDevmodeBytes(job.devmode)) return 0;
  DWORD id = 0;
  DWORD rc = store::UpdatePrinter(printerName, [&](PrinterRecord& r) -> DWORD {
    id = job.id;
    if (id == 0) {
      id = r.nextJobId;
      for (bool taken = true; taken;) {
        taken = false;
        for (const auto& j : r.jobs)
          if (j.id == id) taken = true;
        if (taken) ++id;
      }
    }
    if (id == 0) return ERROR_INVALID_PARAMETER;
    for (const auto& j : r.jobs)
      if (j.id == id) return ERROR_INVALID_PARAMETER;
    JobSetup added = job;
    added.id = id;
    r.jobs.push_back(added);
    if (id >= r.nextJobId) r.nextJobId = id + 1;
    return ERROR_SUCCESS;
  });
  return rc == ERROR_SUCCESS ? id : 0;
}

bool RemoveJob(std::u16string_view printerName, DWORD jobId) {
  DWORD rc = store::UpdatePrinter(printerName, [&](PrinterRecord& r) -> DWORD {
    for (auto it = r.jobs.begin(); it != r.jobs.end(); ++it) {
      if (it->id == jobId) {
        r.jobs.erase(it);
        return ERROR_SUCCESS;
      }
    }
    return ERROR_INVALID_PARAMETER;
  });
  return rc == ERROR_SUCCESS;
}

const std::vector<FormSetup>& DefaultForms() {
  // The spooler's built-in forms, in the order of the paper sizes (DMPAPER_LETTER = 1 ...),
  // with their sizes in thousandths of a millimetre; the imageable area is the whole sheet.
  static const std::vector<FormSetup> forms = [] {
    struct Row {
      const char16_t* name;
      LONG cx, cy;
    };
    static const Row rows[] = {
        {u"Letter", 215900, 279400},
        {u"Letter Small", 215900, 279400},
        {u"Tabloid", 279400, 431800},
        {u"Ledger", 431800, 279400},
        {u"Legal", 215900, 355600},
        {u"Statement", 139700, 215900},
        {u"Executive", 184150, 266700},
        {u"A3", 297000, 420000},
        {u"A4", 210000, 297000},
        {u"A4 Small", 210000, 297000},
        {u"A5", 148000, 210000},
        {u"B4 (JIS)", 257000, 364000},
        {u"B5 (JIS)", 182000, 257000},
        {u"Folio", 215900, 330200},
        {u"Quarto", 215000, 275000},
        {u"10x14", 254000, 355600},
        {u"11x17", 279400, 431800},
        {u"Note", 215900, 279400},
        {u"Envelope #9", 98425, 225425},
        {u"Envelope #10", 104775, 241300},
        {u"Envelope #11", 114300, 263525},
        {u"Envelope #12", 120650, 279400},
        {u"Envelope #14", 127000, 292100},
        {u"C size sheet", 431800, 558800},
        {u"D size sheet", 558800, 863600},
        {u"E size sheet", 863600, 1117600},
        {u"Envelope DL", 110000, 220000},
        {u"Envelope C5", 162000, 229000},
        {u"Envelope C3", 324000, 458000},
        {u"Envelope C4", 229000, 324000},
        {u"Envelope C6", 114000, 162000},
        {u"Envelope C65", 114000, 229000},
        {u"Envelope B4", 250000, 353000},
        {u"Envelope B5", 176000, 250000},
        {u"Envelope B6", 176000, 125000},
        {u"Envelope", 110000, 230000},
        {u"Envelope Monarch", 98425, 190500},
        {u"6 3/4 Envelope", 92075, 165100},
        {u"US Std Fanfold", 377825, 279400},
        {u"German Std Fanfold", 215900, 304800},
        {u"German Legal Fanfold", 215900, 330200},
    };
    std::vector<FormSetup> v;
    for (const auto& r : rows) {
      FormSetup f;
      f.name = r.name;
      f.flags = FORM_BUILTIN;
      f.cx = r.cx;
      f.cy = r.cy;
      f.right = r.cx;
      f.bottom = r.cy;
      v.push_back(std::move(f));
    }
    return v;
  }();
  return forms;
}

std::vector<FormSetup> ListForms() { return store::LoadForms(); }

DWORD SetForms(const std::vector<FormSetup>& forms) {
  for (const auto& f : forms)
    if (f.name.empty() || f.name.size() >= CCHFORMNAME) return ERROR_INVALID_FORM_NAME;
  return store::WriteForms(forms);
}

}  // namespace plat::spooler
