#include <gtest/gtest.h>

#include "probe/instance_guard.h"
#include "test_support.h"

using quillane::CheckSingleInstance;
using namespace quillane_test;

namespace {

std::wstring ProbeChild() { return ProgramFolder() + L"\\probe_child.exe"; }

TEST(CheckSingleInstance, FirstClaimWinsAndTheNameStaysTaken) {
  const std::wstring name = UniqueName(L"Quillane Guard");
  EXPECT_EQ(CheckSingleInstance(name.c_str()), 0);
  // The handle is never closed, so this process keeps the claim.
  EXPECT_EQ(CheckSingleInstance(name.c_str()), 1);
}

TEST(CheckSingleInstance, SecondProcessIsRefusedUntilTheFirstHasEnded) {
  const std::wstring name = UniqueName(L"Quillane Guard");
  const std::wstring readyName = UniqueName(L"ready");
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, readyName.c_str());
  ASSERT_NE(ready, nullptr);
  {
    Child holder;
    ASSERT_TRUE(StartChild(ProbeChild(), L"guard \"" + name + L"\" " + readyName, holder));
    ASSERT_EQ(WaitForSingleObject(ready, 20000), WAIT_OBJECT_0);
    ASSERT_EQ(WaitForSingleObject(holder.info.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the holder failed to claim the name";

    EXPECT_EQ(CheckSingleInstance(name.c_str()), 1);
    // The holder's window of the guard's class is the one brought forward.
    HWND holderWindow = FindWindowW(name.c_str(), nullptr);
    ASSERT_NE(holderWindow, nullptr);
    DWORD owner = 0;
    GetWindowThreadProcessId(holderWindow, &owner);
    EXPECT_EQ(owner, holder.info.dwProcessId);

    TerminateProcess(holder.info.hProcess, 0);
    holder.WaitForExit();
  }
  CloseHandle(ready);
}

TEST(CheckSingleInstance, NameHeldByTheFirstProcessIsFreeAgainAfterItEnds) {
  const std::wstring name = UniqueName(L"Quillane Guard");
  const std::wstring readyName = UniqueName(L"ready");
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, readyName.c_str());
  {
    Child holder;
    ASSERT_TRUE(StartChild(ProbeChild(), L"guard \"" + name + L"\" " + readyName, holder));
    ASSERT_EQ(WaitForSingleObject(ready, 20000), WAIT_OBJECT_0);
    TerminateProcess(holder.info.hProcess, 0);
    holder.WaitForExit();
  }
  CloseHandle(ready);
  EXPECT_EQ(CheckSingleInstance(name.c_str()), 0);
}

TEST(CheckSingleInstance, NameTakenByAnotherKindOfObjectCountsAsRunning) {
  // CreateMutexW fails outright when an event owns the name.
  const std::wstring name = UniqueName(L"Quillane Guard");
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(CheckSingleInstance(name.c_str()), 1);
  CloseHandle(event);
}

}  // namespace
