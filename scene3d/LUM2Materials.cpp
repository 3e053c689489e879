#include "scene3d/LUM2Materials.h"

#include <GL/gl.h>

#include "render2d/LUM2Textures.h"

std::vector<TTexRegItem> TextureRegistry;
int32_t TextureCount = 0;

uint32_t FindTexture(const std::string& name) {
  uint32_t result = NoTexture;
  for (const TTexRegItem& item : TextureRegistry)
    if (item.Name == name) result = item.Texture;
  return result;
}

void RegisterTexture(const std::string& name, uint32_t texture) {
  TextureRegistry.push_back({name, texture});
  ++TextureCount;
}

uint32_t GetTexture(const std::string& name) {
  uint32_t texture = FindTexture(name);
  if (texture == NoTexture) {
    LoadTexture(name, texture, false);
    RegisterTexture(name, texture);
  }
  return texture;
}

void Material::Apply() const {
  switch (Kind) {
    case mkColor:
      ResetRenderState();
      glColor4f(Color.r, Color.g, Color.b, Color.a);
      if (Blend) {
        glEnable(GL_BLEND);
        glColor4f(BlendColor.r, BlendColor.g, BlendColor.b, BlendColor.a);
        glBlendFunc(GL_ONE, GL_ONE);
      } else {
        glDisable(GL_BLEND);
      }
      break;
    case mkTexture:
      ResetRenderState();
      BindTexture(Texture);
      if (TexGen) EnableTexGen();
      if (Blend) {
        glColor4f(BlendColor.r, BlendColor.g, BlendColor.b, BlendColor.a);
        if (AlphaBlend)
          glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        else
          glBlendFunc(GL_SRC_COLOR, GL_DST_COLOR);
        glEnable(GL_BLEND);
      }
      break;
  }
}
