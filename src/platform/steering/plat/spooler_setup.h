// Setting up the spooler of a system root: printers, their driver records, printer data,
// jobs and forms. This is the platform's own interface (not Win32); the host's install
// command and the tests use it, and the driver sees the result through OpenPrinterW,
// GetPrinterW, GetPrinterDriverW, GetPrinterDataW and the other spooler calls.
//
// The records live as text files in plat::StoreFolder("spooler"), each written whole to a
// temporary file and renamed into place under a lock shared by all processes, and read
// again whenever another process has replaced them.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include <optional>
#include <string>
#include <vector>

#include "win/types.h"

namespace plat::spooler {

// Registry value types used by printer data.
constexpr DWORD kRegNone = 0;
constexpr DWORD kRegSz = 1;
constexpr DWORD kRegExpandSz = 2;
constexpr DWORD kRegBinary = 3;
constexpr DWORD kRegDword = 4;
constexpr DWORD kRegMultiSz = 7;

// One printer-data value: its key ("PrinterDriverData" for GetPrinterDataW), name, type
// and exact bytes.
struct DataValue {
  std::u16string key = u"PrinterDriverData";
  std::u16string name;
  DWORD type = kRegBinary;
  std::vector<BYTE> bytes;
};
// REG_SZ bytes of a text with its terminating NUL (2 x (length + 1) bytes).
std::vector<BYTE> StringBytes(std::u16string_view text);
// REG_DWORD bytes (little-endian).
std::vector<BYTE> DwordBytes(DWORD value);
DataValue StringValue(std::u16string name, std::u16string_view text);
DataValue DwordValue(std::u16string name, DWORD value);
DataValue BinaryValue(std::u16string name, std::vector<BYTE> bytes);

// A driver record. Paths are Windows paths; a bare file name stands for that file in the
// driver folder (plat::PrinterDriverDirectory() + "\3\").
struct DriverSetup {
  std::u16string name;
  DWORD version = 3;
  std::u16string driverPath;
  std::u16string dataFile;
  std::u16string configFile;
  std::u16string helpFile;
  std::vector<std::u16string> dependentFiles;
  std::u16string monitorName;
  std::u16string defaultDataType;
};

struct PrinterSetup {
  // The printer's name. With serverName set (a connection, "\\SERVER") a name without the
  // server in front becomes "\\SERVER\name".
  std::u16string name;
  std::u16string serverName;
  std::u16string shareName;
  std::u16string portName = u"FILE:";
  std::u16string comment;
  std::u16string location;
  std::u16string sepFile;
  std::u16string printProcessor = u"winprint";
  std::u16string datatype = u"RAW";
  std::u16string parameters;
  // PRINTER_ATTRIBUTE_LOCAL is used for a local printer when 0 is given; a connection gets
  // PRINTER_ATTRIBUTE_NETWORK added.
  DWORD attributes = 0;
  DWORD priority = 1;
  DWORD defaultPriority = 0;
  DWORD startTime = 0;
  DWORD untilTime = 0;
  DWORD status = 0;
  // Public and private device-mode (dmSize + dmDriverExtra bytes), or empty for none.
  std::vector<BYTE> devmode;
  DriverSetup driver;
  // Initial printer data; values of the key "DsSpooler" stand in front of the values the
  // spooler builds for that key from the printer's record.
  std::vector<DataValue> data;
};

// Installs (or replaces) a printer and its driver record. Answers ERROR_SUCCESS,
// ERROR_INVALID_PRINTER_NAME (empty, longer than 220 characters, or ',' '!' '\\' in the printer
// part of the name), ERROR_INVALID_PARAMETER (a device-mode whose sizes do not match its
// length, a bad data value), ERROR_UNKNOWN_PRINTER_DRIVER (no driver name), or a file error.
DWORD InstallPrinter(const PrinterSetup& setup);
// Removes a printer with its data and jobs (its driver record stays). ERROR_INVALID_PRINTER_NAME
// when unknown.
DWORD RemovePrinter(std::u16string_view name);
// Names of every installed printer, sorted without regard to case.
std::vector<std::u16string> ListPrinters();

// Everything the store holds about one printer, for the host's listing and for tests.
struct PrinterSnapshot {
  PrinterSetup printer;                   // driver member filled from the driver record
  bool driverFound = false;
  std::vector<DataValue> data;            // stored values, in the order they were first set
  std::vector<BYTE> userDevmode;          // SetPrinterW level 9
  std::vector<DataValue> dsSpoolerValues; // the built "DsSpooler" values
};
std::optional<PrinterSnapshot> ReadPrinter(std::u16string_view name);

// The printer name behind an open printer handle (empty for a server handle); nothing for
// a handle that is not a printer handle.
std::optional<std::u16string> PrinterNameOf(HANDLE printer);

// What SetPrinterW level 7 recorded for a printer.
struct Level7Record {
  DWORD calls = 0;          // number of SetPrinterW level 7 calls that succeeded
  DWORD action = 0;         // dwAction of the last one
  bool hasGuid = false;     // pszObjectGUID of the last one was not null
  std::u16string guid;
};
std::optional<Level7Record> ReadLevel7(std::u16string_view printerName);

// A print job (GetJobW). Id 0 takes the next free id; the answer is the job's id, or 0
// when the printer is unknown or the id is taken.
struct JobSetup {
  DWORD id = 0;
  std::u16string machineName = u"\\\\KOVAHOST";
  std::u16string userName = u"KovaUser";
  std::u16string document = u"Document";
  std::u16string notifyName = u"KovaUser";
  std::u16string datatype = u"RAW";
  std::u16string printProcessor = u"winprint";
  std::u16string parameters;
  std::u16string statusText;
  std::vector<BYTE> devmode;  // empty: none
  DWORD status = 0;
  DWORD priority = 1;
  DWORD position = 1;
  DWORD startTime = 0;
  DWORD untilTime = 0;
  DWORD totalPages = 0;
  DWORD size = 0;
  DWORD time = 0;
  DWORD pagesPrinted = 0;
  SYSTEMTIME submitted{};
};
DWORD AddJob(std::u16string_view printerName, const JobSetup& job);
// Removes one job; false when it was not there.
bool RemoveJob(std::u16string_view printerName, DWORD jobId);

// Forms (EnumFormsW). Sizes and imageable areas in thousandths of a millimetre.
struct FormSetup {
  std::u16string name;
  DWORD flags = 1;  // FORM_BUILTIN
  LONG cx = 0, cy = 0;
  LONG left = 0, top = 0, right = 0, bottom = 0;
};
// The spooler's built-in forms in paper-size order (Letter = index 0, ..., A4 = index 8).
const std::vector<FormSetup>& DefaultForms();
// The forms of this root: the default list until SetForms replaces it.
std::vector<FormSetup> ListForms();
DWORD SetForms(const std::vector<FormSetup>& forms);

// How many RevertToPrinterSelf calls of the calling thread are not yet taken back by
// ImpersonatePrinterClient.
int RevertedDepth();

}  // namespace plat::spooler

#pragma GCC visibility pop
