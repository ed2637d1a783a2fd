#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "nwsim/fs.h"
#include "nwsim/model.h"
#include "nwsim/sha256.h"

namespace {

std::string Hex(const uint8_t *bytes, size_t size) {
  std::string text;
  char pair[3];
  for (size_t i = 0; i < size; ++i) {
    snprintf(pair, sizeof pair, "%02x", bytes[i]);
    text += pair;
  }
  return text;
}

TEST(Sha256, KnownDigests) {
  struct Row {
    const char *label;
    std::string message;
    const char *digest;
  } rows[] = {
      {"empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"two final blocks", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"a million a", std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const Row &row : rows) {
    uint8_t digest[nwsim::SHA256_SIZE];
    nwsim::Sha256(row.message.data(), row.message.size(), digest);
    EXPECT_EQ(Hex(digest, sizeof digest), row.digest) << row.label;
  }
}

std::unique_ptr<nwsim::World> NewWorld() {
  auto world = std::make_unique<nwsim::World>();
  nwsim::ClearWorld(*world);
  return world;
}

std::string Format(const nwsim::World &world) {
  std::string text(256 * 1024, '\0');
  size_t length = nwsim::FormatWorld(world, &text[0], text.size());
  text.resize(length);
  return text;
}

TEST(StoreText, RoundTripsEveryKindOfRecord) {
  auto world = NewWorld();
  ASSERT_EQ(nwsim::AddServer(*world, "accounts"), 0);
  ASSERT_EQ(nwsim::AddVolume(*world, "ACCOUNTS", "SYS", "/srv/with blank/sys"), 0);
  ASSERT_EQ(nwsim::AddUser(*world, "ACCOUNTS", "GUEST", nullptr), 0);
  ASSERT_EQ(nwsim::AddUser(*world, "ACCOUNTS", "ADMIN", "Secret"), 0);
  ConnectionHandle handle = 0;
  ASSERT_EQ(nwsim::AttachServer(*world, "ACCOUNTS", &handle), 0);
  ASSERT_EQ(nwsim::Login(*world, handle, "ADMIN", LOGIN_OBJECT_TYPE_USER, "SECRET"), 0);
  world->drives[6] = {true, "ACCOUNTS", "SYS", "PUBLIC\\WITH BLANK"};
  world->drives[7] = {true, "ACCOUNTS", "SYS", ""};
  ASSERT_EQ(nwsim::SetFault(*world, "NwMapDrive", 3, 0x89FF), 0);

  std::string text = Format(*world);
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.find("Secret"), std::string::npos) << "password kept in clear";
  EXPECT_EQ(text.find("SECRET"), std::string::npos) << "password kept in clear";

  auto loaded = NewWorld();
  ASSERT_TRUE(nwsim::ParseWorld(text.c_str(), *loaded)) << text;
  EXPECT_EQ(Format(*loaded), text);
  EXPECT_STREQ(loaded->drives[6].path, "PUBLIC\\WITH BLANK");
  EXPECT_STREQ(loaded->servers[0].volumes[0].hostDir, "/srv/with blank/sys");
  ConnectionHandle again = 0;
  EXPECT_EQ(nwsim::Login(*loaded, handle, "ADMIN", LOGIN_OBJECT_TYPE_USER, "secret"), 0)
      << "the hashed password must still match after loading";
  EXPECT_EQ(nwsim::AttachServer(*loaded, "ACCOUNTS", &again), ERR_ALREADY_ATTACHED);
  EXPECT_EQ(again, handle);
}

TEST(StoreText, RefusesDamagedText) {
  const std::string good = "nwsim-store 1\ncounters 00001001 1 2\nserver S\nvolume S V dir\n"
                           "user S U 1 -\n";
  struct Row {
    const char *label;
    std::string text;
  } rows[] = {
      {"empty", ""},
      {"no header", "server S\n"},
      {"other version", "nwsim-store 2\n"},
      {"unknown record", good + "printer S LPT1\n"},
      {"volume of unknown server", good + "volume T V dir\n"},
      {"duplicate server", good + "server s\n"},
      {"name too long", "nwsim-store 1\nserver " + std::string(48, 'X') + "\n"},
      {"attach of unknown user", good + "attach S 00001001 1 NOBODY 1 0000000000000000\n"},
      {"attach with bad time", good + "attach S 00001001 1 U 1 00zz\n"},
      {"zero handle", good + "attach S 0 1 - 0 0000000000000000\n"},
      {"number out of range", good + "counters 1 70000 1\n"},
      {"map of unknown volume", good + "map F S W PUBLIC\n"},
      {"map of drive 1", good + "map 1 S V PUBLIC\n"},
      {"fault on unknown operation", good + "fail NwFormatDisk 1 0x1\n"},
      {"fault code not hex", good + "fail NwMapDrive 1 12\n"},
      {"hash of wrong length", good + "user S W 2 0123456789abcdef 00\n"},
      {"overlong line", "nwsim-store 1\nvolume " + std::string(1000, 'x') + "\n"},
      {"control character", good + "volume S W a\x01"
                                   "b\n"},
      {"trailing blank", good + "server T \n"},
  };
  for (const Row &row : rows) {
    auto world = NewWorld();
    world->serverCount = 3; // must be cleared again on refusal
    EXPECT_FALSE(nwsim::ParseWorld(row.text.c_str(), *world)) << row.label;
    EXPECT_EQ(world->serverCount, 0) << row.label;
  }
  auto world = NewWorld();
  EXPECT_TRUE(nwsim::ParseWorld(good.c_str(), *world)) << "the base text itself is good";
}

TEST(StoreText, RefusesToFormatIntoTooSmallABuffer) {
  auto world = NewWorld();
  ASSERT_EQ(nwsim::AddServer(*world, "ACCOUNTS"), 0);
  char text[32];
  memset(text, '#', sizeof text);
  EXPECT_EQ(nwsim::FormatWorld(*world, text, 20), 0u);
  EXPECT_EQ(text[20], '#') << "wrote past the stated size";
}

TEST(HostPath, NativeSideDropsWineDriveZ) {
  struct Row {
    const char *label;
    const char *in;
    const char *out;
  } rows[] = {
      {"unix path", "/tmp/x/store", "/tmp/x/store"},
      {"wine drive z", "Z:\\tmp\\x\\store", "/tmp/x/store"},
      {"lower-case z with slashes", "z:/tmp/x", "/tmp/x"},
      {"relative", "volumes/A", "volumes/A"},
  };
  for (const Row &row : rows) {
    char out[nwsim::fs::PATH_SIZE];
    ASSERT_TRUE(nwsim::fs::ToHostPath(row.in, out, sizeof out)) << row.label;
    EXPECT_STREQ(out, row.out) << row.label;
  }
  char small[4];
  EXPECT_FALSE(nwsim::fs::ToHostPath("/tmp/x", small, sizeof small));
}

} // namespace
