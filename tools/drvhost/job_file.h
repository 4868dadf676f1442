// The host's print-job files: a small text form of our own that describes what an
// application prints (the document name, its pages, device resets between pages, and
// the drawing calls of each page). See tools/drvhost/README.md for the statements.
#pragma once

#include <string>
#include <vector>

#include "win/types.h"

namespace drvhost {

struct DrawCall {
  enum class Kind { Rect, Line, Polygon, Text, Escape };
  Kind kind = Kind::Rect;
  ULONG color = 0;            // the engine's colour value for the device palette
  std::vector<LONG> coords;   // rect: l t r b; line: x0 y0 x1 y1; polygon: x y pairs; text: x y
  std::string font;           // text: a TrueType font file or a device font's name (UTF-8)
  LONG size = 0;              // text: the em height in device pixels
  std::u16string text;        // text: the characters
  int lineNumber = 0;
  // An escape: its code, its input bytes and the size of the output it is given (0: none).
  ULONG escapeCode = 0;
  std::vector<BYTE> input;
  ULONG outputSize = 0;
};

// A public device-mode setting by name (paper, orientation, copies, duplex, quality,
// colour...) and its value as written (a name or a number), checked when read.
struct ResetField {
  std::string name;
  std::string value;
};

struct JobPagePlan {
  std::vector<ResetField> reset;  // non-empty: a device reset before this page
  std::vector<DrawCall> calls;
};

struct JobPlan {
  std::string document;  // UTF-8
  DWORD jobId = 0;  // 0: the spooler gives the job the next free id
  std::string devmodeFile;  // a file of device-mode bytes (relative: to the job file's folder), or empty
  std::vector<JobPagePlan> pages;
  std::vector<DrawCall> documentEscapes;  // escapes before the first page: sent before DrvStartDoc
};

// Parses a job file's text. On failure answers false with a message naming the line.
bool ParseJob(const std::string& text, JobPlan& out, std::string& error);

}  // namespace drvhost
