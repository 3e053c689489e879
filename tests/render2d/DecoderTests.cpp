// The BMP, TGA and JPEG decoders on files built byte by byte, without GL.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ImageFiles.h"
#include "render2d/BMP.h"
#include "render2d/JPEG.h"
#include "render2d/TGA.h"

namespace {
const RGB Red{255, 0, 0}, Green{0, 255, 0}, Blue{0, 0, 255}, White{255, 255, 255}, Grey{90, 90, 90};

struct Result {
  bool Ok;
  TPixelBuffer Image;
  TImageFailure Failure;
};

Result BMP(const Bytes& b) {
  Result r;
  r.Ok = DecodeBMP(b.data(), b.size(), "x.bmp", r.Image, r.Failure);
  return r;
}
Result TGA(const Bytes& b) {
  Result r;
  r.Ok = DecodeTGA(b.data(), b.size(), "x.tga", r.Image, r.Failure);
  return r;
}
Result JPEG(const Bytes& b) {
  Result r;
  r.Ok = DecodeJPEG(b.data(), b.size(), "x.jpg", r.Image, r.Failure);
  return r;
}

void Append(Bytes& b, std::initializer_list<uint8_t> more) { b.insert(b.end(), more); }

void Set32(Bytes& b, size_t at, uint32_t v) {
  for (int k = 0; k < 4; ++k) b[at + k] = (v >> (8 * k)) & 0xFF;
}

Bytes Pixels(const TPixelBuffer& image) { return image.Pixels; }
}  // namespace

// ---- BMP ----

TEST(BMPDecoder, PaddedRowsComeOutPackedBottomUpInRGB) {
  // 3 x 2: each 9-byte row carries 3 bytes of padding.
  const Result r = BMP(MakeBMP(3, 2, {Red, Green, Blue, White, Grey, Red}, true));
  ASSERT_TRUE(r.Ok) << r.Failure.Text;
  EXPECT_EQ(r.Image.Width, 3);
  EXPECT_EQ(r.Image.Height, 2);
  EXPECT_EQ(r.Image.Format, pfRGB);
  EXPECT_EQ(Pixels(r.Image), (Bytes{255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 90, 90, 90, 255, 0, 0}));
}

TEST(BMPDecoder, SizeImageZeroComputesThePixelByteCount) {
  const Result r = BMP(MakeBMP(3, 2, {Red, Green, Blue, White, Grey, Red}, false));
  ASSERT_TRUE(r.Ok) << r.Failure.Text;
  EXPECT_EQ(r.Image.Pixels[9], 255);
  EXPECT_EQ(r.Image.Pixels[12], 90);
}

TEST(BMPDecoder, ColourTableBytesAreSkipped) {
  Bytes b = MakeBMP(1, 1, {Blue}, true);
  Set32(b, 14 + 32, 4);  // biClrUsed: four bytes of table before the pixels
  b.insert(b.begin() + 54, {1, 2, 3, 4});
  const Result r = BMP(b);
  ASSERT_TRUE(r.Ok) << r.Failure.Text;
  EXPECT_EQ(Pixels(r.Image), (Bytes{0, 0, 255}));
}

TEST(BMPDecoder, ShortDataIsReportedNotRead) {
  Bytes b = MakeBMP(3, 2, {Red, Green, Blue, White, Grey, Red}, true);
  b.resize(b.size() - 1);
  Result r = BMP(b);
  EXPECT_FALSE(r.Ok);
  EXPECT_EQ(r.Failure.Caption, "BMP Unit");
  EXPECT_EQ(r.Failure.Text, "Error reading bitmap data");

  // Headers cut short.
  b.resize(30);
  r = BMP(b);
  EXPECT_FALSE(r.Ok);
  EXPECT_EQ(r.Failure.Text, "Error reading bitmap data");

  // A size image smaller than the padded rows would need.
  b = MakeBMP(3, 2, {Red, Green, Blue, White, Grey, Red}, true);
  Set32(b, 14 + 20, 18);
  EXPECT_FALSE(BMP(b).Ok);
}

TEST(BMPDecoder, PaletteLongerThanTheFileIsReported) {
  Bytes b = MakeBMP(1, 1, {Blue}, true);
  Set32(b, 14 + 32, 1000);
  const Result r = BMP(b);
  EXPECT_FALSE(r.Ok);
  EXPECT_EQ(r.Failure.Text, "Error reading palette");
}

