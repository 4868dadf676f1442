// The printer-side settings of a printer: fields of store kind 1 in the printer's data, one
// value per field, and fields of store kind 2 in the per-printer settings INI. Loaded into
// a context's settings buffer when the context is built, saved back when the device sheet
// is applied or a merge asks for it. The lock words and the job-action bits are stored
// packed; a save of area 2 skips values that equal the saved snapshot.
#pragma once

#include <cstdint>

#include "win/types.h"

struct DriverContext;
struct SettingField;
class IniKeyBatch;

// Mode bits of the load.
constexpr DWORD DSL_INI_MODE = 2;      // the whole value: fields go to the INI under their names
constexpr DWORD DSL_FROM_SERVER = 0x10;  // printer data read from the configuration server

// Flags of the save.
constexpr DWORD DSS_EXTENDED_ONLY = 0x1;       // only extended and custom-media fields
constexpr DWORD DSS_CUSTOM_FUNCS_ONLY = 0x4;   // only ids 1462-1493
constexpr DWORD DSS_INI_MODE = 2;              // the low 31 bits equal to 2
constexpr DWORD DSS_NO_COMPARE = 0x80000000u;  // write even values equal to the snapshot

// Module events of the walks.
constexpr DWORD MODEV_DEVICE_SAVE_FIELD = 4;   // block DeviceFieldEvent, INI-mode save
constexpr DWORD MODEV_DEVICE_LOAD_FIELD = 5;   // block DeviceFieldEvent, INI-mode load
constexpr DWORD MODEV_DEVICE_LOADED = 18;      // block DeviceWalkEvent, end of a load
constexpr DWORD MODEV_DEVICE_SAVED = 23;       // block DeviceWalkEvent, end of a save

struct DeviceFieldEvent {
  DWORD pass;           // 2
  SettingField* field;
  DWORD skip;           // a module sets 1 to leave the field out
};
struct DeviceWalkEvent {
  std::int32_t area;  // -1 for every area
  DWORD mode;         // the load's mode or the save's flags without bit 31
};

// ---- load -------------------------------------------------------------------------------
// Walks the field table from id 35 and reads every stored field of the area (-1 every
// area) into the context; see the mode bits above. 1.
int LoadDeviceSettings(HANDLE printer, DriverContext* context, int area, DWORD mode, void* server);
// LoadDeviceSettings without a server.
int LoadDeviceSettingsKind(HANDLE printer, DriverContext* context, int area, DWORD mode);
// kind -1: every area and the font lists; 1: area 3 then area 1; 2: area 2 and the font
// lists; any other kind nothing. 1.
int LoadDeviceSettingsByKind(HANDLE printer, DriverContext* context, int kind);
// Every area and the font lists; then, for a local printer whose two-way INI cache is
// flagged, the cache, moved into printer data when that is writable. 1.
int LoadDeviceSettingsWithBidiCache(DriverContext* context);

// ---- save -------------------------------------------------------------------------------
// Writes every stored field of the area; see the flags above. 1 (a failed write is not
// reported).
int SaveDeviceSettings(HANDLE printer, DriverContext* context, int area, DWORD flags);
// Area 3 then area 1, flags 0.
int SaveDeviceSettingsBoth(HANDLE printer, DriverContext* context);
// Area 2, then the font lists when changed; 1 when both succeed.
int SaveDeviceSettingsArea2(HANDLE printer, DriverContext* context);
// Area 2, then the model's font lists.
int SaveDeviceSettingsWithModelFonts(HANDLE printer, DriverContext* context);

// ---- one field ----------------------------------------------------------------------------
// Printer data under the field's key: bit fields 4 bytes (nonzero sets the bit), numbers
// and text their size. 1 on success and for a field without a key; 0 when the value is
// missing or unreadable. Mode bit DSL_FROM_SERVER reads the configuration server's value.
int ReadFeatureFromPrinterData(HANDLE printer, DriverContext* context, SettingField* field, DWORD mode,
                               void* server);
// 1, or 0 when SetPrinterDataW fails; a field without an address writes nothing (1).
int WriteFeatureToPrinterData(HANDLE printer, DriverContext* context, SettingField* field);
// Reads one field under its key: from the in-memory section text with the shared cursor
// when memorySection is given, else through the profile API on iniPath (a drive-letter
// path) in the field's section or, when it has none, the printer's display name. Nonzero
// when a value was stored.
int ReadFeatureFromIni(DriverContext* context, SettingField* field, const WCHAR* iniPath, const char* memorySection,
                       LONG* cursor);
// Writes one field: appended to the section text at *offset when buffer is given, else
// with WriteIniString on iniPath (section as for the read). Numbers as "%ld" (s32), "%u"
// (u8, u16), "%lu" (u32), "%d" (s8, s16, bits); text as it is. Nonzero on success.
int WriteFeatureToIni(HANDLE printer, DriverContext* context, SettingField* field, const WCHAR* iniPath, char* buffer,
                      LONG* offset);
// WriteFeatureToIni into a batch of keys of one section (the batch's section stands for the
// field's own): the same text, written when the batch is committed. Nonzero when added.
int AddFeatureToIniBatch(DriverContext* context, SettingField* field, IniKeyBatch& batch);
// Store kind 2: the INI (iniPath, or the per-printer INI when null); area 2 and store
// kind 1: printer data; anything else is left and succeeds.
int WriteFeatureToStore(HANDLE printer, DriverContext* context, SettingField* field, const WCHAR* iniPath);
// The packed transfers: the group's first field is read or written under the packed name
// with the type code (u8, u16 or u32) and put back afterwards. store 1 or 3 reads the INI,
// any other store printer data. A missing packed value is migrated from the single keys of
// first..last and written packed.
int LoadPackedFeature(HANDLE printer, DriverContext* context, SettingField* field, int store, DWORD typeCode,
                      const WCHAR* packedName, WORD first, WORD last);
int SavePackedFeature(HANDLE printer, DriverContext* context, SettingField* field, int store, DWORD typeCode,
                      const WCHAR* packedName);

// The two text fields whose empty value is a value of its own (524 and 1112).
bool IsEmptyValueSignificantField(WORD id);
