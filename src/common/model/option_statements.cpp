// Option statements and the records they build.
#include "model/option_statements.h"

#include <cstring>
#include <iterator>

#include "model/model_names.h"
#include "model/value_scanners.h"

namespace {

struct WordValue {
  const char* word;
  WORD value;
};

constexpr WordValue kTypeWords[] = {
    {"PickOne", kTypePickOne},   {"PickMany", kTypePickMany}, {"Boolean", kTypeBoolean},
    {"Numeric", kTypeNumeric},   {"String", kTypeString},     {"PickPage", kTypePickPage},
    {"PickSlot", kTypePickSlot}, {"FontTbl", kTypeFontTbl},   {"Identity", kTypeIdentity},
    {"TypeUnknown", kTypeUnknown},
};

constexpr WordValue kKindWords[] = {
    {"MultiByte", 0x01}, {"ASCII", 0x02}, {"Numeric", 0x04}, {"Capital", 0x08}, {"Small", 0x10},
};

constexpr WordValue kDisplayWords[] = {{"Password", 0x100}, {"ShowCapital", 0x200}, {"ShowSmall", 0x400}};

template <std::size_t N>
bool FindWord(const WordValue (&table)[N], const char* word, WORD* value) {
  for (const WordValue& w : table) {
    if (word && std::strcmp(w.word, word) == 0) {
      *value = w.value;
      return true;
    }
  }
  return false;
}

DWORD BooleanWord(const char* word) { return word && std::strcmp(word, "True") == 0 ? 1 : 0; }

bool ValueIdOf(const char* name, WORD* id) { return name && FindValueIdByName(name, id); }

// The open option found by item id alone (option lines, values statements) or by item id
// and share key (CloseUI, default line, OptionCommand).
OptionRecord* OpenByItem(ModelParse* parse) { return parse->openName ? parse->openFirst : nullptr; }
OptionRecord* OpenExact(ModelParse* parse) { return parse->openName ? parse->openExact : nullptr; }

enum class Acquire { Ok, Mismatch, NoMemory };

// The option's value record of the given form, made when there is none. A record whose type
// keeps another form, or whose values hold another form, is never written with this one.
template <typename T>
Acquire AcquireValues(ModelParse* parse, OptionRecord* r, ValueForm form, T** out) {
  if (TypeForm(r->type) != form || (r->values && r->form != form)) return Acquire::Mismatch;
  if (!r->values) {
    T* v = ParseNew<T>(parse);
    if (!v) return Acquire::NoMemory;
    r->values = v;
    r->form = form;
  }
  *out = static_cast<T*>(r->values);
  return Acquire::Ok;
}

OptionItem* FindItem(OptionRecord* r, WORD valueId) {
  if (!r || r->form != ValueForm::Items) return nullptr;
  for (auto* item = static_cast<OptionItem*>(r->values); item; item = item->next) {
    if (item->valueId == valueId) return item;
  }
  return nullptr;
}

// The item of the open option named by option word 1, or null.
OptionItem* ItemOfOptionWord(ModelParse* parse, Statement* s) {
  WORD id = 0;
  if (!s->option1.length || !ValueIdOf(s->option1.bytes, &id)) return nullptr;
  return FindItem(OpenByItem(parse), id);
}

enum class AddResult { Added, Dropped, TooMany };

// Appends an item unless one of the list already has its value id.
AddResult AddItem(ModelParse* parse, OptionRecord* r, WORD valueId, char* command) {
  OptionItem* last = nullptr;
  DWORD count = 0;
  for (auto* item = static_cast<OptionItem*>(r->values); item; item = item->next) {
    if (item->valueId == valueId) return AddResult::Dropped;
    last = item;
    ++count;
  }
  if (count >= kMaxItemsPerOption) return AddResult::TooMany;
  auto* item = ParseNew<OptionItem>(parse);
  if (!item) return AddResult::Dropped;  // memory is short: the item is left out
  item->valueId = valueId;
  item->command = command;
  if (last) {
    last->next = item;
  } else {
    r->values = item;
    r->form = ValueForm::Items;
  }
  return AddResult::Added;
}

// Moves past the list's '{' after its IDList word; false when the value has neither.
bool EnterIdList(TextBuffer& value) {
  BYTE term = 0;
  const char* word = NextWord(value, &term);
  if (!word || std::strcmp(word, "IDList") != 0) return false;
  return term == '{' || SkipPastChar(value, '{');
}

// After an entry's last string: true when the entry's '}' follows (it is consumed).
bool CloseEntry(TextBuffer& value) {
  SkipBlanksIn(value, true);
  if (PeekByte(value) != '}') return false;
  ++value.position;
  return true;
}

// Reads the numbers of a quoted list into out[0..max); stops at the end of the text or at
// the closing double quote. False when a number does not fit.
bool ReadNumberList(TextBuffer& value, std::int32_t* out, int max, int* count) {
  *count = 0;
  while (*count < max) {
    std::int32_t n = 0;
    BYTE term = 0;
    bool found = false;
    if (!NextNumber(value, &n, &term, &found)) return false;
    if (!found) break;
    out[(*count)++] = n;
    if (term == '"' || term == 0) break;
    if (!IsBlank(term) && !IsLineEnd(term)) ++value.position;  // a separator such as ','
  }
  return true;
}

}  // namespace

