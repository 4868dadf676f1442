// Parsing a model description: the keyword table, the dispatch of each statement to its
// handler, the parse of a whole file and the quick pass that reads only its FileVersion.
#pragma once

#include "model/model_parse.h"
#include "model/model_reader.h"

using StatementHandler = int (*)(ModelParse* parse, Statement* statement);

struct KeywordEntry {
  const char* keyword;
  StatementHandler handler;
};

constexpr int kKeywordCount = 23;
// The keyword table in search order.
const KeywordEntry* GetKeywordTable();

// 0 when a handler accepted the statement, 3 otherwise.
int DispatchStatement(ModelParse* parse, Statement* statement);

// Parses the file; null when it cannot be opened or mapped, or memory runs out. The caller
// frees the result with FreeModelParse.
ModelParse* ParseModelDescription(const WCHAR* path);
// The same on bytes in memory (for tools and tests that hold the text already).
ModelParse* ParseModelBytes(const BYTE* bytes, DWORD size);

// Writes the value of the file's first FileVersion statement into out (at most 14
// characters and a terminator); leaves out untouched when there is none or the file cannot
// be opened. Always 1.
int ReadFileVersion(const WCHAR* path, WCHAR out[16]);
