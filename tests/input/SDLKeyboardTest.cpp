// The keyboard and mouse queues: order, the empty-queue messages and the 65536-entry ring.
#include "input/SDLKeyboard.h"
#include "input/SDLMouse.h"

#include "support/Expect.h"

#include <gtest/gtest.h>

namespace sdl_keyboard_test {

using namespace Nimbrel::Input;

TEST(SDLKeyboardTest, EmptyQueuesThrowTheirMessages)
{
    SDLKeyboard keyboard;
    SDLMouse mouse(nullptr);
    EXPECT_FALSE(keyboard.HasNextEvent());
    EXPECT_FALSE(mouse.HasNextEvent());
    EXPECT_THROW_MESSAGE(keyboard.GetNextEvent(),
                         "GetNextEvent(): No events in queue for keyboard (Use HasNextEvent() to check if events are available)");
    EXPECT_THROW_MESSAGE(mouse.GetNextEvent(),
                         "GetNextEvent(): No events in queue for mouse (Use HasNextEvent() to check if events are available)");
}

TEST(SDLKeyboardTest, EventsComeOutInOrder)
{
    SDLKeyboard keyboard;
    keyboard.Queue({65, 0});
    keyboard.Queue({97, 2});
    keyboard.Queue({65, 1});
    EXPECT_EQ(keyboard.GetNextEvent(), (KeyEvent{65, 0}));
    EXPECT_EQ(keyboard.GetNextEvent(), (KeyEvent{97, 2}));
    EXPECT_TRUE(keyboard.HasNextEvent());
    EXPECT_EQ(keyboard.GetNextEvent(), (KeyEvent{65, 1}));
    EXPECT_FALSE(keyboard.HasNextEvent());

    SDLMouse mouse(nullptr);
    mouse.Queue({1, 2, 3, 0, 0, 0, 1});
    EXPECT_EQ(mouse.GetNextEvent(), (MouseEvent{1, 2, 3, 0, 0, 0, 1}));
    EXPECT_FALSE(mouse.HasNextEvent());
}

TEST(SDLKeyboardTest, PositionsWrapAfterTheRingIsGoneThrough)
{
    SDLKeyboard keyboard;
    for (int i = 0; i < 65536 + 10; ++i) {
        keyboard.Queue({i, 0});
        ASSERT_TRUE(keyboard.HasNextEvent());
        ASSERT_EQ(keyboard.GetNextEvent().key, i);
        ASSERT_FALSE(keyboard.HasNextEvent());
    }
}

TEST(SDLKeyboardTest, FullRingDropsTheOldestInsteadOfEmptying)
{
    SDLKeyboard keyboard;
    for (int i = 0; i < 65536; ++i)
        keyboard.Queue({i, 1});
    ASSERT_TRUE(keyboard.HasNextEvent());
    int expected = 1;  // event 0 made room for the last one
    while (keyboard.HasNextEvent())
        ASSERT_EQ(keyboard.GetNextEvent().key, expected++);
    EXPECT_EQ(expected, 65536);
}

}  // namespace sdl_keyboard_test
