// Test entry point shared by every test program. Each run gets its own configuration, state and data
// folders, so tests never read or write the settings and logs of the person running them.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

int main(int argc, char** argv) {
  std::string home = std::filesystem::temp_directory_path().string() + "/tyx-home-XXXXXX";
  const bool isolated = ::mkdtemp(home.data()) != nullptr;
  if (isolated) {
    ::setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (home + "/state").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
  }
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  if (isolated) {
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
  }
  return result;
}
