// Registering the driver package's shipped presets and qualities in the per-printer lists:
// the install INI lists "NumDeficonfiles"/"Deficonfiles<n>" and
// "NumDefqualityfiles"/"Defqualityfiles<n>", the per-user copies of the shipped files and
// the refresh of the presets after a new driver package.
#pragma once

#include "win/types.h"

struct DriverContext;

// Flags of RegisterInstalledPresets.
constexpr DWORD RIP_REGISTER = 0x1;         // register presets (and reset the list first)
constexpr DWORD RIP_COPY = 0x2;             // copy the shipped files and their user copies
constexpr DWORD RIP_IMPORT = 0x10;          // import every registered file into its copy
constexpr DWORD RIP_DELETE_COPY = 0x20;     // delete the user copies
constexpr DWORD RIP_CONDITIONS = 0x40;      // apply [disable], [condition], the model and tint rules
constexpr DWORD RIP_ADD = 0x80;             // add to the list instead of resetting it
constexpr DWORD RIP_INSTALL = 0x100;        // install: mark the section done
constexpr DWORD RIP_KEEP_COPIES = 0x1000;   // an existing user copy is not imported again

// Most presets a printer keeps.
constexpr int kInstalledPresetLimit = 16;

// A preset the install bookkeeping already knows: 1547 UTF-16 characters.
struct KnownPresetEntry {
  WCHAR shippedPath[260];
  WCHAR filePath[260];
  WCHAR name[513];
  WCHAR comment[513];
  WCHAR mark;
};
static_assert(sizeof(KnownPresetEntry) == 1547 * sizeof(WCHAR), "a known preset entry is 1547 characters");

// Registers (and copies) the install INI section's shipped presets; 1 or 0 (see the flags).
int RegisterInstalledPresets(const WCHAR* installIni, const WCHAR* section, DWORD flags, DriverContext* context,
                             int knownCount, const KnownPresetEntry* known);
// Appends a preset whose file is the user copy; an empty name becomes "NoName". With
// RIP_CONDITIONS a disabled file, one whose conditions fail, one not for this model or one
// that fails the tint rule is skipped, and a copy the list already names is never listed
// twice. 1 when appended.
int RegisterPresetEntry(const WCHAR* userIni, const WCHAR* copy, const WCHAR* name, const WCHAR* comment, DWORD flags,
                        DriverContext* context);
// "setname" and "setcomment" of the file's section (260 characters each).
void ReadPresetTitle(const WCHAR* file, const WCHAR* section, WCHAR* name, WCHAR* comment);

// Qualities: "QualityList<n>" (with "Name"), appending an entry, its shipped name and
// emptying the list.
void MakeQualityListKey(WCHAR* buffer, int n, bool withName);
void AppendQualityEntry(DriverContext* context, const WCHAR* file, const WCHAR* name);
void RegisterQualityFile(DriverContext* context, const WCHAR* file, const WCHAR* name);
void ReadQualityName(const WCHAR* file, const WCHAR* section, WCHAR* name);
void ClearQualityList(DriverContext* context);

// The presets once more after a driver package install (kind 0 from the document sheet,
// 1 after the device sheet was accepted, 2 from the device sheet); always 1.
int RefreshPresetsAfterPackInstall(DriverContext* context, int kind);
// Flag of InstallDefaultPresets: ask (OK/Cancel) before presets are dropped.
constexpr DWORD IDP_ASK = 0x1;
// Brings the printer's preset list up to its "DefaultKst" package (per-printer INI): a
// shipped "ksr" preset whose [disable] or [condition] no longer holds, or that is not for
// this model (IsSettingFileForThisModel), is dropped; any other preset file that the
// preset alerts would refuse is dropped. With IDP_ASK a drop is first confirmed (Cancel:
// 0, nothing changed). The kept presets are listed again in order and the package's
// shipped presets not yet listed are added, never its first file. A package that is
// missing, has no list or names a missing file gives 0 and leaves the list as it was;
// otherwise the preset count. The settings refresh calls it without IDP_ASK, the presets
// maintenance page's refresh button with it.
int InstallDefaultPresets(DriverContext* context, DWORD flags);
