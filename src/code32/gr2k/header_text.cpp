#include "header_text.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "fields/locale_text.h"
#include "model/module_dispatch.h"
#include "stored/module_services.h"
#include "modules/profile_list.h"
#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "base/settings_field.h"
#include "base/ui_strings.h"
#include "escapes.h"
#include "model/model_parse.h"
#include "model/option_lookup.h"
#include "model/rule_eval.h"
#include "render_common.h"
#include "render_fields.h"
#include "win/winddi.h"

namespace rendara {

namespace {

// The longest path text the writers send, in bytes.
constexpr int kMaxPathBytes = 260;

// A UTF-16 text in 8-bit form, at most bytes - 1 bytes, into out (bytes in size).
void ToAnsi(const WCHAR* text, char* out, int bytes) {
  out[0] = 0;
  if (text) WideToAnsi(out, text, bytes);
}

// A path or name text, wrapped when not empty.
void AppendWrappedNonEmpty(TextSink* sink, ImageRef option, const char* text) {
  if (text && *text) AppendWrapped(sink, option, text);
}

void AppendWrappedWide(TextSink* sink, ImageRef option, const WCHAR* text) {
  char ansi[kMaxPathBytes + 1];
  ToAnsi(text, ansi, sizeof ansi);
  AppendWrappedNonEmpty(sink, option, ansi);
}

void AppendDecimal(TextSink* sink, ImageRef option, std::int32_t n) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(n));
  AppendWrapped(sink, option, text);
}

// The text of a text field: its bytes up to the field's size, in 8-bit form. Null when the
// field is no text field or has no address; the caller frees the text with delete[].
char* FieldTextAnsi(DriverContext* context, const SettingField* field) {
  if (!field || !IsTextFieldCode(FieldCodeOf(field->type))) return nullptr;
  const BYTE* address = GetFieldAddress(context, field);
  if (!address) return nullptr;
  const DWORD size = FieldSizeOf(field->type);
  if (FieldCodeOf(field->type) == FT_WIDE_TEXT) {
    const DWORD chars = size / 2;
    auto* wide = new (std::nothrow) WCHAR[chars + 1];
    auto* ansi = new (std::nothrow) char[2 * static_cast<std::size_t>(chars) + 2];
    if (!wide || !ansi) {
      delete[] wide;
      delete[] ansi;
      return nullptr;
    }
    std::memcpy(wide, address, chars * sizeof(WCHAR));
    wide[chars] = 0;
    WideToAnsi(ansi, wide, static_cast<int>(2 * chars + 2));
    delete[] wide;
    return ansi;
  }
  auto* ansi = new (std::nothrow) char[size + 1];
  if (!ansi) return nullptr;
  std::memcpy(ansi, address, size);
  ansi[size] = 0;
  return ansi;
}

ImageRef FindItem(ImageRef option, DWORD valueId) {
  ImageRef item = OptionValues(option);
  while (item && ItemValueId(item) != valueId) item = ItemNext(item);
  return item;
}

// ---- special values -------------------------------------------------------------------------

void WriteTime(ImageRef option, TextSink* sink) {
  ENG_TIME_FIELDS t{};
  EngQueryLocalTime(&t);
  // Each part is kept to its width, so that counting and writing agree.
  char date[40];
  std::snprintf(date, sizeof date, "@PJL SET DATE = \"%04d/%02d/%02d\" \r\n", t.usYear % 10000, t.usMonth % 100,
                t.usDay % 100);
  AppendText(sink, date);
  char time[16];
  std::snprintf(time, sizeof time, "\"%02d:%02d:%02d\"", t.usHour % 100, t.usMinute % 100, t.usSecond % 100);
  AppendWrapped(sink, option, time);
}

std::int32_t ClampToInt32(std::int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(v);
}

