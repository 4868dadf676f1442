// drvhost dump: decodes a block stream file (the port file a print job wrote).
#include <cstdio>
#include <fstream>
#include <iterator>

#include "commands.h"
#include "host_text.h"
#include "plat/paths.h"
#include "stream_decode.h"
#include "win/errors.h"

namespace drvhost {

int RunDump(const std::vector<std::string>& args) {
  std::string file;
  if (args.size() == 1) {
    file = args[0];
  } else if (args.size() == 2) {
    // <root folder> <Windows path>: a file inside a system root, such as a printer's port.
    std::string error;
    if (!OpenExistingRoot(args[0], error)) {
      std::fprintf(stderr, "drvhost: %s\n", error.c_str());
      return kExitFailed;
    }
    const std::u16string win = U16(args[1]);
    if (plat::MapPath(win.c_str(), file) != ERROR_SUCCESS) {
      std::fprintf(stderr, "drvhost: %s is not a path of the system root\n", args[1].c_str());
      return kExitFailed;
    }
  } else {
    std::fprintf(stderr, "usage: drvhost dump <stream file>\n       drvhost dump <root folder> <Windows path>\n");
    return kExitUsage;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "drvhost: cannot read the stream file %s\n", file.c_str());
    return kExitFailed;
  }
  const std::vector<BYTE> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const DecodeResult r = DecodeStream(bytes);
  std::printf("stream %s\n", file.c_str());
  for (const auto& line : r.lines) std::printf("%s\n", line.c_str());
  return r.ok ? kExitOk : kExitFailed;
}

}  // namespace drvhost