TEST(BMPDecoder, ImpossibleSizesAreRejectedBeforeAllocating) {
  for (uint32_t width : {0u, 0xFFFFFFFFu, 0x7FFFFFFFu, 100000u}) {
    Bytes b = MakeBMP(1, 1, {Blue}, false);
    Set32(b, 14 + 4, width);
    EXPECT_FALSE(BMP(b).Ok) << width;
  }
  Bytes b = MakeBMP(1, 1, {Blue}, false);
  Set32(b, 14 + 8, static_cast<uint32_t>(-1));  // top-down
  EXPECT_FALSE(BMP(b).Ok);
  Set32(b, 14 + 8, 60000);  // taller than the file holds
  Set32(b, 14 + 4, 60000);
  EXPECT_EQ(BMP(b).Failure.Text, "Error reading bitmap data");
}

// ---- TGA ----

TEST(TGADecoder, Uncompressed24And32Bit) {
  Bytes b = TGAHeader(2, 0, 2, 1, 24);
  Append(b, {1, 2, 3, 4, 5, 6});
  Result r = TGA(b);
  ASSERT_TRUE(r.Ok) << r.Failure.Text;
  EXPECT_EQ(r.Image.Format, pfRGB);
  EXPECT_EQ(Pixels(r.Image), (Bytes{3, 2, 1, 6, 5, 4}));

  b = TGAHeader(2, 0, 1, 2, 32);
  Append(b, {1, 2, 3, 4, 5, 6, 7, 8});
  r = TGA(b);
  ASSERT_TRUE(r.Ok) << r.Failure.Text;
  EXPECT_EQ(r.Image.Format, pfRGBA);
  EXPECT_EQ(Pixels(r.Image), (Bytes{3, 2, 1, 4, 7, 6, 5, 8}));
}

TEST(TGADecoder, RunLengthRawAndRunPackets) {
  // 0x00: one raw pixel; 0x83: four copies of one pixel.
  Bytes b = TGAHeader(10, 0, 5, 1, 24);
  Append(b, {0x00, 10, 20, 30, 0x83, 1, 2, 3});
  Result r = TGA(b);
  ASSERT_TRUE(r.Ok) << r.Failure.Text;
  EXPECT_EQ(Pixels(r.Image), (Bytes{30, 20, 10, 3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1}));

  b = TGAHeader(10, 0, 3, 1, 32);
  Append(b, {0x01, 1, 2, 3, 4, 5, 6, 7, 8, 0x80, 9, 10, 11, 12});
  r = TGA(b);
  ASSERT_TRUE(r.Ok) << r.Failure.Text;
  EXPECT_EQ(r.Image.Format, pfRGBA);
  EXPECT_EQ(Pixels(r.Image), (Bytes{3, 2, 1, 4, 7, 6, 5, 8, 11, 10, 9, 12}));
}

TEST(TGADecoder, RejectionsInTheirOrder) {
  // Image type 1 is colour-mapped as well: the type test comes first.
  Result r = TGA(TGAHeader(1, 1, 1, 1, 8));
  EXPECT_EQ(r.Failure.Caption, "TGA File Error");
  EXPECT_EQ(r.Failure.Text, "Couldn't load \"x.tga\". Only 24 and 32bit TGA supported.");
  r = TGA(TGAHeader(2, 1, 1, 1, 16));
  EXPECT_EQ(r.Failure.Text, "Couldn't load \"x.tga\". Colormapped TGA files not supported.");
  r = TGA(TGAHeader(2, 0, 1, 1, 16));
  EXPECT_EQ(r.Failure.Text, "Couldn't load \"x.tga\". Only 24 and 32 bit TGA files supported.");
  EXPECT_FALSE(r.Ok);
  // Depths above 24 other than 32 have no pixel layout.
  EXPECT_FALSE(TGA(TGAHeader(2, 0, 1, 1, 40)).Ok);
}

TEST(TGADecoder, RunThatOverrunsTheImageStopsAtItsEnd) {
  // A run of 128 for a 2-pixel image, then stray bytes.
  Bytes b = TGAHeader(10, 0, 2, 1, 24);
  Append(b, {0xFF, 1, 2, 3, 0xFF, 9, 9, 9});
  const Result r = TGA(b);
  ASSERT_TRUE(r.Ok) << r.Failure.Text;
  EXPECT_EQ(Pixels(r.Image), (Bytes{3, 2, 1, 3, 2, 1}));
}

