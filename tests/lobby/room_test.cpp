// The room record's pure parts: which image file names may become paths,
// and the status texts.

#include <gtest/gtest.h>

#include <string>

#include "lobby/room.h"
#include "lobby/status_window.h"

namespace {

TEST(RoomImageFileName, OnlyPlainNamesOfTheDataDirectoryPass) {
  for (const char* name : {"chess.ogi", "a", "puzzles.ogi", "x-y_z.1", "123456789012345", ".hidden", "con1.ogi"}) {
    EXPECT_TRUE(RoomImageFileNameIsPlain(name)) << name;
  }
  for (const char* name :
       {"", "1234567890123456", "../chess.ogi", "..", ".", "a..b", "dir/chess", "dir\\chess", "c:chess",
        "chess.ogi.", "chess ", "a*b", "a?b", "a|b", "a<b", "CON", "nul.ogi", "Com1", "lpt9.x", "aux", "\tx",
        "caf\xc3\xa9"}) {
    EXPECT_FALSE(RoomImageFileNameIsPlain(name)) << name;
  }
  EXPECT_FALSE(RoomImageFileNameIsPlain(nullptr));
}

TEST(StatusText, ByStateAndPlayers) {
  struct Case {
    uint16_t state;
    uint32_t players;
    const char* text;
  };
  const Case cases[] = {
      {1, 0, "Empty"},     {1, 1, "1 player"}, {1, 5, "5 players"}, {1, 0xFFFFFFFFu, "-1 players"},
      {2, 0, "Full"},      {2, 9, "Full"},     {0, 5, ""},          {7, 1, ""},
  };
  for (const Case& c : cases) {
    Room room{};
    room.state = c.state;
    room.players = c.players;
    char text[32];
    StatusWindowText(&room, text, sizeof text);
    EXPECT_STREQ(text, c.text) << c.state << " " << c.players;
  }
}

}  // namespace
