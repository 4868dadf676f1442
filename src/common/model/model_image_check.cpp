// The check every image passes before a context sees it (a cache file is never trusted),
// and the finished form with the aligned copies of the DLL names.
#include <cstring>
#include <initializer_list>

#include "base/memory.h"
#include "base/wide_text.h"
#include "model/model_image.h"
#include "model/model_parse.h"

namespace {

constexpr int kStackLimit = 256;     // entries of the evaluation stack
constexpr int kMaxBlockDepth = 64;   // nested command blocks

DWORD AlignUp8(DWORD n) { return (n + 7u) & ~7u; }

// Records of these kinds are checked once each, however many references lead to them, so
// that the check stays linear in the block's size.
enum MemoKind { kMemoOption, kMemoPickItems, kMemoPageItems, kMemoSlotItems, kMemoFontItems, kMemoCondition, kMemoProgram, kMemoItems, kMemoAlerts, kMemoTransacts,
                kMemoActions, kMemoAlertActions, kMemoKinds };

class Checker {
 public:
  Checker(const BYTE* block, DWORD size) : b_(block), size_(size) {}
  ~Checker() {
    for (BYTE* m : memo_) FreeMem(m);
  }
  Checker(const Checker&) = delete;
  Checker& operator=(const Checker&) = delete;

  bool Run() {
    if (!b_ || size_ < kModelHeaderSize || LoadU32(b_ + kHdrTotalSize) != size_) return false;
    for (BYTE*& m : memo_) {
      m = static_cast<BYTE*>(AllocMem(size_ / 8 + 1));
      if (!m) return false;
    }
    bool terminated = false;
    for (int i = 0; i < 16; ++i) terminated = terminated || LoadU16(b_ + 2 * i) == 0;
    if (!terminated) return false;
    // Every slot and the all-options list.
    for (DWORD s = 0; s < kImageSlotCount; ++s) {
      const DWORD at = LoadU32(b_ + kHdrSlots + 4 * s);
      if (at && !Option(at)) return false;
    }
    const DWORD limit = size_ / kOptionRecordSize;
    DWORD n = 0;
    for (DWORD at = LoadU32(b_ + kHdrSlots); at; at = LoadU32(b_ + at + opt::kNext)) {
      if (++n > limit || !Option(at)) return false;
    }
    // Condition blocks.
    if (const DWORD first = LoadU32(b_ + kHdrConditionBlocks)) {
      n = 0;
      for (DWORD at = first; at; at = LoadU32(b_ + at + cond::kNext)) {
        if (++n > size_ / kConditionBlockSize || !Condition(at)) return false;
      }
    }
    // Command section.
    if (!WideText(LoadU32(b_ + kHdrUIResDLLName)) || !WideText(LoadU32(b_ + kHdrExcDepDLLName))) return false;
    for (int g = 0; g < 5; ++g) {
      const DWORD at = LoadU32(b_ + kHdrCommandGroups + 4 * g);
      if (at && !Block(at, 0)) return false;
    }
    return Fonts(kHdrDeviceFontCount, kHdrDeviceFonts) && Fonts(kHdrFontCartridgeCount, kHdrFontCartridges);
  }

 private:
  bool Seen(MemoKind kind, DWORD at) const { return (memo_[kind][at / 8] >> (at % 8)) & 1u; }
  bool Mark(MemoKind kind, DWORD at) const {
    memo_[kind][at / 8] |= static_cast<BYTE>(1u << (at % 8));
    return true;
  }
  // A record of n bytes at an offset behind the header.
  bool Record(DWORD at, DWORD n) const { return at >= kModelHeaderSize && at <= size_ && size_ - at >= n; }
  DWORD U32(DWORD at) const { return LoadU32(b_ + at); }
  WORD U16(DWORD at) const { return LoadU16(b_ + at); }

  bool Text(DWORD at) const {
    if (at == 0) return true;
    if (!Record(at, 1)) return false;
    return std::memchr(b_ + at, 0, size_ - at) != nullptr;
  }
  bool WideText(DWORD at) const {
    if (at == 0) return true;
    for (DWORD p = at; Record(p, 2); p += 2) {
      if (U16(p) == 0) return true;
    }
    return false;
  }

  // A tagged reference: 0, or odd with an offset inside the block.
  bool TaggedTarget(DWORD ref, DWORD n, DWORD* at) const {
    *at = 0;
    if (ref == 0) return true;
    if ((ref & 1u) == 0) return false;
    *at = ref / 16;
    return Record(*at, n);
  }

