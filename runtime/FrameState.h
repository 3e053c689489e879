// What a frame leaves for the next besides its picture: the random numbers'
// seed, the beat accumulator, the glowing nest's camera, the pea swarm's
// beat random and the overlay's two pictures. A frame steps all of it before
// it draws anything, so that a run can be brought to any time by stepping
// the frames before it without drawing them (BringFrameStateTo in
// runtime/MainLoop.h).
#pragma once

// The state the program starts with.
void ResetFrameState();
// One frame's step, at SceneTime and FrameDelta with these channels:
// reseeds the random numbers, chooses the overlay's pictures near the
// beat's crests, and lets the glowing nest and the pea swarm consume the
// beat when their channels are set.
void StepFrameState(const float* channels);
