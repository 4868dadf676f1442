#include "escapes.h"

#include <cstddef>
#include <cstring>

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/settings_dirs.h"
#include "job_text.h"
#include "record_buffer.h"
#include "render_device.h"
#include "render_fields.h"
#include "text_geometry.h"
#include "win/errors.h"
#include "win/kernel.h"

namespace rendara {

namespace {

constexpr char kTechnology[] = "KOVA";
constexpr char kRenderVersion[] = "KOVA Rendara 1.0.0";

EscapeStringRecord g_escapeStrings[kEscapeStringRows + 1] = {
    {731, 15000, {}},
    {733, 15001, {}},
    {735, 15002, {}},
    {0, 0, {}},
};

// The escapes that copy 8-bit text from the application into a job field.
struct TextEscape {
  ULONG code;
  WORD field;
};
constexpr TextEscape kTextEscapes[] = {
    {ESC_USER_CODE, fid::kdmUserCode},
    {ESC_OWNER_NAME, fid::kdmOwnerName},
    {ESC_JOB_PASSWORD, fid::kdmJOBPassword},
    {ESC_USER_ID, fid::kdmUserID},
    {ESC_DOCUMENT_NAME, fid::kdmDocumentName},
    {ESC_TEL_NO, fid::kdmTelNo},
    {ESC_STORED_PASSWORD, fid::kdmStoredPassword},
    {ESC_AUTH_USER_NAME, fid::wdmAuthenticationUserName},
    {ESC_AUTH_NETWORK_KEY, fid::wdmAuthenticationNetworkKey},
    {ESC_AUTH_PASSWORD, fid::wdmAuthenticationPassword},
};

// The escapes that answer one 16-bit field value.
struct WordEscape {
  ULONG code;
  WORD field;
};
constexpr WordEscape kWordEscapes[] = {
    {ESC_DEFAULT_SOURCE, fid::dmDefaultSource},
    {ESC_PRINT_METHOD, fid::kdmPrnMethod},
    {ESC_API_USE_FLAG, fid::kdmAPIUseFlag},
};

const TextEscape* FindTextEscape(ULONG code) {
  for (const TextEscape& e : kTextEscapes)
    if (e.code == code) return &e;
  return nullptr;
}
const WordEscape* FindWordEscape(ULONG code) {
  for (const WordEscape& e : kWordEscapes)
    if (e.code == code) return &e;
  return nullptr;
}

bool Given(const void* p, ULONG size) { return p && size > 0; }

// field := the input text, read within inputSize and up to its NUL, at most the field's size
// less one byte, made safe for a PJL line; no input clears the field.
ULONG WriteTextField(RenderDevice* device, WORD id, ULONG inputSize, const void* input) {
  const char* text = Given(input, inputSize) ? static_cast<const char*>(input) : nullptr;
  return StoreJobText(device->context, id, text, inputSize) ? 1 : 0;
}

// Optional blanks and sign, then decimal digits up to the first other character, read
// within the input size; no input counts as 0. Saturates instead of overflowing.
long ParseDecimal(ULONG inputSize, const void* input) {
  if (!Given(input, inputSize)) return 0;
  const auto* s = static_cast<const char*>(input);
  ULONG i = 0;
  while (i < inputSize && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool negative = false;
  if (i < inputSize && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  long value = 0;
  for (; i < inputSize && s[i] >= '0' && s[i] <= '9'; ++i) {
    if (value < 100000000L) value = value * 10 + (s[i] - '0');
  }
  return negative ? -value : value;
}

WCHAR LowerAscii(WCHAR c) { return (c >= u'A' && c <= u'Z') ? static_cast<WCHAR>(c - u'A' + u'a') : c; }

// path lies inside dir: dir's characters (case-insensitive), then a backslash and more.
bool Inside(const WCHAR* path, const WCHAR* dir, DWORD dirLength) {
  if (dirLength == 0) return false;
  while (dirLength > 0 && dir[dirLength - 1] == u'\\') --dirLength;
  if (dirLength == 0) return false;
  for (DWORD i = 0; i < dirLength; ++i)
    if (!path[i] || LowerAscii(path[i]) != LowerAscii(dir[i])) return false;
  return path[dirLength] == u'\\' && path[dirLength + 1] != 0;
}

// A per-printer settings INI path an application may set: inside the settings root, the
// settings directory or the user data directory, with no "." or ".." part, no forward
// slash, no stream or device colon after the drive.
bool IsAcceptableIniPath(RenderDevice* device, const WCHAR* path) {
  for (const WCHAR* p = path; *p; ++p) {
    if (*p == u'/' || (*p == u':' && p != path + 1) || *p < 0x20) return false;
    const bool partStart = p == path || p[-1] == u'\\';
    if (partStart && p[0] == u'.' && (p[1] == u'\\' || p[1] == 0 || (p[1] == u'.' && (p[2] == u'\\' || p[2] == 0))))
      return false;
  }
  WCHAR dir[MAX_PATH];
  DWORD n = GetSettingsRoot(dir, MAX_PATH, device->context);
  if (n < MAX_PATH && Inside(path, dir, n)) return true;
  n = GetSettingsDir(dir, MAX_PATH, device->context);
  if (n < MAX_PATH && Inside(path, dir, n)) return true;
  n = GetUserDataDir(dir, MAX_PATH, device->printer);
  return n < MAX_PATH && Inside(path, dir, n);
}

ULONG SetIniPath(RenderDevice* device, ULONG inputSize, const void* input) {
  WorkArea* work = device->context->work;
  if (!work || !Given(input, inputSize)) return 0;
  constexpr std::size_t kLimit = 259;
  WCHAR path[kLimit + 1] = {};
  std::size_t n = 0;
  const std::size_t chars = inputSize / sizeof(WCHAR);
  const auto* bytes = static_cast<const BYTE*>(input);
  for (; n < chars; ++n) {
    WCHAR c;
    std::memcpy(&c, bytes + n * sizeof(WCHAR), sizeof c);
    if (c == 0) break;
    // A path longer than the field is refused rather than cut to another name.
    if (n == kLimit) return 0;
    path[n] = c;
  }
  if (n == 0 || !IsAcceptableIniPath(device, path)) return 0;
  std::memcpy(work->userIniPath, path, (n + 1) * sizeof(WCHAR));
  return 1;
}

ULONG SetCopyCount(RenderDevice* device, ULONG inputSize, const void* input, ULONG outputSize, void* output) {
  if (!Given(input, inputSize)) return kEscapeFailed;
  if (inputSize < sizeof(DWORD)) return 0;
  if (output && outputSize > 0 && outputSize < sizeof(DWORD)) return 0;
  DWORD count;
  std::memcpy(&count, input, sizeof count);
  if (count >= kMaxCopyCount) count = kMaxCopyCount;
  if (count == 0) count = 1;
  device->copies = static_cast<std::int16_t>(count);
  WriteFieldRawById(device->context, fid::dmCopies, count);
  // The document start merges the job's device-mode again: its copy carries the count, so
  // a count set before the document starts is not undone by the device-mode's own.
  if (device->jobDevmode) {
    device->jobDevmode->dmCopies = static_cast<SHORT>(count);
    device->jobDevmode->dmFields |= DM_COPIES;
  }
  if (output && outputSize >= sizeof(DWORD)) std::memcpy(output, &count, sizeof count);
  return 1;
}

ULONG PassThrough(RenderDevice* device, ULONG inputSize, const void* input) {
  if (!Given(input, inputSize) || inputSize < sizeof(WORD)) return 0;
  WORD n;
  std::memcpy(&n, input, sizeof n);
  // A length beyond the bytes given is refused: nothing is written.
  if (n > inputSize - sizeof(WORD)) return 0;
  if (!FlushRecords(&device->records)) return kEscapeFailed;
  if (!WriteOutput(&device->records, static_cast<const BYTE*>(input) + sizeof(WORD), n)) return kEscapeFailed;
  return n;
}

ULONG CopyText(const char* text, ULONG outputSize, void* output) {
  const std::size_t n = std::strlen(text) + 1;
  if (!output || outputSize < n) return 0;
  std::memcpy(output, text, n);
  return 1;
}

ULONG PageSize(RenderDevice* device, ULONG outputSize, void* output) {
  float values[4] = {static_cast<float>(device->surfaceWidth), static_cast<float>(device->surfaceHeight), 0.0f, 0.0f};
  if (!output || outputSize < sizeof values) return 0;
  if (device->jobFlags & JOB_PAGE_OPEN) {
    values[2] = static_cast<float>(device->geometry.xOffset);
    values[3] = static_cast<float>(device->geometry.yOffset);
  }
  std::memcpy(output, values, sizeof values);
  return 1;
}

ULONG OutputDllName(RenderDevice* device, ULONG outputSize, void* output) {
  if (!output || outputSize == 0) return 0;
  const WCHAR* name = device->outputDllName ? device->outputDllName : u"";
  std::size_t chars = 0;
  while (name[chars]) ++chars;
  // Room for every character in its 8-bit form (at most two bytes each) and the NUL.
  BYTE text[2 * MAX_PATH + 2];
  if (chars > MAX_PATH) return 0;
  const DWORD n = ConvertToPrinterText(text, sizeof text - 1, name, static_cast<DWORD>(chars * sizeof(WCHAR)));
  text[n] = 0;
  if (outputSize < n + 1) return 0;
  std::memcpy(output, text, n + 1);
  return 1;
}

ULONG AnswerWord(RenderDevice* device, WORD id, ULONG outputSize, void* output) {
  if (!output || outputSize == 0) return 1;
  if (outputSize < sizeof(WORD)) return 0;
  const auto value = static_cast<WORD>(ReadFieldRawById(device->context, id));
  std::memcpy(output, &value, sizeof value);
  return 1;
}

}  // namespace

EscapeStringRecord* EscapeStringTable() { return g_escapeStrings; }

BOOL CopyEscapeStrings(EscapeStringRecord* table, const void* input, ULONG inputSize) {
  if (!table || !input) return FALSE;
  std::size_t rows = 0;
  while (table[rows].fieldId != 0) ++rows;
  if (inputSize / sizeof(EscapeStringRecord) < rows) return FALSE;
  const auto* bytes = static_cast<const BYTE*>(input);
  for (std::size_t r = 0; r < rows; ++r) {
    const BYTE* text = bytes + r * sizeof(EscapeStringRecord) + offsetof(EscapeStringRecord, text);
    WCHAR* to = table[r].text;
    std::size_t n = 0;
    for (; n < 260; ++n) {
      WCHAR c;
      std::memcpy(&c, text + n * sizeof(WCHAR), sizeof c);
      if (c == 0) break;
      to[n] = c;
    }
    to[n] = 0;
  }
  return TRUE;
}

const char* GetRenderVersionText() { return kRenderVersion; }

bool IsEscapeSupported(const RenderDevice* device, ULONG code) {
  switch (code) {
    case ESC_QUERYESCSUPPORT:
    case ESC_SETCOPYCOUNT:
    case ESC_GETTECHNOLOGY:
    case ESC_PAGE_SIZE:
    case ESC_RENDER_VERSION:
    case ESC_OUTPUT_DLL_NAME:
      return true;
    case ESC_PASSTHROUGH:
      return device && device->rawMode != 0;
    default:
      return code >= ESC_USER_CODE && code <= ESC_API_USE_FLAG;
  }
}

ULONG DeviceEscape(RenderDevice* device, ULONG code, ULONG inputSize, const void* input, ULONG outputSize,
                   void* output) {
  if (!device || !device->context) return 0;
  if (!IsEscapeSupported(device, code)) return 0;
  if (const TextEscape* e = FindTextEscape(code)) return WriteTextField(device, e->field, inputSize, input);
  if (const WordEscape* e = FindWordEscape(code)) return AnswerWord(device, e->field, outputSize, output);
  switch (code) {
    case ESC_QUERYESCSUPPORT: {
      if (!Given(input, inputSize) || inputSize < sizeof(WORD)) return 0;
      WORD asked;
      std::memcpy(&asked, input, sizeof asked);
      if (asked == ESC_SETCOPYCOUNT) return kMaxCopyCount;
      return IsEscapeSupported(device, asked) ? 1 : 0;
    }
    case ESC_SETCOPYCOUNT:
      return SetCopyCount(device, inputSize, input, outputSize, output);
    case ESC_PASSTHROUGH:
      return PassThrough(device, inputSize, input);
    case ESC_GETTECHNOLOGY:
      return CopyText(kTechnology, outputSize, output);
    case ESC_PAGE_SIZE:
      return PageSize(device, outputSize, output);
    case ESC_TEL_LINE: {
      long value = ParseDecimal(inputSize, input);
      WriteFieldRawById(device->context, fid::kdmTelLine, static_cast<DWORD>(value));
      return 1;
    }
    case ESC_SETTINGS_INI_PATH:
      return SetIniPath(device, inputSize, input);
    case ESC_DISPLAY_STRINGS:
      if (!Given(input, inputSize)) return 1;
      return CopyEscapeStrings(g_escapeStrings, input, inputSize) ? 1 : 0;
    case ESC_RENDER_VERSION:
      return CopyText(kRenderVersion, outputSize, output);
    case ESC_OUTPUT_DLL_NAME:
      return OutputDllName(device, outputSize, output);
    default:
      return 0;
  }
}

}  // namespace rendara
