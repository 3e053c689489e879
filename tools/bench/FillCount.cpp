#include "FillCount.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "platform/GLLibraries.h"
#include "platform/WindowBackend.h"
#include "render2d/Overlay2D.h"

namespace {
// Occlusion queries are past OpenGL 1.1: taken from the context.
PFNGLGENQUERIESPROC GenQueries = nullptr;
PFNGLBEGINQUERYPROC BeginQuery = nullptr;
PFNGLENDQUERYPROC EndQuery = nullptr;
PFNGLGETQUERYOBJECTUIVPROC GetQueryObjectuiv = nullptr;

void* Entry(const char* name) { return CurrentWindowBackend().GLProcAddress(name); }

// GL_ARB_pipeline_statistics_query's count of fragment shader runs.
constexpr GLenum FragmentShaderRuns = 0x82F4;

constexpr double FramePixels = 800.0 * 600.0;
}  // namespace

bool TFillCounter::Start() {
  GenQueries = reinterpret_cast<PFNGLGENQUERIESPROC>(Entry("glGenQueries"));
  BeginQuery = reinterpret_cast<PFNGLBEGINQUERYPROC>(Entry("glBeginQuery"));
  EndQuery = reinterpret_cast<PFNGLENDQUERYPROC>(Entry("glEndQuery"));
  GetQueryObjectuiv = reinterpret_cast<PFNGLGETQUERYOBJECTUIVPROC>(Entry("glGetQueryObjectuiv"));
  if (GenQueries == nullptr || BeginQuery == nullptr || EndQuery == nullptr || GetQueryObjectuiv == nullptr)
    return false;
  GLuint queries[2] = {0, 0};
  GenQueries(2, queries);
  Query = queries[0];
  if (GLExtensionOffered("GL_ARB_pipeline_statistics_query")) ShaderQuery = queries[1];
  return Query != 0;
}

void TFillCounter::BeginFrame() {
  if (Query == 0 || Open) return;
  BeginQuery(GL_SAMPLES_PASSED, Query);
  if (ShaderQuery != 0) BeginQuery(FragmentShaderRuns, ShaderQuery);
  Open = true;
}

TFrameFill TFillCounter::EndFrame() {
  if (Query == 0 || !Open) return {};
  EndQuery(GL_SAMPLES_PASSED);
  if (ShaderQuery != 0) EndQuery(FragmentShaderRuns);
  Open = false;
  GLuint samples = 0, runs = 0;
  GetQueryObjectuiv(Query, GL_QUERY_RESULT, &samples);
  if (ShaderQuery != 0) GetQueryObjectuiv(ShaderQuery, GL_QUERY_RESULT, &runs);
  return {samples / FramePixels, runs / FramePixels};
}

void DrawReferenceFrame(uint32_t texture) {
  ClearFrame();
  BeginOverlay();
  for (int k = 0; k < ReferenceLayers; ++k) DrawTintedQuad(texture, MakeColor4(1, 1, 1, 0.5f), 0, 0, 800, 600);
  EndOverlay();
}
