// Switches that put OpenGL's material, colour, texture, texture-generation
// and blending state into known configurations, shared by the 2D drawers
// and the 3D scenes.
#pragma once
#include <cstdint>

#include "platform/Types.h"

// OpenGL's default material on both faces.
void DefaultMaterial();
// Opaque white, no texturing, no texture generation, no blending, default material.
void ResetRenderState();
void SetMaterialColor(const TColor4& colour);
// ResetRenderState, then texturing on with this texture in opaque white.
void BindTexture(uint32_t texture);
void EnableTexGen();
void DisableTexGen();

// Blending on with (ONE, ONE), (SRC_ALPHA, ONE) and (SRC_ALPHA, ONE_MINUS_SRC_ALPHA).
void BlendAdditive();
void BlendAdditiveAlpha();
void BlendAlpha();