  // A program: words up to RETURN inside the block, leaving one value for it and never
  // going below 0 or above the stack's entries.
  bool Program(DWORD ref) const {
    DWORD at = 0;
    if (!TaggedTarget(ref, 4, &at)) return false;
    if (at == 0 || Seen(kMemoProgram, at)) return true;
    int depth = 0;
    for (DWORD p = at; Record(p, 4); p += 4) {
      const WORD kind = U16(p), operand = U16(p + 2);
      if (kind == kRuleField || kind == kRuleLiteral) {
        if (++depth > kStackLimit) return false;
      } else if (kind == kRuleOperator) {
        if (operand == kOpReturn) return depth == 1 && Mark(kMemoProgram, at);
        if (operand == 5) {
          if (depth < 1) return false;
        } else if (operand >= 1 && operand <= 9) {
          if (depth < 2) return false;
          --depth;
        }
      }
    }
    return false;
  }

  bool Option(DWORD at) const {
    if (!Record(at, kOptionRecordSize)) return false;
    if (Seen(kMemoOption, at)) return true;
    const DWORD next = U32(at + opt::kNext);
    if (next && !Record(next, kOptionRecordSize)) return false;
    if (const DWORD c = U32(at + opt::kCommands)) {
      if (!Record(c, kCommandPairSize) || !Text(U32(c)) || !Text(U32(c + 4))) return false;
    }
    if (const DWORD c = U32(at + opt::kCondition)) {
      if (!Condition(c)) return false;
    }
    return Values(U16(at + opt::kType) & kTypeMask, U32(at + opt::kValues)) && Mark(kMemoOption, at);
  }

  bool Values(WORD type, DWORD at) const {
    if (at == 0) return true;
    // Item lists shared by several records are checked once for each item layout.
    const BYTE low = static_cast<BYTE>(type);
    if (low != 1 && low != 2) return ValuesOnce(type, at);
    const MemoKind kind = type == kTypePickPage   ? kMemoPageItems
                          : type == kTypePickSlot ? kMemoSlotItems
                          : type == kTypeFontTbl  ? kMemoFontItems
                                                  : kMemoPickItems;
    if (at < size_ && Seen(kind, at)) return true;
    return ValuesOnce(type, at) && Mark(kind, at);
  }

  bool ValuesOnce(WORD type, DWORD at) const {
    const BYTE low = static_cast<BYTE>(type);
    if (low == 1 || low == 2) {
      DWORD itemSize = kPickItemSize;
      if (type == kTypePickPage) itemSize = kPageItemSize;
      else if (type == kTypePickSlot) itemSize = kSlotItemSize;
      else if (type == kTypeFontTbl) itemSize = kFontItemSize;
      DWORD n = 0;
      for (DWORD it = at; it; it = U32(it + item::kNext)) {
        if (++n > size_ / itemSize || !Record(it, itemSize) || !Text(U32(it + item::kCommand))) return false;
        if (type == kTypePickPage && !PageValues(U32(it + item::kPageValues))) return false;
        if (type == kTypePickSlot) {
          const DWORD count = U32(it + item::kPaperCount), papers = U32(it + item::kPapers);
          if (papers ? (count > size_ / 2 || !Record(papers, count * 2)) : count != 0) return false;
        }
        if (type == kTypeFontTbl) {
          // The parser never builds a longer list; a larger count is a crafted image.
          const DWORD count = U32(it + item::kPairCount);
          if (count > kMaxListEntries || count > size_ / 4) return false;
          for (DWORD arrayAt : {U32(it + item::kTrueTypeNames), U32(it + item::kDeviceNames)}) {
            if (arrayAt == 0) {
              if (count) return false;
              continue;
            }
            if (!Record(arrayAt, count * 4)) return false;
            for (DWORD k = 0; k < count; ++k) {
              if (!Text(U32(arrayAt + 4 * k))) return false;
            }
          }
        }
      }
      return true;
    }
    if (low == 4) return Record(at, kBooleanValuesSize) && Text(U32(at + 4)) && Text(U32(at + 8));
    if (low == 8) return Record(at, kNumericValuesSize);
    if (low == 0x10) return Record(at, kStringValuesSize);
    return Record(at, 1);
  }

  bool PageValues(DWORD at) const {
    DWORD n = 0;
    for (; at; at = U32(at)) {
      if (++n > size_ / kPageValueSize || !Record(at, kPageValueSize)) return false;
    }
    return true;
  }

