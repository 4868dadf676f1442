// The per-call driver context and its work area.
//
// PENDING: the context issue completes both records (the field and page table copies,
// the snapshot ring, the module list, the spooler record copies and the rest of the work
// area) together with CreateContext and the context cache; until then they carry the
// members that the code built so far reads.
#pragma once

#include <cstdint>

#include "context/dictionary_pages.h"
#include "context/settings_field.h"
#include "win/spool.h"
#include "win/types.h"

struct ModelImage;
struct ProductRecord;
struct ControlNameTable;
struct ValueNameTable;
struct MessageTable;

// Caller kinds (WorkArea::kind).
constexpr DWORD CTXK_INTERFACE = 0x80000000u;
constexpr DWORD CTXK_DEVICE_CAPS = 0x1000000u;
constexpr DWORD CTXK_DOCUMENT_PROPERTIES = 0x2000000u;
constexpr DWORD CTXK_RENDERING = 0x20000000u;
constexpr DWORD CTXK_RENDERING_JOB = 0x20000u;
constexpr DWORD CTXK_COMMAND_API = 0x100000u;
constexpr DWORD CTXK_ITEM_API = 0x200000u;
constexpr DWORD CTXK_INSTALLING = 0x40000u;

// Creation flags.
constexpr WORD CTXF_NO_MUTEX = 0x100;
constexpr WORD CTXF_NO_ADMIN_TEST = 0x200;
constexpr WORD CTXF_LOAD_DEVICE_SETTINGS = 0x400;
constexpr WORD CTXF_ALLOW_CACHED = 0x800;
constexpr WORD CTXF_ANY_HANDLE = 0x1000;

struct WorkArea {
  WCHAR userIniPath[260];
  DWORD docPropMode;
  std::int32_t dirty;
  WORD mode;
  WCHAR languageCode[32];
  WCHAR modelName[32];
  WCHAR scratchText[1025];
  WCHAR printerName[261];
  WCHAR savedPrinterName[261];
  DWORD changeFlags;
  WCHAR secondIniPath[261];
  WCHAR driverDirectory[261];
  WCHAR systemIniPath[261];
  WCHAR installIniPath[261];
  // Each built path has a buffer of its own, so that the driver directory above is never
  // overwritten by a help or resource path.
  WCHAR helpFilePath[261];
  WCHAR uiResourcePath[261];
  WCHAR neutralResourcePath[261];
  DWORD mergeFlags;
  WORD defaultLanguage;          // display language for a first run
  WORD defaultPaper;             // 1 Letter, 9 A4
  WORD defaultUnit;              // 1 inch, 0 millimetre
  WORD localeCountry;            // 1, 2, 5 or 0
  std::int32_t useMutex;
  std::int32_t adminTest;
  DWORD kind;
  DWORD snapshotChangeFlags[3];  // change flags saved with each snapshot slot
  std::int32_t settingsFileStatus;
  BYTE* savedSettings;           // change-detection copy of the settings buffer
  void* chapterEntries;          // the chapter module's entry array, or null
  std::int32_t chapterDataLoaded;  // 1 once the chapter module has loaded its device data
  DWORD chapterCapacity;         // entries the chapter array was made with
  BYTE* lockDefaults;            // settings-buffer copy of "LockDefaultData", or null
  DWORD specialModelMask;
  std::int32_t connectionState;  // 0 not yet determined, 1 a connection, 2 local
  std::int32_t attributesKnown;  // 1 once attributes holds the printer's attributes
  DWORD attributes;              // PRINTER_INFO_2 Attributes
  DRIVER_INFO_3W* driverInfo;    // the context's copy of the caller's DRIVER_INFO_3, or null
  PRINTER_INFO_2W* printerInfo;  // the context's copy of the caller's PRINTER_INFO_2, or null
  WCHAR rawPrinterName[261];     // pPrinterName as the spooler gives it
  WCHAR serverPrinterName[261];  // the name rebuilt from a "\\CSR|" printer name
};

struct DriverContext {
  HANDLE hPrinter;
  HANDLE hPrinter2;
  WORD pageId;
  FieldTable fields;                        // own copy of the settings field table
  PageTable pages;                          // own copy of the page and control tables
  const ControlNameTable* controlNames;     // shared
  const ValueNameTable* valueNames;         // shared
  const ValueNameTable* stringIds;          // shared
  const MessageTable* messages;             // shared
  ProductRecord* product;
  BYTE* settings;
  const ModelImage* model;
  WorkArea* work;
  HMODULE uiModule;
  HMODULE neutralModule;
};
