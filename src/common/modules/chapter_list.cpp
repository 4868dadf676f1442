#include "context/chapter_list.h"

#include <cstring>
#include <new>
#include <vector>

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/ini_files.h"
#include "fields/languages.h"
#include "base/memory.h"
#include "stored/module_services.h"
#include "base/paths_and_names.h"
#include "field_ids.h"
#include "modules/module_text.h"
#include "modules/tray_tables.h"

namespace {

constexpr WORD kUseTrayFields[kChapterUseTrays] = {
    fid::wdmChapterUseTray1, fid::wdmChapterUseTray2, fid::wdmChapterUseTray3, fid::wdmChapterUseTray4,
    fid::wdmChapterUseTray5, fid::wdmChapterUseTray6, fid::wdmChapterUseTray7, fid::wdmChapterUseTray8};
constexpr DWORD kSectionFromLanguage = 8;
constexpr WORD kRefuseCharacters = 12049;
constexpr WORD kRefuseSyntax = 10073;
constexpr WORD kRefuseTooMany = 10065;
constexpr WORD kRefuseOverlap = 12045;
constexpr WORD kRefuseCoverRange = 12046;
constexpr WORD kRefuseTrays = 10066;
constexpr WORD kRefusePrintModes = 10068;
constexpr DWORD kSaturated = 99999;  // beyond every page number, so it is refused, never wrapped
constexpr int kTextChars = 16;

bool Digit(WCHAR c) { return c >= u'0' && c <= u'9'; }

DWORD Decimal(const std::vector<WCHAR>& t, std::size_t from, std::size_t to) {
  DWORD v = 0;
  for (std::size_t i = from; i < to; ++i) {
    if (!Digit(t[i])) break;
    v = v * 10 + static_cast<DWORD>(t[i] - u'0');
    if (v > kSaturated) v = kSaturated;
  }
  return v;
}

std::size_t Find(const std::vector<WCHAR>& t, WCHAR c, std::size_t from) {
  for (std::size_t i = from; i < t.size(); ++i)
    if (t[i] == c) return i;
  return std::size_t(-1);
}

bool Known(const ChapterParse* p, DWORD page) {
  for (int i = 0; i < p->count; ++i)
    if (p->pages[i] == page) return true;
  return false;
}

void Add(ChapterParse* p, DWORD page, DWORD last) {
  p->pages[p->count] = page;
  if (last == page) FormatWide(p->texts[p->count], kTextChars, "%u", page);
  else FormatWide(p->texts[p->count], kTextChars, "%u-%u", page, last);
  ++p->count;
}

// The range an entry covers: a kind-3 entry its text "f" or "f-d", others its page.
void RangeOf(const ChapterEntry& e, DWORD* first, DWORD* last) {
  *first = *last = e.pageNumber;
  if (e.kind != 3) return;
  DWORD a = 0, b = 0;
  int i = 0;
  for (; i < kTextChars && Digit(e.rangeText[i]); ++i) a = a * 10 + (e.rangeText[i] - u'0');
  if (i < kTextChars && e.rangeText[i] == u'-') {
    for (++i; i < kTextChars && Digit(e.rangeText[i]); ++i) b = b * 10 + (e.rangeText[i] - u'0');
  } else {
    b = a;
  }
  if (a) {
    *first = a;
    *last = b < a ? a : b;
  }
}

void ChapterKey(WCHAR* key, const char* name, int n) { FormatWide(key, 40, "%s%d", name, n + 1); }

const WCHAR* SectionFor(DriverContext* context, DWORD flags) {
  if (flags & kSectionFromLanguage) {
    const WCHAR* code = GetLanguageCodeOfSetting(context);
    return code && code[0] ? code : u"us";
  }
  return GetPrinterDisplayName(context);
}

}  // namespace

int ChapterMaxOf(DriverContext* context) {
  const DWORD n = ReadFieldRawById(context, fid::wdmChapterMax);
  return n > static_cast<DWORD>(kChapterWorkEntries) ? kChapterWorkEntries : static_cast<int>(n);
}

int ChapterTrayMaxOf(DriverContext* context) {
  const DWORD n = ReadFieldRawById(context, fid::wdmChapterTrayMax);
  return n > static_cast<DWORD>(kChapterUseTrays) ? kChapterUseTrays : static_cast<int>(n);
}