  // A tagged list of entries of n bytes; each entry passes `entry`.
  template <typename Entry>
  bool TaggedList(MemoKind kind, DWORD ref, DWORD n, Entry entry) const {
    DWORD at = 0, count = 0;
    if (!TaggedTarget(ref, n, &at)) return false;
    if (at == 0 || Seen(kind, at)) return true;
    const DWORD head = at;
    while (at) {
      if (++count > size_ / n || !entry(at)) return false;
      if (!TaggedTarget(U32(at), n, &at)) return false;
    }
    return Mark(kind, head);
  }

  bool Actions(DWORD ref) const {
    return TaggedList(kMemoActions, ref, kActionEntrySize, [](DWORD) { return true; });
  }
  bool Transacts(DWORD ref) const {
    return TaggedList(kMemoTransacts, ref, kTransactEntrySize, [this](DWORD at) {
      return Program(U32(at + transact::kProgram)) && Actions(U32(at + transact::kActions));
    });
  }
  bool AlertActions(DWORD ref) const {
    return TaggedList(kMemoAlertActions, ref, kAlertActionEntrySize,
                      [this](DWORD at) { return Transacts(U32(at + alertaction::kTransacts)); });
  }
  bool Alerts(DWORD ref) const {
    return TaggedList(kMemoAlerts, ref, kAlertEntrySize, [this](DWORD at) {
      return Program(U32(at + alert::kProgram)) && AlertActions(U32(at + alert::kAlertActions));
    });
  }
  bool ItemConditions(DWORD ref) const {
    return TaggedList(kMemoItems, ref, kItemConditionSize, [this](DWORD at) {
      return Program(U32(at + itemcond::kDisable)) && Program(U32(at + itemcond::kHide)) &&
             Program(U32(at + itemcond::kLock));
    });
  }

  bool Condition(DWORD at) const {
    if (!Record(at, kConditionBlockSize)) return false;
    if (Seen(kMemoCondition, at)) return true;
    const DWORD next = U32(at + cond::kNext);
    if (next && !Record(next, kConditionBlockSize)) return false;
    return Program(U32(at + cond::kDisable)) && Program(U32(at + cond::kHide)) && Program(U32(at + cond::kLock)) &&
           ItemConditions(U32(at + cond::kItems)) && Alerts(U32(at + cond::kAlerts)) &&
           Transacts(U32(at + cond::kTransacts)) && Transacts(U32(at + cond::kTransacts2)) &&
           Mark(kMemoCondition, at);
  }

  bool Block(DWORD at, int depth) const {
    if (depth > kMaxBlockDepth || !Record(at, kCommandBlockSize)) return false;
    if (!Program(U32(at + cmd::kBlockJudge))) return false;
    return Nodes(U32(at + cmd::kBlockFirst), depth) && Nodes(U32(at + cmd::kBlockSecond), depth);
  }

  bool Nodes(DWORD at, int depth) const {
    DWORD n = 0;
    for (; at; at = U32(at + cmd::kNodeNext)) {
      if (++n > size_ / 8 || !Record(at, 8)) return false;
      switch (U16(at + cmd::kNodeKind)) {
        case kNodeGroupType:
          if (!Record(at, 12)) return false;
          break;
        case kNodeStringType: {
          if (!Record(at, 16)) return false;
          const DWORD text = U32(at + cmd::kNodeText);
          if (text) {
            if (!Text(text)) return false;
            if (std::strlen(reinterpret_cast<const char*>(b_ + text)) + 1 != U32(at + cmd::kNodeTextLength))
              return false;
          }
          break;
        }
        case kNodeCommand: {
          if (!Record(at, 12)) return false;
          const DWORD nested = U32(at + cmd::kNodeBlock);
          if (nested && !Block(nested, depth + 1)) return false;
          break;
        }
        case kNodeFontType:
          break;
        default:
          return false;
      }
    }
    return true;
  }

  bool Fonts(DWORD countAt, DWORD arrayAt) const {
    const DWORD count = U32(countAt), array = U32(arrayAt);
    if (array == 0) return count == 0;
    if (count > kMaxListEntries || count > size_ / 4 || !Record(array, count * 4)) return false;
    for (DWORD i = 0; i < count; ++i) {
      const DWORD e = U32(array + 4 * i);
      if (e && (!Record(e, kFontIdEntrySize) || !Text(U32(e + 4)))) return false;
    }
    return true;
  }

  const BYTE* b_;
  DWORD size_;
  BYTE* memo_[kMemoKinds] = {};
};

}  // namespace

