// DrvEscape: the standard escapes (query support, copy count, raw pass-through, technology
// name) and the private escapes through which the printer interface DLL hands the job
// strings and the display-string table to the rendering side and programs read back a few
// settings, the page size and the names of the output DLL and of the rendering core.
//
// Every escape reads at most the input size and writes at most the output size it is
// given. An input or output given but smaller than the escape's value is refused with 0
// and changes nothing.
#pragma once

#include "base/escape_strings.h"
#include "win/types.h"

namespace rendara {

struct RenderDevice;

// Escape codes.
constexpr ULONG ESC_QUERYESCSUPPORT = 8;
constexpr ULONG ESC_SETCOPYCOUNT = 17;
constexpr ULONG ESC_PASSTHROUGH = 19;
constexpr ULONG ESC_GETTECHNOLOGY = 20;
constexpr ULONG ESC_PAGE_SIZE = 42;
constexpr ULONG ESC_USER_CODE = 111;
constexpr ULONG ESC_OWNER_NAME = 112;
constexpr ULONG ESC_JOB_PASSWORD = 113;
constexpr ULONG ESC_USER_ID = 114;
constexpr ULONG ESC_DOCUMENT_NAME = 115;
constexpr ULONG ESC_TEL_NO = 116;
constexpr ULONG ESC_TEL_LINE = 117;
constexpr ULONG ESC_STORED_PASSWORD = 118;
constexpr ULONG ESC_DEFAULT_SOURCE = 119;
constexpr ULONG ESC_PRINT_METHOD = 120;
constexpr ULONG ESC_SETTINGS_INI_PATH = 121;
constexpr ULONG ESC_DISPLAY_STRINGS = 122;
constexpr ULONG ESC_AUTH_USER_NAME = 123;
constexpr ULONG ESC_AUTH_NETWORK_KEY = 124;
constexpr ULONG ESC_AUTH_PASSWORD = 125;
constexpr ULONG ESC_API_USE_FLAG = 126;
constexpr ULONG ESC_RENDER_VERSION = 140;
constexpr ULONG ESC_OUTPUT_DLL_NAME = 141;

// The highest copy count SETCOPYCOUNT sets (and QUERYESCSUPPORT answers for it).
constexpr ULONG kMaxCopyCount = 999;
// The result of a failed escape that answers a count (0xFFFFFFFF).
constexpr ULONG kEscapeFailed = 0xFFFFFFFFu;

// The display-string table of the process: three rows (keys 731, 733, 735; string ids
// 15000 to 15002; empty texts at load) and an end row. Shared by every device of the
// process, never freed, unguarded.
constexpr int kEscapeStringRows = 3;
EscapeStringRecord* EscapeStringTable();
// Copies the text of each input record (526 bytes each, text at byte 4) into the row at the
// same position, at most 260 characters and a NUL; keys and string ids are not compared.
// FALSE, and nothing copied, when inputSize holds fewer records than the table has rows.
BOOL CopyEscapeStrings(EscapeStringRecord* table, const void* input, ULONG inputSize);

// The build tag of the rendering core (8-bit, NUL-terminated).
const char* GetRenderVersionText();

// Whether the device serves the escape (PASSTHROUGH only in raw mode).
bool IsEscapeSupported(const RenderDevice* device, ULONG code);
// The escape on a valid device; see the table in escapes.cpp.
ULONG DeviceEscape(RenderDevice* device, ULONG code, ULONG inputSize, const void* input, ULONG outputSize,
                   void* output);

}  // namespace rendara
