// The engine's drawing-call objects as the host makes them for a driver: clip regions,
// paths, brushes, colour translations, transforms, fonts and strings. Each builder owns
// the public record (CLIPOBJ, PATHOBJ ...) that the driver receives through get(), and the
// engine services (CLIPOBJ_bEnum, PATHOBJ_bEnum ...) find the builder behind the record.
// A record the engine did not make is refused by the services (ERROR_INVALID_PARAMETER).
//
// Builders are neither copied nor moved: the driver may keep the record's address for the
// length of a call.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "win/winddi.h"

namespace plat::gdi {

class ClipObject {
 public:
  // No clip (DC_TRIVIAL) over the given bounds.
  static std::unique_ptr<ClipObject> Trivial(const RECTL& bounds);
  // One rectangle (DC_RECT).
  static std::unique_ptr<ClipObject> Rect(const RECTL& rect, ULONG uniq = 1);
  // A region of rectangles (DC_COMPLEX); bounds are their union.
  static std::unique_ptr<ClipObject> Region(std::vector<RECTL> rects, ULONG uniq = 1);
  ~ClipObject();
  ClipObject(const ClipObject&) = delete;
  ClipObject& operator=(const ClipObject&) = delete;
  CLIPOBJ* get() { return &obj_; }
  const std::vector<RECTL>& rects() const { return rects_; }

  // Used by the engine services.
  ULONG StartEnum(BOOL all, ULONG direction, ULONG limit);
  BOOL Enum(ULONG cj, ULONG* out);

 private:
  ClipObject();
  CLIPOBJ obj_{};
  std::vector<RECTL> rects_;
  std::vector<RECTL> order_;
  std::size_t cursor_ = 0;
};

class PathObject {
 public:
  PathObject();
  ~PathObject();
  PathObject(const PathObject&) = delete;
  PathObject& operator=(const PathObject&) = delete;
  PATHOBJ* get() { return &obj_; }

  // Points in 28.4 fixed point.
  void MoveTo(POINTFIX p);
  void LineTo(POINTFIX p);
  void BezierTo(POINTFIX c1, POINTFIX c2, POINTFIX end);
  void CloseFigure();
  // Splits enumeration records after this many points (0: never), as the engine does
  // for long figures.
  void SetBatchLimit(ULONG points) { batchLimit_ = points; }
  // A closed rectangle figure.
  void AddRect(const RECTL& r);

  // Used by the engine services.
  void StartEnum();
  BOOL Enum(PATHDATA* out);
  RECTFX Bounds() const;

  struct Record {
    FLONG flags;
    std::vector<POINTFIX> points;
  };
  const std::vector<Record>& records() const { return records_; }

 private:
  void Recount();
  PATHOBJ obj_{};
  std::vector<Record> records_;
  std::vector<Record> batches_;
  std::size_t cursor_ = 0;
  ULONG batchLimit_ = 0;
};

class XformObject {
 public:
  explicit XformObject(const XFORML& m = XFORML{1, 0, 0, 1, 0, 0});
  ~XformObject();
  XformObject(const XformObject&) = delete;
  XformObject& operator=(const XformObject&) = delete;
  XFORMOBJ* get() { return &obj_; }
  const XFORML& matrix() const { return m_; }
  void SetMatrix(const XFORML& m) { m_ = m; }
  ULONG Kind() const;
  BOOL Apply(ULONG mode, ULONG count, const void* in, void* out) const;

 private:
  XFORMOBJ obj_{};
  XFORML m_;
};

class XlateObject {
 public:
  // Trivial translation (indexes unchanged).
  XlateObject();
  // A table: source index i -> table[i].
  explicit XlateObject(std::vector<ULONG> table, FLONG extraFlags = 0);
  ~XlateObject();
  XlateObject(const XlateObject&) = delete;
  XlateObject& operator=(const XlateObject&) = delete;
  XLATEOBJ* get() { return &obj_; }
  // The palettes XLATEOBJ_cGetPalette answers with (colours 0x00BBGGRR).
  void SetPalettes(std::vector<ULONG> source, std::vector<ULONG> destination);

  ULONG Translate(ULONG index) const;
  ULONG GetPalette(ULONG which, ULONG count, ULONG* out) const;

