// RGB pixels read under the pack parameters, as the browser's GL layer lays
// them out from an RGBA read (platform/web/GLPixels.h), held against this
// system's GL reading RGB itself: every byte the same, those it leaves
// alone included.
#include <GL/gl.h>

#include <vector>

#include "platform/web/GLPixels.h"
#include "support/GLFixture.h"

namespace {
class GLPixelsTest : public GLTest {
 protected:
  // A frame of coloured blocks, so that every pixel read is told apart
  // from its neighbours' places.
  void SetUp() override {
    GLTest::SetUp();
    if (HasFatalFailure()) return;
    glEnable(GL_SCISSOR_TEST);
    for (int by = 0; by < 8; ++by)
      for (int bx = 0; bx < 8; ++bx) {
        glScissor(bx * 3, by * 2, 3, 2);
        glClearColor(bx / 8.0f, by / 8.0f, ((bx + by) % 3) / 2.0f, 1);
        glClear(GL_COLOR_BUFFER_BIT);
      }
    glDisable(GL_SCISSOR_TEST);
  }
};

void Store(const TPackParameters& pack) {
  glPixelStorei(GL_PACK_ALIGNMENT, pack.Alignment);
  glPixelStorei(GL_PACK_ROW_LENGTH, pack.RowLength);
  glPixelStorei(GL_PACK_SKIP_PIXELS, pack.SkipPixels);
  glPixelStorei(GL_PACK_SKIP_ROWS, pack.SkipRows);
}
}  // namespace

TEST_F(GLPixelsTest, RgbRowsAreLaidOutAsTheDriverLaysThem) {
  const TPackParameters cases[] = {
      {4, 0, 0, 0}, {1, 0, 0, 0}, {2, 0, 0, 0}, {8, 0, 0, 0}, {1, 30, 2, 3}, {4, 23, 1, 0}, {8, 0, 0, 2},
  };
  for (const TPackParameters& pack : cases) {
    for (const auto [x, y, width, height] : {std::tuple{0, 0, 24, 16}, {1, 2, 17, 9}, {5, 3, 7, 1}}) {
      std::vector<uint8_t> driver(4096, 0xA5), ours(4096, 0xA5), rgba(static_cast<size_t>(width * height * 4));
      Store(pack);
      glReadPixels(x, y, width, height, GL_RGB, GL_UNSIGNED_BYTE, driver.data());
      Store(TPackParameters{});
      glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
      ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
      PackRgbRows(rgba.data(), width, height, pack, ours.data());
      EXPECT_EQ(ours, driver) << "alignment " << pack.Alignment << ", row length " << pack.RowLength << ", skipping "
                              << pack.SkipPixels << " pixels and " << pack.SkipRows << " rows, reading " << width
                              << " x " << height;
    }
  }
  Store(TPackParameters{});
}
