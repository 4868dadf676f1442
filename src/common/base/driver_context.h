// The per-call driver context and its work area.
//
// Both records keep the field order the rest of the driver is written against; members
// that hold pointers have their native sizes, so the records are not pinned to a byte
// layout (nothing stores or exchanges them). Groups of working state that belong to the
// property pages, the entry points, the modules and the printer communication are
// reserved here as plain words: they start at zero and their owners give them meaning.
#pragma once

#include <cstdint>

#include "base/dictionary_pages.h"
#include "base/settings_field.h"
#include "base/ui_paint_state.h"
#include "win/devmode.h"
#include "win/gdi.h"
#include "win/spool.h"
#include "win/types.h"
#include "win/window.h"

struct ModelImage;
struct FieldDefaultsMemo;
struct KeptDevmode;
struct ProductRecord;
struct ControlNameTable;
struct ValueNameTable;
struct MessageTable;
struct ModuleList;

// Caller kinds (WorkArea::kind).
constexpr DWORD CTXK_INTERFACE = 0x80000000u;
constexpr DWORD CTXK_DEVICE_CAPS = 0x1000000u;
constexpr DWORD CTXK_DOCUMENT_PROPERTIES = 0x2000000u;
constexpr DWORD CTXK_RENDERING = 0x20000000u;
constexpr DWORD CTXK_RENDERING_JOB = 0x20000u;
constexpr DWORD CTXK_COMMAND_API = 0x100000u;
constexpr DWORD CTXK_ITEM_API = 0x200000u;
constexpr DWORD CTXK_INSTALLING = 0x40000u;
// What the rendering DLL passes; the constructor stores CTXK_RENDERING instead.
constexpr DWORD CTXK_RENDERING_REQUEST = 0x10000u;

// Creation flags: the low byte is the creation mode (0 normal use, 1 and 3 install and
// upgrade work, 2 as 0 without the model-name lookup, the device settings and the install
// bookkeeping; 4 and above build no model and no settings buffer).
constexpr WORD CTXF_MODE_MASK = 0x00FF;
constexpr WORD CTXF_NO_MUTEX = 0x100;
constexpr WORD CTXF_NO_ADMIN_TEST = 0x200;
constexpr WORD CTXF_LOAD_DEVICE_SETTINGS = 0x400;
constexpr WORD CTXF_ALLOW_CACHED = 0x800;
constexpr WORD CTXF_ANY_HANDLE = 0x1000;

// Release types of ReleaseContext; any other type destroys at once as well.
constexpr WORD CTXR_CACHE = 0;       // back to cache 2
constexpr WORD CTXR_CACHE_CAPS = 4;  // back to cache 1
constexpr WORD CTXR_DESTROY = 5;

// One free paper size of the per-printer list (records 0-9), of paper id 256 (record 10)
// and of paper id 448 (record 11).
struct FreeSizeRecord {
  char listName[64];     // name the paper lists show, at most 63 bytes and a NUL
  char displayName[64];
  char userName[64];     // wdmFreeSizeName
  DWORD width;           // 1200 dpi
  DWORD length;          // 1200 dpi
  WORD tray;
  WORD orientation;
};
constexpr int kFreeSizeRecordCount = 12;

// The job-control library bound to a context (the printer-communication code fills it).
struct JobControlInterface;
struct JobControlBinding {
  HMODULE library;                       // 0 = not loaded
  DWORD itemHandle;                      // from OpenPrinterItems, 0 = none open
  void* getInterface;                    // JCGetInterface
  void* disposeInterface;                // JCDisposeInterface
  const JobControlInterface* instance;   // the operation table
  WORD version;                          // interface version obtained
  WORD binds;                            // nested binds: the library stays loaded until the last unbind
  WORD opens;                            // nested opens: the handle stays open until the last close
};

// The user-code provider bound to a context (VUC*A exports), and its codes.
struct UserCodeProviderBinding {
  HMODULE library;
  void* open;
  void* close;
  void* getCode;
  DWORD data;          // data handle from the open, 0 = none
  char savedCode[32];  // the user's own code while the provider's is in place
  char providerCode[32];
};

// The tool-bar UI plug-in bound for the life of a device sheet.
struct ToolbarUiPluginBinding {
  DWORD assigned;      // the printer names the plug-in
  DWORD pathFound;     // the plug-in list gives its install path
  HMODULE library;
  void* getInterface;  // TBUIGetInterface
  void* disposeInterface;
  void* instance;
  DWORD handle;        // from the interface's open, 0 = none
  void* pageRequest;   // the create-page request with the name it points to, kept until release
};

