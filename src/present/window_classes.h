// The window-class names of the presenting windows: registered by the player's entry point
// and used by the code that creates each window. The names carry a fixed random suffix so
// that no other program's class is taken for the player's, nor the player's for another's.
#pragma once

constexpr char kAnimationClass[] = "Reelbox.Animation.15ec63c3ae1b";
constexpr char kMessageClass[] = "Reelbox.Message.15ec63c3ae1b";
constexpr char kLogoClass[] = "Reelbox.Logo.15ec63c3ae1b";
