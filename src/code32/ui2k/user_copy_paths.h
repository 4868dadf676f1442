// The places of a printer's per-user copies: the common and the user's per-printer INI,
// the printer's section and the user's data directory, and the file-name test that keeps
// a copy inside its directory.
#pragma once

#include "win/spool.h"
#include "win/types.h"

struct UserCopyPlaces {
  WCHAR commonIni[MAX_PATH + 1] = {};
  WCHAR userIni[MAX_PATH + 1] = {};
  WCHAR section[261] = {};
  WCHAR userDir[MAX_PATH + 1] = {};  // the user's data directory, no trailing "\"
  bool ok = false;                   // every place could be formed
  UserCopyPlaces(HANDLE printer, const PRINTER_INFO_2W* printerInfo);
};

// A bare file name: not empty, no drive, no "\" or "/", and not "." or ".." nor any name
// with "..". Names read from files other users or low-integrity programs can write pass
// this before they are joined to a directory.
bool IsPlainFileName(const WCHAR* name);
// directory + "\" + the file part of path into target (MAX_PATH characters); false when the
// file part is not a plain name or the result does not fit.
bool PlaceInDirectory(WCHAR* target, const WCHAR* directory, const WCHAR* path);
// The folder part of a path (without the last "\"), into MAX_PATH characters.
void FolderOf(const WCHAR* path, WCHAR* folder);
// The two folders are the same, ignoring case.
bool SameFolder(const WCHAR* a, const WCHAR* b);
// Creates every folder of a path up to (not including) its last component.
bool CreateFoldersFor(const WCHAR* path);
// "<prefix><n>" with an optional suffix, into key (64 characters).
void ListKey(WCHAR* key, const char* prefix, int n, const WCHAR* suffix);
