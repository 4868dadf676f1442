#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

#include "plat/system.h"
#include "test_root.h"
#include "win/kernel.h"
#include "win/security.h"
#include "win/sync.h"

namespace {

// Each test uses a fresh root, so names never meet a mutex of another test.
class SyncMutex : public ::testing::Test {
 protected:
  kovatest::TempRoot root;
};

// A pipe for one byte of news between a parent and a forked child.
struct Pipe {
  int fd[2];
  Pipe() { EXPECT_EQ(::pipe(fd), 0); }
  ~Pipe() {
    ::close(fd[0]);
    ::close(fd[1]);
  }
  void Send(char c) { ASSERT_EQ(::write(fd[1], &c, 1), 1); }
  char Receive() {
    char c = 0;
    return ::read(fd[0], &c, 1) == 1 ? c : '\0';
  }
};

int WaitChild(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(SyncMutex, NamedCreationReportsExistence) {
  SetLastError(1234);
  HANDLE a = CreateMutexW(nullptr, FALSE, u"Global\\KovaMutexTse");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  HANDLE b = CreateMutexW(nullptr, TRUE, u"Global\\KovaMutexTse");  // initial owner ignored
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_NE(a, b);
  // b did not take ownership, so another thread can.
  DWORD other = 0;
  std::thread([&] {
    other = WaitForSingleObject(a, 0);
    if (other == WAIT_OBJECT_0) ReleaseMutex(a);
  }).join();
  EXPECT_EQ(other, WAIT_OBJECT_0);
  // Names are case-sensitive; the namespaces are separate.
  HANDLE c = CreateMutexW(nullptr, FALSE, u"Global\\kovamutextse");
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  HANDLE d = CreateMutexW(nullptr, FALSE, u"KovaMutexTse");
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  HANDLE e = CreateMutexW(nullptr, FALSE, u"Local\\KovaMutexTse");
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);  // no prefix is Local
  HANDLE o = OpenMutexW(SYNCHRONIZE, FALSE, u"Global\\KovaMutexTse");
  EXPECT_NE(o, nullptr);
  for (HANDLE h : {a, b, c, d, e, o}) EXPECT_TRUE(CloseHandle(h));
  // Once every handle is closed the object is gone.
  EXPECT_EQ(OpenMutexW(SYNCHRONIZE, FALSE, u"Global\\KovaMutexTse"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  HANDLE f = CreateMutexW(nullptr, FALSE, u"Global\\KovaMutexTse");
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  CloseHandle(f);
}

TEST_F(SyncMutex, BadNamesAndHandles) {
  EXPECT_EQ(CreateMutexW(nullptr, FALSE, u"Other\\Name"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(CreateMutexW(nullptr, FALSE, u"Global\\a\\b"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  std::u16string longName(300, u'x');
  EXPECT_EQ(CreateMutexW(nullptr, FALSE, longName.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);
  EXPECT_EQ(OpenMutexW(SYNCHRONIZE, FALSE, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(0x777), 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(ReleaseMutex(reinterpret_cast<HANDLE>(0x777)));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  // Odd characters in a name map to a file name safely.
  HANDLE h = CreateMutexW(nullptr, FALSE, u"Global\\a/b:c*?\u3042 ..");
  ASSERT_NE(h, nullptr);
  EXPECT_NE(OpenMutexW(SYNCHRONIZE, FALSE, u"Global\\a/b:c*?\u3042 .."), nullptr);
}

TEST_F(SyncMutex, SecurityAttributesWithANullDacl) {
  SECURITY_DESCRIPTOR sd;
  ASSERT_TRUE(InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION));
  ASSERT_TRUE(SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE));
  SECURITY_ATTRIBUTES sa{12, &sd, FALSE};
  HANDLE h = CreateMutexW(&sa, FALSE, u"Global\\KovaMutexTse");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  CloseHandle(h);
  BYTE junk[40] = {7};
  SECURITY_ATTRIBUTES bad{12, junk, FALSE};
  EXPECT_EQ(CreateMutexW(&bad, FALSE, u"Global\\KovaMutexTse"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_SECURITY_DESCR);
}

TEST_F(SyncMutex, RecursiveForTheOwnerAndReleasedByTheOwnerOnly) {
  for (const char16_t* name : {u"", u"Global\\KovaMutexTse"}) {
    SCOPED_TRACE(std::string(name[0] ? "named" : "unnamed"));
    HANDLE h = CreateMutexW(nullptr, TRUE, name);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0);  // owned three times now
    DWORD other = 0;
    BOOL otherRelease = TRUE;
    DWORD otherError = 0;
    std::thread([&] {
      other = WaitForSingleObject(h, 5);
      otherRelease = ReleaseMutex(h);
      otherError = GetLastError();
    }).join();
    EXPECT_EQ(other, WAIT_TIMEOUT);
    EXPECT_FALSE(otherRelease);
    EXPECT_EQ(otherError, ERROR_NOT_OWNER);
    EXPECT_TRUE(ReleaseMutex(h));
    EXPECT_TRUE(ReleaseMutex(h));
    std::thread([&] { other = WaitForSingleObject(h, 0); }).join();
    EXPECT_EQ(other, WAIT_TIMEOUT);  // one level is still held
    EXPECT_TRUE(ReleaseMutex(h));
    EXPECT_FALSE(ReleaseMutex(h));  // no longer the owner
    EXPECT_EQ(GetLastError(), ERROR_NOT_OWNER);
    std::thread([&] {
      other = WaitForSingleObject(h, 0);
      if (other == WAIT_OBJECT_0) ReleaseMutex(h);
    }).join();
    EXPECT_EQ(other, WAIT_OBJECT_0);
    CloseHandle(h);
  }
}

TEST_F(SyncMutex, ExcludesThreadsThroughSeparateHandles) {
  HANDLE first = CreateMutexW(nullptr, FALSE, u"Global\\KovaMutexTse");
  long counter = 0;
  std::atomic<int> inside{0};
  std::atomic<bool> overlap{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      HANDLE h = CreateMutexW(nullptr, FALSE, u"Global\\KovaMutexTse");
      for (int i = 0; i < 200; ++i) {
        ASSERT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
        if (inside.fetch_add(1) != 0) overlap = true;
        counter = counter + 1;
        inside.fetch_sub(1);
        ReleaseMutex(h);
      }
      CloseHandle(h);
    });
  for (auto& t : threads) t.join();
  EXPECT_FALSE(overlap);
  EXPECT_EQ(counter, 800);
  CloseHandle(first);
}

TEST_F(SyncMutex, AbandonedWhenTheOwnerThreadEnds) {
  for (const char16_t* name : {u"", u"Global\\KovaMutexTse"}) {
    SCOPED_TRACE(std::string(name[0] ? "named" : "unnamed"));
    HANDLE h = CreateMutexW(nullptr, FALSE, name);
    std::thread([&] {
      EXPECT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
      EXPECT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
    }).join();  // ends holding it twice
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_ABANDONED);  // and now it is ours, once
    EXPECT_TRUE(ReleaseMutex(h));
    EXPECT_FALSE(ReleaseMutex(h));
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0);  // abandonment is reported once
    EXPECT_TRUE(ReleaseMutex(h));
    CloseHandle(h);
  }
}

TEST_F(SyncMutex, AbandonedOwnerWakesAWaitingThread) {
  HANDLE h = CreateMutexW(nullptr, FALSE, u"Global\\KovaMutexTse");
  Pipe taken;
  DWORD waited = 0;
  std::thread owner([&] {
    WaitForSingleObject(h, INFINITE);
    taken.Send('t');
  });
  ASSERT_EQ(taken.Receive(), 't');
  std::thread waiter([&] {
    waited = WaitForSingleObject(h, INFINITE);
    ReleaseMutex(h);
  });
  owner.join();
  waiter.join();
  EXPECT_EQ(waited, WAIT_ABANDONED);
  CloseHandle(h);
}

TEST_F(SyncMutex, ExcludesProcesses) {
  HANDLE h = CreateMutexW(nullptr, TRUE, u"Global\\KovaMutexTse");
  ASSERT_NE(h, nullptr);
  Pipe toParent, toChild;
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    // The child is a process of its own: it opens the mutex by name.
    HANDLE c = CreateMutexW(nullptr, FALSE, u"Global\\KovaMutexTse");
    int code = 0;
    if (!c || GetLastError() != ERROR_ALREADY_EXISTS) code = 10;
    if (!code && WaitForSingleObject(c, 0) != WAIT_TIMEOUT) code = 11;
    if (!code && WaitForSingleObject(c, 20) != WAIT_TIMEOUT) code = 12;
    toParent.Send('w');
    if (!code && WaitForSingleObject(c, INFINITE) != WAIT_OBJECT_0) code = 13;
    if (!code && WaitForSingleObject(c, INFINITE) != WAIT_OBJECT_0) code = 14;  // recursive in the child too
    toParent.Send('o');
    if (toChild.Receive() != 'r') code = 15;
    if (!code && (!ReleaseMutex(c) || !ReleaseMutex(c))) code = 16;
    ::_exit(code);
  }
  ASSERT_EQ(toParent.Receive(), 'w');
  ASSERT_TRUE(ReleaseMutex(h));
  ASSERT_EQ(toParent.Receive(), 'o');
  // The child owns it now.
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_TIMEOUT);
  toChild.Send('r');
  EXPECT_EQ(WaitChild(pid), 0);
  EXPECT_EQ(WaitForSingleObject(h, 1000), WAIT_OBJECT_0);  // released, not abandoned
  EXPECT_TRUE(ReleaseMutex(h));
  CloseHandle(h);
}

TEST_F(SyncMutex, AbandonedWhenTheOwnerProcessDies) {
  HANDLE h = CreateMutexW(nullptr, FALSE, u"Global\\KovaMutexTse");
  Pipe toParent;
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    HANDLE c = OpenMutexW(SYNCHRONIZE, FALSE, u"Global\\KovaMutexTse");
    const bool ok = c && WaitForSingleObject(c, INFINITE) == WAIT_OBJECT_0;
    toParent.Send(ok ? 'o' : 'x');
    ::_exit(0);  // dies holding it
  }
  ASSERT_EQ(toParent.Receive(), 'o');
  EXPECT_EQ(WaitChild(pid), 0);
  EXPECT_EQ(WaitForSingleObject(h, 1000), WAIT_ABANDONED);
  EXPECT_TRUE(ReleaseMutex(h));
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(ReleaseMutex(h));
  CloseHandle(h);
}

TEST_F(SyncMutex, AbandonedByAThreadOfAnotherProcess) {
  HANDLE h = CreateMutexW(nullptr, FALSE, u"Global\\KovaMutexTse");
  Pipe toParent, toChild;
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    HANDLE c = OpenMutexW(SYNCHRONIZE, FALSE, u"Global\\KovaMutexTse");
    std::thread([&] { WaitForSingleObject(c, INFINITE); }).join();  // the thread ends holding it
    toParent.Send('e');
    toChild.Receive();  // the process lives on
    ::_exit(0);
  }
  ASSERT_EQ(toParent.Receive(), 'e');
  EXPECT_EQ(WaitForSingleObject(h, 1000), WAIT_ABANDONED);
  EXPECT_TRUE(ReleaseMutex(h));
  toChild.Send('q');
  EXPECT_EQ(WaitChild(pid), 0);
  CloseHandle(h);
}

TEST_F(SyncMutex, ALeftOverMarkerDoesNotOutliveTheObject) {
  // A process died holding the mutex and nobody else had it open: the object is gone, and
  // a new one with the same name starts clean.
  Pipe toParent;
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    HANDLE c = CreateMutexW(nullptr, TRUE, u"Global\\KovaMutexTse");
    toParent.Send(c ? 'o' : 'x');
    ::_exit(0);
  }
  ASSERT_EQ(toParent.Receive(), 'o');
  EXPECT_EQ(WaitChild(pid), 0);
  HANDLE h = CreateMutexW(nullptr, FALSE, u"Global\\KovaMutexTse");
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0);
  ReleaseMutex(h);
  CloseHandle(h);
}

TEST_F(SyncMutex, TimeoutWhileAnotherThreadHoldsIt) {
  HANDLE h = CreateMutexW(nullptr, FALSE, nullptr);
  Pipe taken, done;
  std::thread owner([&] {
    WaitForSingleObject(h, INFINITE);
    taken.Send('t');
    done.Receive();
    ReleaseMutex(h);
  });
  ASSERT_EQ(taken.Receive(), 't');
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(h, 10), WAIT_TIMEOUT);
  done.Send('d');
  EXPECT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
  owner.join();
  ReleaseMutex(h);
  CloseHandle(h);
}

}  // namespace
