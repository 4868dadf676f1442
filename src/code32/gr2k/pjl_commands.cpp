#include "pjl_commands.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_handles.h"
#include "fields/field_table.h"
#include "fields/locale_text.h"
#include "stored/module_services.h"
#include "fields/value_maps.h"
#include "model/model_parse.h"
#include "model/option_lookup.h"
#include "render_fields.h"
#include "stored/font_lists.h"

namespace rendara {

void AppendBytes(TextSink* sink, const char* text, std::size_t n) {
  if (!sink || !text || n == 0) return;
  if (n > 0xFFFFFFFFu - sink->count) {
    sink->overflow = true;
    return;
  }
  if (sink->buffer) {
    if (sink->count <= sink->size && n <= sink->size - sink->count) {
      std::memcpy(sink->buffer + sink->count, text, n);
    } else {
      sink->overflow = true;
    }
  }
  sink->count += static_cast<DWORD>(n);
}

void AppendText(TextSink* sink, const char* text) {
  if (text) AppendBytes(sink, text, std::strlen(text));
}

void ReplaceLastByte(TextSink* sink, char c) {
  if (!sink || sink->count == 0) return;
  if (sink->buffer && sink->count <= sink->size) sink->buffer[sink->count - 1] = static_cast<BYTE>(c);
}

const char* ImageTextAt(ImageRef record, DWORD at) {
  return record ? ImageText(record.image, record.U32(at)) : nullptr;
}

void AppendWrapped(TextSink* sink, ImageRef option, const char* text, std::size_t n) {
  const ImageRef pair = OptionCommands(option);
  AppendText(sink, ImageTextAt(pair, 0));
  AppendBytes(sink, text, n);
  AppendText(sink, ImageTextAt(pair, 4));
}

void WritePjlSetLine(const char* name, const char* value, TextSink* sink) {
  if (!name || !value) return;
  AppendText(sink, "@PJL SET ");
  AppendText(sink, name);
  AppendText(sink, " = ");
  AppendText(sink, value);
  AppendText(sink, " \r\n");
}

namespace {

// A name of at most 32 UTF-16 characters (not necessarily ended) in 8-bit form, at most
// 32 bytes.
void NameToAnsi(const WCHAR* name, char out[33]) {
  WCHAR copy[33] = {};
  std::memcpy(copy, name, 32 * sizeof(WCHAR));
  WideToAnsi(out, copy, 33);
}

// Ends a font line: its last byte (the final '/', or the opening quotation mark) becomes
// a quotation mark, followed by " \r\n".
void EndFontLine(TextSink* sink) {
  ReplaceLastByte(sink, '"');
  AppendText(sink, " \r\n");
}

// The most records a font table is read for; a count beyond it is a broken settings value.
constexpr std::int32_t kMaxFontRecords = 0x10000;

}  // namespace

std::int32_t WriteDeviceFontLine(DriverContext* context, TextSink* sink) {
  int n = 0;
  const auto* table = static_cast<const BYTE*>(
      ContextList(context, fid::kdmDeviceFontNum, fid::kdmDeviceFont, sizeof(FontListRecord), &n));
  if (n <= 0 || n > kMaxFontRecords || !table) return 0;
  AppendText(sink, "@PJL SET DEVFONTID = \"");
  for (std::int32_t i = 0; i < n; ++i) {
    FontListRecord record;
    std::memcpy(&record, table + static_cast<std::size_t>(i) * sizeof record, sizeof record);
    if ((record.id & 0xFFFFu) == 0xFFFFu) continue;
    char number[16];
    std::snprintf(number, sizeof number, "%u", static_cast<unsigned>(record.id & 0xFFFFu));
    char name[33];
    NameToAnsi(record.name, name);
    AppendText(sink, number);
    AppendText(sink, "+");
    AppendText(sink, name);
    AppendText(sink, "/");
  }
  EndFontLine(sink);
  return 0;
}

void WriteSubstituteFontLine(DriverContext* context, ImageRef option, DWORD value, TextSink* sink) {
  ImageRef item = OptionValues(option);
  while (item && ItemValueId(item) != value) item = ItemNext(item);
  if (!item || item.U32(item::kPairCount) == 0) return;
  int n = 0;
  const auto* table = static_cast<const BYTE*>(
      ContextList(context, fid::kdmFontTableNum, fid::kdmFontTable, sizeof(FontSubstitutionRecord), &n));
  if (n <= 0 || n > kMaxFontRecords || !table) return;
  AppendText(sink, "@PJL SET SUBFONTTABLE = \"");
  for (std::int32_t i = 0; i < n; ++i) {
    FontSubstitutionRecord record;
    std::memcpy(&record, table + static_cast<std::size_t>(i) * sizeof record, sizeof record);
    char first[33];
    char second[33];
    NameToAnsi(record.trueTypeName, first);
    NameToAnsi(record.deviceFontName, second);
    AppendText(sink, first);
    AppendText(sink, "+");
    AppendText(sink, second);
    AppendText(sink, "/");
  }
  EndFontLine(sink);
}

const char* GetOptionValueCommand(DriverContext* context, WORD featureId, DWORD value) {
  const ImageRef option = FindOptionRecord(featureId, context);
  if (!option) return nullptr;
  const WORD type = OptionRawType(option) & kTypeMask;
  if ((type & 0xFF) == kTypePickOne) {
    const SettingField* field = FindFieldById(context, featureId);
    for (ImageRef item = OptionValues(option); item; item = ItemNext(item)) {
      const DWORD stored = field ? OptionIndexToRaw(context, field, ItemValueId(item)) : ItemValueId(item);
      if (stored == value) return ImageTextAt(item, item::kCommand);
    }
    return nullptr;
  }
  if (type == kTypeBoolean) return ImageTextAt(OptionValues(option), value ? 4 : 8);
  return nullptr;
}

namespace {

struct ChapterTray {
  WORD tray;
  BYTE mode;
};

// The decimal number at the start of a text (blanks before it allowed), 0 when there is
// none.
long ReadDecimal(const char* text) {
  while (*text == ' ' || *text == '\t') ++text;
  long n = 0;
  while (*text >= '0' && *text <= '9' && n < 100000000L) n = n * 10 + (*text++ - '0');
  return n;
}

void WriteNumberedLine(const char* word, DWORD number, const char* value, TextSink* sink) {
  char name[48];
  std::snprintf(name, sizeof name, "%s%u", word, static_cast<unsigned>(number));
  WritePjlSetLine(name, value, sink);
}

void WriteNumberedLine(const char* word, DWORD number, long value, TextSink* sink) {
  char text[24];
  std::snprintf(text, sizeof text, "%ld", value);
  WriteNumberedLine(word, number, text, sink);
}

// "CHAPTERPAGETRAY" n = "CHAPTERPRINTTRAY" k, k the 1-based place of the tray in the list
// (one past the used trays when it is not there).
void WritePageTrayLine(DWORD n, WORD tray, const ChapterTray* list, DWORD listCount, DWORD trays,
                       TextSink* sink) {
  DWORD k = trays + 1;
  for (DWORD i = 0; i < listCount; ++i) {
    if (list[i].tray == tray) {
      k = i + 1;
      break;
    }
  }
  char value[48];
  std::snprintf(value, sizeof value, "CHAPTERPRINTTRAY%u", static_cast<unsigned>(k));
  WriteNumberedLine("CHAPTERPAGETRAY", n, value, sink);
}

}  // namespace

void WriteChapterLines(DriverContext* context, ImageRef option, DWORD value, TextSink* sink) {
  // The option's Boolean command; an option of another type has none.
  if ((OptionRawType(option) & kTypeMask) == kTypeBoolean) {
    AppendWrapped(sink, option, ImageTextAt(OptionValues(option), value ? 4 : 8));
  }
  if (value == 0) return;
  const DWORD size = ReadFieldRawById(context, fid::wdmChapterNum);
  DWORD trays = ReadFieldRawById(context, fid::wdmChapterTrayMax);
  if (size == 0 || trays == 0) return;

  // The tray list: at most wdmChapterTrayMax trays, and never more than the entries.
  const DWORD capacity = trays < size ? trays : size;
  auto* list = new (std::nothrow) ChapterTray[capacity];
  if (!list) return;
  DWORD listCount = 0;
  for (DWORD pos = 0; pos < size; ++pos) {
    const ChapterEntry* entry = GetChapterEntry(context, static_cast<int>(pos));
    if (!entry) break;
    if (entry->kind != 0 && entry->kind != 3) continue;
    DWORD i = 0;
    while (i < listCount && list[i].tray != entry->trayValue) ++i;
    if (i < listCount) {
      if (entry->mode != 0) list[i].mode = entry->mode;
    } else if (listCount < capacity) {
      list[listCount++] = ChapterTray{entry->trayValue, entry->mode};
    }
  }
  if (listCount < trays) trays = listCount;
  const bool duplex = ReadFieldRawById(context, fid::kdmFuncSelectDuplex) != 0;

  for (DWORD t = 1; t <= trays; ++t) {
    WriteNumberedLine("CHAPTERPRINTTRAY", t, GetOptionValueCommand(context, fid::wdmChapterTray, list[t - 1].tray),
                      sink);
    WriteNumberedLine("CHAPTERPRINTDUPLEX", t, duplex && list[t - 1].mode == 1 ? "ON" : "OFF", sink);
  }

  for (DWORD n = 1; n <= size; ++n) {
    const ChapterEntry* entry = GetChapterEntry(context, static_cast<int>(n - 1));
    if (!entry) break;
    if (entry->kind != 3) WriteNumberedLine("CHAPTERPAGENUMBER", n, static_cast<long>(entry->pageNumber), sink);
    if (entry->kind == 3) {
      WCHAR range[17] = {};
      std::memcpy(range, entry->rangeText, sizeof entry->rangeText);
      char text[40];
      WideToAnsi(text, range, sizeof text);
      const char* dash = std::strchr(text, '-');
      const long start = ReadDecimal(text);
      const long end = dash ? ReadDecimal(dash + 1) : start;
      WriteNumberedLine("CHAPTERPAGESTART", n, start, sink);
      WriteNumberedLine("CHAPTERPAGEEND", n, end, sink);
      WritePageTrayLine(n, entry->trayValue, list, listCount, trays, sink);
    } else if (entry->kind == 0) {
      WriteNumberedLine("CHAPTERPAGE", n, entry->mode == 1 || entry->mode == 2 ? "COPY" : "BLANK", sink);
      WritePageTrayLine(n, entry->trayValue, list, listCount, trays, sink);
    } else {
      WriteNumberedLine("CHAPTERPAGE", n, "BREAK", sink);
    }
  }
  delete[] list;
}

}  // namespace rendara
