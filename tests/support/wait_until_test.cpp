#include "support/wait_until.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace sonacli {
namespace {

using namespace std::chrono_literals;

TEST(WaitUntil, SeesAChangeMadeElsewhere) {
  std::atomic<bool> done = false;
  std::thread other([&] {
    std::this_thread::sleep_for(30ms);
    done = true;
  });
  EXPECT_TRUE(WaitUntil([&] { return done.load(); }));
  other.join();
}

TEST(WaitUntil, GivesUpAfterTheLimit) {
  int asked = 0;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(WaitUntil(
      [&] {
        ++asked;
        return false;
      },
      100ms));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms);
  EXPECT_GT(asked, 2);
  EXPECT_TRUE(WaitUntil([] { return true; }, 0ms));
}

}  // namespace
}  // namespace sonacli
