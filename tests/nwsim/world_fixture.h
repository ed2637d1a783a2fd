// A store folder of its own for each test, holding a small world: ACCOUNTS (default, volume SYS
// with PUBLIC\FORMS, attached with GUEST logged in) and PAYROLL (volume DATA with REPORTS,
// CLERK/LEDGER, not attached).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "nwsim/model.h"
#include "nwsim/store.h"

class WorldTest : public ::testing::Test {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/nwsim-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    setenv("NWSIM_HOME", dir_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("NWSIM_HOME");
    std::string command = "rm -rf '" + dir_ + "'";
    EXPECT_EQ(system(command.c_str()), 0);
  }

  void MakeDirs(const std::string &relative) {
    std::string command = "mkdir -p '" + dir_ + "/" + relative + "'";
    ASSERT_EQ(system(command.c_str()), 0);
  }

  // Builds the world above and saves it.
  void MakeWorld() {
    MakeDirs("volumes/ACCOUNTS/SYS/PUBLIC/FORMS");
    MakeDirs("volumes/PAYROLL/DATA/REPORTS");
    nwsim::Store store(dir_.c_str());
    ASSERT_EQ(store.Open(nwsim::OpenMode::CreateIfMissing), 0);
    nwsim::World &world = store.world();
    ASSERT_EQ(nwsim::AddServer(world, "ACCOUNTS"), 0);
    ASSERT_EQ(nwsim::AddVolume(world, "ACCOUNTS", "SYS", "volumes/ACCOUNTS/SYS"), 0);
    ASSERT_EQ(nwsim::AddUser(world, "ACCOUNTS", "GUEST", nullptr), 0);
    ASSERT_EQ(nwsim::AddServer(world, "PAYROLL"), 0);
    ASSERT_EQ(nwsim::AddVolume(world, "PAYROLL", "DATA", "volumes/PAYROLL/DATA"), 0);
    ASSERT_EQ(nwsim::AddUser(world, "PAYROLL", "CLERK", "LEDGER"), 0);
    ConnectionHandle handle = 0;
    ASSERT_EQ(nwsim::AttachServer(world, "ACCOUNTS", &handle), 0);
    ASSERT_EQ(nwsim::Login(world, handle, "GUEST", LOGIN_OBJECT_TYPE_USER, ""), 0);
    ASSERT_EQ(store.Save(), 0);
  }

  std::string StorePath() const { return dir_ + "/store.txt"; }

  std::string dir_;
};
