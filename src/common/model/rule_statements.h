// The rule statements: Judge, Item, Action, Transact, AlertAction, Alert and Exclusive.
// Each handler returns 1 when it accepted the statement, 0 when it refused it.
#pragma once

#include "model/model_parse.h"
#include "model/model_reader.h"

int HandleJudge(ModelParse* parse, Statement* statement);
int HandleItem(ModelParse* parse, Statement* statement);
int HandleAction(ModelParse* parse, Statement* statement);
int HandleTransact(ModelParse* parse, Statement* statement);
int HandleAlertAction(ModelParse* parse, Statement* statement);
int HandleAlert(ModelParse* parse, Statement* statement);
int HandleExclusive(ModelParse* parse, Statement* statement);

// The words of Alert statements; 0xFFFF for an unknown word.
WORD AlertIconWord(const char* word);
WORD AlertButtonsWord(const char* word);
WORD AlertTimingWord(const char* word);