TEST(TGADecoder, DataEndingEarlyIsAReadFailure) {
  const std::string message = "Couldn't read file \"x.tga\".";
  Bytes b = TGAHeader(10, 0, 4, 1, 24);
  Append(b, {0x03, 1, 2, 3, 4, 5});  // a raw packet of four pixels, data for under two
  EXPECT_EQ(TGA(b).Failure.Text, message);
  b = TGAHeader(10, 0, 4, 1, 24);
  Append(b, {0x81, 1, 2, 3});  // two of four pixels, then nothing
  EXPECT_EQ(TGA(b).Failure.Text, message);
  b = TGAHeader(10, 0, 1, 1, 24);
  Append(b, {0x80, 1, 2});  // a run pixel cut short
  EXPECT_EQ(TGA(b).Failure.Text, message);
  b = TGAHeader(2, 0, 2, 2, 24);
  Append(b, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
  EXPECT_EQ(TGA(b).Failure.Text, message);
  b = TGAHeader(2, 0, 1, 1, 24);
  b.resize(10);  // header cut short
  EXPECT_EQ(TGA(b).Failure.Text, message);
}

TEST(TGADecoder, OversizedHeaderIsRejectedBeforeAllocating) {
  Bytes b = TGAHeader(10, 0, 65535, 65535, 32);
  Append(b, {0xFF, 1, 2, 3, 4});
  EXPECT_FALSE(TGA(b).Ok);
  b = TGAHeader(2, 0, 0, 5, 24);
  EXPECT_FALSE(TGA(b).Ok);
}

TEST(TGADecoder, ImageIdIsSkippedAndTopDownFilesComeOutUpright) {
  // Two rows, top row first (descriptor bit 5), after a 3-byte image ID.
  Bytes b = TGAHeader(2, 0, 1, 2, 24, 0x20, 3);
  Append(b, {'I', 'D', '!', 1, 1, 1, 2, 2, 2});
  Result r = TGA(b);
  ASSERT_TRUE(r.Ok) << r.Failure.Text;
  EXPECT_EQ(Pixels(r.Image), (Bytes{2, 2, 2, 1, 1, 1}));

  b = TGAHeader(2, 0, 1, 2, 24);
  Append(b, {1, 1, 1, 2, 2, 2});
  r = TGA(b);
  EXPECT_EQ(Pixels(r.Image), (Bytes{1, 1, 1, 2, 2, 2}));
}

// ---- JPEG ----

TEST(JPEGDecoder, FirstBytesAreTheBottomLeftPixelWithOpaqueAlpha) {
  // Top row red, green; bottom row blue, white.
  const Result r = JPEG(MakeJPEG(2, 2, {Red, Green, Blue, White}));
  ASSERT_TRUE(r.Ok) << r.Failure.Text;
  ASSERT_EQ(r.Image.Width, 2);
  ASSERT_EQ(r.Image.Height, 2);
  EXPECT_EQ(r.Image.Format, pfRGBA);
  const Bytes& p = r.Image.Pixels;
  ASSERT_EQ(p.size(), 16u);
  EXPECT_LE(p[0], 40);
  EXPECT_LE(p[1], 40);
  EXPECT_GE(p[2], 215);
  EXPECT_EQ(p[3], 255);
  EXPECT_GE(p[8], 215);  // top left: red
  EXPECT_LE(p[9], 40);
  for (int k = 3; k < 16; k += 4) EXPECT_EQ(p[k], 255);
}

TEST(JPEGDecoder, GreyscaleComesOutAsGreyColour) {
  const Result r = JPEG(MakeJPEG(3, 1, {Grey, Grey, Grey}, true));
  ASSERT_TRUE(r.Ok) << r.Failure.Text;
  for (int x = 0; x < 3; ++x) {
    EXPECT_NEAR(r.Image.Pixels[x * 4], 90, 2);
    EXPECT_EQ(r.Image.Pixels[x * 4], r.Image.Pixels[x * 4 + 1]);
    EXPECT_EQ(r.Image.Pixels[x * 4], r.Image.Pixels[x * 4 + 2]);
    EXPECT_EQ(r.Image.Pixels[x * 4 + 3], 255);
  }
}

TEST(JPEGDecoder, DamagedFilesGiveTheLoadMessage) {
  const std::string message = "Couldn't load JPG - \"x.jpg\"";
  std::vector<RGB> pixels(64 * 64, Grey);
  for (size_t k = 0; k < pixels.size(); k += 7) pixels[k] = Red;
  const Bytes good = MakeJPEG(64, 64, pixels);
  ASSERT_TRUE(JPEG(good).Ok);

  for (size_t keep : {size_t{0}, size_t{1}, size_t{20}, good.size() / 2, good.size() - 2}) {
    const Bytes cut(good.begin(), good.begin() + keep);
    const Result r = JPEG(cut);
    EXPECT_FALSE(r.Ok) << keep;
    EXPECT_EQ(r.Failure.Caption, "BMP Unit");
    EXPECT_EQ(r.Failure.Text, message);
  }
  EXPECT_FALSE(JPEG(Bytes{'n', 'o', 't', ' ', 'a', ' ', 'J', 'P', 'E', 'G'}).Ok);

  // Garbage in the middle of the coded data must not crash the decoder.
  Bytes noisy = good;
  for (size_t k = noisy.size() / 3; k < noisy.size() - 2; k += 5) noisy[k] ^= 0x5A;
  JPEG(noisy);
}

TEST(JPEGDecoder, SizeFarBeyondTheFileIsRejected) {
  Bytes b = MakeJPEG(8, 8, std::vector<RGB>(64, Grey));
  // The frame header (SOF0: FF C0) holds height and width after length and precision.
  for (size_t k = 0; k + 8 < b.size(); ++k)
    if (b[k] == 0xFF && b[k + 1] == 0xC0) {
      b[k + 5] = 0xFF;
      b[k + 6] = 0xF0;
      b[k + 7] = 0xFF;
      b[k + 8] = 0xF0;
      break;
    }
  const Result r = JPEG(b);
  EXPECT_FALSE(r.Ok);
  EXPECT_TRUE(r.Image.Pixels.empty());
}

// ---- All three on damaged data ----

// Flipped bytes and cut ends at fixed pseudo-random places: each decoder
// either gives an image of consistent size or a message, and (run under
// AddressSanitizer) never touches memory outside its input and output.
TEST(Decoders, RandomDamageGivesAnImageOrAMessage) {
  std::vector<RGB> pixels(9 * 7);
  for (size_t k = 0; k < pixels.size(); ++k) pixels[k] = RGB{uint8_t(k * 7), uint8_t(k * 13), uint8_t(k * 29)};
  Bytes tgaRle = TGAHeader(10, 0, 9, 7, 32);
  for (int k = 0; k < 40; ++k) Append(tgaRle, {uint8_t(k % 3 ? 0x81 : 0x00), 1, 2, 3, 4, 5, 6, 7, 8});
  Bytes tgaRaw = TGAHeader(2, 0, 9, 7, 24);
  tgaRaw.resize(tgaRaw.size() + 9 * 7 * 3, 0x42);
  const std::vector<std::pair<Bytes, int>> sources = {
      {MakeBMP(9, 7, pixels, true), 0}, {tgaRle, 1}, {tgaRaw, 1}, {MakeJPEG(9, 7, pixels), 2}};

  uint32_t seed = 12345;
  auto next = [&seed](uint32_t range) {
    seed = seed * 134775813u + 1;
    return static_cast<uint32_t>((static_cast<uint64_t>(seed) * range) >> 32);
  };
  for (const auto& [good, kind] : sources) {
    for (int round = 0; round < 400; ++round) {
      Bytes b = good;
      const uint32_t flips = 1 + next(6);
      for (uint32_t k = 0; k < flips; ++k) b[next(static_cast<uint32_t>(b.size()))] = static_cast<uint8_t>(next(256));
      if (next(4) == 0) b.resize(next(static_cast<uint32_t>(b.size())));
      const Result r = kind == 0 ? BMP(b) : kind == 1 ? TGA(b) : JPEG(b);
      if (r.Ok) {
        ASSERT_GT(r.Image.Width, 0);
        ASSERT_GT(r.Image.Height, 0);
        ASSERT_EQ(r.Image.Pixels.size(), static_cast<size_t>(r.Image.Width) * r.Image.Height * r.Image.Format);
      } else {
        ASSERT_FALSE(r.Failure.Text.empty());
      }
    }
  }
}
