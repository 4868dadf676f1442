// drvhost dump: decodes a block stream file (the port file a print job wrote).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "commands.h"
#include "host_text.h"
#include "interface_library.h"
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
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) {
    std::fprintf(stderr, "drvhost: %s is a folder, not a stream file\n", file.c_str());
    return kExitFailed;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "drvhost: cannot read the stream file %s\n", file.c_str());
    return kExitFailed;
  }
  const std::vector<BYTE> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // A file that does not start with a block of the stream is no stream: said in a sentence,
  // with a device-mode file named as one.
  const DWORD first = bytes.size() >= 4 ? static_cast<DWORD>(bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                                                              (static_cast<DWORD>(bytes[3]) << 24))
                                        : 0;
  if (!bytes.empty() && (first < 0xF0 || first > 0xF7)) {
    std::vector<BYTE> ignored;
    std::string notDevmode;
    if (ReadDevmodeFile(file, ignored, notDevmode))
      std::fprintf(stderr, "drvhost: %s holds a device-mode, not a block stream (drvhost devmode %s shows it)\n",
                   file.c_str(), file.c_str());
    else
      std::fprintf(stderr, "drvhost: %s is not a block stream: its first block type 0x%X is none of a stream's\n",
                   file.c_str(), first);
    return kExitFailed;
  }
  const DecodeResult r = DecodeStream(bytes);
  std::printf("stream %s\n", file.c_str());
  for (const auto& line : r.lines) std::printf("%s\n", line.c_str());
  return r.ok ? kExitOk : kExitFailed;
}

}  // namespace drvhost