// (number 7 x value x kdmDstResolutionW) / (number 8 x 1200), in unsigned 32 bits; negated
// for the shift directions that move left or up.
void WriteLength(DriverContext* context, WORD code, DWORD value, ImageRef option, TextSink* sink) {
  const ImageRef numbers = OptionValues(option);
  if (!numbers || (OptionRawType(option) & kTypeMask) != kTypeNumeric) return;
  const DWORD divisor = static_cast<DWORD>(numbers.U16(10)) * 1200u;
  if (divisor == 0) return;
  const DWORD resolution = ReadFieldRawById(context, fid::kdmDstResolutionW);
  // Worked out in 64 bits (a 32-bit product of a long length and a high resolution would
  // wrap) and kept within 32 bits.
  auto n = ClampToInt32(static_cast<std::int64_t>(numbers.U16(8)) * static_cast<std::int32_t>(value) *
                        static_cast<std::int64_t>(resolution) / static_cast<std::int64_t>(divisor));
  const DWORD direction = ReadFieldRawById(context, fid::kdmShiftDir);
  if (code == kHandleShiftX && (direction == 2 || direction == 4)) n = static_cast<std::int32_t>(0u - DWORD(n));
  if (code == kHandleShiftY && (direction == 3 || direction == 4)) n = static_cast<std::int32_t>(0u - DWORD(n));
  AppendDecimal(sink, option, n);
}

void WriteDeviceName(DriverContext* context, ImageRef option, TextSink* sink) {
  char model[72];
  ToAnsi(GetModelName(context), model, sizeof model);
  AppendText(sink, "@PJL SET KOVADRIVERNAME = \"");
  AppendText(sink, model);
  AppendText(sink, "\" \r\n");
  char name[2 * 261 + 4];
  name[0] = '"';
  ToAnsi(GetPrinterDisplayName(context), name + 1, 2 * 261 + 2);
  std::strcat(name, "\"");
  AppendWrapped(sink, option, name);
}

void WriteLogFileName(DriverContext* context, WORD code, ImageRef option, TextSink* sink) {
  WCHAR name[261] = {};
  if (!ReadLogFileName(context->hPrinter, name, 260)) return;
  name[260] = 0;
  std::size_t n = 0;
  while (name[n]) ++n;
  if (code == kHandleDriverFileName && n > 3) {
    name[n - 3] = u'D';
    name[n - 2] = u'L';
    name[n - 1] = u'L';
  }
  AppendWrappedWide(sink, option, name);
}

// The string value without '-', '(' and ')', at most the field's size less one character.
void WriteBareString(DriverContext* context, const SettingField* field, ImageRef option, TextSink* sink) {
  char* text = FieldTextAnsi(context, field);
  if (!text) return;
  const DWORD limit = FieldSizeOf(field->type) ? FieldSizeOf(field->type) - 1 : 0;
  DWORD kept = 0;
  for (const char* p = text; *p && kept < limit; ++p) {
    if (*p != '-' && *p != '(' && *p != ')') text[kept++] = *p;
  }
  text[kept] = 0;
  AppendWrappedNonEmpty(sink, option, text);
  delete[] text;
}

// A page form whose value id is the key of a row of the escape string table sends the row's
// text, loaded again into the row from the UI resource DLL by the row's string id.
void WritePageForm(DriverContext* context, DWORD value, ImageRef option, TextSink* sink) {
  const ImageRef item = FindItem(option, value);
  const char* command = ImageTextAt(item, item::kCommand);
  if (!item || !command) return;
  for (EscapeStringRecord* row = EscapeStringTable(); row->fieldId != 0; ++row) {
    if (row->fieldId != value) continue;
    LoadUiString(context, row->stringId, row->text, 261, 0);
    row->text[260] = 0;
    char ansi[2 * 261 + 2];
    ToAnsi(row->text, ansi, sizeof ansi);
    AppendWrapped(sink, option, ansi);
    return;
  }
  AppendWrapped(sink, option, command);
}

// ---- colour profiles --------------------------------------------------------------------------

