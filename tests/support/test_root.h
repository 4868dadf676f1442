// A fresh system root for one test: a temporary folder with drive C:, the registry and
// the spooler stores, removed again when the test ends.
#pragma once

#include <string>
#include <string_view>

namespace kovatest {

class TempRoot {
 public:
  TempRoot();
  ~TempRoot();
  TempRoot(const TempRoot&) = delete;
  TempRoot& operator=(const TempRoot&) = delete;

  const std::string& Host() const { return host_; }
  // Host path of a Windows path inside this root (C:\x -> <root>/drives/c/x).
  std::string HostPath(const std::u16string& winPath) const;
  // Writes a file at a Windows path, creating its folders.
  void WriteFile(const std::u16string& winPath, const std::string& bytes) const;
  std::string ReadFile(const std::u16string& winPath) const;

 private:
  std::string host_;
};

std::string FixturePath(const std::string& relative);
// The bytes of a file under tests/fixtures; a missing fixture throws, failing the test.
std::string FixtureText(const std::string& relative);

// The unit tests' printer: a complete model and its UI resource script. Unit tests use
// these copies, so that the sample printer of the package can change without them.
inline constexpr const char* kPrinterModel = "model/printer.kmd";
inline constexpr const char* kPrinterUiScript = "ui/printer_ui.rc";

// Writes the cursor files of the UI resource scripts into the Windows folder `folder`
// (e.g. u"C:\\drv\\"), where a script copied there finds them.
inline void WritePrinterUiCursors(const TempRoot& root, const std::u16string& folder) {
  root.WriteFile(folder + u"hand.cur", FixtureText("ui/hand.cur"));
  root.WriteFile(folder + u"hand_pressed.cur", FixtureText("ui/hand_pressed.cur"));
}

// UTF-8 of a wide text, for test messages.
std::string U8(std::u16string_view text);

}  // namespace kovatest
