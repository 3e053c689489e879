#include "platform/Presentation.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>

#include "platform/GLLibraries.h"
#include "platform/GLWindow.h"
#include "platform/WindowBackend.h"

namespace {
// The frame buffer object calls, taken from the context: some systems' GL
// libraries export nothing past OpenGL 1.1.
PFNGLGENFRAMEBUFFERSPROC glGenFramebuffers = nullptr;
PFNGLBINDFRAMEBUFFERPROC glBindFramebuffer = nullptr;
PFNGLFRAMEBUFFERRENDERBUFFERPROC glFramebufferRenderbuffer = nullptr;
PFNGLCHECKFRAMEBUFFERSTATUSPROC glCheckFramebufferStatus = nullptr;
PFNGLBLITFRAMEBUFFERPROC glBlitFramebuffer = nullptr;
PFNGLGENRENDERBUFFERSPROC glGenRenderbuffers = nullptr;
PFNGLBINDRENDERBUFFERPROC glBindRenderbuffer = nullptr;
PFNGLRENDERBUFFERSTORAGEPROC glRenderbufferStorage = nullptr;

void* Entry(const char* name) { return CurrentWindowBackend().GLProcAddress(name); }

bool ResolveFrameBufferCalls() {
  glGenFramebuffers = reinterpret_cast<PFNGLGENFRAMEBUFFERSPROC>(Entry("glGenFramebuffers"));
  glBindFramebuffer = reinterpret_cast<PFNGLBINDFRAMEBUFFERPROC>(Entry("glBindFramebuffer"));
  glFramebufferRenderbuffer = reinterpret_cast<PFNGLFRAMEBUFFERRENDERBUFFERPROC>(Entry("glFramebufferRenderbuffer"));
  glCheckFramebufferStatus = reinterpret_cast<PFNGLCHECKFRAMEBUFFERSTATUSPROC>(Entry("glCheckFramebufferStatus"));
  glBlitFramebuffer = reinterpret_cast<PFNGLBLITFRAMEBUFFERPROC>(Entry("glBlitFramebuffer"));
  glGenRenderbuffers = reinterpret_cast<PFNGLGENRENDERBUFFERSPROC>(Entry("glGenRenderbuffers"));
  glBindRenderbuffer = reinterpret_cast<PFNGLBINDRENDERBUFFERPROC>(Entry("glBindRenderbuffer"));
  glRenderbufferStorage = reinterpret_cast<PFNGLRENDERBUFFERSTORAGEPROC>(Entry("glRenderbufferStorage"));
  return glGenFramebuffers != nullptr && glBindFramebuffer != nullptr && glFramebufferRenderbuffer != nullptr &&
         glCheckFramebufferStatus != nullptr && glBlitFramebuffer != nullptr && glGenRenderbuffers != nullptr &&
         glBindRenderbuffer != nullptr && glRenderbufferStorage != nullptr;
}

struct TFrameBuffer {
  GLuint Frame = 0;
  GLuint Colour = 0;
  GLuint Depth = 0;
  int Width = 0;
  int Height = 0;
};

TFrameBuffer Buffer;
// The frame copied for showing inside a user interface (FramePicture).
struct TFramePicture {
  GLuint Name = 0;
  int Width = 0;
  int Height = 0;
};
TFramePicture Picture;
bool Active = false;
TFrameScale Scale = TFrameScale::Scaled;
int UnitWidth = 800;
int UnitHeight = 600;
int SurfaceWidth = 0;
int SurfaceHeight = 0;

// Gives the buffers storage of this size; false when the driver refuses.
bool SizeBuffers(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  glBindRenderbuffer(GL_RENDERBUFFER, Buffer.Colour);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, Buffer.Depth);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, Buffer.Frame);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, Buffer.Colour);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, Buffer.Depth);
  Buffer.Width = width;
  Buffer.Height = height;
  return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

// The frame's pixel size for the current surface.
void FrameSizeFor(int& width, int& height) {
  width = UnitWidth;
  height = UnitHeight;
  if (Scale == TFrameScale::Native) {
    const TPixelRect rect = FitRect(SurfaceWidth, SurfaceHeight);
    width = rect.Width;
    height = rect.Height;
  }
}

bool FrameBufferObjectsOffered() {
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  if (version != nullptr && version[0] >= '3' && version[0] <= '9') return true;
  return GLExtensionOffered("GL_ARB_framebuffer_object");
}
}  // namespace

