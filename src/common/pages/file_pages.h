// The file pages: the pages that run the common file dialog instead of a dialog of their
// own, and the file-name checks they share with the pages that name a file.
#pragma once

#include "base/dictionary_pages.h"
#include "win/types.h"

// The file pattern of the page: "*.*" or "*.kcm" on the colour-profile page (by its
// file-type combo), "*.bmp" for bitmaps, "*.kpo" for overlays (and page 1037), else "*.kst".
const WCHAR* GetFileFilterPattern(const PageRecord* page);
// Whether the name ends in the page's pattern extension ("*.*" accepts any name); the
// letters are compared without case. A name shorter than four characters has no such end.
bool HasFilterExtension(const PageRecord* page, const WCHAR* name);

struct DriverContext;

// Whether the file opens for reading.
bool FileExists(const WCHAR* path);
// The per-printer INI key under which the page keeps the folder of its last file, or null
// for a page that keeps none.
const WCHAR* GetRememberedPathKey(const PageRecord* page);
// The path's folder (cut at its last '\', a drive root kept with its '\') under the page's
// key, in the printer's section of the per-printer INI; nothing for a page without a key.
void RememberFileFolder(DriverContext* context, const PageRecord* page, const WCHAR* path);
// The remembered folder (up to 260 characters) into out; false when there is none.
bool ReadRememberedFolder(DriverContext* context, const PageRecord* page, WCHAR* out, int outChars);
// Whether two names name one file: the same full path (letters compared without case) or,
// for files that exist, the same file identity.
bool IsSameFile(const WCHAR* a, const WCHAR* b);
// 1 when the path is the settings file of a preset or of a user quality entry. Nothing is
// written to any file to find out.
int IsStoredPresetFile(DriverContext* context, const WCHAR* path);

struct OPENFILENAMEW;

// Characters of each buffer of a file dialog.
constexpr int kFileDialogChars = 1025;
// The longest completed path a file page accepts.
constexpr int kLongestFilePath = 258;

// One allocation per dialog: the dialog's record and its four buffers.
struct FileDialogBlock;
FileDialogBlock* NewFileDialogBlock();
void FreeFileDialogBlock(FileDialogBlock* block);
OPENFILENAMEW* FileDialogRecord(FileDialogBlock* block);

// The dialog's record, title, filter, initial name and folder for the page.
void PrepareFileDialog(DriverContext* context, PageRecord* page, FileDialogBlock* block);
// Runs the save or open dialog; on success stores the chosen file where the page keeps it,
// remembers its folder and keeps the name in the last-file-name buffer. The common
// dialog's result.
BOOL RunFileDialog(DriverContext* context, PageRecord* page, FileDialogBlock* block, WCHAR* file);
// The hook of the file pages' dialogs: completes typed names and checks them before the
// dialog may close.
UINT_PTR FileDialogHookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The typed name completed: the pattern's extension when it has none, the dialog's current
// folder (its folder list) before a relative name. False when the result would be longer
// than outChars - 1 characters.
bool CompleteFileName(HWND dialog, const PageRecord* page, const WCHAR* typed, WCHAR* out, int outChars);
// A file page run whole: the dialog, then the save, load or delete it chose. The sheet
// result: 1 when the settings the page changed are kept.
int RunFilePage(DriverContext* context, PageRecord* page, HWND parent);
// The last file name and the offset of its name part.
const WCHAR* GetLastFileName(DriverContext* context);
void SetLastFileNameOffset(DriverContext* context, WORD offset);
