// The item API's frame: the API versions and the availability bitmaps of the process, the
// maximum ids per version, the row lookups, the per-handle state with its last error, and
// the bodies of the exports that open, set up and close a handle.
#pragma once

#include <cstddef>
#include <cstdint>

#include "item_tables.h"
#include "win/types.h"

struct DriverContext;

// The versions this build knows.
constexpr std::int32_t kApiVersionMax = 16;
constexpr std::int32_t kApiVersionInitial = 3;

// Process-wide state of the item API, in the module's data and never freed.
struct ApiGlobals {
  BYTE capabilityAvailability[64];  // bit of id n: 0x80 >> ((n - 1) % 8) of byte (n - 1) / 8
  BYTE statusAvailability[64];
  std::int32_t currentVersion;
  std::int32_t maximumVersion;
};
ApiGlobals& GetApiGlobals();
// Back to the state of a freshly loaded module, no capability record handed out (for tests;
// the module itself never resets it).
void ResetApiGlobals();

// One per item-API handle, hung on the context's work area.
struct ApiState {
  BYTE* itemStates;          // 64-byte slot per status id, filled by the status engine
  BYTE* qualitySave;         // a whole settings buffer
  std::int32_t lastError;
  std::int32_t chapterIndex;
  // What each buffer was made with: the version of the process may change after the
  // buffers are made, so every access is bounded by these, never by the current version.
  DWORD itemStateSlots;
  DWORD qualitySaveSize;
};
constexpr DWORD kItemStateSlotBytes = 64;
ApiState* ApiStateOf(DriverContext* context);
// Slot of the index-th status id (0-based, in table order) or null beyond the buffer.
BYTE* ItemStateSlot(ApiState* state, DWORD index);

// The caller's record of KOVADrvInit.
struct ApiInitInfo {
  DWORD reserved;
  std::int32_t version;
};
static_assert(sizeof(ApiInitInfo) == 8 && offsetof(ApiInitInfo, version) == 4);

// ApiErrorCode values.
enum : std::int32_t {
  API_OK = 0,
  API_UNKNOWN_MODE = 1,
  API_NOT_AVAILABLE = 2,
  API_MISSING_INPUT = 5,
  API_NEWER_KIND = 6,
  API_NOT_CHANGEABLE = 7,
  API_FONT_MISSING = 8,
  API_NO_WATERMARK_TEXT = 9,
  API_FILE_UNUSABLE = 10,
  API_BAD_CHARACTERS = 11,
  API_SERVICE_READ_ONLY = 12,
  API_SERVICE_WRITE_ONLY = 13,
  API_NOT_ADMINISTRATOR = 14,
  API_CONFLICT = 15,
  API_INTERNAL = 100,
  API_BIDI_FAILED = 200,
  API_USER_MACRO = 1000,
  API_SETTINGS_FILE_REFUSED = 1001,
  API_TERMINAL_SERVER = 1002,
};

// The maximum ids at a version: which 0 the low maximum (ids from 1), 1 the high maximum
// (ids from 257). Versions below 1 take the row {0, 0}, versions above 16 the row of 16.
DWORD StatusMaxIdAt(std::int32_t version, int which);
DWORD CapabilityMaxIdAt(std::int32_t version, int which);
// The same at the current version; GetCapabilityMaxId answers 1 for any other argument.
DWORD GetStatusMaxId(int which);
DWORD GetCapabilityMaxId(int which);
std::int32_t GetApiVersion();

// Rows by id at a version, and at the current version.
const StatusItem* FindStatusItemAt(std::int32_t version, DWORD id);
const CapabilityItem* FindCapabilityItemAt(std::int32_t version, DWORD id);
const StatusItem* FindStatusItem(DWORD id);
const CapabilityItem* FindCapabilityItem(DWORD id);

// The ids this build supports at all, whatever the model.
bool IsInStatusSet(DWORD id);
bool IsInCapabilitySet(DWORD id);
// Both bitmaps rebuilt for a version.
void BuildAvailabilityBitmaps(std::int32_t version);
// kind 1 status, 0 capability.
int IsItemAvailable(int kind, DWORD id);

// 1 when the code was stored (handle given, current version above 8, state present).
int SetApiError(DriverContext* handle, std::int32_t code);
// Every status id up to the maxima of the current version that is available, as bits;
// the size (32 below version 6, else 64); only the size for a null buffer.
std::int32_t BuildStatusAvailabilityList(BYTE* buffer);
// KOVADrvGetCaps without the driver mutex.
std::int32_t QueryCapability(DriverContext* handle, DWORD id, void* buffer);

// Capability records: the blocks that capability 0x80000001 hands a caller. The API keeps
// every record it handed out, with the blocks the record owns, until the caller gives it back
// with capability 0x80000002; only such a record is ever freed there.
constexpr DWORD kCapabilityRecordSize = 812;
// A new record (zero-filled, in low memory so that its address fits the 32-bit answer),
// kept as handed out; null when memory ran out.
BYTE* NewCapabilityRecord();
// A zero-filled low-memory block owned by a record handed out, freed with it; null when
// memory ran out, for 0 bytes, or when the record is not one handed out.
void* NewCapabilityRecordPart(const void* record, DWORD bytes);
// 1 when the address is the start of a record handed out and not yet given back.
int IsCapabilityRecord(const void* address);
// A record handed out is freed with every block it owns (the ones kept for it, whatever the
// caller wrote into the record since); any other address, null included, frees nothing.
// Answers 1.
std::int32_t FreeCapabilityRecord(DriverContext* context, void* record);
// Every record still handed out freed (a freshly loaded module has none).
void FreeAllCapabilityRecords();
// Unless capability 34 answers 1, kdmShiftDir and kdmShiftMarginX take their model defaults.
void ResetShiftFieldsUnlessRanged(DriverContext* context);

// The bodies of the exports.
std::int32_t DoCheckApiVersion(const char* printerName);
DriverContext* DoEnable(const char* printerName);
std::int32_t DoInit(std::int32_t flag, const ApiInitInfo* info);
std::int32_t DoDisable(DriverContext* handle);
std::int32_t DoGetLastError(DriverContext* handle);
std::int32_t DoGetCaps(DriverContext* handle, DWORD id, void* buffer);
std::int32_t DoSetStatus(DriverContext* handle, DWORD id, void* record, BYTE* changed, std::int32_t mode);
std::int32_t DoGetStatus(DriverContext* handle, DWORD id, void* record, std::int32_t callerKind);
