// Command groups, command strings, font lists and the names of the image header.
#include "model/command_groups.h"

#include <cstring>

#include "model/model_names.h"
#include "model/rule_compiler.h"
#include "model/value_scanners.h"
#include "win/kernel.h"

void ConvertFileVersion(const char* value, DWORD length, WCHAR out[16]) {
  std::memset(out, 0, 16 * sizeof(WCHAR));
  // 14 characters never need more than 28 bytes; a cut double-byte character falls beyond.
  const int bytes = static_cast<int>(length < 32 ? length : 32);
  if (bytes == 0) return;
  WCHAR wide[32] = {};
  const int n = MultiByteToWideChar(CP_ACP, 0, value, bytes, wide, 32);
  for (int i = 0; i < n && i < 14; ++i) out[i] = wide[i];
}

int HandleFileVersion(ModelParse* parse, Statement* s) {
  ConvertFileVersion(s->value.bytes, s->value.length, parse->header.fileVersion);
  return 1;
}

int HandleUIResDLLName(ModelParse* parse, Statement* s) {
  s->value.position = 0;
  parse->header.uiResDllName = NextQuotedStringWide(parse, s->value, nullptr);
  return 1;
}

int HandleExcDepDLLName(ModelParse* parse, Statement* s) {
  s->value.position = 0;
  parse->header.excDepDllName = NextQuotedStringWide(parse, s->value, nullptr);
  return 1;
}

int HandleCommandString(ModelParse* parse, Statement* s) {
  std::int32_t number = 0;
  if (!ParseRuleNumber(s->option1.bytes, &number)) return 0;
  s->value.position = 0;
  DWORD length = 0;
  char* text = NextQuotedString(parse, s->value, &length, nullptr);
  if (!text) return 0;
  auto* entry = ParseNew<CommandStringEntry>(parse);
  if (!entry) return 0;
  entry->number = static_cast<DWORD>(number);
  entry->length = length;
  entry->text = text;
  parse->commandStrings.Append(entry);
  return 1;
}

