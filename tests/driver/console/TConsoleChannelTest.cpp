// The console of pages built side by side: held text reaches standard output
// in turn, and notices once.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "driver/console/Console.h"
#include "driver/console/Cp1251.h"
#include "driver/console/TConsoleChannel.h"

namespace drovix {
namespace {

TEST(ConsoleChannel, PagesPrintInTurnWhateverOrderTheyWriteIn) {
  constexpr int kPages = 4;
  std::vector<std::unique_ptr<TConsoleChannel>> channels;
  for (int i = 0; i < kPages; ++i) channels.push_back(std::make_unique<TConsoleChannel>());
  testing::internal::CaptureStdout();
  std::vector<std::thread> threads;
  for (int i = kPages - 1; i >= 0; --i)
    threads.emplace_back([&, i] {
      const TConsoleRoute route(channels[i].get());
      for (int k = 0; k < 50; ++k) ConsoleWriteRaw(std::to_string(i));
      ConsoleWriteOnce("notice", Ru("груз"));  // only the first page in turn shows it
      ConsoleWriteLine(Ru("ок"));
    });
  // The first page prints live; each later one when the one before is done.
  for (int i = 0; i < kPages; ++i) {
    channels[i]->GoLive();
    threads[kPages - 1 - i].join();
  }
  std::string expected;
  for (int i = 0; i < kPages; ++i)
    expected += std::string(50, static_cast<char>('0' + i)) + (i == 0 ? "gruz" : "") + "ok\n";
  EXPECT_EQ(testing::internal::GetCapturedStdout(), expected);
  ForgetConsoleNotice("notice");
}

TEST(ConsoleChannel, CancelledChannelDropsItsTextAndEndsTheWaitForItsTurn) {
  TConsoleChannel channel;
  testing::internal::CaptureStdout();
  bool live = true;
  std::thread waiter([&] {
    const TConsoleRoute route(&channel);
    ConsoleWrite("held");
    live = channel.AwaitLive();
    ConsoleWrite("after");
  });
  channel.Cancel();
  waiter.join();
  channel.GoLive();
  EXPECT_FALSE(live);
  EXPECT_TRUE(channel.Cancelled());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

}  // namespace
}  // namespace drovix
