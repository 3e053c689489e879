#include "render2d/LUM2Textures.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "platform/GLLibraries.h"
#include "platform/Message.h"
#include "platform/Stream.h"
#include "render2d/BMP.h"
#include "render2d/JPEG.h"
#include "render2d/TGA.h"

uint8_t TextureFilter = 2;
bool TextureClamp = false;

namespace {
// The whole file, or false when it cannot be opened or read.
bool ReadWholeFile(const std::string& fileName, std::vector<uint8_t>& bytes) {
  try {
    TFileStream file(fileName);
    bytes.resize(static_cast<size_t>(file.Size()));
    file.ReadBuffer(bytes.data(), file.Size());
    return true;
  } catch (const EStreamError&) {
    return false;
  }
}

bool Report(const TImageFailure& failure) {
  ShowMessage(failure.Caption, failure.Text);
  return false;
}

bool Upload(const TPixelBuffer& image, uint32_t& texture) {
  texture = CreateTexture(image);
  return true;
}

std::string UpperEnding(const std::string& fileName) {
  std::string ending = fileName.size() >= 4 ? fileName.substr(fileName.size() - 4) : fileName;
  std::transform(ending.begin(), ending.end(), ending.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return ending;
}
}  // namespace

uint32_t CreateTexture(uint16_t width, uint16_t height, GLenum format, const void* pixels) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  const GLint wrap = TextureClamp ? GL_CLAMP : GL_REPEAT;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
  switch (TextureFilter) {
    case 0:
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
      break;
    case 1:
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
      break;
    case 2:
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
      break;
    default:
      break;
  }
  // Rows are tightly packed, whatever their length.
  GLint alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  gluBuild2DMipmaps(GL_TEXTURE_2D, format == GL_RGBA ? GL_RGBA : 3, width, height, format, GL_UNSIGNED_BYTE, pixels);
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  return name;
}

uint32_t CreateTexture(const TPixelBuffer& image) {
  return CreateTexture(static_cast<uint16_t>(image.Width), static_cast<uint16_t>(image.Height),
                       image.Format == pfRGBA ? GL_RGBA : GL_RGB, image.Pixels.data());
}

bool LoadBMPTexture(const std::string& fileName, uint32_t& texture, bool fromResource) {
  if (fromResource) return Report({"BMP Texture", "File not found in resource - " + fileName});
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(fileName, bytes)) return Report({"BMP Unit", "Error opening " + fileName});
  TPixelBuffer image;
  TImageFailure failure;
  if (!DecodeBMP(bytes.data(), bytes.size(), fileName, image, failure)) return Report(failure);
  return Upload(image, texture);
}

bool LoadJPGTexture(const std::string& fileName, uint32_t& texture, bool fromResource) {
  if (fromResource) return Report({"JPG Texture", "File not found in resource - " + fileName});
  std::vector<uint8_t> bytes;
  TPixelBuffer image;
  TImageFailure failure;
  if (!ReadWholeFile(fileName, bytes))
    return Report({"BMP Unit", "Couldn't load JPG - " + QuotedName(fileName)});
  if (!DecodeJPEG(bytes.data(), bytes.size(), fileName, image, failure)) return Report(failure);
  return Upload(image, texture);
}

bool LoadTGATexture(const std::string& fileName, uint32_t& texture, bool fromResource) {
  if (fromResource) return Report({"TGA Texture", "File not found in resource - " + fileName});
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(fileName, bytes)) return Report({"TGA Texture", "File not found  - " + fileName});
  TPixelBuffer image;
  TImageFailure failure;
  if (!DecodeTGA(bytes.data(), bytes.size(), fileName, image, failure)) return Report(failure);
  return Upload(image, texture);
}

bool LoadTexture(const std::string& fileName, uint32_t& texture, bool fromResource) {
  const std::string ending = UpperEnding(fileName);
  if (ending == ".BMP") return LoadBMPTexture(fileName, texture, fromResource);
  if (ending == ".JPG") return LoadJPGTexture(fileName, texture, fromResource);
  if (ending == ".TGA") return LoadTGATexture(fileName, texture, fromResource);
  return false;
}