// The machine of the shipped product record and its profile files.
constexpr BYTE kShippedMachineId = 90;
constexpr const char* kMatchingProfiles[4] = {"KVMATCH1.kcm", "KVMATCH2.kcm", "KVMATCH3.kcm", "KVMATCH4.kcm"};
constexpr const char* kColourProfiles[3] = {"KVPRFLIN.kcm", "KVPRFTXT.kcm", "KVPRFIMG.kcm"};

enum ObjectKind { kKindText, kKindLine, kKindImage };

ObjectKind ObjectKindOf(ImageRef option) {
  const WORD key = OptionShareKey(option);
  return key == 0 ? kKindText : (key == 1 || key == 2) ? kKindLine : kKindImage;
}

WORD KindField(ObjectKind kind) {
  return kind == kKindText ? fid::wdmColorMatchingText
         : kind == kKindLine ? fid::wdmColorMatchingLine
                             : fid::wdmColorMatchingImage;
}

BYTE MachineId(DriverContext* context) {
  const ProductRecord* product = context->product ? context->product : GetProductRecord();
  return product ? product->machineId : 0;
}

// The driver directory followed by the profile name; nothing when either is missing or
// the two together pass 260 bytes.
void WriteProfilePath(DriverContext* context, const char* name, ImageRef option, TextSink* sink) {
  if (!name) return;
  char directory[kMaxPathBytes + 1];
  ToAnsi(GetDriverDirectory(context), directory, sizeof directory);
  const std::size_t dirLen = std::strlen(directory), nameLen = std::strlen(name);
  if (!directory[0] || dirLen + nameLen > static_cast<std::size_t>(kMaxPathBytes)) return;
  char path[kMaxPathBytes + 1];
  std::memcpy(path, directory, dirLen);
  std::memcpy(path + dirLen, name, nameLen + 1);
  AppendWrapped(sink, option, path);
}

void WriteMatchingProfile(DriverContext* context, ImageRef option, TextSink* sink) {
  const ObjectKind kind = ObjectKindOf(option);
  DWORD m = ReadFieldRawById(context, fid::kdmColorMatchingMode);
  if (ReadFieldRawById(context, fid::kdmAdjustMode) == 1) m = ReadFieldRawById(context, KindField(kind));
  if (m == 0 || m == 131) return;
  int index = (kind == kKindImage || (m != 1 && m != 128 && m != 130)) ? 1 : 0;
  if (ReadFieldRawById(context, fid::kdmMediaType) == 2) index += 2;
  WriteProfilePath(context, MatchingProfileName(MachineId(context), index), option, sink);
}

void WriteColourProfile(DriverContext* context, ImageRef option, TextSink* sink) {
  const ObjectKind kind = ObjectKindOf(option);
  const WORD key = OptionShareKey(option);
  const bool adjust = ReadFieldRawById(context, fid::kdmAdjustMode) == 1;
  DWORD f = 0;
  if (adjust) {
    f = ReadFieldRawById(context, KindField(kind));
  } else {
    const DWORD m = ReadFieldRawById(context, fid::kdmColorMatchingMode);
    if (m < 128 || m > 131) f = m;
    else if (key == 3 || m == 129) f = 2;
    else if ((key == 1 || key == 2) && (m == 128 || m == 130)) f = 1;
    else if (key == 0 && (m == 128 || m == 130)) f = 6;
  }
  if (f == 0) return;
  if (f >= 200 && f <= 215) {
    // A user colour profile: the modules show it in the profile controls, whose file edit
    // holds the file's path.
    const WORD number = adjust ? static_cast<WORD>(115 + kind) : 114;
    CallModuleItemHooks(context, number);
    WCHAR path[kMaxPathBytes + 1] = {};
    if (FindProfilePathControl(context) && GetShownProfilePath(context, path, kMaxPathBytes + 1))
      AppendWrappedWide(sink, option, path);
    return;
  }
  WriteProfilePath(context, ColourProfileName(MachineId(context), f == 2 ? 0 : f == 6 ? 1 : 2), option, sink);
}

}  // namespace

