#include "components/player/pre_listen_player.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "helpers/manual_clock_guard.h"
#include "helpers/melody_audio.h"
#include "helpers/temp_dir.h"
#include "platform/messaging.h"
#include "platform/window.h"

namespace TYX::Player {
namespace {

class NoticeWindow : public Win::Window {
 public:
  NoticeWindow() {
    OnMessage(kPlayerNotify, [this](Win::WPARAM w, Win::LPARAM l) {
      notices.emplace_back(static_cast<int>(w), static_cast<long>(l));
      return 0;
    });
    Create(nullptr, Win::Rect{0, 0, 10, 10}, 0);
  }
  int EndedCount() const {
    int n = 0;
    for (const auto& [what, value] : notices) n += what == static_cast<int>(kPlayerEnded);
    return n;
  }
  long EndedAt() const {
    for (const auto& [what, value] : notices) {
      if (what == static_cast<int>(kPlayerEnded)) return value;
    }
    return -1;
  }
  std::vector<long> States() const {
    std::vector<long> s;
    for (const auto& [what, value] : notices) {
      if (what == static_cast<int>(kPlayerStateChanged)) s.push_back(value);
    }
    return s;
  }
  std::vector<std::pair<int, long>> notices;
};

class PreListenPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    song_ = dir_.File("song.wav");
    ASSERT_TRUE(TYX::Test::WriteMelodyWav(song_, 9, 5.0, 8000, 1));
    player_.SetNotifyWindow(window_.GetSafeHwnd());
  }
  // Moves the clock on in ticks and lets the timers run.
  void Run(std::uint32_t ms) {
    for (std::uint32_t done = 0; done < ms; done += kPlayerTickMs) {
      clock_.Advance(kPlayerTickMs);
      Win::PumpMessages();
    }
  }

  TYX::Test::ManualClockGuard clock_;
  TYX::Test::TempDir dir_;
  std::string song_;
  NoticeWindow window_;
  TYX_PreListenPlayer player_;
};

TEST_F(PreListenPlayerTest, PlaysASectionAtTheClocksPaceAndReportsItsEnd) {
  ASSERT_TRUE(player_.Open(song_)) << player_.LastError();
  EXPECT_EQ(player_.GetDurationMs(), 5000u);
  ASSERT_TRUE(player_.Play(1000, 3000));
  EXPECT_EQ(player_.GetPositionMs(), 1000u);
  Run(1000);
  EXPECT_EQ(player_.GetState(), PlayerState::Playing);
  EXPECT_EQ(player_.GetPositionMs(), 2000u);
  Run(950);
  EXPECT_EQ(window_.EndedCount(), 0);
  Run(500);  // past the section's end: it ends there, not later
  Win::PumpMessages();
  EXPECT_EQ(window_.EndedCount(), 1);
  EXPECT_EQ(window_.EndedAt(), 3000);
  EXPECT_EQ(player_.GetState(), PlayerState::Stopped);
  EXPECT_EQ(player_.GetPositionMs(), 1000u);  // back at the section's start
  Run(500);
  EXPECT_EQ(player_.GetPositionMs(), 1000u);
  EXPECT_EQ(window_.States(), (std::vector<long>{1, 2, 1}));
}

TEST_F(PreListenPlayerTest, PauseHoldsThePositionAndResumeGoesOn) {
  ASSERT_TRUE(player_.Open(song_));
  ASSERT_TRUE(player_.Play(0));
  Run(500);
  ASSERT_TRUE(player_.Pause());
  EXPECT_EQ(player_.GetState(), PlayerState::Paused);
  const std::uint32_t held = player_.GetPositionMs();
  EXPECT_EQ(held, 500u);
  Run(2000);
  EXPECT_EQ(player_.GetPositionMs(), held);
  EXPECT_FALSE(player_.Pause());
  ASSERT_TRUE(player_.Resume());
  Run(500);
  EXPECT_EQ(player_.GetPositionMs(), 1000u);
  ASSERT_TRUE(player_.Stop());
  EXPECT_EQ(player_.GetPositionMs(), 0u);
  EXPECT_FALSE(player_.Resume());
}

TEST_F(PreListenPlayerTest, WithoutASectionItPlaysToTheEndOfTheFile) {
  ASSERT_TRUE(player_.Open(song_));
  ASSERT_TRUE(player_.Play(4000, 0));
  Run(900);
  EXPECT_EQ(window_.EndedCount(), 0);
  Run(300);
  Win::PumpMessages();
  EXPECT_EQ(window_.EndedCount(), 1);
  EXPECT_EQ(window_.EndedAt(), 5000);
  // Playing again after the end starts over at the new start.
  ASSERT_TRUE(player_.Play(200, 400));
  Run(300);
  Win::PumpMessages();
  EXPECT_EQ(window_.EndedCount(), 2);
}

TEST_F(PreListenPlayerTest, RefusesWhatCannotBePlayed) {
  EXPECT_FALSE(player_.Play(0));
  EXPECT_FALSE(player_.Open(dir_.Write("bad.mp3", "no sound here")));
  EXPECT_FALSE(player_.LastError().empty());
  EXPECT_EQ(player_.GetState(), PlayerState::Closed);
  ASSERT_TRUE(player_.Open(song_));
  EXPECT_FALSE(player_.Play(6000));        // past the end of the file
  EXPECT_FALSE(player_.Play(2000, 2000));  // an empty section
  EXPECT_FALSE(player_.Play(3000, 1000));
  EXPECT_EQ(player_.GetState(), PlayerState::Stopped);
  ASSERT_TRUE(player_.Play(0, 1000));
  player_.Close();
  EXPECT_EQ(player_.GetState(), PlayerState::Closed);
  Run(2000);
  Win::PumpMessages();
  EXPECT_EQ(window_.EndedCount(), 0);  // a closed player plays nothing
  EXPECT_FALSE(player_.Stop());
}

}  // namespace
}  // namespace TYX::Player
