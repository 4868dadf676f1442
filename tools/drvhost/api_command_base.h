// drvhost api: the calls of the command-base family (a handle that holds a printer's settings
// as PJL "SET" lines).
#pragma once

#include <string>

#include "win/types.h"

// The library's command-base handle, opaque to the caller.
struct ExcBaseRecord;

namespace drvhost {

class CommandBaseCalls {
 public:
  // Looks the command-base exports up in the loaded settings API library.
  bool Load(HMODULE module);
  ~CommandBaseCalls();

  // Runs one script call when it is a command-base call: true with the answer text set; false
  // for any other call. rest is the remainder of the line, scriptDir the folder of the
  // script (base files are read relative to it). A call the script got wrong sets `error`
  // and `failCode` (1 a file it names cannot be read, 2 a bad argument) and is not made.
  bool Run(const std::string& call, const std::string& rest, const char* printerName, const std::string& scriptDir,
           std::string& answer, std::string& error, int& failCode);

 private:
  using OpenFn = ExcBaseRecord* (*)(const char*);
  using FreeFn = void (*)(ExcBaseRecord*);
  using TextInFn = std::int32_t (*)(ExcBaseRecord*, const char*, std::int32_t*);
  using TextOutFn = std::int32_t (*)(ExcBaseRecord*, std::int32_t, char*, std::int32_t*);
  using ItemFn = std::int32_t (*)(ExcBaseRecord*, const char*, std::int32_t, char*, std::int32_t*);
  using ValueFn = std::int32_t (*)(ExcBaseRecord*, const char*, std::int32_t, std::int32_t, char*, std::int32_t*);
  using WatermarkFn = std::int32_t (*)(ExcBaseRecord*, std::int32_t, std::int32_t, char*, std::int32_t*);
  using IniFn = std::int32_t (*)(const char*, std::int32_t, char*, std::int32_t*);

  OpenFn open_ = nullptr;
  FreeFn free_ = nullptr;
  TextInFn setBase_ = nullptr, update_ = nullptr;
  TextOutFn getBase_ = nullptr, getChange_ = nullptr;
  ItemFn option_ = nullptr, value_ = nullptr;
  ValueFn values_ = nullptr;
  WatermarkFn watermarks_ = nullptr;
  IniFn iniName_ = nullptr;
  ExcBaseRecord* handle_ = nullptr;
};

}  // namespace drvhost