// A job-time paper substitution of the rendering build: whether it is in force and the
// output paper, scale switch and scale type it replaced.
struct PaperSubstitutionSlot {
  std::int32_t active;
  DWORD outPaperSize;
  DWORD scale;
  DWORD scaleType;
};

// Entries of the rule evaluator's stack.
constexpr int kEvalStackEntries = 256;

// The property pages' working state of a context (the page engine and the sheets). It is
// the one home of the sheets' words: the sheet result, the first page, the refresh and apply
// guards, the follow-up guard, the sheet's host callback and snapshot, the file command,
// the tips and the cursors of the pages.
struct PageEngineState {
  WORD firstPageId;          // first page of the sheet that received WM_INITDIALOG; 0 = none
  std::int32_t sheetResult;  // 1 the user accepted the sheet or sub-dialog, 0 cancelled
  std::int32_t refreshSuspended;  // from WM_INITDIALOG until the page layout is fitted
  std::int32_t refreshGuard;      // a page refresh is running
  WORD lastCommand;          // control id of the last WM_COMMAND
  std::int32_t applyInProgress;   // PSN_APPLY is being handled
  std::int32_t bound;        // 1 once BindPageControls has bound this context's pages
  std::int32_t followUpGuard;     // a follow-up page is open ...
  const void* followUpOption;     // ... for this option record
  std::int32_t accepted;     // a page of the sheet was accepted (PSN_APPLY)
  std::int32_t applied;      // the sheet's settings were applied before it ended
  WORD sheetKind;            // 1 document sheet, 2 device sheet, 0 none
  std::int32_t writePermission;   // 0 when the caller denies changes to the device settings
  void* pfnComPropSheet;     // the common property-sheet host's callback and handle
  HANDLE hComPropSheet;
  BYTE* snapshotBuffer;      // settings copy of the document sheet that Cancel puts back, or null
  std::int32_t lockCommit;   // the setting-locks page confirmed its OK; the device page commits
  BYTE optionsCheckShowing;  // the first-use options check shows page 1011
  HDC paintDc;               // set while a control paints through the page framework
  WORD fileCommand;          // 5001 save, 5002 load, 5003 delete; 0 none
  ControlRecord* freeSizeOpener;  // the paper-size choice that opened the custom-size page
  // The last file a file page chose (several names: the folder, then the names separated by
  // blanks) and where its first name starts.
  WCHAR lastFileName[1025];
  WORD lastFileNameOffset;
  WORD frameTextId;          // caption of the button drawn: 0 "...", 0xFFFF none, else a UI string
  // Tips of the pages.
  HWND tipWindow;
  WORD tipControlId;
  std::int32_t tipKey;
  UINT_PTR tipTimerId;
  HWND tipControlWindow;
  HCURSOR handCursor;
  HCURSOR pressedHandCursor;
  HCURSOR savedCursor;
  // Snapshot slots beyond the ring's three, oldest first, with their change flags.
  BYTE* extraSnapshots[13];
  DWORD extraChangeFlags[13];
  std::int32_t snapshotDepth;  // snapshots pushed and not yet popped
};

