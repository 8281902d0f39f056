// SIGTERM and SIGINT end the game through its close message, and end a message box's wait at
// once.
#include "foundation/stop_signals.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "media/headless_platform.h"

namespace isora {
namespace {

TEST(StopSignals, ASignalBecomesOneCloseMessage) {
  InstallStopSignals();
  TakeStopRequest();
  HeadlessPlatform platform;
  Message m;
  EXPECT_FALSE(platform.PeekMessage(&m, true));
  std::raise(SIGTERM);
  EXPECT_EQ(LastStopSignal(), SIGTERM);
  ASSERT_TRUE(platform.PeekMessage(&m, true));
  EXPECT_EQ(m.message, kWmClose);
  EXPECT_FALSE(platform.PeekMessage(&m, true));  // one request, one message
  std::raise(SIGINT);
  EXPECT_EQ(LastStopSignal(), SIGINT);
  EXPECT_TRUE(TakeStopRequest());
  EXPECT_FALSE(TakeStopRequest());
}

TEST(StopSignals, ASignalDuringAModalWaitEndsTheProcessWithItsStatus) {
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    InstallStopSignals();
    {
      ModalWait modal;
      std::raise(SIGTERM);
    }
    _exit(0);  // reached only when the signal did not end the wait
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 128 + SIGTERM);

  // Once the wait is over, a signal is a request again.
  child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    InstallStopSignals();
    { ModalWait modal; }
    std::raise(SIGTERM);
    _exit(TakeStopRequest() ? 7 : 0);
  }
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 7);
}

}  // namespace
}  // namespace isora
