// GoogleTest's Notification (for threads of its own, which these tests start none of) is
// made of std::mutex and std::condition_variable, which the cross compiler's win32 thread
// model does not have. This one, of a Win32 event, takes its place; the build includes this
// file ahead of every source that sees GoogleTest.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX  // GoogleTest's headers use std::numeric_limits<...>::max()
#endif
#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
 public:
  Notification() : event_(CreateEventW(NULL, TRUE, FALSE, NULL)) {}
  ~Notification() { CloseHandle(event_); }
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;
  void Notify() { SetEvent(event_); }
  void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_;
};

}  // namespace internal
}  // namespace testing
