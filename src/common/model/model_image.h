// The compiled model description: one block made of a 7996-byte header and every record of
// the model, each reference between records an offset from the start of the block. The
// same bytes are the cache file. The block stays in offset form in memory: every reference
// is resolved when it is read, through the readers below, which never read outside the
// block (a reference that would is none).
//
// References: plain offsets (0 = none) everywhere but in the rule section, whose references
// are tagged: offset * 16 + 1 (odd), 0 = none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "win/types.h"

// Header layout.
constexpr DWORD kModelHeaderSize = 7996;
constexpr DWORD kHdrFileVersion = 0;      // 16 UTF-16 characters
constexpr DWORD kHdrTotalSize = 32;
constexpr DWORD kHdrSlots = 36;           // 1978 plain offsets; slot 0 the all-options list
constexpr DWORD kHdrUIResDLLName = 7948;
constexpr DWORD kHdrExcDepDLLName = 7952;
constexpr DWORD kHdrCommandGroups = 7956;  // JobStart, JobEnd, DocReset, PageStart, PageEnd
constexpr DWORD kHdrDeviceFontCount = 7976;
constexpr DWORD kHdrDeviceFonts = 7980;
constexpr DWORD kHdrFontCartridgeCount = 7984;
constexpr DWORD kHdrFontCartridges = 7988;
constexpr DWORD kHdrConditionBlocks = 7992;
constexpr DWORD kImageSlotCount = 1978;
static_assert(kHdrSlots + 4 * kImageSlotCount == kHdrUIResDLLName);
static_assert(kHdrConditionBlocks + 4 == kModelHeaderSize);

// Record sizes.
constexpr DWORD kOptionRecordSize = 28;
constexpr DWORD kCommandPairSize = 8;
constexpr DWORD kPickItemSize = 12;
constexpr DWORD kPageItemSize = 24;
constexpr DWORD kSlotItemSize = 20;
constexpr DWORD kFontItemSize = 24;
constexpr DWORD kPageValueSize = 36;
constexpr DWORD kBooleanValuesSize = 12;
constexpr DWORD kNumericValuesSize = 24;
constexpr DWORD kStringValuesSize = 8;
constexpr DWORD kItemConditionSize = 20;
constexpr DWORD kActionEntrySize = 12;
constexpr DWORD kTransactEntrySize = 12;
constexpr DWORD kAlertActionEntrySize = 16;
constexpr DWORD kAlertEntrySize = 20;
constexpr DWORD kConditionBlockSize = 36;
constexpr DWORD kCommandBlockSize = 12;
constexpr DWORD kFontIdEntrySize = 8;

// Field offsets of the records.
namespace opt {
constexpr DWORD kNext = 0, kItemId = 4, kShareKey = 6, kFeatureId = 8, kType = 10, kDefault = 12,
                kCommands = 16, kCondition = 20, kValues = 24;
}
namespace item {
constexpr DWORD kNext = 0, kValueId = 4, kCommand = 8;
constexpr DWORD kFirstSize = 12, kSecondSize = 16, kPageValues = 20;  // PickPage
constexpr DWORD kPaperCount = 12, kPapers = 16;                       // PickSlot
constexpr DWORD kPairCount = 12, kTrueTypeNames = 16, kDeviceNames = 20;  // FontTbl
}
namespace cond {  // ConditionBlock
constexpr DWORD kNext = 0, kFeatureItemId = 4, kDisable = 8, kHide = 12, kItems = 16, kAlerts = 20,
                kTransacts = 24, kTransacts2 = 28, kLock = 32;
}
namespace itemcond {
constexpr DWORD kNext = 0, kValueId = 4, kDisable = 8, kHide = 12, kLock = 16;
}
namespace action {
constexpr DWORD kNext = 0, kTargetId = 4, kTargetKind = 6, kValue = 8;
}
namespace transact {
constexpr DWORD kNext = 0, kProgram = 4, kActions = 8;
}
namespace alertaction {
constexpr DWORD kNext = 0, kFeatureItemId = 4, kTransacts = 8, kPageId = 12, kControlId = 14;
}
namespace alert {
constexpr DWORD kNext = 0, kProgram = 4, kMessageId = 8, kIcon = 10, kButtons = 12, kTiming = 14,
                kAlertActions = 16;
}
namespace cmd {
constexpr DWORD kBlockJudge = 0, kBlockFirst = 4, kBlockSecond = 8;
constexpr DWORD kNodeNext = 0, kNodeKind = 4, kNodeFeatureItemId = 6, kNodeNumber = 8, kNodeTextLength = 8,
                kNodeText = 12, kNodeBlock = 8;
}

// The block. Allocated with AllocMem; the header is followed by the records (the total size
// at byte 32 tells how far) and, in a finished image, by aligned copies of the two DLL names.
struct ModelImage {
  BYTE header[kModelHeaderSize];
};

