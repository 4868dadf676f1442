// Bad input: mutated fixtures, deep nesting and long values parse without a crash, a leak
// or a sanitizer report. The mutations are deterministic and bounded in number; the
// coverage-guided fuzzer (fuzz/run_model_fuzzer.sh) runs the same entry point longer.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "model_test_util.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int Fuzz(const std::string& bytes) {
  return LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::string Mutate(std::string s, std::mt19937& rng) {
  static const char kSpecial[] = {'{', '}', '(', ')', '"', '%', '*', '\n', '\r', ':', '<', '>', '|', '=',
                                  '!', '&', ' ', '-', '\0', '\x81', '\xff', '9'};
  const int edits = 1 + static_cast<int>(rng() % 8);
  for (int e = 0; e < edits && !s.empty(); ++e) {
    const size_t at = rng() % s.size();
    switch (rng() % 6) {
      case 0: s[at] = static_cast<char>(s[at] ^ (1 << (rng() % 8))); break;
      case 1: s.insert(at, 1, kSpecial[rng() % sizeof kSpecial]); break;
      case 2: s.erase(at, 1 + rng() % 16); break;
      case 3: s.resize(at); break;
      case 4: s.insert(at, s.substr(rng() % s.size(), 1 + rng() % 64)); break;
      default: s[at] = kSpecial[rng() % sizeof kSpecial]; break;
    }
  }
  return s;
}

class ModelFuzz : public ::testing::Test {
 protected:
  kovatest::TempRoot root_;
};

TEST_F(ModelFuzz, MutatedFixturesParseCleanly) {
  const char* fixtures[] = {"options_pick.kmd", "options_values.kmd", "options_paper.kmd", "rules.kmd",
                            "commands.kmd"};
  std::mt19937 rng(20261210);
  for (const char* name : fixtures) {
    const std::string seed = kovatest::ReadFixture(name);
    ASSERT_FALSE(seed.empty()) << name;
    for (int i = 0; i < 150; ++i) EXPECT_EQ(Fuzz(Mutate(seed, rng)), 0);
  }
}

TEST_F(ModelFuzz, DeepNestingAndLongValues) {
  const std::string feature = "KPD_IDC_FUNCSELECTSTAPLE";
  const std::string parens(100000, '(');
  const std::string closing(100000, ')');
  std::string commands = "*CommandGroup: JobStart {";
  for (int i = 0; i < 20000; ++i) commands += " Command : Judge1 {";
  for (int i = 0; i < 20000; ++i) commands += "}";
  commands += "}\n";
  const std::string inputs[] = {
      "*Judge 1: " + parens + feature + closing + "\n",
      "*Judge 1: " + parens + "\n",
      "*Item 1: " + std::string(100000, '{') + std::string(100000, '}') + "\n",
      "*Judge 1: " + feature + "\n" + commands,
      "*CommandString 1: \"" + std::string(1 << 20, 'x') + "\"\n",
      "*OpenUI *" + feature + ": Boolean\n*" + std::string(200000, 'K') + "\n",
      std::string(300000, '*'),
      std::string(300000, '\n'),
  };
  for (const std::string& in : inputs) EXPECT_EQ(Fuzz(in), 0);

  // The deep rule and the deep command group are malformed; the parse itself succeeds.
  auto parse = kovatest::ParseText("*Judge 1: " + parens + feature + closing + "\n*Judge 2: " + feature + "\n" +
                                   commands);
  ASSERT_NE(parse, nullptr);
  ASSERT_NE(parse->judges.first, nullptr);
  EXPECT_EQ(parse->judges.first->number, 2u);
  EXPECT_EQ(parse->header.groups[kGroupJobStart], nullptr);
}

TEST_F(ModelFuzz, EveryPrefixOfTheSampleParses) {
  // Cutting the sample anywhere leaves a valid parse of the statements before the cut.
  const std::string path = kovatest::FixturePath(kovatest::kPrinterModel);
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string sample = ss.str();
  ASSERT_FALSE(sample.empty());
  for (size_t cut = 0; cut <= sample.size(); cut += 97) {
    auto parse = kovatest::ParseText(sample.substr(0, cut));
    EXPECT_NE(parse, nullptr) << cut;
  }
}

}  // namespace
