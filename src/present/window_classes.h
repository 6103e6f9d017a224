// The window-class names of the presenting windows: registered by the player's entry point,
// used by the code that creates each window, and what another show looks for to see that
// one is already running.
#pragma once

constexpr char kAnimationClass[] = "AnimationClass";
constexpr char kMessageClass[] = "MsgClass";
constexpr char kLogoClass[] = "LogoClass";