TPixelRect FitRect(int surfaceWidth, int surfaceHeight) {
  TPixelRect rect;
  if (surfaceWidth <= 0 || surfaceHeight <= 0) return rect;
  // Compared in 64 bits: a width of three quarters of the height or more is
  // too wide, and the height decides.
  if (static_cast<long long>(surfaceWidth) * 3 <= static_cast<long long>(surfaceHeight) * 4) {
    rect.Width = surfaceWidth;
    rect.Height = static_cast<int>(static_cast<long long>(surfaceWidth) * 3 / 4);
  } else {
    rect.Height = surfaceHeight;
    rect.Width = static_cast<int>(static_cast<long long>(surfaceHeight) * 4 / 3);
  }
  rect.X = (surfaceWidth - rect.Width) / 2;
  rect.Y = (surfaceHeight - rect.Height) / 2;
  return rect;
}

bool StartPresentation(int width, int height, int surfaceWidth, int surfaceHeight, TFrameScale scale) {
  UnitWidth = width;
  UnitHeight = height;
  SurfaceWidth = surfaceWidth;
  SurfaceHeight = surfaceHeight;
  Scale = scale;
  Active = false;
  if (!FrameBufferObjectsOffered() || !ResolveFrameBufferCalls()) return false;
  if (Buffer.Frame == 0) {
    glGenFramebuffers(1, &Buffer.Frame);
    glGenRenderbuffers(1, &Buffer.Colour);
    glGenRenderbuffers(1, &Buffer.Depth);
  }
  int frameWidth = 0, frameHeight = 0;
  FrameSizeFor(frameWidth, frameHeight);
  if (!SizeBuffers(frameWidth, frameHeight)) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return false;
  }
  Active = true;
  glViewport(0, 0, Buffer.Width, Buffer.Height);
  return true;
}

void SetSurfaceSize(int surfaceWidth, int surfaceHeight) {
  SurfaceWidth = surfaceWidth;
  SurfaceHeight = surfaceHeight;
  if (!Active || Scale != TFrameScale::Native) return;
  int frameWidth = 0, frameHeight = 0;
  FrameSizeFor(frameWidth, frameHeight);
  if (std::max(frameWidth, 1) == Buffer.Width && std::max(frameHeight, 1) == Buffer.Height) return;
  SizeBuffers(frameWidth, frameHeight);
  glViewport(0, 0, Buffer.Width, Buffer.Height);
}

void ComposeFrame() {
  if (!Active) return;
  const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  glDisable(GL_SCISSOR_TEST);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, Buffer.Frame);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  const TPixelRect rect = FitRect(SurfaceWidth, SurfaceHeight);
  if (rect.Width > 0 && rect.Height > 0) {
    const bool same = rect.Width == Buffer.Width && rect.Height == Buffer.Height;
    glBlitFramebuffer(0, 0, Buffer.Width, Buffer.Height, rect.X, rect.Y, rect.X + rect.Width, rect.Y + rect.Height,
                      GL_COLOR_BUFFER_BIT, same ? GL_NEAREST : GL_LINEAR);
  }
  glBindFramebuffer(GL_FRAMEBUFFER, Buffer.Frame);
  glClearColor(clear[0], clear[1], clear[2], clear[3]);
  if (scissor) glEnable(GL_SCISSOR_TEST);
}

int FramePixelWidth() { return Active ? Buffer.Width : ActiveWindow.Width; }
int FramePixelHeight() { return Active ? Buffer.Height : ActiveWindow.Height; }
TPixelRect SurfaceRect() { return FitRect(SurfaceWidth, SurfaceHeight); }

void ReadFromSurface(bool surface) {
  if (Active) glBindFramebuffer(GL_READ_FRAMEBUFFER, surface ? 0 : Buffer.Frame);
}

void DrawIntoFrame() {
  if (Active) glBindFramebuffer(GL_FRAMEBUFFER, Buffer.Frame);
  glViewport(0, 0, FramePixelWidth(), FramePixelHeight());
}

void DrawIntoSurface(int width, int height) {
  if (Active) glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glViewport(0, 0, width, height);
}

uint32_t FramePicture() {
  if (!Active) return 0;
  if (Picture.Name == 0) glGenTextures(1, &Picture.Name);
  glBindTexture(GL_TEXTURE_2D, Picture.Name);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, Buffer.Frame);
  if (Picture.Width != Buffer.Width || Picture.Height != Buffer.Height) {
    // Storage of the frame's size (one level, filtered when shown smaller
    // or larger), then filled from the frame like every other time.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, Buffer.Width, Buffer.Height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    Picture.Width = Buffer.Width;
    Picture.Height = Buffer.Height;
  }
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, Buffer.Width, Buffer.Height);
  glBindTexture(GL_TEXTURE_2D, 0);
  return Picture.Name;
}
