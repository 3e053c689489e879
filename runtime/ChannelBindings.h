// What each channel of the track drives: its number in the channel block,
// the name the timeline and the benchmark call it by, and what its value
// does. The frame director reads the channels by these numbers.
#pragma once
#include <iterator>
#include <string_view>

enum TChannel : int {
  chFlash = 0,
  chOverlay = 1,
  chNestGlow = 2,
  chPeaSwarm = 3,
  chWarpEcho = 4,
  chStampRoom = 5,
  chPicture = 6,
  chPictureAlpha = 7,
  chNest = 8,
  chTunnel = 9,
  chFeedback = 10,
};

struct TChannelBinding {
  TChannel Number;
  const char* Name;
  const char* Drives;
};

constexpr TChannelBinding ChannelBindings[] = {
    {chFlash, "flash", "white flash over everything, its strength"},
    {chOverlay, "overlay", "rippling picture overlay, its strength"},
    {chNestGlow, "nest-glow", "clock nest with glow: fade, blur and field of view"},
    {chPeaSwarm, "pea-swarm", "clock tunnel with the pea swarm"},
    {chWarpEcho, "warp-echo", "warp echo of the warped picture: red pulse"},
    {chStampRoom, "stamp-room", "stamp room"},
    {chPicture, "picture", "picture slot: 0 groups, 1 credits, 2 title, 3 greetings, 4 feedback"},
    {chPictureAlpha, "picture-alpha", "the picture slot's alpha"},
    {chNest, "nest", "plain clock nest: field of view (20 * value + 65 degrees) and axis"},
    {chTunnel, "tunnel", "plain clock tunnel"},
    {chFeedback, "feedback", "feedback glow of the title: position and sharpness"},
};

// The channels a track feeds: those with a binding.
constexpr int BoundChannels = static_cast<int>(std::size(ChannelBindings));

constexpr bool BindingsInChannelOrder() {
  for (int k = 0; k < BoundChannels; ++k)
    if (ChannelBindings[k].Number != k) return false;
  return true;
}
static_assert(BindingsInChannelOrder(), "ChannelBindings[n] binds channel n");

// The binding of that name, or nullptr.
constexpr const TChannelBinding* FindChannel(std::string_view name) {
  for (const TChannelBinding& binding : ChannelBindings)
    if (name == binding.Name) return &binding;
  return nullptr;
}
