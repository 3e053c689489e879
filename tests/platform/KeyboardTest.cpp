// The keyboard: key codes from SDL scancodes, the high-bit test, polling and
// a keyboard the platform cannot give.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>

#include "platform/DirectInput8.h"
#include "platform/EINKeyboard.h"
#include "platform/KeyboardBackend.h"
#include "platform/Message.h"

namespace {
class FakeKeyboard final : public KeyboardBackend {
 public:
  bool Available = true;
  bool ReadFails = false;
  uint8_t State[256] = {};
  bool Open() override { return Available; }
  bool ReadState(uint8_t state[256]) override {
    if (ReadFails) return false;
    std::memcpy(state, State, 256);
    return true;
  }
  void Close() override {}
};

class KeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetKeyboardBackend(&Fake);
    StartRecordingMessages();
  }
  void TearDown() override {
    FreeKeyboard();
    StopRecordingMessages();
    SetKeyboardBackend(nullptr);
  }
  FakeKeyboard Fake;
  TGLWindow Window;
};
}  // namespace

TEST(KeyCodes, StandardKeysMapToTheirScanCodes) {
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_ESCAPE), DIK_ESCAPE);
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_A), 0x1E);
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_SPACE), 0x39);
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_F12), 0x58);
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_UP), 0xC8);
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_RCTRL), 0x9D);
  EXPECT_EQ(KeyCodeFromScancode(SDL_SCANCODE_UNKNOWN), 0);
}

TEST(KeyCodes, TranslatedStateSetsTheHighBitOfDownKeysOnly) {
  uint8_t sdl[SDL_NUM_SCANCODES] = {};
  sdl[SDL_SCANCODE_ESCAPE] = 1;
  uint8_t state[256];
  std::memset(state, 0xAA, sizeof state);
  TranslateKeyState(sdl, SDL_NUM_SCANCODES, state);
  EXPECT_EQ(state[DIK_ESCAPE], 0x80);
  int down = 0;
  for (uint8_t b : state) down += b != 0;
  EXPECT_EQ(down, 1);
  // A short SDL array is never read past its end.
  TranslateKeyState(sdl, 10, state);
  EXPECT_EQ(state[DIK_ESCAPE], 0);
}

TEST_F(KeyboardTest, EveryKeyIsUpBeforeTheFirstPoll) {
  Fake.State[DIK_ESCAPE] = 0x80;
  CreateKeyboard(Window, false);
  EXPECT_FALSE(KeyDown(DIK_ESCAPE));
  EXPECT_EQ(PollKeyboard(), DI_OK);
  EXPECT_TRUE(KeyDown(DIK_ESCAPE));
  EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(KeyboardTest, OnlyTheHighBitMeansDown) {
  CreateKeyboard(Window, false);
  Fake.State[1] = 0x80;
  Fake.State[2] = 0x7F;
  Fake.State[3] = 0xFF;
  PollKeyboard();
  EXPECT_TRUE(KeyDown(1));
  EXPECT_FALSE(KeyDown(2));
  EXPECT_TRUE(KeyDown(3));
  EXPECT_FALSE(KeyDown(255));
}

TEST_F(KeyboardTest, FailedPollKeepsThePreviousState) {
  CreateKeyboard(Window, false);
  Fake.State[DIK_ESCAPE] = 0x80;
  PollKeyboard();
  Fake.State[DIK_ESCAPE] = 0;
  Fake.ReadFails = true;
  EXPECT_NE(PollKeyboard(), DI_OK);
  EXPECT_TRUE(KeyDown(DIK_ESCAPE));
}

TEST_F(KeyboardTest, MissingKeyboardIsReportedOnceAndReadsAsUp) {
  Fake.Available = false;
  Fake.State[DIK_ESCAPE] = 0x80;
  CreateKeyboard(Window, false);
  ASSERT_EQ(RecordedMessages().size(), 1u);
  EXPECT_EQ(RecordedMessages()[0].Text, DIErrorText(Keyboard->LastResult));
  EXPECT_FALSE(RecordedMessages()[0].Text.empty());
  PollKeyboard();
  PollKeyboard();
  EXPECT_FALSE(KeyDown(DIK_ESCAPE));
  EXPECT_EQ(RecordedMessages().size(), 1u);
}

TEST(DirectInputText, KnownCodesHaveTheirTextsAndUnknownOnesNone) {
  EXPECT_EQ(DIErrorText(0), "The operation completed successfully.");
  EXPECT_EQ(DIErrorText(static_cast<int32_t>(0x8007001E)),
            "Access to the input device has been lost. It must be reacquired.");
  EXPECT_EQ(DIErrorText(static_cast<int32_t>(0x800704DF)), "This object is already initialized");
  EXPECT_EQ(DIErrorText(1).substr(0, 31), "\"The operation had no effect.\" ");
  EXPECT_EQ(DIErrorText(static_cast<int32_t>(0x80070005)).back(), '"');
  EXPECT_EQ(DIErrorText(0x12345), "");
}

// A tap that begins and ends between two polls, as from a tool that sends
// keys or a light touch during a slow frame, is down for the next poll.
TEST(SDLKeyboard, KeyTappedBetweenTwoPollsIsDownForTheNextOnly) {
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
  KeyboardBackend& keyboard = CurrentKeyboardBackend();
  ASSERT_TRUE(keyboard.Open());
  uint8_t state[256];
  ASSERT_TRUE(keyboard.ReadState(state));
  EXPECT_EQ(state[DIK_ESCAPE], 0);
  for (Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
    SDL_Event event{};
    event.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
  }
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);  // taken by the window before the poll
  ASSERT_TRUE(keyboard.ReadState(state));
  EXPECT_EQ(state[DIK_ESCAPE], 0x80);
  ASSERT_TRUE(keyboard.ReadState(state));
  EXPECT_EQ(state[DIK_ESCAPE], 0) << "the tap counts once";
  keyboard.Close();
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
