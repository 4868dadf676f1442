// Model description parse throughput (bytes per second) on a large generated model
// description: an OpenUI block for every feature of the dictionary that has named values,
// a Judge, an Item and an Exclusive row per feature, transacts, command strings and
// command groups, repeated until the text is several megabytes.
#include <benchmark/benchmark.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "fields/dictionary_lookup.h"
#include "model/model_parse.h"
#include "model/statement_dispatch.h"

namespace {

struct FeatureValues {
  const char* feature;
  std::vector<const char*> values;
};

std::vector<FeatureValues> CollectFeatures() {
  std::vector<FeatureValues> out;
  const ControlNameTable* names = GetControlNameTable();
  const ValueNameTable* values = GetValueNameTable();
  for (DWORD i = 0; i < names->count; ++i) {
    const ControlNameEntry& f = names->entries[i];
    if (!f.fieldId) continue;
    FeatureValues fv{f.name, {}};
    for (DWORD v = 0; v < values->count && fv.values.size() < 12; ++v) {
      if (values->entries[v].fieldId == f.fieldId) fv.values.push_back(values->entries[v].symbol);
    }
    if (fv.values.size() >= 2) out.push_back(fv);
  }
  return out;
}

// Appends the parts (GCC 12 warns falsely on chains of string + at -O2).
void Add(std::string& text, std::initializer_list<std::string_view> parts) {
  for (std::string_view p : parts) text.append(p);
}

std::string GenerateModel(std::size_t minimum) {
  const std::vector<FeatureValues> features = CollectFeatures();
  std::string text = "*FileVersion: 9.02\r\n*UIResDLLName: \"KOVAUIUS.DLL\"\r\n";
  int judge = 0;
  int round = 0;
  while (text.size() < minimum) {
    ++round;
    for (const FeatureValues& f : features) {
      Add(text, {"*OpenUI *", f.feature, ": PickOne\r\n*Default", f.feature, ": ", f.values[1], "\r\n"});
      for (const char* v : f.values) Add(text, {"*", f.feature, " ", v, ": \"@PJL SET ", v, "=ON<0D0A>\"\r\n"});
      text += "*CloseUI\r\n";
    }
    for (std::size_t i = 0; i + 2 < features.size(); ++i) {
      const FeatureValues& a = features[i];
      const FeatureValues& b = features[i + 1];
      const FeatureValues& c = features[i + 2];
      const std::string n = std::to_string(++judge);
      Add(text, {"*Judge ", n, ": ", a.feature, " == ", a.values[0], " && (", b.feature, " != ", b.values[1], " || ",
                 c.feature, " >= 3)\r\n"});
      Add(text, {"*Item ", n, ": {\r\n  {", a.values[0], " Judge", n, " NULL NULL}\r\n  {", a.values[1], " NULL Judge",
                 n, " NULL}\r\n}\r\n"});
      Add(text, {"*Action ", n, ": {{", b.feature, " ", b.values[0], "}}\r\n"});
      Add(text, {"*Transact ", n, ": {{Judge", n, " Action", n, "} {NULL Action", n, "}}\r\n"});
      Add(text, {"*Exclusive: {{", a.feature, " Judge", n, " NULL Item", n, " NULL Transact", n, " NULL NULL}}\r\n"});
    }
    const std::string r = std::to_string(round);
    Add(text, {"*CommandString ", r, ": \"<1B>%%-12345X@PJL<0D0A>\"\r\n"});
    Add(text, {"*CommandGroup: JobStart {\r\n  Type : StringType ", r, "\r\n"});
    for (const FeatureValues& f : features) Add(text, {"  Type : GroupType ", f.feature, "\r\n"});
    text += "}\r\n";
  }
  return text;
}

void BM_ParseModelDescription(benchmark::State& state) {
  static const std::string model = GenerateModel(4u << 20);
  for (auto _ : state) {
    ModelParse* parse = ParseModelBytes(reinterpret_cast<const BYTE*>(model.data()), static_cast<DWORD>(model.size()));
    if (!parse) {
      state.SkipWithError("the generated model did not parse");
      break;
    }
    benchmark::DoNotOptimize(parse->header.slots[0]);
    FreeModelParse(parse);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(model.size()));
  state.counters["model_bytes"] = static_cast<double>(model.size());
}
BENCHMARK(BM_ParseModelDescription)->Unit(benchmark::kMillisecond);

}  // namespace
