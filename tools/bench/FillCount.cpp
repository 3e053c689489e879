#include "FillCount.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "platform/WindowBackend.h"
#include "render2d/Overlay2D.h"

namespace {
// Occlusion queries are past OpenGL 1.1: taken from the context.
PFNGLGENQUERIESPROC GenQueries = nullptr;
PFNGLBEGINQUERYPROC BeginQuery = nullptr;
PFNGLENDQUERYPROC EndQuery = nullptr;
PFNGLGETQUERYOBJECTUIVPROC GetQueryObjectuiv = nullptr;

void* Entry(const char* name) { return CurrentWindowBackend().GLProcAddress(name); }

constexpr double FramePixels = 800.0 * 600.0;
}  // namespace

bool TFillCounter::Start() {
  GenQueries = reinterpret_cast<PFNGLGENQUERIESPROC>(Entry("glGenQueries"));
  BeginQuery = reinterpret_cast<PFNGLBEGINQUERYPROC>(Entry("glBeginQuery"));
  EndQuery = reinterpret_cast<PFNGLENDQUERYPROC>(Entry("glEndQuery"));
  GetQueryObjectuiv = reinterpret_cast<PFNGLGETQUERYOBJECTUIVPROC>(Entry("glGetQueryObjectuiv"));
  if (GenQueries == nullptr || BeginQuery == nullptr || EndQuery == nullptr || GetQueryObjectuiv == nullptr)
    return false;
  GLuint query = 0;
  GenQueries(1, &query);
  Query = query;
  return Query != 0;
}

void TFillCounter::BeginFrame() {
  if (Query == 0 || Open) return;
  BeginQuery(GL_SAMPLES_PASSED, Query);
  Open = true;
}

double TFillCounter::EndFrame() {
  if (Query == 0 || !Open) return 0;
  EndQuery(GL_SAMPLES_PASSED);
  Open = false;
  GLuint samples = 0;
  GetQueryObjectuiv(Query, GL_QUERY_RESULT, &samples);
  return samples / FramePixels;
}

void DrawReferenceFrame(uint32_t texture) {
  ClearFrame();
  BeginOverlay();
  for (int k = 0; k < ReferenceLayers; ++k) DrawTintedQuad(texture, MakeColor4(1, 1, 1, 0.5f), 0, 0, 800, 600);
  EndOverlay();
}