ChapterEntry* ChapterArray(DriverContext* context, int* capacity) {
  if (capacity) *capacity = 0;
  if (!context || !context->work) return nullptr;
  WorkArea* work = context->work;
  const DWORD wanted = static_cast<DWORD>(ChapterMaxOf(context)) + 1;
  if (!work->chapterEntries || work->chapterCapacity < wanted) {
    // A maximum that grew gets a larger array; the entries made so far move into it.
    void* grown = AllocMem(wanted * sizeof(ChapterEntry));
    if (!grown) return work->chapterEntries ? static_cast<ChapterEntry*>(work->chapterEntries) : nullptr;
    if (work->chapterEntries) {
      std::memcpy(grown, work->chapterEntries, work->chapterCapacity * sizeof(ChapterEntry));
      FreeMem(work->chapterEntries);
    }
    work->chapterEntries = grown;
    work->chapterCapacity = wanted;
  }
  if (capacity) *capacity = static_cast<int>(work->chapterCapacity);
  return static_cast<ChapterEntry*>(work->chapterEntries);
}

int LoadChapterList(DriverContext* context, const WCHAR* file, DWORD flags) {
  if (!context || !context->work) return 0;
  const int count = static_cast<int>(ReadFieldRawById(context, fid::wdmChapterNum));
  if (count <= 0) return count;
  if (!file) file = GetUserIniPath(context);
  int capacity = 0;
  ChapterEntry* list = ChapterArray(context, &capacity);
  if (!list || !file || !file[0]) return count;
  const WCHAR* section = SectionFor(context, flags);
  // The walk ends at the array the list really has, whatever the maximum says now.
  const int max = ChapterMaxOf(context) < capacity ? ChapterMaxOf(context) : capacity;
  WCHAR key[40];
  for (int i = 0; i < max; ++i) {
    ChapterEntry& e = list[i];
    std::memset(&e, 0, sizeof e);
    if (i >= count) continue;
    ChapterKey(key, "wdmChapterPage", i);
    e.pageNumber = static_cast<WORD>(ReadIniInt(section, key, 0, file));
    ChapterKey(key, "wdmChapterKind", i);
    e.kind = static_cast<BYTE>(ReadIniInt(section, key, 0, file));
    ChapterKey(key, "wdmChapterTray", i);
    e.trayValue = static_cast<WORD>(ReadIniInt(section, key, 0, file));
    ChapterKey(key, "wdmChapterPrint", i);
    e.mode = static_cast<BYTE>(ReadIniInt(section, key, 0, file));
    ChapterKey(key, "wdmChapterPageRange", i);
    ReadIniString(section, key, u"", e.rangeText, kTextChars, file);
  }
  if (count > max) WriteFieldRawById(context, fid::wdmChapterNum, static_cast<DWORD>(max));
  return static_cast<int>(ReadFieldRawById(context, fid::wdmChapterNum));
}

void SaveChapterList(DriverContext* context, const WCHAR* file) {
  if (!context || !context->work) return;
  if (!file) file = GetUserIniPath(context);
  if (!file || !file[0]) return;
  const WCHAR* section = SectionFor(context, 0);
  WCHAR key[40], value[16];
  for (int i = 0;; ++i) {
    ChapterEntry* e = GetChapterEntry(context, i);
    if (!e) break;
    if (e->pageNumber == 0) {
      WriteFieldRawById(context, fid::wdmChapterNum, static_cast<DWORD>(i));
      break;
    }
    ChapterKey(key, "wdmChapterPage", i);
    FormatWide(value, 16, "%u", e->pageNumber);
    WriteIniString(section, key, value, file);
    ChapterKey(key, "wdmChapterTray", i);
    FormatWide(value, 16, "%u", e->trayValue);
    WriteIniString(section, key, value, file);
    ChapterKey(key, "wdmChapterKind", i);
    FormatWide(value, 16, "%u", e->kind);
    WriteIniString(section, key, value, file);
    ChapterKey(key, "wdmChapterPrint", i);
    FormatWide(value, 16, "%u", e->mode);
    WriteIniString(section, key, value, file);
    WCHAR range[kTextChars + 1];
    CopyWide(range, kTextChars + 1, e->rangeText);
    ChapterKey(key, "wdmChapterPageRange", i);
    WriteIniString(section, key, range, file);
  }
}

void AssignChapterUseTrays(DriverContext* context) {
  int seen[kChapterUseTrays];
  int count = 0;
  for (int i = 0;; ++i) {
    ChapterEntry* e = GetChapterEntry(context, i);
    if (!e) break;
    if (e->kind != 0) continue;
    const int t = TrayIndexOfValue(e->trayValue);
    bool known = false;
    for (int k = 0; k < count; ++k) known = known || seen[k] == t;
    // The eight use-tray fields hold eight trays; a ninth has no field to go to.
    if (known || count == kChapterUseTrays) continue;
    seen[count] = t;
    WriteFieldRawById(context, kUseTrayFields[count], e->trayValue);
    ++count;
  }
  WriteFieldRawById(context, fid::wdmChapterTrayNum, static_cast<DWORD>(count));
}