struct WorkArea {
  WCHAR userIniPath[260];
  BYTE* snapshots[3];            // the snapshot ring; slot 0 is the newest
  DWORD docPropMode;             // fMode of the last document-properties call
  DWORD docPropState[4];         // document-properties road
  WORD evalStackDepth;
  std::int32_t* evalStack;       // kEvalStackEntries entries, or null
  std::int32_t dirty;
  WORD mode;                     // creation mode
  WCHAR languageCode[32];
  WCHAR modelName[32];
  WCHAR modelListEntry[33];      // "Models%d" value of the install bookkeeping
  WCHAR modelDatabaseEntry[33];  // the model's value in "Models" of the second model INI
  WCHAR scratchText[1025];
  WCHAR printerName[261];
  WCHAR savedPrinterName[261];
  DEVMODEW* pdmIn;               // of the document-properties call
  DEVMODEW* pdmOut;
  DWORD pdmOutSize;              // bytes pdmOut may take; 0: the call carries no size
  FreeSizeRecord freeSizes[kFreeSizeRecordCount];
  DWORD snapshotChangeFlags[3];  // change flags saved with each snapshot slot
  DWORD changeFlags;
  DWORD buttonFaceColour;
  std::int32_t savedFontTableCount;
  // The kdmFontTable value (a block handle, as the field holds it) from before the font
  // substitution table was edited; 0 when no edit is open. Freed with the context.
  DWORD savedFontTable;
  std::int32_t settingsFileStatus;
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
  DWORD getterCache[131];        // one slot per cached setting getter
  void* faceBrush;               // the grey (button-face) and white dialog brushes, deleted
                                 // with the context
  void* whiteBrush;
  BYTE userCodeUse;              // first-run values of Fennic.ini
  BYTE userCodeFixed;
  WCHAR userCode[9];
  WORD defaultLanguage;          // display language for a first run
  WORD defaultPaper;             // 1 Letter, 9 A4
  WORD defaultUnit;              // 1 inch, 0 millimetre
  WORD localeCountry;            // 1, 2, 5 or 0
  void* presetCache[16];         // changed items per preset
  DWORD pluginWords[4];          // UI plug-ins and the tool bar
  WCHAR pluginText[261];
  DWORD freeSizeEditing;         // index of the free size being edited
  DWORD freeSizeValueChanged;    // the last edit of the free-size page changed its value
  BYTE* savedSettings;           // change-detection copy of the settings buffer
  JobControlBinding jobControl;
  UserCodeProviderBinding userCodeProvider;
  ToolbarUiPluginBinding toolbarPlugin;
  BYTE userCodeInstalled;        // the install INI step took a user code for this printer
  DWORD moduleWords[8];          // custom-paper module and property pages
  void* chapterEntries;          // the chapter module's entry array, or null
  std::int32_t chapterDataLoaded;  // 1 once the chapter module has loaded its device data
  DWORD chapterCapacity;         // entries the chapter array was made with
  BYTE moduleState[64];          // preset and chapter modules
  std::int32_t useMutex;
  std::int32_t adminTest;
  DWORD kind;
  ModuleList* modules;           // the extension modules of the context, or null
  BYTE printerDataBuffer[1024];  // the printer-data reader's buffer
  WORD moduleShorts[4];          // pages, install bookkeeping, merge, quality and print type
  DWORD moduleWords2[8];
  BYTE* lockDefaults;            // settings-buffer copy of "LockDefaultData", or null
  BYTE chapterModuleData[64];
  DWORD pluginMergeWords[4];
  DWORD specialModelMask;
  std::int32_t connectionState;  // 0 not yet determined, 1 a connection, 2 local
  std::int32_t attributesKnown;  // 1 once attributes holds the printer's attributes
  DWORD attributes;              // PRINTER_INFO_2 Attributes
  DRIVER_INFO_3W* driverInfo;    // the context's copy of the caller's DRIVER_INFO_3, or null
  PRINTER_INFO_2W* printerInfo;  // the context's copy of the caller's PRINTER_INFO_2, or null
  WCHAR rawPrinterName[261];     // pPrinterName as the spooler gives it
  WCHAR serverPrinterName[261];  // the name rebuilt from a "\\CSR|" printer name

  // The extension modules' own state.
  WCHAR profileName[261];        // colour profile shown by the profile name and file edits
  WCHAR profilePath[261];
  BYTE colorMatchingMask;        // colour-matching values remembered at a profile delete
  BYTE colorMatchingValues[4];   // 133, 961, 962, 963
  WORD colourBalanceData[4][9];  // the colour-balance picture's data per object kind
  BYTE chapterTraysReported;     // defaults the printer reported: 1 cover ... 64 reverse cover
  WORD chapterSavedCount;        // wdmChapterNum before the last delete on the chapter page
  DWORD chapterSavedCapacity;    // entries of the chapter module's saved copy of the list
  DWORD chapterSelection;        // entry selected in the chapter page's list
  // Slot A (kdmFrontFunc bit 8) and slot B (bit 0x20) of the job-time paper substitution.
  PaperSubstitutionSlot paperSubstitution[2];
  // The settings API's per-handle state of an item-API context; null in every other context.
  struct ApiState* apiState;
  PicturePaintState paint;       // the picture painter's state (ui_picture_paint)
  PageEngineState sheet;         // the property sheets and their pages
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
  ProductRecord* product;                   // own copy
  BYTE* settings;                           // device-mode and areas 2 and 3, or null
  const ModelImage* model;                  // shared, never freed by a context
  WorkArea* work;
  HMODULE uiModule;
  HMODULE neutralModule;
  FieldDefaultsMemo* defaultsMemo;          // own: the kept field defaults, or null
  KeptDevmode* keptDevmode;                 // own: the kept default device-mode build, or null
};