WORD OptionTypeWord(const char* word) {
  WORD type = kTypePickOne;
  FindWord(kTypeWords, word, &type);
  return type;
}

ValueForm TypeForm(WORD type) {
  const WORD t = type & kTypeMask;
  if (t & (kTypePickOne | kTypePickMany)) return ValueForm::Items;
  if (t & kTypeNumeric) return ValueForm::Numeric;
  if (t & kTypeString) return ValueForm::String;
  return ValueForm::Boolean;
}

int HandleOpenUI(ModelParse* parse, Statement* s) {
  if (parse->openName || s->option1.length < 2 || s->option1.bytes[0] != '*') return 0;
  const char* name = s->option1.bytes + 1;
  const ControlNameEntry* feature = FindFeatureByName(name);
  if (!feature) return 0;

  OptionRecord* firstSame = nullptr;
  for (OptionRecord* r = parse->header.slots[0]; r && !firstSame; r = r->next) {
    if (r->itemId == feature->itemId) firstSame = r;
  }

  OptionRecord* record = ParseNew<OptionRecord>(parse);
  char* openName = ParseCopyText(parse, name, s->option1.length - 1);
  if (!record || !openName) return 0;

  if (s->option2.length && firstSame) {
    std::int32_t key = 0;
    BYTE term = 0;
    s->option2.position = 0;
    if (!NextNumber(s->option2, &key, &term)) return 0;
    *record = *firstSame;  // the variant shares the item list and commands by pointer
    record->shareKey = static_cast<WORD>(key);
    record->next = nullptr;
  } else {
    record->itemId = feature->itemId;
    record->featureId = feature->fieldId;
    TextBuffer& v = s->value;
    v.position = 0;
    BYTE term = 0;
    const char* first = NextWord(v, &term);
    const WORD type = OptionTypeWord(first);
    record->type = type;
    if (type == kTypeIdentity) {
      SkipBlanksIn(v, false);
      if (PeekByte(v) == '*') {
        const ControlNameEntry* shared = FindFeatureByName(NextWord(v, &term));
        if (shared) {
          record->shareKey = shared->itemId;
          for (OptionRecord* r = parse->header.slots[0]; r; r = r->next) {
            if (r->itemId == shared->itemId) {
              record->type |= r->type;
              record->defaultValue = r->defaultValue;
              record->values = r->values;
              record->form = r->form;
              break;
            }
          }
        }
      }
    } else if (first && (term == '|' || (term != 0 && SkipPastChar(v, '|')))) {
      if (const char* second = NextWord(v, &term)) record->type |= OptionTypeWord(second);
    }
    if (const int slot = FeatureSlot(record->featureId)) parse->header.slots[slot] = record;
  }

  OptionRecord* exact = nullptr;
  for (OptionRecord* r = parse->header.slots[0]; r && !exact; r = r->next) {
    if (r->itemId == record->itemId && r->shareKey == record->shareKey) exact = r;
  }
  parse->openName = openName;
  parse->openItemId = record->itemId;
  parse->openShareKey = record->shareKey;
  parse->openFirst = firstSame ? firstSame : record;
  parse->openExact = exact ? exact : record;
  if (parse->lastOption) parse->lastOption->next = record;
  else parse->header.slots[0] = record;
  parse->lastOption = record;
  return 1;
}