void CopyMediaTypeToOthers(DriverContext* context, WORD field) {
  static const WORD kMedia[] = {fid::kdmCoverMediaType, fid::kdmBackCoverMediaType, fid::kdmMPInputMediaType,
                                fid::kdmChapterMediaType, fid::kdmReverseCoverMediaType};
  const DWORD value = ReadFieldRawById(context, field);
  for (WORD f : kMedia)
    if (f != field) WriteFieldRawById(context, f, value);
}

WORD ParseChapterText(const WCHAR* text, int kind, int maxPages, ChapterParse* out) {
  if (!out) return kRefuseSyntax;
  out->count = 0;
  if (maxPages > kChapterWorkEntries) maxPages = kChapterWorkEntries;
  if (maxPages < 0) maxPages = 0;
  std::vector<WCHAR> t;
  for (const WCHAR* p = text; p && *p; ++p) {
    if (!Digit(*p) && *p != u',' && *p != u'-') return kRefuseCharacters;
    t.push_back(*p);
  }
  const std::size_t none = std::size_t(-1);
  std::size_t c = 0;
  for (;;) {
    const std::size_t d = Find(t, u'-', c);
    if (d == none) break;
    if (d == c || d + 1 >= t.size() || t[d + 1] == u',' || t[d + 1] == u'-') return kRefuseSyntax;
    std::size_t lastComma = none;
    for (std::size_t i = c; i < d; ++i)
      if (t[i] == u',') lastComma = i;
    if (lastComma != none) {
      if (lastComma == 0) return kRefuseSyntax;
      c = lastComma + 1;
    }
    DWORD s = Decimal(t, c, d);
    const std::size_t n = Find(t, u',', d + 1);
    const std::size_t d2 = Find(t, u'-', d + 1);
    if (d2 != none && (n == none || d2 < n)) return kRefuseSyntax;
    DWORD e = Decimal(t, d + 1, n == none ? t.size() : n);
    if (e < s) {
      const DWORD x = s;
      s = e;
      e = x;
    }
    if (s < 1 || e > static_cast<DWORD>(kLastChapterPage)) return kRefuseSyntax;
    if (kind == 3) {
      if (out->count >= maxPages) return kRefuseTooMany;
      Add(out, s, e);
    } else {
      for (DWORD page = s; page <= e; ++page) {
        if (Known(out, page)) continue;
        if (out->count >= maxPages) return kRefuseTooMany;
        Add(out, page, page);
      }
    }
    if (n != none) {
      t.erase(t.begin() + static_cast<std::ptrdiff_t>(c), t.begin() + static_cast<std::ptrdiff_t>(n) + 1);
    } else {
      t.resize(c == 0 ? 0 : c - 1);
    }
  }
  // Single numbers; a final ',' is accepted.
  std::size_t from = 0;
  while (from < t.size()) {
    std::size_t to = Find(t, u',', from);
    const bool last = to == none;
    if (last) to = t.size();
    const DWORD v = Decimal(t, from, to);
    if (v < 1 || v > static_cast<DWORD>(kLastChapterPage)) return kRefuseSyntax;
    if (!Known(out, v) && out->count < kChapterWorkEntries) Add(out, v, v);
    from = to + 1;
    if (!last && from >= t.size()) break;
  }
  // Shell sort, the texts moving with their pages.
  for (int gap = out->count / 2; gap > 0; gap /= 2) {
    for (int i = gap; i < out->count; ++i) {
      for (int j = i - gap; j >= 0 && out->pages[j] > out->pages[j + gap]; j -= gap) {
        const DWORD p = out->pages[j];
        out->pages[j] = out->pages[j + gap];
        out->pages[j + gap] = p;
        WCHAR tmp[kTextChars];
        std::memcpy(tmp, out->texts[j], sizeof tmp);
        std::memcpy(out->texts[j], out->texts[j + gap], sizeof tmp);
        std::memcpy(out->texts[j + gap], tmp, sizeof tmp);
      }
    }
  }
  for (int i = out->count; i < kChapterWorkEntries; ++i) {
    out->pages[i] = 0;
    out->texts[i][0] = 0;
  }
  return 0;
}

