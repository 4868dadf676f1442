// The option statements: OpenUI blocks with their option and default lines, and the
// statements that attach numbers, paper lists, page values, commands and font tables to an
// option or its values. Each handler returns 1 when it accepted the statement, 0 when it
// refused it.
#pragma once

#include "model/model_parse.h"
#include "model/model_reader.h"

int HandleOpenUI(ModelParse* parse, Statement* statement);
int HandleCloseUI(ModelParse* parse, Statement* statement);
int HandleNumericValue(ModelParse* parse, Statement* statement);
int HandleStringValue(ModelParse* parse, Statement* statement);
int HandlePageValue(ModelParse* parse, Statement* statement);
int HandlePageMMValue(ModelParse* parse, Statement* statement);
int HandleSlotPaper(ModelParse* parse, Statement* statement);
int HandleOptionCommand(ModelParse* parse, Statement* statement);
int HandleTTFS(ModelParse* parse, Statement* statement);

// Inside an OpenUI block: the line whose keyword is the open feature's name, and the line
// whose keyword is "Default" followed by it.
int HandleOptionLine(ModelParse* parse, Statement* statement);
int HandleDefaultLine(ModelParse* parse, Statement* statement);

// The type flags of an OpenUI type word (unknown words give PickOne).
WORD OptionTypeWord(const char* word);
// The value form an option of this type keeps.
ValueForm TypeForm(WORD type);
