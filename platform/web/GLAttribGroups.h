// Which of glPushAttrib's groups save which piece of the fixed-function
// state, as OpenGL 1.1's state tables have it: an enable belongs to the
// enable group and to its own (blending to the colour buffer's, the depth
// test to the depth buffer's), the rest to its own group alone. The
// browser's GL layer restores by it; the native tests hold it against the
// system's GL.
#pragma once
#include <GL/gl.h>

// The pieces of state the browser's layer keeps that a group can save.
enum class TAttribItem {
  CurrentColor, CurrentNormal, CurrentTexCoord,
  Lighting, LightEnables, Lights, Material, ColorMaterial, ShadeModel,
  Normalize, MatrixMode,
  Fog,
  Blend, BlendFunc, ColorMask, ClearColor,
  DepthTest, DepthFunc, DepthMask, ClearDepth,
  StencilTest,
  Viewport,
  Scissor, ScissorBox,
  CullFace, PolygonMode,
  Texture2D, TexGen, TextureBinding, TexEnvMode,
};
constexpr int AttribItemCount = static_cast<int>(TAttribItem::TexEnvMode) + 1;

// Whether glPushAttrib(mask) saves the item, so that glPopAttrib restores it.
bool AttribMaskSaves(GLbitfield mask, TAttribItem item);
