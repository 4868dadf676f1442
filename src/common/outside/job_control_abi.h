// The job-control library's binary interface, shared by the driver and by the library of
// the driver package (Jobcora32.dll): its two exports, the operation table it hands out and
// the item ids and value types. Results are 0 for success.
#pragma once

#include "win/types.h"

// Item ids. 1-8 are the job items, 9-11 the authentication items, 256-258 the driver's own
// identity, written only.
constexpr DWORD JCITEM_USER_CODE = 1;
constexpr DWORD JCITEM_OWNER_NAME = 2;
constexpr DWORD JCITEM_JOB_PASSWORD = 3;
constexpr DWORD JCITEM_USER_ID = 4;
constexpr DWORD JCITEM_DOCUMENT_NAME = 5;
constexpr DWORD JCITEM_TEL_NO = 6;
constexpr DWORD JCITEM_TEL_LINE = 7;
constexpr DWORD JCITEM_STORED_PASSWORD = 8;
constexpr DWORD JCITEM_AUTH_USER_NAME = 9;
constexpr DWORD JCITEM_AUTH_PASSWORD = 10;
constexpr DWORD JCITEM_AUTH_NETWORK_KEY = 11;
constexpr DWORD JCITEM_DRIVER_NAME = 256;
constexpr DWORD JCITEM_DRIVER_VERSION = 257;
constexpr DWORD JCITEM_LANGUAGE = 258;

// Value types.
constexpr DWORD JCTYPE_TEXT = 1;   // UTF-16 text
constexpr DWORD JCTYPE_DWORD = 4;  // u32

// Results other than 0.
constexpr DWORD JCERR_MORE_DATA = 0x20000001;  // also: an item the table does not know
constexpr DWORD JCERR_BAD_HANDLE = 0x20000002;
constexpr DWORD JCERR_BAD_ARGUMENT = 0x20000003;
constexpr DWORD JCERR_NO_VALUE = 0x20000004;
constexpr DWORD JCERR_STORE = 0x20000005;
constexpr DWORD JCERR_VERSION = 0x20000006;

// GetItemAttributes bit: the item holds a value.
constexpr DWORD JCATTR_HAS_VALUE = 0x1;
// GetItemValueEx on item 9: card authentication is in force.
constexpr DWORD JCAUTH_CARD = 0x100;
// SetHandleMode bits: 2 asks the authentication state, 3 (with 2) reads item 9 for the
// card reader's session.
constexpr DWORD JCMODE_AUTH_QUERY = 0x2;
constexpr DWORD JCMODE_CARD_SESSION = 0x1;
// RunLanguageCommand's only command.
constexpr DWORD JCCMD_LANGUAGE = 1;

// Interface versions. 0x181 is a second table, handed out to holders of 0x104 or later,
// whose GetItemValue reads the authentication password.
constexpr WORD JCVER_FIRST = 0x101;
constexpr WORD JCVER_LAST = 0x105;
constexpr WORD JCVER_AUTH_TABLE = 0x181;

struct JobControlLanguageBlock {
  DWORD size;  // 8
  WORD primary;
  WORD sublanguage;
};
static_assert(sizeof(JobControlLanguageBlock) == 8);

struct JobControlInterface {
  DWORD (*PreparePrinter)(const WCHAR* displayName);
  DWORD (*Reserved1)(const WCHAR* displayName);
  DWORD (*OpenPrinterItems)(const WCHAR* printerName, DWORD* handle);
  DWORD (*ClosePrinterItems)(DWORD handle);
  DWORD (*GetItemAttributes)(DWORD handle, DWORD item, DWORD* attributes);
  DWORD (*GetItemValue)(DWORD handle, DWORD item, DWORD type, void* buffer, DWORD size, DWORD* needed);
  DWORD (*SetItemValue)(DWORD handle, DWORD item, DWORD type, const void* buffer, DWORD size);
  DWORD (*DiscardItemValue)(DWORD handle, DWORD item);
  DWORD (*RunLanguageCommand)(DWORD handle, DWORD command, const void* block);
  DWORD (*Reserved9)();
  DWORD (*GetUserItemValue)(DWORD handle, DWORD item, DWORD type, const WCHAR* user, void* buffer, DWORD size,
                            DWORD* needed);
  DWORD (*SetHandleMode)(DWORD handle, DWORD set, DWORD clear);
  DWORD (*GetItemValueEx)(DWORD handle, DWORD item, DWORD one, DWORD type, void* buffer, DWORD size, DWORD* needed);
};

// The exports, looked up by name.
using JCGetInterfaceProc = DWORD (*)(WORD version, const JobControlInterface** out);
using JCDisposeInterfaceProc = void (*)(const JobControlInterface* instance);
constexpr const char* kJobControlGetInterface = "JCGetInterface";
constexpr const char* kJobControlDisposeInterface = "JCDisposeInterface";
constexpr const WCHAR* kJobControlLibrary = u"Jobcora32.dll";
