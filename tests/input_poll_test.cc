#include "test_support.h"

class InputPollTest : public HeadlessTest {
 protected:
  void press(uint8_t code) { input.inputLatch = code; }
  void stick(uint32_t x, uint32_t y, uint32_t buttons = 0) { joystick.plugIn({x, y, buttons}); }
  static constexpr uint32_t kCentre = 32767;

  // The stick at one position after another, each followed by a poll, and what it reports.
  struct Step {
    uint32_t x, y, buttons;
    int polled;
  };
  void expectPolls(const std::vector<Step>& steps) {
    for (size_t i = 0; i < steps.size(); ++i) {
      stick(steps[i].x, steps[i].y, steps[i].buttons);
      EXPECT_EQ(pollInput(), steps[i].polled) << "step " << i;
    }
  }
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

// A direction held counts once; the stick may go straight from one direction to another.
TEST_F(InputPollTest, StickCountsOncePerChange) {
  initJoystick();
  expectPolls({{60000, kCentre, 0, kInputRight},
               {60000, kCentre, 0, 0},
               {60000, kCentre, 0, 0},
               {kCentre, 1000, 0, kInputUp},
               {kCentre, kCentre, 0, 0},
               {60000, kCentre, 0, kInputRight},
               {kCentre, 60000, 0, kInputDown},
               {1000, kCentre, 0, kInputLeft}});
}

// One button is the action whatever the stick says; a position on the bounds is the centre.
TEST_F(InputPollTest, ButtonWinsOverDirectionsAndBoundsAreCentred) {
  initJoystick();
  expectPolls({{60000, 1000, 1, kInputAction},
               {kCentre + kJoystickDeadZone, kCentre - kJoystickDeadZone, 2, 0},
               {kCentre + kJoystickDeadZone + 1, kCentre, 0, kInputRight}});
}

// Only exactly one button is the action: two held together count as none, so the stick decides.
TEST_F(InputPollTest, TwoButtonsAreNoActionAndLeaveTheStickItsSay) {
  initJoystick();
  expectPolls({{kCentre, kCentre, 2, 0},
               {60000, kCentre, 2, kInputRight},
               {kCentre, kCentre, 3, 0},
               {kCentre, kCentre, 1, kInputAction}});
}

TEST_F(InputPollTest, KeyboardBeatsTheStickForOnePoll) {
  initJoystick();
  stick(60000, kCentre);
  press(kInputLeft);
  EXPECT_EQ(pollInput(), kInputLeft);
  EXPECT_EQ(pollInput(), kInputRight);
}

// The centres lie halfway across the ranges; without a joystick they are 0, and when its ranges
// cannot be read both are 0 too.
TEST_F(InputPollTest, CentresComeFromTheRanges) {
  joystick.caps = {100, 301, 1000, 3001};
  initJoystick();
  EXPECT_EQ(input.joystickCentreX, 200u);
  EXPECT_EQ(input.joystickCentreY, 2000u);
  platform.joystick = nullptr;
  initJoystick();
  EXPECT_EQ(input.joystickCentreX, 0u);

  platform.joystick = &joystick;
  joystick.capsReadable = false;
  initJoystick();
  EXPECT_EQ(input.joystickCentreX, 0u);
  // centre - 8000 wraps to a huge bound, so every X but those right of 8000 is left, and 0 is
  // still left: reported once.
  expectPolls({{8001, 0, 0, kInputRight}, {8000, 0, 0, kInputLeft}, {0, 0, 0, 0}});
}

// A joystick plugged in while the game runs, with none at start-up (whose centres are 0), is read
// against its own ranges; so is another one plugged in after it was pulled out.
TEST_F(InputPollTest, JoystickPluggedInLaterIsReadAgainstItsOwnCentre) {
  joystick.capsReadable = false;  // as a real joystick's ranges while none is plugged in
  initJoystick();
  EXPECT_EQ(pollInput(), 0);
  joystick.capsReadable = true;
  expectPolls({{kCentre, kCentre, 0, 0}, {60000, kCentre, 0, kInputRight}});
  joystick.unplug();
  EXPECT_EQ(pollInput(), 0);
  joystick.caps = {0, 40000, 0, 40000};
  expectPolls({{20000, 20000, 0, 0}, {20000, 30000, 0, kInputDown}});
}