 private:
  XLATEOBJ obj_{};
  std::vector<ULONG> table_;
  std::vector<ULONG> source_, destination_;
};

class BrushObject {
 public:
  // A solid brush of a colour index.
  explicit BrushObject(ULONG solidColor, FLONG colorType = 0);
  // A pattern brush: the engine realizes it through the driver of `hdev` (its
  // DrvRealizeBrush) with the pattern surface, the target surface and the translation.
  BrushObject(HDEV hdev, SURFOBJ* target, SURFOBJ* pattern, XLATEOBJ* xlate, ULONG hatch, FLONG colorType = 0);
  ~BrushObject();
  BrushObject(const BrushObject&) = delete;
  BrushObject& operator=(const BrushObject&) = delete;
  BRUSHOBJ* get() { return &obj_; }
  int realizeCalls() const { return realizeCalls_; }

  PVOID Alloc(ULONG cj);
  PVOID GetRealized();

 private:
  BRUSHOBJ obj_{};
  HDEV hdev_ = nullptr;
  SURFOBJ* target_ = nullptr;
  SURFOBJ* pattern_ = nullptr;
  XLATEOBJ* xlate_ = nullptr;
  ULONG hatch_ = 0;
  std::vector<std::unique_ptr<BYTE[]>> blocks_;
  PVOID pending_ = nullptr;
  int realizeCalls_ = 0;
};

class FontObject {
 public:
  // metrics: an IFIMETRICS with its strings after it (cjThis bytes, copied).
  FontObject(ULONG uniq, ULONG face, FLONG fontType, const void* metrics, ULONG metricsSize,
             const XFORML& transform);
  ~FontObject();
  FontObject(const FontObject&) = delete;
  FontObject& operator=(const FontObject&) = delete;
  FONTOBJ* get() { return &obj_; }
  XformObject& transform() { return xform_; }

  // A glyph: its bitmap (rows of width bits padded to bytes, top row first) and metrics,
  // and optionally an outline.
  void AddGlyph(HGLYPH hg, POINTL origin, SIZEL size, const std::vector<BYTE>& rows, FIX advance);
  PathObject& GlyphOutline(HGLYPH hg);
  void SetGlyphSet(std::vector<BYTE> glyphSetBlob);  // an FD_GLYPHSET in native layout

  ULONG GetGlyphs(ULONG mode, ULONG count, HGLYPH* handles, PVOID* out);
  IFIMETRICS* Metrics();
  void Info(ULONG cj, FONTINFO* out) const;
  ULONG AllHandles(HGLYPH* out) const;
  FD_GLYPHSET* GlyphSet();
  GLYPHDEF* Definition(HGLYPH hg);

 private:
  struct Glyph {
    std::vector<BYTE> bits;  // a GLYPHBITS record
    GLYPHDATA data{};
    GLYPHDEF def{};
    std::unique_ptr<PathObject> outline;
    GLYPHDATA outlineData{};
    GLYPHDEF outlineDef{};
  };
  FONTOBJ obj_{};
  std::vector<BYTE> metrics_;
  XformObject xform_;
  std::map<HGLYPH, Glyph> glyphs_;
  std::vector<BYTE> glyphSet_;
};

class StringObject {
 public:
  // Glyphs and their positions; `font` (may be null) supplies the glyph definitions that
  // STROBJ_bEnum hands out. positionsInRecord: pgp points at the positions (the
  // driver need not enumerate); otherwise pgp is null.
  StringObject(std::u16string text, std::vector<GLYPHPOS> glyphs, FontObject* font, FLONG accel,
               ULONG charInc, const RECTL& background, bool positionsInRecord);
  ~StringObject();
  StringObject(const StringObject&) = delete;
  StringObject& operator=(const StringObject&) = delete;
  STROBJ* get() { return &obj_; }
  void SetBatchLimit(ULONG glyphs) { batchLimit_ = glyphs; }
  void SetCodePage(DWORD cp) { codePage_ = cp; }

  void StartEnum();
  BOOL Enum(ULONG* count, GLYPHPOS** out, bool withDefinitions);
  DWORD CodePage() const { return codePage_; }

 private:
  STROBJ obj_{};
  std::u16string text_;
  std::vector<GLYPHPOS> glyphs_;
  std::vector<GLYPHPOS> positionsOnly_;  // the last batch of STROBJ_bEnumPositionsOnly
  FontObject* font_ = nullptr;
  std::size_t cursor_ = 0;
  ULONG batchLimit_ = 0;
  DWORD codePage_ = 0;
};

}  // namespace plat::gdi

#pragma GCC visibility pop
