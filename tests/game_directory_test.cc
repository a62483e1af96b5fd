// Where the game is: the current directory's game, the installed sample game in a place that
// holds none, and one message when there is no game anywhere.
#include "avi_test_support.h"
#include "game/headless_session.h"
#include "test_support.h"

// Started in a place without a game, the program plays the first sample place that holds one
// (a damaged clip is no game) and says so on standard error; with none, the place stays.
TEST_F(HeadlessTest, TheSampleGamePlaysWhereThereIsNoGame) {
  platform.media = aviMediaLibrary();
  TempDir damaged, sample;
  damaged.write("demo.avi", "RIFF");
  sample.write("seq01.avi", buildHandAvi(HandAvi{}));
  testing::internal::CaptureStderr();
  findGame({damaged.path()});
  EXPECT_EQ(platform.directories.current, current.path());
  reportNoGame();
  EXPECT_EQ(messages(), std::vector<std::string>{"No game|No game was found in " + current.path() +
                                                 ": neither demo.avi nor seq01.avi opens there."});
  EXPECT_NE(window.messagesSeen()[0].text.find(
                "\nThe sample game is not installed either (looked in " + damaged.path() + ").\n"),
            std::string::npos);
  findGame({damaged.path(), sample.path()});
  EXPECT_EQ(platform.directories.current, sample.path());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "qvkavi: no game in " + current.path() +
                                                        ": playing the sample game in " +
                                                        sample.path() + "\n");
  findGame({damaged.path()});  // a place with a game stays
  EXPECT_EQ(platform.directories.current, sample.path());
}

// Without a game, start-up says once where it looked and how to name a game, instead of a
// message for each missing file now and for the demo every ten seconds.
TEST(GameDirectory, StartUpWithoutAGameSaysSoOnce) {
  resetGameState();
  TempDir here, install;
  HeadlessSession session;
  openHeadlessSession(session, here.path(), install.path(), nullptr);
  session.timers.advance(60000);
  std::vector<RecordedMessage> seen = session.window.messagesSeen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].caption, "No game");
  EXPECT_EQ(seen[0].text, "No game was found in " + here.path() +
                              ": neither demo.avi nor seq01.avi opens there.\n"
                              "To play a game, start the program with the game's directory: "
                              "qvkavi GAME_DIR");
  EXPECT_FALSE(virtualGameThreadRunning());
  EXPECT_EQ(game.attractTimerId, 0u);
  closeHeadlessSession(session);
}