int HandleCloseUI(ModelParse* parse, Statement*) {
  if (OptionRecord* r = OpenExact(parse); r && (r->type & kTypePickOne)) {
    WORD index = 0;
    WORD count = 0;
    bool found = false;
    if (r->form == ValueForm::Items) {
      for (auto* item = static_cast<OptionItem*>(r->values); item; item = item->next, ++count) {
        if (!found && item->valueId == r->defaultValue) {
          index = count;
          found = true;
        }
      }
    }
    if (found) r->defaultValue = index;
    else if (r->shareKey == 0 || r->defaultValue >= count) r->defaultValue = 0;
  }
  parse->openName = nullptr;
  parse->openItemId = 0;
  parse->openShareKey = 0;
  parse->openFirst = parse->openExact = nullptr;
  parse->rememberedKeyword = 0;
  return 1;
}

int HandleDefaultLine(ModelParse* parse, Statement* s) {
  OptionRecord* r = OpenExact(parse);
  if (!r) return 1;
  // The value is cut at its first blank.
  char* value = s->value.bytes;
  for (char* p = value; *p; ++p) {
    if (IsBlank(static_cast<BYTE>(*p))) {
      *p = 0;
      break;
    }
  }
  const WORD type = r->type & kTypeMask;
  WORD id = 0;
  if (type & kTypePickOne) {
    if (ValueIdOf(value, &id)) r->defaultValue = id;
  } else if (TypeForm(type) == ValueForm::Boolean && (type & kTypeBoolean)) {
    BooleanValues* b = nullptr;
    const Acquire a = AcquireValues(parse, r, ValueForm::Boolean, &b);
    if (a == Acquire::Mismatch) return 0;
    if (a == Acquire::Ok) b->defaultValue = BooleanWord(value);
  } else if (TypeForm(type) == ValueForm::String) {
    if (!ValueIdOf(value, &id)) return 1;
    StringValues* sv = nullptr;
    const Acquire a = AcquireValues(parse, r, ValueForm::String, &sv);
    if (a == Acquire::Mismatch) return 0;
    if (a == Acquire::Ok) sv->defaultValueId = id;
  }
  return 1;
}

namespace {

// The IDList form of an option line: bare value names and {name "command"} pairs.
int ReadOptionIdList(ModelParse* parse, OptionRecord* r, TextBuffer& v) {
  if (!EnterIdList(v)) return 1;
  for (;;) {
    BYTE term = 0;
    char* word = NextWord(v, &term);
    if (!word) return 1;
    if (!word[0]) {
      if (term == '}') return 1;
      if (term != '{') continue;
      // A braced entry: a value name and its command.
      char* name = NextWord(v, &term);
      WORD id = 0;
      if (!name || !ValueIdOf(name, &id)) return 1;
      if (term == '"') v.bytes[--v.position] = '"';  // the quote ended the name: put it back
      char* command = nullptr;
      if (term != '}') command = NextQuotedStringHere(parse, v, nullptr, nullptr);
      if (AddItem(parse, r, id, command) == AddResult::TooMany) return 0;
      if (term == '}') continue;
      if (!CloseEntry(v)) return 1;
      continue;
    }
    WORD id = 0;
    if (!ValueIdOf(word, &id)) return 1;
    if (AddItem(parse, r, id, nullptr) == AddResult::TooMany) return 0;
    if (term == '}') return 1;
  }
}

}  // namespace

int HandleOptionLine(ModelParse* parse, Statement* s) {
  OptionRecord* r = OpenByItem(parse);
  if (!r) return 1;
  TextBuffer& v = s->value;
  v.position = 0;
  const ValueForm form = TypeForm(r->type);
  if (!s->option1.length) {
    // Items for a Boolean, Numeric or String option would land in its value record.
    if (form != ValueForm::Items) return 0;
    return ReadOptionIdList(parse, r, v);
  }
  if (form == ValueForm::Items) {
    WORD id = 0;
    if (!ValueIdOf(s->option1.bytes, &id)) return 1;
    char* command = v.length ? NextQuotedString(parse, v, nullptr, nullptr) : nullptr;
    return AddItem(parse, r, id, command) == AddResult::TooMany ? 0 : 1;
  }
  // A command line for True or False; a Numeric or String option keeps no commands there.
  BooleanValues* b = nullptr;
  const Acquire a = AcquireValues(parse, r, ValueForm::Boolean, &b);
  if (a == Acquire::Mismatch) return 0;
  if (a == Acquire::Ok && v.length) {
    char* command = NextQuotedString(parse, v, nullptr, nullptr);
    if (std::strcmp(s->option1.bytes, "True") == 0) b->trueCommand = command;
    else b->falseCommand = command;
  }
  return 1;
}

