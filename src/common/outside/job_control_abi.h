// The rest of the job-control library's binary interface (its exports and tables are in
// outside/job_control_library.h): item ids, value types, result codes and mode bits shared
// by the driver and the library of the driver package. Results are 0 for success.
#pragma once

#include "outside/job_control_library.h"
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
constexpr DWORD JCTYPE_TEXT = JC_TYPE_TEXT;
constexpr DWORD JCTYPE_DWORD = JC_TYPE_U32;

// Results other than 0.
constexpr DWORD JCERR_MORE_DATA = JC_MORE_DATA;  // also: an item the table does not know
constexpr DWORD JCERR_BAD_HANDLE = 0x20000002;
constexpr DWORD JCERR_BAD_ARGUMENT = 0x20000003;
constexpr DWORD JCERR_NO_VALUE = 0x20000004;
constexpr DWORD JCERR_STORE = 0x20000005;
constexpr DWORD JCERR_VERSION = 0x20000006;

// GetItemAttributes bit: the item holds a value.
constexpr DWORD JCATTR_HAS_VALUE = JC_ATTR_PRESENT;
// GetItemValueEx on item 9: card authentication is in force.
constexpr DWORD JCAUTH_CARD = JC_AUTH_CARD;
// SetHandleMode bits: 2 asks the authentication state, 3 (with 2) reads item 9 for the
// card reader's session.
constexpr DWORD JCMODE_AUTH_QUERY = 0x2;
constexpr DWORD JCMODE_CARD_SESSION = 0x1;
// RunLanguageCommand's only command.
constexpr DWORD JCCMD_LANGUAGE = 1;

// Interface versions the binding asks for, newest first.
constexpr WORD JCVER_FIRST = JC_VERSION_101;
constexpr WORD JCVER_LAST = JC_VERSION_105;

struct JobControlLanguageBlock {
  DWORD size;  // 8
  WORD primary;
  WORD sublanguage;
};
static_assert(sizeof(JobControlLanguageBlock) == 8);


