#include "test_support.h"

class InputPollTest : public HeadlessTest {
 protected:
  void press(uint8_t code) { input.inputLatch = code; }
  void stick(uint32_t x, uint32_t y, uint32_t buttons = 0) { joystick.plugIn({x, y, buttons}); }
  static constexpr uint32_t kCentre = 32767;
};

// Without a joystick, and with one at its centre.
TEST_F(InputPollTest, KeyPressAndReleaseEachReportOnce) {
  for (bool withStick : {false, true}) {
    initJoystick();
    if (withStick) stick(kCentre, kCentre);
    EXPECT_EQ(pollInput(), 0);  // forgets the held key of the round before
    press(kInputUp);
    EXPECT_EQ(pollInput(), kInputUp);
    EXPECT_EQ(pollInput(), 0);  // empty latch: last code back to 0
    press(kInputUp);            // the release stores the same code again
    EXPECT_EQ(pollInput(), kInputUp);
    press(kInputUp);  // held without an empty poll in between: no new report
    EXPECT_EQ(pollInput(), 0) << withStick;
  }
}

TEST_F(InputPollTest, StickCountsOncePerChange) {
  initJoystick();
  stick(60000, kCentre);
  EXPECT_EQ(pollInput(), kInputRight);
  EXPECT_EQ(pollInput(), 0);
  EXPECT_EQ(pollInput(), 0);
  stick(kCentre, 1000);  // straight from right to up
  EXPECT_EQ(pollInput(), kInputUp);
  stick(kCentre, kCentre);
  EXPECT_EQ(pollInput(), 0);
  stick(60000, kCentre);
  EXPECT_EQ(pollInput(), kInputRight);
  stick(kCentre, 60000);
  EXPECT_EQ(pollInput(), kInputDown);
  stick(1000, kCentre);
  EXPECT_EQ(pollInput(), kInputLeft);
}

TEST_F(InputPollTest, ButtonWinsOverDirectionsAndBoundsAreCentred) {
  initJoystick();
  stick(60000, 1000, 1);
  EXPECT_EQ(pollInput(), kInputAction);
  stick(kCentre + kJoystickDeadZone, kCentre - kJoystickDeadZone, 2);  // on the bounds; 2 buttons
  EXPECT_EQ(pollInput(), 0);
  stick(kCentre + kJoystickDeadZone + 1, kCentre);
  EXPECT_EQ(pollInput(), kInputRight);
}

// Only exactly one button is the action: two held together count as none, so the stick decides.
TEST_F(InputPollTest, TwoButtonsAreNoActionAndLeaveTheStickItsSay) {
  initJoystick();
  stick(kCentre, kCentre, 2);
  EXPECT_EQ(pollInput(), 0);
  stick(60000, kCentre, 2);
  EXPECT_EQ(pollInput(), kInputRight);
  stick(kCentre, kCentre, 3);
  EXPECT_EQ(pollInput(), 0);
  stick(kCentre, kCentre, 1);
  EXPECT_EQ(pollInput(), kInputAction);
}

TEST_F(InputPollTest, KeyboardBeatsTheStickForOnePoll) {
  initJoystick();
  stick(60000, kCentre);
  press(kInputLeft);
  EXPECT_EQ(pollInput(), kInputLeft);
  EXPECT_EQ(pollInput(), kInputRight);
}

TEST_F(InputPollTest, UnreadableCapsPutBothCentresAtZero) {
  joystick.capsReadable = false;
  initJoystick();
  EXPECT_EQ(input.joystickCentreX, 0u);
  stick(8001, 0);
  EXPECT_EQ(pollInput(), kInputRight);
  // centre - 8000 wraps to a huge bound, so every other X is left.
  stick(8000, 0);
  EXPECT_EQ(pollInput(), kInputLeft);
  stick(0, 0);
  EXPECT_EQ(pollInput(), 0);  // still left: reported once
}

TEST_F(InputPollTest, CentresComeFromTheRanges) {
  joystick.caps = {100, 301, 1000, 3001};
  initJoystick();
  EXPECT_EQ(input.joystickCentreX, 200u);
  EXPECT_EQ(input.joystickCentreY, 2000u);
  platform.joystick = nullptr;
  initJoystick();
  EXPECT_EQ(input.joystickCentreX, 0u);
}
