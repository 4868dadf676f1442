// Small probes the platform tests share: a body run in a forked child, and the name of the
// user the process runs as.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "win/kernel.h"

namespace kovatest {

// Runs body in a child process; answers its exit status (0 when body answered true, 1 when
// false, 100 when the child did not exit normally).
template <class Body>
int InChild(Body body) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body() ? 0 : 1);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

// The user the process runs as (GetUserNameW).
inline std::u16string CurrentUserName() {
  WCHAR name[64] = {};
  DWORD size = 64;
  EXPECT_TRUE(GetUserNameW(name, &size));
  return name;
}

}  // namespace kovatest
