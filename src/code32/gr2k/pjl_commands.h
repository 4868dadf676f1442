// The text sink of the header texts and the PJL lines that the driver composes itself: the
// "@PJL SET" line, the device-font and substitute-font lines and the chapter lines.
//
// Every header text is made twice with the same context: once without a buffer, to count
// its bytes, then into a buffer of that size. A writer therefore appends to a TextSink,
// which always adds to the count and copies only while the bytes fit the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "model/model_image.h"
#include "win/types.h"

struct DriverContext;
struct SettingField;

namespace rendara {

struct TextSink {
  BYTE* buffer = nullptr;  // null while counting
  DWORD size = 0;          // the buffer's size in bytes
  DWORD count = 0;         // bytes written (or that would be written) so far
  bool overflow = false;   // a byte did not fit the buffer, or the count would pass 32 bits
};

// Appends n bytes; the count grows by n in every case.
void AppendBytes(TextSink* sink, const char* text, std::size_t n);
// Appends a NUL-ended text (null appends nothing).
void AppendText(TextSink* sink, const char* text);
// Replaces the last byte written (no effect on an empty text).
void ReplaceLastByte(TextSink* sink, char c);

// The option's command pair around a value text: the pair's first text, the value, the
// pair's second text; either text of the pair may be absent, and so may the pair.
void AppendWrapped(TextSink* sink, ImageRef option, const char* text, std::size_t n);
inline void AppendWrapped(TextSink* sink, ImageRef option, const char* text);

// "@PJL SET " name " = " value " \r\n"; nothing when either is null.
void WritePjlSetLine(const char* name, const char* value, TextSink* sink);

// The device-font line of a FontType node from kdmDeviceFontNum and kdmDeviceFont:
// "@PJL SET DEVFONTID = \"id+name/...\" \r\n"; nothing without fonts. Always 0.
std::int32_t WriteDeviceFontLine(DriverContext* context, TextSink* sink);
// The substitute-font line that follows a FontTbl option's command, when the selected item
// has pairs and kdmFontTableNum and kdmFontTable give the table.
void WriteSubstituteFontLine(DriverContext* context, ImageRef option, DWORD value, TextSink* sink);

// The command of a value of a feature's option: for PickOne the item whose stored value
// (its value id mapped back through the field's value map) is value; for Boolean the True
// command for a non-zero value, else the False command; null otherwise.
const char* GetOptionValueCommand(DriverContext* context, WORD featureId, DWORD value);

// The chapter lines of kdmFuncSelectChapter (value): the option's Boolean command, and when
// the value is set, the tray, duplex and page lines of the chapter list.
void WriteChapterLines(DriverContext* context, ImageRef option, DWORD value, TextSink* sink);

// Text of an image at a plain reference, or null.
const char* ImageTextAt(ImageRef record, DWORD at);

inline void AppendWrapped(TextSink* sink, ImageRef option, const char* text) {
  if (text) AppendWrapped(sink, option, text, std::strlen(text));
}

}  // namespace rendara
