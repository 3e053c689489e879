#include "platform/web/GLAttribGroups.h"

bool AttribMaskSaves(GLbitfield mask, TAttribItem item) {
  // The groups' bits, as OpenGL 1.1 numbers them.
  constexpr GLbitfield Current = 0x00000001, Polygon = 0x00000008, Lighting = 0x00000040, Fog = 0x00000080,
                       DepthBuffer = 0x00000100, StencilBuffer = 0x00000400, Viewport = 0x00000800,
                       Transform = 0x00001000, Enable = 0x00002000, ColorBuffer = 0x00004000, Texture = 0x00040000,
                       Scissor = 0x00080000;
  GLbitfield groups = 0;
  switch (item) {
    case TAttribItem::CurrentColor:
    case TAttribItem::CurrentNormal:
    case TAttribItem::CurrentTexCoord: groups = Current; break;
    case TAttribItem::Lighting:
    case TAttribItem::LightEnables:
    case TAttribItem::ColorMaterial: groups = Enable | Lighting; break;
    case TAttribItem::Lights:
    case TAttribItem::Material:
    case TAttribItem::ShadeModel: groups = Lighting; break;
    case TAttribItem::Normalize: groups = Enable | Transform; break;
    case TAttribItem::MatrixMode: groups = Transform; break;
    case TAttribItem::Fog: groups = Enable | Fog; break;
    case TAttribItem::Blend: groups = Enable | ColorBuffer; break;
    case TAttribItem::BlendFunc:
    case TAttribItem::ColorMask:
    case TAttribItem::ClearColor: groups = ColorBuffer; break;
    case TAttribItem::DepthTest: groups = Enable | DepthBuffer; break;
    case TAttribItem::DepthFunc:
    case TAttribItem::DepthMask:
    case TAttribItem::ClearDepth: groups = DepthBuffer; break;
    case TAttribItem::StencilTest: groups = Enable | StencilBuffer; break;
    case TAttribItem::Viewport: groups = Viewport; break;
    case TAttribItem::Scissor: groups = Enable | Scissor; break;
    case TAttribItem::ScissorBox: groups = Scissor; break;
    case TAttribItem::CullFace: groups = Enable | Polygon; break;
    case TAttribItem::PolygonMode: groups = Polygon; break;
    case TAttribItem::Texture2D:
    case TAttribItem::TexGen: groups = Enable | Texture; break;
    case TAttribItem::TextureBinding:
    case TAttribItem::TexEnvMode: groups = Texture; break;
  }
  return (mask & groups) != 0;
}