int HandleNumericValue(ModelParse* parse, Statement* s) {
  OptionRecord* r = OpenByItem(parse);
  TextBuffer& v = s->value;
  if (!r || !v.length) return 1;
  v.position = 0;
  NumericValues read{};
  if (PeekByte(v) != '"') {
    std::int32_t n = 0;
    BYTE term = 0;
    if (!NextNumber(v, &n, &term)) return 0;
    read.leading = static_cast<WORD>(n);
  }
  std::int32_t numbers[8] = {};
  int count = 0;
  if (SkipPastChar(v, '"') && !ReadNumberList(v, numbers, 8, &count)) return 0;
  read.number1 = static_cast<WORD>(numbers[0]);
  read.number2 = numbers[1];
  read.number3 = numbers[2];
  read.number4 = numbers[3];
  read.number5 = static_cast<WORD>(numbers[4]);
  read.number6 = static_cast<WORD>(numbers[5]);
  read.number7 = static_cast<WORD>(numbers[6]);
  read.number8 = static_cast<WORD>(numbers[7]);
  NumericValues* values = nullptr;
  const Acquire a = AcquireValues(parse, r, ValueForm::Numeric, &values);
  if (a == Acquire::Mismatch) return 0;
  if (a == Acquire::Ok) *values = read;
  return 1;
}

int HandleStringValue(ModelParse* parse, Statement* s) {
  OptionRecord* r = OpenByItem(parse);
  TextBuffer& v = s->value;
  if (!r || !v.length) return 1;
  v.position = 0;
  StringValues read{};
  std::int32_t limit = 0;
  BYTE term = 0;
  if (!NextNumber(v, &limit, &term)) return 0;
  read.textLimit = static_cast<WORD>(limit);
  if (!AtTextEnd(v)) {
    const char* kinds = NextWord(v, &term);
    read.kinds = 0x01;
    if (kinds) FindWord(kKindWords, kinds, &read.kinds);
    // The '|' may follow the kinds word directly or after blanks.
    if (kinds && (term == '|' || (term != 0 && SkipPastChar(v, '|')))) {
      if (const char* display = NextWord(v, &term)) FindWord(kDisplayWords, display, &read.display);
    }
  }
  StringValues* values = nullptr;
  const Acquire a = AcquireValues(parse, r, ValueForm::String, &values);
  if (a == Acquire::Mismatch) return 0;
  if (a == Acquire::Ok) {
    values->textLimit = read.textLimit;
    values->kinds = read.kinds;
    values->display = read.display;
  }
  return 1;
}

int HandlePageValue(ModelParse* parse, Statement* s) {
  TextBuffer& v = s->value;
  if (!s->option1.length || !v.length) return 0;
  OptionItem* item = ItemOfOptionWord(parse, s);
  if (!item) return 1;
  v.position = 0;
  PageValueRecord read{};
  BYTE term = 0;
  const char* key1 = NextWord(v, &term);
  if (!key1) return 1;
  WORD id = 0;
  if (ValueIdOf(key1, &id)) {
    read.firstKey = id;
  } else if (key1[0] && IsAllDigits(key1)) {
    std::int32_t n = 0;
    if (!ParseRuleNumber(key1, &n)) return 0;
    read.firstKey = static_cast<WORD>(n);
  }
  if (read.firstKey == 0 || term == 0) return 1;
  const char* key2 = NextWord(v, &term);
  if (!key2 || !ValueIdOf(key2, &read.secondKey)) return 1;
  // A double quote written directly after a word is consumed with it.
  bool inQuotes = term == '"';
  if (!inQuotes) {
    SkipBlanksIn(v, true);
    if (PeekByte(v) != '"') {
      const ControlNameEntry* feature = FindFeatureByName(NextWord(v, &term));
      if (!feature) return 1;
      read.conditionItem = feature->itemId;
      const char* value = term ? NextWord(v, &term) : nullptr;
      read.conditionValue = ValueIdOf(value, &id) ? id : static_cast<WORD>(BooleanWord(value));
      inQuotes = term == '"';
    }
  }
  if (!inQuotes && !SkipPastChar(v, '"')) return 1;
  int count = 0;
  if (!ReadNumberList(v, read.numbers, 6, &count)) return 0;
  DWORD existing = 0;
  PageValueRecord** tail = &item->pageValues;
  while (*tail) {
    tail = &(*tail)->next;
    ++existing;
  }
  if (existing >= kMaxPageValuesPerItem) return 0;
  auto* record = ParseNew<PageValueRecord>(parse);
  if (!record) return 1;
  *record = read;
  *tail = record;
  return 1;
}

