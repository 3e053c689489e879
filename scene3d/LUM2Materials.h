// The texture registry (every texture is loaded once per file name and kept)
// and the material of a mesh. The render-state switches the materials use
// come with it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Types.h"
#include "render2d/RenderState.h"

// "Not registered" and "failed to load" (the registry's -1).
constexpr uint32_t NoTexture = 0xFFFFFFFFu;

struct TTexRegItem {
  std::string Name;  // the file name exactly as the caller passed it
  uint32_t Texture;  // the texture, or NoTexture
};

extern std::vector<TTexRegItem> TextureRegistry;
extern int32_t TextureCount;

// The last entry of exactly this name (case-sensitive), or NoTexture.
uint32_t FindTexture(const std::string& name);
void RegisterTexture(const std::string& name, uint32_t texture);
// The texture for a file name, loading it on first use. A failed load is
// registered as NoTexture and tried again on the next request.
uint32_t GetTexture(const std::string& name);

enum TMaterialKind : int32_t { mkColor = 0, mkTexture = 1 };

class Material {
 public:
  Material() = default;
  // Sets the OpenGL state for drawing with this material.
  void Apply() const;

  uint32_t Texture = 0;
  bool Blend = false;
  bool TexGen = false;
  TMaterialKind Kind = mkColor;
  TColor4 Color{};
  TColor4 BlendColor{};
  bool AlphaBlend = false;
};