// Little-endian reads of a byte block.
inline DWORD LoadU32(const BYTE* p) {
  return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24;
}
inline WORD LoadU16(const BYTE* p) { return static_cast<WORD>(p[0] | p[1] << 8); }
inline void StoreU32(BYTE* p, DWORD v) {
  p[0] = BYTE(v);
  p[1] = BYTE(v >> 8);
  p[2] = BYTE(v >> 16);
  p[3] = BYTE(v >> 24);
}
inline void StoreU16(BYTE* p, DWORD v) {
  p[0] = BYTE(v);
  p[1] = BYTE(v >> 8);
}

inline const BYTE* ImageBytes(const ModelImage* image) { return reinterpret_cast<const BYTE*>(image); }
// The total size from the header (the block's length).
inline DWORD ImageSize(const ModelImage* image) { return image ? LoadU32(ImageBytes(image) + kHdrTotalSize) : 0; }

// A record of an image: the image and the record's offset (0 = none).
struct ImageRef {
  const ModelImage* image = nullptr;
  DWORD offset = 0;

  explicit operator bool() const { return image != nullptr && offset != 0; }
  // Two references are equal when both are none or both name the same record.
  bool operator==(const ImageRef& o) const {
    return (!*this && !o) || (image == o.image && offset == o.offset);
  }

  // Reads of the record's fields; 0 when the field would lie outside the block.
  DWORD U32(DWORD at) const {
    const DWORD size = ImageSize(image);
    if (!image || offset > size || at > size - offset || size - offset - at < 4) return 0;
    return LoadU32(ImageBytes(image) + offset + at);
  }
  WORD U16(DWORD at) const {
    const DWORD size = ImageSize(image);
    if (!image || offset > size || at > size - offset || size - offset - at < 2) return 0;
    return LoadU16(ImageBytes(image) + offset + at);
  }
  // The record a plain reference of this record names.
  ImageRef Plain(DWORD at) const { return At(U32(at)); }
  // The record a tagged reference names (an even, non-zero value is no reference).
  ImageRef Tagged(DWORD at) const {
    const DWORD v = U32(at);
    return (v & 1u) ? At(v / 16) : ImageRef{image, 0};
  }
  // A record at an offset of the same image; none when it lies outside the block.
  ImageRef At(DWORD off) const {
    const DWORD size = ImageSize(image);
    return ImageRef{image, (off >= kModelHeaderSize && off < size) ? off : 0};
  }
  const BYTE* Bytes() const { return *this ? ImageBytes(image) + offset : nullptr; }
};

// The header as a record (offset 0 would read as none, so header fields go through these).
inline DWORD HeaderU32(const ModelImage* image, DWORD at) {
  return image && at + 4 <= kModelHeaderSize ? LoadU32(ImageBytes(image) + at) : 0;
}
inline ImageRef HeaderRef(const ModelImage* image, DWORD at) {
  return ImageRef{image, 0}.At(HeaderU32(image, at));
}

// An 8-bit text of the image at a plain reference: a pointer to its bytes when the text ends
// inside the block, else null (also for 0).
const char* ImageText(const ModelImage* image, DWORD offset);
// The length of a UTF-16 text at an offset of the image (characters before the NUL), or -1
// when it does not end inside the block.
long ImageWideLength(const ModelImage* image, DWORD offset);

// Slots of the header.
constexpr int kImageSlotOfFeature(WORD featureId) {
  return (featureId >= 1 && featureId <= 696)         ? featureId
         : (featureId >= 10001 && featureId <= 10434) ? featureId - 9304
         : (featureId >= 697 && featureId <= 1543)    ? featureId + 434
                                                      : 0;
}

// Finished images: the block is followed (at the total size rounded up to 8) by aligned
// UTF-16 copies of the UIResDLLName and ExcDepDLLName texts, so that callers can take them
// as WCHAR strings. Every image a context sees is finished.

// A zero-filled block for an image of `size` bytes with room for the copies of the two
// names (either may be null); null when memory is short or the size is too large.
BYTE* AllocateModelImage(DWORD size, const WCHAR* uiResDllName, const WCHAR* excDepDllName);
// Checks the block laid out in an AllocateModelImage block (RelocateModelImage) and fills
// in the name copies; the image, or null (and the block freed) when the check fails.
ModelImage* FinishModelImage(BYTE* block);
// A finished image from a bare image copy (a cache file's bytes, `size` of them): checks
// every reference first. The copy is freed in every case; null when it fails the check.
ModelImage* AdoptModelImageCopy(BYTE* copy, DWORD size);

// Checks every offset, count, tag and program of an image block of `size` bytes against
// the block: true when every reference lies inside it, every list ends, every text ends,
// every program returns one value within the evaluation stack's bounds.
bool CheckModelImage(const BYTE* block, DWORD size);
// The image stays in offset form; relocation is the check that each reference resolves
// inside the block. The image, or null when a reference does not.
ModelImage* RelocateModelImage(ModelImage* image);

// The UTF-16 copies of a finished image's DLL names; null when the image has none.
const WCHAR* ImageUIResDLLName(const ModelImage* image);
const WCHAR* ImageExcDepDLLName(const ModelImage* image);
// The FileVersion of the header as a string (16 characters, the last always 0).
void ImageFileVersion(const ModelImage* image, WCHAR out[16]);