const char* MatchingProfileName(BYTE machineId, int index) {
  return machineId == kShippedMachineId && index >= 0 && index < 4 ? kMatchingProfiles[index] : nullptr;
}

const char* ColourProfileName(BYTE machineId, int index) {
  return machineId == kShippedMachineId && index >= 0 && index < 3 ? kColourProfiles[index] : nullptr;
}

// ---- text sources ---------------------------------------------------------------------------

ImageRef GetCommandGroup(DriverContext* context, int group) {
  if (!context || group < 0 || group >= kGroupCount) return {};
  return HeaderRef(context->model, kHdrCommandGroups + 4 * static_cast<DWORD>(group));
}

std::int32_t BuildJobStartText(DriverContext* context, DWORD size, BYTE* buffer, DWORD* count) {
  return BuildCommandGroupText(context, GetCommandGroup(context, kGroupJobStart), size, buffer, count);
}

std::int32_t BuildPageStartText(DriverContext* context, DWORD size, BYTE* buffer, DWORD* count) {
  return BuildCommandGroupText(context, GetCommandGroup(context, kGroupPageStart), size, buffer, count);
}

std::int32_t BuildPageEndText(DriverContext* context, DWORD size, BYTE* buffer, DWORD* count) {
  return BuildCommandGroupText(context, GetCommandGroup(context, kGroupPageEnd), size, buffer, count);
}

std::int32_t BuildCommandGroupText(DriverContext* context, ImageRef block, DWORD size, BYTE* buffer, DWORD* count) {
  TextSink sink;
  const bool writing = size != 0 && buffer != nullptr;
  if (writing) {
    sink.buffer = buffer;
    sink.size = size;
  }
  std::int32_t result = context ? WalkCommandBlock(context, block, &sink) : 0;
  if (sink.overflow) result = -1;
  if (count) *count = sink.count;
  if (!writing && result == 0 && sink.count > 0) result = 1;
  return result;
}

std::int32_t WalkCommandBlock(DriverContext* context, ImageRef block, TextSink* sink) {
  if (!block || !sink) return 0;
  const bool judged = block.U32(cmd::kBlockJudge) != 0;
  const bool holds = !judged || EvaluateRuleExpression(block.Tagged(cmd::kBlockJudge), context) != 0;
  return WriteCommandNodes(context, block.Plain(holds ? cmd::kBlockFirst : cmd::kBlockSecond), sink);
}

std::int32_t WriteCommandNodes(DriverContext* context, ImageRef node, TextSink* sink) {
  std::int32_t result = 0;
  for (; node; node = node.Plain(cmd::kNodeNext)) {
    switch (node.U16(cmd::kNodeKind)) {
      case kNodeGroupType:
        result = WriteGroupTypeNode(context, node, sink);
        break;
      case kNodeStringType: {
        const DWORD length = node.U32(cmd::kNodeTextLength);
        const char* text = ImageTextAt(node, cmd::kNodeText);
        // The text's stored length must agree with the text itself before it is used.
        if (text && length > 1 && std::strlen(text) + 1 == length) AppendBytes(sink, text, length - 1);
        break;
      }
      case kNodeCommand:
        result = WalkCommandBlock(context, node.Plain(cmd::kNodeBlock), sink);
        break;
      case kNodeFontType:
        result = WriteDeviceFontLine(context, sink);
        break;
      default:
        result = -1;
        break;
    }
    if (result == -1) break;
  }
  return result;
}