namespace {

WORD CheckAgainst(const ChapterEntry* slot, int kind, DWORD s, DWORD e) {
  if (!slot || !slot->pageNumber) return 0;
  if (slot->kind == 3) {
    DWORD f, d;
    RangeOf(*slot, &f, &d);
    if ((s >= f && s <= d) || (e >= f && e <= d) || (s < f && d < e)) return kRefuseOverlap;
  } else if (kind == 3 && slot->pageNumber >= s && slot->pageNumber <= e) {
    return kRefuseOverlap;
  }
  return 0;
}

WORD AssignTraysChecked(DriverContext* context, const std::vector<ChapterEntry>& list) {
  int seen[kChapterUseTrays];
  int count = 0;
  const int trayMax = ChapterTrayMaxOf(context);
  for (std::size_t i = 0; i < list.size(); ++i) {
    const ChapterEntry& e = list[i];
    if (e.kind == 0) {
      const int t = TrayIndexOfValue(e.trayValue);
      bool known = false;
      for (int k = 0; k < count; ++k) known = known || seen[k] == t;
      if (!known) {
        if (count >= trayMax) return kRefuseTrays;
        seen[count] = t;
        ++count;
        WriteFieldRawById(context, fid::wdmChapterTrayNum, static_cast<DWORD>(count));
        WriteFieldRawById(context, kUseTrayFields[count - 1], e.trayValue);
      }
    }
    if (e.mode == 2)
      for (const ChapterEntry& o : list)
        if (o.mode == 1 && o.trayValue == e.trayValue) return kRefusePrintModes;
  }
  return 0;
}

}  // namespace

WORD MergeChapterPages(DriverContext* context, const ChapterParse* parse) {
  if (!context || !parse) return kRefuseSyntax;
  int capacity = 0;
  ChapterEntry* array = ChapterArray(context, &capacity);
  if (!array) return kRefuseTooMany;
  int max = ChapterMaxOf(context);
  if (max > capacity) max = capacity;
  int oldCount = static_cast<int>(ReadFieldRawById(context, fid::wdmChapterNum));
  if (oldCount > max) oldCount = max;
  if (oldCount < 0) oldCount = 0;
  const std::vector<ChapterEntry> old(array, array + oldCount);
  const DWORD kind = ReadFieldRawById(context, fid::wdmChapterKind) & 0xFF;
  const DWORD tray = ReadFieldRawById(context, fid::wdmChapterTray);
  const DWORD print = ReadFieldRawById(context, fid::wdmChapterPrint);
  const bool cover = ReadFieldRawById(context, fid::kdmFuncSelectCover) != 0 &&
                     ReadFieldRawById(context, fid::kdmCoverType) != 1;
  std::vector<ChapterEntry> out;
  int i = 0, j = 0;
  while (i < oldCount || j < parse->count) {
    if (j >= parse->count || (i < oldCount && old[i].pageNumber < parse->pages[j])) {
      if (static_cast<int>(out.size()) >= max) return kRefuseTooMany;
      out.push_back(old[i++]);
      continue;
    }
    const DWORD s = parse->pages[j];
    DWORD first = s, e = s;
    if (kind == 3) {
      ChapterEntry probe{};
      probe.pageNumber = static_cast<WORD>(s);
      probe.kind = 3;
      std::memcpy(probe.rangeText, parse->texts[j], sizeof probe.rangeText);
      RangeOf(probe, &first, &e);
    }
    const bool replaces = i < oldCount && old[i].pageNumber == s;
    if (!replaces) {
      if (WORD w = CheckAgainst(i < oldCount ? &old[i] : nullptr, static_cast<int>(kind), first, e)) return w;
      if (WORD w = CheckAgainst(out.empty() ? nullptr : &out.back(), static_cast<int>(kind), first, e)) return w;
    }
    if (kind == 3 && cover && first == 1) return kRefuseCoverRange;
    ++j;
    if (replaces) ++i;
    if (!out.empty() && out.back().pageNumber == s) continue;
    if (static_cast<int>(out.size()) >= max) return kRefuseTooMany;
    ChapterEntry n{};
    n.pageNumber = static_cast<WORD>(s);
    n.kind = static_cast<BYTE>(kind);
    if (kind == 0 || kind == 3) {
      n.trayValue = static_cast<WORD>(tray);
      n.mode = static_cast<BYTE>(print);
      if (kind == 3) std::memcpy(n.rangeText, parse->texts[j - 1], sizeof n.rangeText);
    }
    out.push_back(n);
  }
  if (WORD w = AssignTraysChecked(context, out)) return w;
  std::memset(array, 0, static_cast<std::size_t>(capacity) * sizeof(ChapterEntry));
  for (std::size_t k = 0; k < out.size(); ++k) array[k] = out[k];
  WriteFieldRawById(context, fid::wdmChapterNum, static_cast<DWORD>(out.size()));
  return 0;
}

WORD ApplyChapterPageText(DriverContext* context) {
  SettingField* field = FindFieldById(context, fid::wdmChapterPage);
  if (!field) return kRefuseSyntax;
  WCHAR text[514];
  GetFieldString(context, field, text, 514);
  auto* parse = new (std::nothrow) ChapterParse;
  if (!parse) return 0;
  WORD w = ParseChapterText(text, static_cast<int>(ReadFieldRawById(context, fid::wdmChapterKind) & 0xFF),
                            ChapterMaxOf(context), parse);
  if (!w) w = MergeChapterPages(context, parse);
  delete parse;
  return w;
}