const char* ImageText(const ModelImage* image, DWORD offset) {
  const DWORD size = ImageSize(image);
  if (!image || offset < kModelHeaderSize || offset >= size) return nullptr;
  const BYTE* p = ImageBytes(image) + offset;
  return std::memchr(p, 0, size - offset) ? reinterpret_cast<const char*>(p) : nullptr;
}

long ImageWideLength(const ModelImage* image, DWORD offset) {
  const DWORD size = ImageSize(image);
  if (!image || offset < kModelHeaderSize) return -1;
  for (DWORD p = offset; p <= size && size - p >= 2; p += 2) {
    if (LoadU16(ImageBytes(image) + p) == 0) return static_cast<long>((p - offset) / 2);
  }
  return -1;
}

bool CheckModelImage(const BYTE* block, DWORD size) { return Checker(block, size).Run(); }

ModelImage* RelocateModelImage(ModelImage* image) {
  if (!image) return nullptr;
  return CheckModelImage(ImageBytes(image), ImageSize(image)) ? image : nullptr;
}

BYTE* AllocateModelImage(DWORD size, const WCHAR* uiResDllName, const WCHAR* excDepDllName) {
  if (size < kModelHeaderSize) return nullptr;
  const unsigned long long total = AlignUp8(size) + 0ull + (WideLength(uiResDllName) + 1ull) * 2 +
                                   (WideLength(excDepDllName) + 1ull) * 2;
  if (size > 0x7FFFFFF0u || total > 0x7FFFFFFFull) return nullptr;
  return static_cast<BYTE*>(AllocMem(static_cast<DWORD>(total)));
}

namespace {

// Where the copy of a name starts: the UI name first, then the other one.
WCHAR* NameCopy(const ModelImage* image, bool second) {
  BYTE* p = const_cast<BYTE*>(ImageBytes(image)) + AlignUp8(ImageSize(image));
  if (second) {
    const long uiLength = ImageWideLength(image, HeaderU32(image, kHdrUIResDLLName));
    p += (uiLength >= 0 ? uiLength + 1 : 1) * 2;
  }
  return reinterpret_cast<WCHAR*>(p);
}

}  // namespace

// Fills the copies of the DLL names of a checked image.
static ModelImage* FillNameCopies(BYTE* block) {
  auto* image = reinterpret_cast<ModelImage*>(block);
  for (bool second : {false, true}) {
    const DWORD at = HeaderU32(image, second ? kHdrExcDepDLLName : kHdrUIResDLLName);
    const long n = at ? ImageWideLength(image, at) : -1;
    WCHAR* copy = NameCopy(image, second);
    for (long i = 0; i < n; ++i) copy[i] = LoadU16(block + at + 2 * i);
    copy[n > 0 ? n : 0] = 0;
  }
  return image;
}

ModelImage* FinishModelImage(BYTE* block) {
  if (!block) return nullptr;
  if (!RelocateModelImage(reinterpret_cast<ModelImage*>(block))) {
    FreeMem(block);
    return nullptr;
  }
  return FillNameCopies(block);
}

ModelImage* AdoptModelImageCopy(BYTE* copy, DWORD size) {
  if (!copy) return nullptr;
  ModelImage* image = nullptr;
  if (CheckModelImage(copy, size)) {
    // The names' lengths, to size the finished block.
    const auto* raw = reinterpret_cast<const ModelImage*>(copy);
    const long ui = ImageWideLength(raw, HeaderU32(raw, kHdrUIResDLLName));
    const long exc = ImageWideLength(raw, HeaderU32(raw, kHdrExcDepDLLName));
    const unsigned long long total = AlignUp8(size) + (ui > 0 ? ui + 1ull : 1ull) * 2 + (exc > 0 ? exc + 1ull : 1ull) * 2;
    if (total <= 0x7FFFFFFFull) {
      if (auto* block = static_cast<BYTE*>(AllocMem(static_cast<DWORD>(total)))) {
        std::memcpy(block, copy, size);
        image = FillNameCopies(block);  // checked above
      }
    }
  }
  FreeMem(copy);
  return image;
}

const WCHAR* ImageUIResDLLName(const ModelImage* image) {
  return image && HeaderU32(image, kHdrUIResDLLName) ? NameCopy(image, false) : nullptr;
}

const WCHAR* ImageExcDepDLLName(const ModelImage* image) {
  return image && HeaderU32(image, kHdrExcDepDLLName) ? NameCopy(image, true) : nullptr;
}

void ImageFileVersion(const ModelImage* image, WCHAR out[16]) {
  for (int i = 0; i < 16; ++i) out[i] = image ? LoadU16(ImageBytes(image) + 2 * i) : 0;
  out[15] = 0;
}