std::int32_t WriteGroupTypeNode(DriverContext* context, ImageRef node, TextSink* sink) {
  const WORD nameId = node.U16(cmd::kNodeFeatureItemId);
  SettingField* field = FindFieldByKeyword(context, static_cast<std::int16_t>(nameId));
  const ImageRef option = FindOptionByNameAndShareKey(nameId, node.U16(cmd::kNodeNumber), context);
  if (!field || !option) return -1;
  const DWORD value = IsTextFieldCode(FieldCodeOf(field->type)) ? 0 : GetFieldValue(context, field);
  if (field->handling != 0 && WriteSpecialValue(context, field, value, option, sink)) return 0;
  const WORD type = OptionRawType(option) & static_cast<WORD>(~kTypeIdentity);
  if (type & kTypeUnknown) return 0;
  switch (type) {
    case kTypePickOne:
    case kTypePickPage:
    case kTypePickSlot:
      return WritePickCommand(value, option, field, sink);
    case kTypeFontTbl: {
      const std::int32_t result = WritePickCommand(value, option, field, sink);
      WriteSubstituteFontLine(context, option, value, sink);
      return result;
    }
    case kTypeBoolean:
      return WriteBooleanCommand(value, option, field, sink);
    case kTypeNumeric:
      return WriteNumericCommand(value, option, field, sink);
    case kTypeString:
      return WriteStringCommand(context, option, field, sink);
    default:
      return 0;
  }
}

std::int32_t WritePickCommand(DWORD value, ImageRef option, const SettingField*, TextSink* sink) {
  const char* command = ImageTextAt(FindItem(option, value), item::kCommand);
  if (command) AppendWrapped(sink, option, command);
  return 0;
}

std::int32_t WriteBooleanCommand(DWORD value, ImageRef option, const SettingField*, TextSink* sink) {
  const char* command = ImageTextAt(OptionValues(option), value ? 4 : 8);
  if (command) AppendWrapped(sink, option, command);
  return 0;
}

std::int32_t WriteNumericCommand(DWORD value, ImageRef option, const SettingField*, TextSink* sink) {
  const ImageRef numbers = OptionValues(option);
  const DWORD divisor = numbers.U16(10);
  // A value record whose number 8 is 0 has no scale; it writes nothing.
  if (!numbers || divisor == 0) return 0;
  AppendDecimal(sink, option,
                ClampToInt32(static_cast<std::int64_t>(static_cast<std::int32_t>(value)) * numbers.U16(8) / divisor));
  return 0;
}

std::int32_t WriteStringCommand(DriverContext* context, ImageRef option, const SettingField* field, TextSink* sink) {
  char* text = FieldTextAnsi(context, field);
  if (!text) return -1;
  AppendWrappedNonEmpty(sink, option, text);
  delete[] text;
  return 0;
}

std::int32_t WriteSpecialValue(DriverContext* context, const SettingField* field, DWORD value, ImageRef option,
                               TextSink* sink) {
  if (!context || !field) return 0;
  switch (field->handling) {
    case kHandleTime:
      WriteTime(option, sink);
      return 1;
    case kHandleLength:
    case kHandleShiftX:
    case kHandleShiftY:
      WriteLength(context, field->handling, value, option, sink);
      return 1;
    case kHandleDeviceName:
      WriteDeviceName(context, option, sink);
      return 1;
    case kHandleIniFileName:
      AppendWrappedWide(sink, option, GetUserIniPath(context));
      return 1;
    case kHandleLogFileName:
    case kHandleDriverFileName:
      WriteLogFileName(context, field->handling, option, sink);
      return 1;
    case kHandleBareString:
      WriteBareString(context, field, option, sink);
      return 1;
    case kHandleChapter:
      WriteChapterLines(context, option, value, sink);
      return 1;
    case kHandleDriverDirectory:
      AppendWrappedWide(sink, option, GetDriverDirectory(context));
      return 1;
    case kHandlePageForm:
      WritePageForm(context, value, option, sink);
      return 1;
    case kHandleMatchingProfile:
      if (ReadFieldRawById(context, fid::kdmMachineTypeColor) != 0) WriteMatchingProfile(context, option, sink);
      return 1;
    case kHandleColourProfile:
      if (ReadFieldRawById(context, fid::kdmMachineTypeColor) != 0) WriteColourProfile(context, option, sink);
      return 1;
    default:
      return 0;
  }
}

}  // namespace rendara
