// Moving one chosen kind of settings between a context and one section of a settings file.
#pragma once

#include "win/types.h"

struct DriverContext;
struct SettingField;

// Module events of a transfer.
constexpr DWORD MODEV_SETTINGS_FIELD = 6;         // block SettingsFieldEvent, before a field moves
constexpr DWORD MODEV_SETTINGS_TRANSFERRED = 24;  // block SettingsTransferEvent, after the section

struct SettingsFieldEvent {
  SettingField* field;
  DWORD skip;  // a module sets 1 to leave the field out
};
struct SettingsTransferEvent {
  DWORD flags;
  const WCHAR* path;
};

// Moves the fields the flags select between the settings and the section the flags choose
// (see ChooseTransferSection), each under its field name:
// - the settings-file status starts at 0; a path without a drive letter answers 0;
// - a load reads the file once and looks keys up in memory (through the profile API when
//   the section is missing); an unreadable file: status 2, 0;
// - the header is written or checked first; a mismatch: status 1 and 1, nothing moved;
// - a plain load with a lock bit set whose locked values differ: status 3 and 0;
// - a load marks every field it read changed and the device-mode dirty; a missing or empty
//   key leaves its field and makes the answer 0; a plain load sets kdmPresetNo to 255;
// - a save builds the whole section in memory and writes it with one call; the answer is
//   that write's. A section whose text would not fit in kIniTextBufferBytes is not written
//   (the file keeps its old section) and the answer is 0. A plain save also rewrites the
//   printer-side section of the settings text file;
// - the modules hear of every field (event 6, which may skip it) and of the transfer (24).
BOOL TransferSettingsSection(HANDLE printer, const WCHAR* path, DWORD flags, DriverContext* context);

// Whether the walk of a transfer with these flags moves the field (the row's own field, or
// for the free-size flags the field that replaces it). Sends event 6.
bool IsTransferredField(DriverContext* context, const SettingField* rowField, SettingField* field, DWORD flags);
