// The model description reader and rule compiler on arbitrary bytes: the libFuzzer entry
// point. The fuzzer build (run_model_fuzzer.sh) links it with libFuzzer; the test suite
// calls it on mutated fixtures (model_fuzz_test.cpp).
#include <cstddef>
#include <cstdint>

#include "model/model_parse.h"
#include "model/model_reader.h"
#include "model/rule_compiler.h"
#include "model/statement_dispatch.h"
#include "plat/system.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 0x100000) return 0;
  // The low bit of the first byte picks the ANSI code page, so that the double-byte paths
  // are fuzzed too.
  plat::Machine().ansiCodePage = size && (data[0] & 1) ? 932 : 1252;
  const auto n = static_cast<DWORD>(size);
  if (ModelParse* parse = ParseModelBytes(data, n)) FreeModelParse(parse);

  // The whole input as one rule text.
  if (ModelParse* parse = CreateModelParse()) {
    TextBuffer text{};
    if (InitTextBuffer(text) && SetTextBuffer(text, reinterpret_cast<const char*>(data), n)) {
      DWORD words = 0;
      if (const RuleWord* program = CompileRuleExpression(parse, text, &words)) CheckRuleExpression(program, words);
    }
    FreeTextBuffer(text);
    FreeModelParse(parse);
  }
  plat::Machine().ansiCodePage = 1252;
  return 0;
}
