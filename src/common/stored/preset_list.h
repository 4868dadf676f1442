// The preset list: named sets of settings (favourite settings) kept in the printer's section
// of the per-printer INI ("Count", "PresetList<n>" naming the preset's settings file,
// "PresetList<n>Name" and "PresetList<n>Comment"), and the change cache that keeps the
// applied values of each preset so that switching back to it is immediate.
#pragma once

#include "win/types.h"

struct DriverContext;

// Presets 0-15; operations by index refuse other numbers.
constexpr int kMaxPresets = 16;
// Characters of a preset key buffer, with its NUL.
constexpr int kPresetKeyChars = 40;

// Key kinds of MakePresetKey.
constexpr int PRESET_KEY_FILE = 0;
constexpr int PRESET_KEY_NAME = 1;
constexpr int PRESET_KEY_COMMENT = 2;

// Change-cache modes.
constexpr int PCC_FORGET = 0;
constexpr int PCC_APPLY = 1;
constexpr int PCC_CAPTURE = 2;
constexpr int PCC_FREE = 3;

// "Count" of the printer section held to 0..kMaxPresets (0 when missing or without a
// context): a count the file holds beyond the list's limit names no further entry.
int GetPresetCount(DriverContext* context);
// "PresetList<n>", with "Name" appended for kind 1 and "Comment" for kind 2, into key
// (kPresetKeyChars characters).
void MakePresetKey(WCHAR* key, int n, int kind);

// Addresses of wdmPresetName and wdmPresetComment, or null.
BYTE* GetPresetNameField(DriverContext* context);
BYTE* GetPresetCommentField(DriverContext* context);

// Mode 0 forgets every slot without freeing, mode 3 frees and forgets them; mode 2 captures
// the preset-marked and stamp-marked fields into the slot of the preset whose key this is,
// mode 1 copies them back and answers 1. Any other key, mode or an empty slot answers 0.
int UpdatePresetChangeCache(DriverContext* context, const WCHAR* key, int mode);

// The preset's file into the context (or the cached values of its last apply), its name
// and comment into wdmPresetName and wdmPresetComment. A file of another product, model or
// language is dropped from the entry and preset 0 is applied instead, with a warning.
// The settings API always loads the file, keeps a refused one refused (settings-file status
// left as the load set it, no warning) and leaves name and comment as they are.
void ApplyPresetByKey(DriverContext* context, const WCHAR* key);
// n in 0-15 applies preset n; any other n empties the preset name and comment (the settings
// API then does nothing).
void ApplyPresetByIndex(DriverContext* context, int n);
// Preset n's shipped values (the "ksd" companion of its file in the settings directory,
// language section) into the context.
void ApplyShippedPreset(DriverContext* context, int n);

// The context into the preset's file, then its name and comment keys; frees the cache.
void SavePresetByKey(DriverContext* context, const WCHAR* key);
void SavePresetByIndex(DriverContext* context, int n);
// The context into preset n's file only; frees the cache.
void SavePresetFileByIndex(DriverContext* context, int n);

// True unless the file's printer section has "Readonly" = 1.
BOOL IsSettingFileWritable(DriverContext* context, const WCHAR* file);
// For n in 0-15 whether preset n's file is writable; FALSE for other n.
BOOL IsPresetWritable(DriverContext* context, int n);

// "<settings directory>\user%04d.kst" with the first number whose file has no "KstMachine"
// in the printer section (user9999 when every number is taken), into destination
// (261 characters). On a terminal server the user's settings directory is used unless the
// context is installing.
void MakeNewUserSettingFileName(DriverContext* context, WCHAR* destination);
// Gives preset n a file of its own: a new user file when the key is empty or names a
// per-user copy of a shipped file (an extension ending in 'r').
void EnsurePresetFileName(DriverContext* context, int n);
// Completes every preset's file from its shipped values and rewrites it, keeping each
// file's "Readonly" value; the context's settings are restored afterwards.
void RewritePresetFiles(DriverContext* context);

// wdmChapterMax and wdmChapterTrayMax from their keys in the printer section (default 0).
void ReadChapterLimits(DriverContext* context);
