// The statement loop of a parse and the dispatch by keyword.
#include "model/statement_dispatch.h"

#include <cstring>

#include "model/command_groups.h"
#include "model/option_statements.h"
#include "model/rule_statements.h"

namespace {

constexpr KeywordEntry kKeywords[kKeywordCount] = {
    {"FileVersion", HandleFileVersion},     {"OpenUI", HandleOpenUI},
    {"CloseUI", HandleCloseUI},             {"NumericValue", HandleNumericValue},
    {"StringValue", HandleStringValue},     {"PageValue", HandlePageValue},
    {"PageMMValue", HandlePageMMValue},     {"SlotPaper", HandleSlotPaper},
    {"OptionCommand", HandleOptionCommand}, {"CommandGroup", HandleCommandGroup},
    {"DeviceFonts", HandleDeviceFonts},     {"FontCartridge", HandleFontCartridge},
    {"TTFS", HandleTTFS},                   {"CommandString", HandleCommandString},
    {"Judge", HandleJudge},                 {"Item", HandleItem},
    {"Action", HandleAction},               {"Transact", HandleTransact},
    {"AlertAction", HandleAlertAction},     {"Alert", HandleAlert},
    {"Exclusive", HandleExclusive},         {"UIResDLLName", HandleUIResDLLName},
    {"ExcDepDLLName", HandleExcDepDLLName},
};

int ParseWithReader(ModelParse* parse, ModelReader* reader) {
  Statement* statement = CreateStatement();
  if (!statement) return kReadOutOfMemory;
  int code = kReadDone;
  while (code == kReadDone || code == kReadMalformed) {
    code = ReadStatement(statement, reader);
    if (code == kReadDone) code = DispatchStatement(parse, statement);
  }
  FreeStatement(statement);
  return code;
}

ModelParse* ParseReader(ModelReader* reader) {
  if (!reader) return nullptr;
  ModelParse* parse = CreateModelParse();
  const int code = parse ? ParseWithReader(parse, reader) : kReadOutOfMemory;
  CloseModelReader(reader);
  if (code != kReadEndOfFile) {
    FreeModelParse(parse);
    return nullptr;
  }
  // The rule-name lists live only as long as the parse reads.
  for (auto& names : parse->ruleNames) names = ParseList<RuleName>{};
  parse->openName = nullptr;
  parse->openFirst = parse->openExact = nullptr;
  return parse;
}

}  // namespace

const KeywordEntry* GetKeywordTable() { return kKeywords; }

int DispatchStatement(ModelParse* parse, Statement* s) {
  const char* keyword = s->keyword.bytes;
  if (parse->openName) {
    int handled = 0;
    if (std::strcmp(keyword, parse->openName) == 0) {
      handled = HandleOptionLine(parse, s);
    } else if (std::strncmp(keyword, "Default", 7) == 0 && std::strcmp(keyword + 7, parse->openName) == 0) {
      handled = HandleDefaultLine(parse, s);
    }
    if (handled == 1) return kReadDone;
  }
  int index = -1;
  const int remembered = parse->rememberedKeyword - 1;
  if (remembered >= 0 && remembered < kKeywordCount && std::strcmp(kKeywords[remembered].keyword, keyword) == 0) {
    index = remembered;
  } else {
    for (int i = 0; i < kKeywordCount; ++i) {
      if (std::strcmp(kKeywords[i].keyword, keyword) == 0) {
        index = i;
        break;
      }
    }
  }
  if (index < 0) {
    parse->rememberedKeyword = 0;
    return kReadMalformed;
  }
  parse->rememberedKeyword = index + 1;
  return kKeywords[index].handler(parse, s) == 1 ? kReadDone : kReadMalformed;
}

ModelParse* ParseModelDescription(const WCHAR* path) { return ParseReader(OpenModelReader(path)); }

ModelParse* ParseModelBytes(const BYTE* bytes, DWORD size) {
  return ParseReader(OpenModelReaderOnBytes(bytes, size));
}

int ReadFileVersion(const WCHAR* path, WCHAR out[16]) {
  ModelReader* reader = OpenModelReader(path);
  if (!reader) return 1;
  if (Statement* statement = CreateStatement()) {
    int code = kReadDone;
    while (code == kReadDone || code == kReadMalformed) {
      code = ReadStatement(statement, reader);
      if (code == kReadDone && std::strcmp(statement->keyword.bytes, "FileVersion") == 0) {
        ConvertFileVersion(statement->value.bytes, statement->value.length, out);
        break;
      }
    }
    FreeStatement(statement);
  }
  CloseModelReader(reader);
  return 1;
}
