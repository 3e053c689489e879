#include "runtime/FrameState.h"

#include "platform/Random.h"
#include "platform/SharedState.h"
#include "runtime/ChannelBindings.h"
#include "scenes/Beat.h"
#include "scenes/Clockwork.h"
#include "scenes/VemlaOverlay.h"

void ResetFrameState() {
  ResetBeat();
  ResetClockCamera();
  ResetOverlayIndices();
}

// The order is the frame director's: the overlay's draws come before the
// nest's camera, and the camera's before the swarm's, from one seed.
void StepFrameState(const float* channels) {
  Randomize();
  StepOverlayIndices();
  if (ChannelSet(channels[chNestGlow])) StepNestGlowBeat();
  if (ChannelSet(channels[chPeaSwarm])) StepPeaSwarmBeat();
}
