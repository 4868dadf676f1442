// The spooler's records on disk: one text file per printer (record, printer data, jobs,
// the level-7 record), one per driver, and the form list, all in
// plat::StoreFolder("spooler"). Readers take a file's parsed form from a per-process
// cache that is refreshed whenever the file was replaced (another process wrote it);
// writers read, change and replace a file under a lock shared by all processes.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "plat/spooler_setup.h"
#include "win/types.h"

namespace plat::spooler {

struct PrinterRecord {
  PrinterSetup setup;  // setup.driver holds only the driver's name
  std::vector<BYTE> userDevmode;
  std::vector<DataValue> data;
  Level7Record level7;
  std::vector<JobSetup> jobs;
  DWORD nextJobId = 1;
};

// Longest printer name (characters), key name and value name of printer data, and the
// largest value, device-mode and string the store accepts.
constexpr std::size_t kMaxPrinterName = 220;
constexpr std::size_t kMaxKeyName = 255;
constexpr std::size_t kMaxValueName = 16383;
constexpr std::size_t kMaxValueBytes = 1u << 20;
constexpr std::size_t kMaxDevmodeBytes = 0x10000 + 0x1000;
constexpr std::size_t kMaxText = 32767;

namespace store {

// The record of a printer (name matched without regard to case), or null.
std::shared_ptr<const PrinterRecord> LoadPrinter(std::u16string_view name);
std::vector<std::shared_ptr<const PrinterRecord>> LoadAllPrinters();
// Reads the printer fresh under the store lock, lets change() edit it and, when change
// answers ERROR_SUCCESS, replaces the file. ERROR_INVALID_PRINTER_NAME when unknown.
DWORD UpdatePrinter(std::u16string_view name, const std::function<DWORD(PrinterRecord&)>& change);
// Writes a whole printer record (install), replacing any printer of the same name.
DWORD WritePrinter(const PrinterRecord& record);
DWORD DeletePrinter(std::u16string_view name);

std::shared_ptr<const DriverSetup> LoadDriver(std::u16string_view name);
DWORD WriteDriver(const DriverSetup& driver);

std::vector<FormSetup> LoadForms();
DWORD WriteForms(const std::vector<FormSetup>& forms);

}  // namespace store

// Helpers shared by the spooler calls.
const DataValue* FindValue(const std::vector<DataValue>& values, std::u16string_view key, std::u16string_view name);
// The "DsSpooler" values the spooler builds from a printer's record.
std::vector<DataValue> BuildDsSpoolerValues(const PrinterRecord& record);
// The printer part and the server part ("\\SERVER" or empty) of a full printer name.
std::u16string PrinterPartOf(const std::u16string& fullName);
std::u16string ServerPartOf(const std::u16string& fullName);
// A device-mode given by pointer: dmSize + dmDriverExtra bytes, after checking the sizes.
bool CopyDevmode(const void* devmode, std::vector<BYTE>& out);
// Checks a device-mode held as bytes (its sizes match its length).
bool ValidDevmodeBytes(const std::vector<BYTE>& bytes);
std::u16string DriverFolder3();  // PrinterDriverDirectory() + "\3"

}  // namespace plat::spooler
