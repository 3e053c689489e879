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

void DefaultMaterial() {
  const float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
  const float diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
  const float black[4] = {0, 0, 0, 1};
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, black);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 0);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, black);
}

void ResetRenderState() {
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glEnable(GL_COLOR_MATERIAL);
  glColor4f(1, 1, 1, 1);
  glDisable(GL_COLOR_MATERIAL);
  DefaultMaterial();
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
}

void SetMaterialColor(const TColor4& colour) {
  const float ambient[4] = {0, 0, 0, 1};
  const float diffuse[4] = {colour.r, colour.g, colour.b, colour.a};
  DisableTexGen();
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
}

void BindTexture(uint32_t texture) {
  ResetRenderState();
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  glColor4f(1, 1, 1, 1);
}

void EnableTexGen() {
  glEnable(GL_TEXTURE_GEN_S);
  glEnable(GL_TEXTURE_GEN_T);
}

void DisableTexGen() {
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
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