namespace {

struct BodyState {
  ModelParse* parse;
  TextBuffer& v;
  bool malformed;
};

bool StartsWith(const TextBuffer& v, const char* word) {
  const std::size_t n = std::strlen(word);
  return v.position + n <= v.length && std::memcmp(v.bytes + v.position, word, n) == 0;
}

void SkipRestOfLine(TextBuffer& v) {
  while (!AtTextEnd(v) && !IsLineEnd(PeekByte(v))) ++v.position;
}

CommandNode* NewNode(BodyState& st, WORD kind) {
  auto* node = ParseNew<CommandNode>(st.parse);
  if (node) node->kind = kind;
  return node;
}

CommandBlock* ParseBody(BodyState& st, bool allowElse, int depth);

// A Command entry or an ElseIf part: the Judge reference, '{' and a body. Null when no node
// is made.
CommandNode* ParseCommandEntry(BodyState& st, int depth) {
  BYTE term = 0;
  const char* ref = NextWord(st.v, &term);
  if (!ref) return nullptr;
  DWORD judge = 0;
  if (!ResolveReferenceFor(st.parse, kNamesJudge, ref, &judge)) {
    st.malformed = true;
    return nullptr;
  }
  if ((judge & 0xFFFF0000u) == kRefJudge) judge &= 0xFFFFu;
  if (term != '{' && !SkipPastChar(st.v, '{')) return nullptr;
  CommandBlock* block = ParseBody(st, judge != 0, depth + 1);
  if (!block) return nullptr;
  block->judge = judge;
  CommandNode* node = NewNode(st, kNodeCommand);
  if (node) node->block = block;
  return node;
}

// One Type entry; *closed is set when the entry's last word ended at the body's '}'.
CommandNode* ParseTypeEntry(BodyState& st, bool* closed) {
  BYTE term = 0;
  const char* type = NextWord(st.v, &term);
  if (!type) return nullptr;
  if (std::strcmp(type, "FontType") == 0) {
    *closed = term == '}';
    return NewNode(st, kNodeFontType);
  }
  if (std::strcmp(type, "StringType") == 0) {
    const char* word = NextWord(st.v, &term);
    *closed = term == '}';
    std::int32_t n = 0;
    if (!word) return nullptr;
    if (!ParseRuleNumber(word, &n)) {
      st.malformed = true;
      return nullptr;
    }
    if (n == 0) return nullptr;
    CommandNode* node = NewNode(st, kNodeStringType);
    if (node) node->stringNumber = static_cast<DWORD>(n);
    return node;
  }
  if (std::strcmp(type, "GroupType") == 0) {
    const char* name = NextWord(st.v, &term);
    const ControlNameEntry* feature = name ? FindFeatureByName(name) : nullptr;
    if (!feature) {
      // An unknown feature: the rest of its line is not read.
      if (term && !IsLineEnd(term)) SkipRestOfLine(st.v);
      return nullptr;
    }
    std::int32_t number = 0;
    *closed = term == '}';
    if (term && !IsLineEnd(term) && term != '}') {
      SkipBlanksIn(st.v, false);
      const BYTE c = PeekByte(st.v);
      if (IsDigit(c) || c == '-') {
        if (!NextNumber(st.v, &number, &term)) {
          st.malformed = true;
          return nullptr;
        }
      }
    }
    CommandNode* node = NewNode(st, kNodeGroupType);
    if (node) {
      node->featureItemId = feature->itemId;
      node->number = static_cast<WORD>(number);
    }
    return node;
  }
  *closed = term == '}';
  return nullptr;
}

void AppendNode(CommandNode*& first, CommandNode*& last, CommandNode* node) {
  if (!node) return;
  if (last) last->next = node; else first = node;
  last = node;
}

CommandBlock* ParseBody(BodyState& st, bool allowElse, int depth) {
  if (depth > kMaxCommandNesting) {
    st.malformed = true;
    return nullptr;
  }
  CommandNode* first = nullptr;
  CommandNode* last = nullptr;
  for (;;) {
    BYTE term = 0;
    const char* word = NextWord(st.v, &term);
    if (!word) break;
    const bool command = std::strcmp(word, "Command") == 0;
    if (!command && std::strcmp(word, "Type") != 0) break;
    if (term != ':' && !SkipPastChar(st.v, ':')) break;
    bool closed = false;
    AppendNode(first, last, command ? ParseCommandEntry(st, depth) : ParseTypeEntry(st, &closed));
    if (st.malformed) return nullptr;
    if (closed) break;
    SkipBlanksIn(st.v, true);
    if (PeekByte(st.v) == '}') {
      ++st.v.position;
      break;
    }
    if (AtTextEnd(st.v)) break;
  }
  CommandNode* second = nullptr;
  if (allowElse) {
    SkipBlanksIn(st.v, true);
    if (StartsWith(st.v, "ElseIf")) {
      st.v.position += 6;
      SkipBlanksIn(st.v, false);
      if (PeekByte(st.v) == ':') {
        ++st.v.position;
        second = ParseCommandEntry(st, depth);
        if (st.malformed) return nullptr;
      }
    } else if (StartsWith(st.v, "Else")) {
      st.v.position += 4;
      if (SkipPastChar(st.v, '{')) {
        if (CommandBlock* plain = ParseBody(st, false, depth + 1)) second = plain->first;
        if (st.malformed) return nullptr;
      }
    }
  }
  if (!first && !second) return nullptr;
  auto* block = ParseNew<CommandBlock>(st.parse);
  if (!block) return nullptr;
  block->first = first;
  block->second = second;
  return block;
}

int GroupIndex(const char* name) {
  static constexpr struct {
    const char* word;
    int index;
  } kGroups[] = {{"JobStart", kGroupJobStart},
                 {"JobEnd", kGroupJobEnd},
                 {"PageStart", kGroupPageStart},
                 {"PageEnd", kGroupPageEnd},
                 {"DocReset", kGroupDocReset}};
  for (const auto& g : kGroups) {
    if (name && std::strcmp(g.word, name) == 0) return g.index;
  }
  return -1;
}

// An IDList of {"name" id} entries into a fresh array.
int ParseFontList(ModelParse* parse, Statement* s, DWORD* count, FontIdEntry*** list) {
  TextBuffer& v = s->value;
  v.position = 0;
  BYTE term = 0;
  const char* word = NextWord(v, &term);
  if (!word || std::strcmp(word, "IDList") != 0) return 1;
  if (term != '{' && !SkipPastChar(v, '{')) return 1;
  DWORD entries = 0;
  DWORD depth = 0;
  for (DWORD p = v.position; p < v.length && v.bytes[p]; ++p) {
    if (v.bytes[p] == '{' && depth++ == 0) ++entries;
    if (v.bytes[p] == '}' && depth-- == 0) break;
  }
  if (entries > kMaxListEntries) return 0;
  auto** array = entries ? static_cast<FontIdEntry**>(ParseAlloc(parse, entries * sizeof(FontIdEntry*))) : nullptr;
  if (entries && !array) return 1;
  DWORD stored = 0;
  while (stored < entries) {
    if (!SkipPastChar(v, '{')) break;
    char* name = NextQuotedStringHere(parse, v, nullptr, nullptr);
    if (!name) break;
    std::int32_t id = 0;
    if (!AtTextEnd(v) && !NextNumber(v, &id, &term)) return 0;
    auto* entry = ParseNew<FontIdEntry>(parse);
    if (!entry) break;
    entry->id = static_cast<DWORD>(id);
    entry->name = name;
    array[stored++] = entry;
    if (!SkipPastChar(v, '}')) break;
  }
  *count = stored;
  *list = stored ? array : nullptr;
  return 1;
}

}  // namespace

int HandleCommandGroup(ModelParse* parse, Statement* s) {
  TextBuffer& v = s->value;
  v.position = 0;
  BYTE term = 0;
  const int group = GroupIndex(NextWord(v, &term));
  if (group < 0) return 1;
  if (term != '{' && !SkipPastChar(v, '{')) return 1;
  BodyState st{parse, v, false};
  CommandBlock* block = ParseBody(st, false, 0);
  if (st.malformed) return 0;
  parse->header.groups[group] = block;
  return 1;
}

int HandleDeviceFonts(ModelParse* parse, Statement* s) {
  return ParseFontList(parse, s, &parse->header.deviceFontCount, &parse->header.deviceFonts);
}

int HandleFontCartridge(ModelParse* parse, Statement* s) {
  return ParseFontList(parse, s, &parse->header.fontCartridgeCount, &parse->header.fontCartridges);
}
