// The job-control library of the driver package (Jobcora32.DLL): the two exports every
// deliverable binds at run time and the operation tables they hand out. It keeps per-printer
// job items (user code, owner, passwords, authentication data); the rendering DLL reads them
// back at document start. Only the calls, their order and the results relied on are fixed.
#pragma once

#include "win/types.h"

// File name of the library and its exports.
inline constexpr WCHAR kJobControlLibrary[] = u"Jobcora32.DLL";
inline constexpr char kJobControlGetInterface[] = "JCGetInterface";
inline constexpr char kJobControlDisposeInterface[] = "JCDisposeInterface";

// Interface versions: the main table (asked from the newest down) and the conversion table.
constexpr WORD JC_VERSION_105 = 0x105;
constexpr WORD JC_VERSION_104 = 0x104;
constexpr WORD JC_VERSION_103 = 0x103;
constexpr WORD JC_VERSION_102 = 0x102;
constexpr WORD JC_VERSION_101 = 0x101;
constexpr WORD JC_VERSION_CONVERSION = 0x181;

// Results: 0 success; a length query may also answer JC_MORE_DATA with the needed size.
constexpr DWORD JC_OK = 0;
constexpr DWORD JC_NO_ITEM = 13;
constexpr DWORD JC_MORE_DATA = 0x20000001;

// Value types.
constexpr DWORD JC_TYPE_TEXT = 1;  // UTF-16
constexpr DWORD JC_TYPE_U32 = 4;

// Item attribute bit: the item holds a value.
constexpr DWORD JC_ATTR_PRESENT = 0x1;
// GetItemValueEx on item 9: card authentication is in force.
constexpr DWORD JC_AUTH_CARD = 0x100;

// The main operation table, in slot order (results 0 = success). Item handles are u32.
struct JobControlInterface {
  DWORD(WINAPI* PreparePrinter)(const WCHAR* printerName);                                            // 0
  DWORD(WINAPI* Reserved1)(const WCHAR* printerName);                                                 // 1
  DWORD(WINAPI* OpenPrinterItems)(const WCHAR* printerName, DWORD* handle);                           // 2
  DWORD(WINAPI* ClosePrinterItems)(DWORD handle);                                                     // 3
  DWORD(WINAPI* GetItemAttributes)(DWORD handle, DWORD item, DWORD* flags);                           // 4
  DWORD(WINAPI* GetItemValue)(DWORD handle, DWORD item, DWORD type, void* buffer, DWORD size, DWORD* needed);  // 5
  DWORD(WINAPI* SetItemValue)(DWORD handle, DWORD item, DWORD type, const void* buffer, DWORD size);  // 6
  DWORD(WINAPI* DiscardItemValue)(DWORD handle, DWORD item);                                          // 7
  DWORD(WINAPI* RunLanguageCommand)(DWORD handle, DWORD command, const void* block);                 // 8
  void* Reserved9;                                                                                     // 9
  DWORD(WINAPI* GetUserItemValue)(DWORD handle, DWORD item, DWORD type, const WCHAR* userName, void* buffer,
                                  DWORD size, DWORD* needed);                                          // 10
  DWORD(WINAPI* SetHandleMode)(DWORD handle, DWORD setBits, DWORD clearBits);                         // 11
  DWORD(WINAPI* GetItemValueEx)(DWORD handle, DWORD item, DWORD one, DWORD type, void* buffer, DWORD size,
                                DWORD* needed);                                                        // 12
};

// The conversion table (version 0x181), in slot order. Conversion handles are u32.
struct JobControlConversion {
  DWORD(WINAPI* Create)(DWORD mode, DWORD* handle);                                                  // 0
  DWORD(WINAPI* Destroy)(DWORD handle);                                                              // 1
  DWORD(WINAPI* SetParameter)(DWORD handle, DWORD parameter, const void* value, DWORD size);         // 2
  DWORD(WINAPI* Convert)(DWORD handle, const BYTE* input, DWORD inputLength, BYTE* output, DWORD outputSize,
                         DWORD* outputLength);                                                        // 3
};

// Conversion parameter 256: a pair of UTF-16 texts (the authentication user name, then the
// network key).
constexpr DWORD JC_PARAM_CREDENTIALS = 256;
struct JobControlTextPair {
  const WCHAR* first;
  const WCHAR* second;
};

// JCGetInterface(version, out table): 0 on success; the table is JobControlInterface for the
// main versions and JobControlConversion for 0x181. JCDisposeInterface(table) releases it.
using JCGetInterfaceProc = DWORD(WINAPI*)(WORD version, void** table);
using JCDisposeInterfaceProc = DWORD(WINAPI*)(void* table);
