#pragma once
// A main window on the headless backend in a program folder of its own (with an empty Notes
// folder), made afresh for each test and removed after it.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "main_window_probe.h"
#include "platform/headless/headless_platform.h"
#include "util/text_codec.h"

namespace tarvik::testing_support {

class ProgramFolderTest : public ::testing::Test, public app::frmMainProbe {
 protected:
  void SetUp() override {
    std::random_device rd;
    folder_ = std::filesystem::temp_directory_path() / ("tarvik_test_" + std::to_string(rd()));
    std::filesystem::create_directories(folder_ / "Notes");
    platform_.SetProgramFolder(util::FromUtf8(folder_.string()));
  }
  void TearDown() override {
    window_.reset();
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  // The main window, loaded and shown.
  app::frmMain& Start() {
    window_ = std::make_unique<app::frmMain>(platform_);
    EXPECT_TRUE(window_->Load());
    window_->Me().Show();
    return *window_;
  }

  platform::headless::HeadlessPlatform platform_;
  std::filesystem::path folder_;
  std::unique_ptr<app::frmMain> window_;
};

}  // namespace tarvik::testing_support
