// Message boxes answered from the script, and their record.
#include <deque>
#include <mutex>

#include "plat/ui_driver.h"
#include "ui_internal.h"
#include "win/errors.h"
#include "win/msgbox.h"

namespace plat::ui {
namespace {

constexpr DWORD kInvalidMsgBoxStyle = 1438;  // ERROR_INVALID_MSGBOX_STYLE

struct Boxes {
  std::mutex lock;
  std::deque<int> answers;
  std::vector<MessageBoxRecord> records;
};

Boxes& boxes() {
  static Boxes* b = new Boxes;
  return *b;
}

// The buttons of a box type, left to right.
std::vector<int> ButtonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OK: return {IDOK};
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    case MB_CANCELTRYCONTINUE: return {IDCANCEL, IDTRYAGAIN, IDCONTINUE};
    default: return {};
  }
}

}  // namespace

void QueueMessageBoxAnswer(int answer) {
  auto& b = boxes();
  std::lock_guard<std::mutex> g(b.lock);
  b.answers.push_back(answer);
}

const std::vector<MessageBoxRecord>& MessageBoxes() { return boxes().records; }

void ClearMessageBoxes() {
  auto& b = boxes();
  std::lock_guard<std::mutex> g(b.lock);
  b.records.clear();
  b.answers.clear();
}

void ResetBoxes() {
  ClearMessageBoxes();
  ResetCommonDialogs();
  ResetHelp();
}

}  // namespace plat::ui

using namespace plat::ui;

extern "C" int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  const std::vector<int> buttons = ButtonsOf(type);
  if (buttons.empty()) {
    SetLastError(kInvalidMsgBoxStyle);
    return 0;
  }
  if (owner && !IsWindow(owner)) owner = nullptr;
  MessageBoxRecord record{owner, text ? text : u"", caption ? caption : u"Error", type, 0};
  auto& b = boxes();
  std::unique_lock<std::mutex> g(b.lock);
  int answer = 0;
  if (!b.answers.empty()) {
    answer = b.answers.front();
    b.answers.pop_front();
  } else {
    const std::size_t def = (type & MB_DEFMASK) >> 8;
    answer = buttons[def < buttons.size() ? def : 0];
  }
  bool valid = false;
  for (int id : buttons) valid = valid || id == answer;
  // Closing the box counts as Cancel where the box has Cancel, and as OK for a lone OK.
  if (!valid && answer == IDCANCEL && buttons.size() == 1) {
    answer = IDOK;
    valid = true;
  }
  record.answer = valid ? answer : 0;
  b.records.push_back(record);
  g.unlock();
  if (!valid) {
    SetLastError(kInvalidMsgBoxStyle);
    return 0;
  }
  return answer;
}