int HandlePageMMValue(ModelParse* parse, Statement* s) {
  OptionItem* item = ItemOfOptionWord(parse, s);
  TextBuffer& v = s->value;
  if (!item || !v.length) return 1;
  v.position = 0;
  std::int32_t numbers[2] = {};
  int count = 0;
  if (!SkipPastChar(v, '"')) v.position = 0;
  if (!ReadNumberList(v, numbers, 2, &count)) return 0;
  if (count >= 1) item->firstSize = numbers[0];
  if (count >= 2) item->secondSize = numbers[1];
  return 1;
}

int HandleSlotPaper(ModelParse* parse, Statement* s) {
  OptionItem* item = ItemOfOptionWord(parse, s);
  TextBuffer& v = s->value;
  if (!item) return 1;
  v.position = 0;
  if (!SkipPastChar(v, '{')) return 1;
  WORD ids[kMaxListEntries];
  DWORD count = 0;
  for (;;) {
    BYTE term = 0;
    const char* word = NextWord(v, &term);
    if (!word) break;
    if (word[0]) {
      WORD id = 0;
      if (!ValueIdOf(word, &id)) return 1;  // one unknown paper: no list at all
      if (count >= kMaxListEntries) return 0;
      ids[count++] = id;
    }
    if (term == '}') break;
  }
  WORD* papers = nullptr;
  if (count) {
    papers = static_cast<WORD*>(ParseAlloc(parse, count * sizeof(WORD)));
    if (!papers) return 1;
    std::memcpy(papers, ids, count * sizeof(WORD));
  }
  item->paperCount = count;
  item->papers = papers;
  return 1;
}

int HandleOptionCommand(ModelParse* parse, Statement* s) {
  OptionRecord* r = OpenExact(parse);
  TextBuffer& v = s->value;
  if (!r) return 1;
  v.position = 0;
  if (!SkipPastChar(v, '{')) return 1;
  auto* pair = ParseNew<OptionCommandPair>(parse);
  if (!pair) return 1;
  pair->command1 = NextQuotedString(parse, v, nullptr, nullptr);
  // The second command only when another quoted string follows inside the braces.
  pair->command2 = NextQuotedStringHere(parse, v, nullptr, nullptr);
  r->commands = pair;
  return 1;
}

int HandleTTFS(ModelParse* parse, Statement* s) {
  OptionItem* item = ItemOfOptionWord(parse, s);
  TextBuffer& v = s->value;
  if (!item) return 1;
  v.position = 0;
  if (!EnterIdList(v)) return 1;
  // Count the braced entries up to the '}' that closes the list.
  DWORD count = 0;
  DWORD depth = 0;
  for (DWORD p = v.position; p < v.length && v.bytes[p]; ++p) {
    if (v.bytes[p] == '{' && depth++ == 0) ++count;
    if (v.bytes[p] == '}' && depth-- == 0) break;
  }
  if (count > kMaxListEntries) return 0;
  if (count == 0) return 1;
  auto** trueType = static_cast<char**>(ParseAlloc(parse, count * sizeof(char*)));
  auto** device = static_cast<char**>(ParseAlloc(parse, count * sizeof(char*)));
  if (!trueType || !device) return 1;
  DWORD stored = 0;
  while (stored < count) {
    if (!SkipPastChar(v, '{')) break;
    char* tt = NextQuotedStringHere(parse, v, nullptr, nullptr);
    char* dev = tt ? NextQuotedStringHere(parse, v, nullptr, nullptr) : nullptr;
    if (!tt || !dev) break;
    trueType[stored] = tt;
    device[stored] = dev;
    ++stored;
    if (!CloseEntry(v)) break;
  }
  item->pairCount = stored;
  item->trueTypeNames = trueType;
  item->deviceFontNames = device;
  return 1;
}
