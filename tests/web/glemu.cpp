// What of the fixed-function OpenGL the demo draws with works on the web:
// one small drawing per feature it uses, each read back from the frame and
// compared with what desktop OpenGL draws, on a 128 x 128 canvas.
//
// Built three ways (tests/web/CMakeLists.txt): with emscripten's legacy GL
// emulation on a WebGL 1 context and on a WebGL 2 one, and without it, on
// WebGL 2 with the full OpenGL ES 3 layer. Functions a build lacks are left
// undefined at link time (each call then aborts) and calls the emulation
// has not written throw; every case runs inside a JavaScript try, so one
// that throws is reported and the rest still run. One line per case:
//   glemu: NAME: ok | wrong (what was read) | GL error 0x... | threw: ...
// and "glemu: done" after the last.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>
#include <emscripten.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

// Which context the build asks for (2: WebGL 1, 3: WebGL 2), and whether
// it is built with the emulation.
#ifndef PROBE_ES_MAJOR
#define PROBE_ES_MAJOR 2
#endif
#ifndef PROBE_LEGACY
#define PROBE_LEGACY 1
#endif

namespace {

constexpr int Size = 128;

struct Rgb {
  int r, g, b;
};

Rgb Pixel(int x, int y) {
  unsigned char p[4] = {};
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
  return {p[0], p[1], p[2]};
}

char Detail[256];

// Whether the pixel at X, Y is R, G, B give or take TOLERANCE; what it is
// goes into the case's line when it is not.
bool Is(int x, int y, int r, int g, int b, int tolerance = 4) {
  const Rgb p = Pixel(x, y);
  const bool near = std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance &&
                    std::abs(p.b - b) <= tolerance;
  if (!near)
    std::snprintf(Detail, sizeof Detail, "at %d,%d: %d,%d,%d, not %d,%d,%d", x, y, p.r, p.g, p.b, r, g, b);
  return near;
}

// The state every case starts from: an orthographic projection of the
// cube from -1 to 1, no lighting, fog, texture, blending or depth test,
// white, on a black frame. Without the emulation only the last of these
// is there to set.
void Reset() {
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glViewport(0, 0, Size, Size);
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
#if PROBE_ES_MAJOR >= 3
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);  // left bound by a case that threw
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
#endif
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glBindTexture(GL_TEXTURE_2D, 0);
#if PROBE_LEGACY
  glDisable(GL_LIGHTING);
  glDisable(GL_LIGHT0);
  glDisable(GL_COLOR_MATERIAL);
  glDisable(GL_FOG);
  glDisable(GL_TEXTURE_2D);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-1, 1, -1, 1, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glColor4f(1, 1, 1, 1);
#endif
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  while (glGetError() != GL_NO_ERROR) {
  }
}

// Fills a rectangle of the frame, in pixels, with a colour, by clearing
// inside a scissor box: the cases that are not about fixed-function
// drawing draw this way, which works with and without the emulation.
void Fill(int x, int y, int width, int height, float r, float g, float b) {
  glEnable(GL_SCISSOR_TEST);
  glScissor(x, y, width, height);
  glClearColor(r, g, b, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
  glClearColor(0, 0, 0, 1);
}

// A quad in glBegin and glEnd, with texture coordinates and a normal
// (facing the viewer) where asked for, as the demo's quads have.
enum QuadExtras { Plain = 0, TexCoords = 1, Normals = 2 };

void Quad(float x0, float y0, float x1, float y1, float z = 0, int extras = Plain) {
  const float corners[4][4] = {{x0, y0, 0, 0}, {x1, y0, 1, 0}, {x1, y1, 1, 1}, {x0, y1, 0, 1}};
  glBegin(GL_QUADS);
  for (const auto& c : corners) {
    if (extras & Normals) glNormal3f(0, 0, 1);
    if (extras & TexCoords) glTexCoord2f(c[2], c[3]);
    glVertex3f(c[0], c[1], z);
  }
  glEnd();
}

// A 2 x 2 texture of one colour, nearest-sampled.
GLuint SolidTexture(unsigned char r, unsigned char g, unsigned char b) {
  const unsigned char texels[12] = {r, g, b, r, g, b, r, g, b, r, g, b};
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  return texture;
}

const GLfloat Square[] = {-0.5f, -0.5f, 0, 0.5f, -0.5f, 0, 0.5f, 0.5f, 0, -0.5f, 0.5f, 0};
const GLfloat SquareTex[] = {0, 0, 1, 0, 1, 1, 0, 1};

bool QuadsColour() {
  glColor4f(1, 0.5f, 0, 1);
  Quad(-0.5f, -0.5f, 0.5f, 0.5f);
  return Is(64, 64, 255, 128, 0) && Is(4, 4, 0, 0, 0);
}

// The demo gives every quad texture coordinates, textured or not.
bool QuadsTexCoordsUntextured() {
  glColor4f(1, 0.5f, 0, 1);
  Quad(-0.5f, -0.5f, 0.5f, 0.5f, 0, TexCoords | Normals);
  return Is(64, 64, 255, 128, 0);
}

bool MatrixStack() {
  glPushMatrix();
  glTranslatef(0.5f, 0.5f, 0);
  glRotatef(45, 0, 0, 1);
  glScalef(0.2f, 0.2f, 1);
  glColor4f(0, 1, 0, 1);
  Quad(-1, -1, 1, 1);
  glPopMatrix();
  GLfloat m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  for (int i = 0; i < 16; ++i)
    if (m[i] != (i % 5 == 0 ? 1.0f : 0.0f)) {
      std::snprintf(Detail, sizeof Detail, "the modelview matrix is not the identity after the pop");
      return false;
    }
  return Is(96, 96, 0, 255, 0) && Is(64, 64, 0, 0, 0);
}

bool TextureModulate() {
  SolidTexture(0, 255, 255);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glEnable(GL_TEXTURE_2D);
  glColor4f(1, 0.5f, 1, 1);
  Quad(-0.5f, -0.5f, 0.5f, 0.5f, 0, TexCoords);
  return Is(64, 64, 0, 128, 255);
}

bool TextureClamp() {
  SolidTexture(255, 255, 255);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
  return true;
}

template <typename Index, GLenum Type>
bool ClientArrays() {
  const Index indices[6] = {0, 1, 2, 0, 2, 3};
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, Square);
  glColor4f(1, 0, 1, 1);
  glDrawElements(GL_TRIANGLES, 6, Type, indices);
  return Is(64, 64, 255, 0, 255) && Is(4, 4, 0, 0, 0);
}

bool ClientTexCoords() {
  SolidTexture(0, 255, 255);
  glEnable(GL_TEXTURE_2D);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, Square);
  glTexCoordPointer(2, GL_FLOAT, 0, SquareTex);
  const GLushort indices[6] = {0, 1, 2, 0, 2, 3};
  glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, indices);
  return Is(64, 64, 0, 255, 255);
}

bool BufferArrays() {
  GLuint buffer = 0;
  glGenBuffers(1, &buffer);
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  const GLfloat triangles[] = {-0.5f, -0.5f, 0, 0.5f, -0.5f, 0, 0.5f, 0.5f, 0,
                               -0.5f, -0.5f, 0, 0.5f, 0.5f,  0, -0.5f, 0.5f, 0};
  glBufferData(GL_ARRAY_BUFFER, sizeof triangles, triangles, GL_STATIC_DRAW);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, nullptr);
  glColor4f(0, 1, 1, 1);
  glDrawArrays(GL_TRIANGLES, 0, 6);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glDeleteBuffers(1, &buffer);
  return Is(64, 64, 0, 255, 255);
}

// One white directional light along the view axis onto a quad facing it.
void Light() {
  const GLfloat direction[] = {0, 0, 1, 0}, white[] = {1, 1, 1, 1}, black[] = {0, 0, 0, 1};
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glLightfv(GL_LIGHT0, GL_POSITION, direction);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
  glLightfv(GL_LIGHT0, GL_AMBIENT, black);
  glLightfv(GL_LIGHT0, GL_SPECULAR, black);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, black);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, black);
}

bool LightingDiffuse() {
  Light();
  const GLfloat red[] = {1, 0, 0, 1};
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, red);
  glColor4f(0, 0, 1, 1);  // not used while lighting is on
  Quad(-0.5f, -0.5f, 0.5f, 0.5f, 0, Normals);
  return Is(64, 64, 255, 0, 0, 8);
}

bool LightingColourMaterial() {
  Light();
  glEnable(GL_COLOR_MATERIAL);
  glColor4f(0, 1, 0, 1);
  Quad(-0.5f, -0.5f, 0.5f, 0.5f, 0, Normals);
  return Is(64, 64, 0, 255, 0, 8);
}

bool MaterialEmission() {
  Light();
  const GLfloat red[] = {1, 0, 0, 1}, blue[] = {0, 0, 0.5f, 1};
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, red);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, blue);
  Quad(-0.5f, -0.5f, 0.5f, 0.5f, 0, Normals);
  return Is(64, 64, 255, 0, 128, 8);
}

bool MaterialSpecular() {
  Light();
  const GLfloat red[] = {1, 0, 0, 1}, green[] = {0, 1, 0, 1}, white[] = {1, 1, 1, 1};
  glLightfv(GL_LIGHT0, GL_SPECULAR, white);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, red);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, green);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 1);
  Quad(-0.5f, -0.5f, 0.5f, 0.5f, 0, Normals);
  return Is(64, 64, 255, 255, 0, 8);
}

// Linear fog from 0 to 10 in front of the eye, the quad at 5: halfway
// between its colour and the fog's.
bool FogLinear() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-1, 1, -1, 1, 0, 10);
  glMatrixMode(GL_MODELVIEW);
  glTranslatef(0, 0, -5);
  const GLfloat white[] = {1, 1, 1, 1};
  glEnable(GL_FOG);
  glFogi(GL_FOG_MODE, GL_LINEAR);
  glFogf(GL_FOG_START, 0);
  glFogf(GL_FOG_END, 10);
  glFogfv(GL_FOG_COLOR, white);
  glColor4f(1, 0, 0, 1);
  Quad(-0.5f, -0.5f, 0.5f, 0.5f);
  return Is(64, 64, 255, 128, 128, 8);
}

bool TexGenSphereMap() {
  SolidTexture(0, 255, 255);
  glEnable(GL_TEXTURE_2D);
  glTexGenf(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glTexGenf(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glEnable(GL_TEXTURE_GEN_S);
  glEnable(GL_TEXTURE_GEN_T);
  Quad(-0.5f, -0.5f, 0.5f, 0.5f);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  return Is(64, 64, 0, 255, 255);
}

bool DisplayList() {
  const GLuint list = glGenLists(1);
  glNewList(list, GL_COMPILE);
  glColor4f(1, 1, 0, 1);
  Quad(-0.5f, -0.5f, 0.5f, 0.5f);
  glEndList();
  glClear(GL_COLOR_BUFFER_BIT);
  glCallList(list);
  glDeleteLists(list, 1);
  return Is(64, 64, 255, 255, 0);
}

bool PushAttrib() {
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glEnable(GL_DEPTH_TEST);
  glPopAttrib();
  if (glIsEnabled(GL_DEPTH_TEST)) {
    std::snprintf(Detail, sizeof Detail, "the depth test is still on after the pop");
    return false;
  }
  return true;
}

bool Bitmap() {
  const GLubyte bits[8] = {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff};
  glColor4f(1, 1, 1, 1);
  glRasterPos2f(0, 0);
  glBitmap(8, 8, 0, 0, 0, 0, bits);
  return Is(66, 66, 255, 255, 255);
}

bool ShadeModel() {
  glShadeModel(GL_FLAT);
  glShadeModel(GL_SMOOTH);
  return true;
}

bool DepthTest() {
  glClearDepth(1.0);
  glClear(GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glColor4f(1, 0, 0, 1);
  Quad(-0.5f, -0.5f, 0.5f, 0.5f, 0.5f);  // nearer
  glColor4f(0, 1, 0, 1);
  Quad(-0.5f, -0.5f, 0.5f, 0.5f, -0.5f);  // farther: hidden
  return Is(64, 64, 255, 0, 0);
}

bool BlendAlpha() {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(1, 1, 1, 0.5f);
  Quad(-0.5f, -0.5f, 0.5f, 0.5f);
  return Is(64, 64, 128, 128, 128, 6);
}

bool EnableNormalize() {
  glEnable(GL_NORMALIZE);
  glDisable(GL_NORMALIZE);
  return true;
}

bool PerspectiveHint() {
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  return true;
}

bool Extensions() {
  const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  if (extensions == nullptr) {
    std::snprintf(Detail, sizeof Detail, "no extension string");
    return false;
  }
  int count = *extensions != 0;
  for (const char* c = extensions; *c; ++c) count += *c == ' ' && c[1] != 0;
  std::printf("glemu: extensions: %d, %s\n", count, extensions);
  return true;
}

// A frame buffer of its own (colour and depth-stencil render buffers, as
// the demo's render textures have), drawn into and copied to the window's.
bool FramebufferBlit() {
  GLuint framebuffer = 0, colour = 0, depth = 0;
  glGenFramebuffers(1, &framebuffer);
  glGenRenderbuffers(1, &colour);
  glGenRenderbuffers(1, &depth);
  glBindRenderbuffer(GL_RENDERBUFFER, colour);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, Size, Size);
  glBindRenderbuffer(GL_RENDERBUFFER, depth);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, Size, Size);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth);
  const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
  if (status != GL_FRAMEBUFFER_COMPLETE) {
    std::snprintf(Detail, sizeof Detail, "the frame buffer is not complete: 0x%x", status);
    return false;
  }
  Fill(0, 0, Size, Size, 0, 0, 1);
  Fill(32, 32, 64, 64, 1, 1, 0);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glBlitFramebuffer(0, 0, Size, Size, 0, 0, Size, Size, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDeleteFramebuffers(1, &framebuffer);
  glDeleteRenderbuffers(1, &colour);
  glDeleteRenderbuffers(1, &depth);
  return Is(64, 64, 255, 255, 0) && Is(4, 4, 0, 0, 255);
}

// Reading a block of pixels into a wider image, as the capture does.
bool ReadPixelsRowLength() {
  Fill(0, 0, Size, Size, 0, 0, 1);
  unsigned char image[8 * 2 * 4];
  std::memset(image, 7, sizeof image);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ROW_LENGTH, 8);
  glReadPixels(0, 0, 2, 2, GL_RGBA, GL_UNSIGNED_BYTE, image);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  // Row 1 starts 8 pixels in; the pixels between the rows stay as they were.
  if (image[2] != 255 || image[8 * 4 + 2] != 255 || image[2 * 4] != 7) {
    std::snprintf(Detail, sizeof Detail, "rows at the wrong places: %d %d %d", image[2], image[8 * 4 + 2],
                  image[2 * 4]);
    return false;
  }
  return true;
}

// The capture's asynchronous read: into a pixel-pack buffer, then mapped.
bool MapPixelPackBuffer() {
  Fill(0, 0, Size, Size, 1, 0, 0);
  GLuint buffer = 0;
  glGenBuffers(1, &buffer);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
  glBufferData(GL_PIXEL_PACK_BUFFER, 16, nullptr, GL_STREAM_READ);
  glReadPixels(0, 0, 2, 2, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  const auto* mapped = static_cast<const unsigned char*>(glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY));
  const bool read = mapped != nullptr && mapped[0] == 255 && mapped[1] == 0;
  if (mapped != nullptr) glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  glDeleteBuffers(1, &buffer);
  if (!read) std::snprintf(Detail, sizeof Detail, "%s", mapped ? "wrong pixels" : "glMapBuffer gave nothing");
  return read;
}

// The same read with WebGL 2's way back from a buffer instead of a map.
bool GetBufferSubData() {
  Fill(0, 0, Size, Size, 1, 0, 0);
  GLuint buffer = 0;
  glGenBuffers(1, &buffer);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
  glBufferData(GL_PIXEL_PACK_BUFFER, 16, nullptr, GL_STREAM_READ);
  glReadPixels(0, 0, 2, 2, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  unsigned char pixels[16] = {};
  glGetBufferSubData(GL_PIXEL_PACK_BUFFER, 0, sizeof pixels, pixels);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  glDeleteBuffers(1, &buffer);
  if (pixels[0] != 255 || pixels[1] != 0 || pixels[12] != 255) {
    std::snprintf(Detail, sizeof Detail, "wrong pixels: %d,%d,%d", pixels[0], pixels[1], pixels[2]);
    return false;
  }
  return true;
}

// A copy of the frame into a texture, read back through a frame buffer
// that has the texture as its colour.
bool CopyTexSubImage() {
  Fill(0, 0, Size, Size, 1, 0, 1);
  const GLuint texture = SolidTexture(0, 0, 0);
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, 2, 2);
  GLuint framebuffer = 0;
  glGenFramebuffers(1, &framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  const bool right = Is(1, 1, 255, 0, 255);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDeleteFramebuffers(1, &framebuffer);
  glDeleteTextures(1, &texture);
  return right;
}

// The way an own fixed-function layer would draw the demo's indexed
// meshes: a shader of its own, attributes and 32-bit indices straight from
// the program's memory (FULL_ES2's client-side arrays).
bool ShaderClientArrays() {
  const char* vertex =
      "attribute vec3 position;\n"
      "void main() { gl_Position = vec4(position, 1.0); }\n";
  const char* fragment =
      "precision mediump float;\n"
      "void main() { gl_FragColor = vec4(1.0, 1.0, 0.0, 1.0); }\n";
  const GLuint program = glCreateProgram();
  for (const auto& [type, source] : {std::pair{GL_VERTEX_SHADER, vertex}, std::pair{GL_FRAGMENT_SHADER, fragment}}) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    glAttachShader(program, shader);
    glDeleteShader(shader);
  }
  glBindAttribLocation(program, 0, "position");
  glLinkProgram(program);
  glUseProgram(program);
  const GLuint indices[6] = {0, 1, 2, 0, 2, 3};
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, Square);
  glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, indices);
  glDisableVertexAttribArray(0);
  glUseProgram(0);
  glDeleteProgram(program);
  return Is(64, 64, 255, 255, 0) && Is(4, 4, 0, 0, 0);
}

struct Case {
  const char* name;
  bool (*run)();
};

const Case Cases[] = {
    {"glBegin GL_QUADS, glColor4f", QuadsColour},
    {"glBegin with glTexCoord2f and glNormal3f, texturing off", QuadsTexCoordsUntextured},
    {"matrix stack: glPushMatrix glTranslatef glRotatef glScalef", MatrixStack},
    {"texture, GL_MODULATE", TextureModulate},
    {"GL_CLAMP wrapping", TextureClamp},
    {"client arrays, glDrawElements GL_UNSIGNED_SHORT", ClientArrays<GLushort, GL_UNSIGNED_SHORT>},
    {"client arrays, glDrawElements GL_UNSIGNED_INT", ClientArrays<GLuint, GL_UNSIGNED_INT>},
    {"client arrays with texture coordinates", ClientTexCoords},
    {"vertex buffer, glDrawArrays", BufferArrays},
    {"own shader, client-side attribute and GL_UNSIGNED_INT index arrays", ShaderClientArrays},
    {"lighting: one light, diffuse material", LightingDiffuse},
    {"lighting: GL_COLOR_MATERIAL", LightingColourMaterial},
    {"lighting: GL_EMISSION", MaterialEmission},
    {"lighting: GL_SPECULAR, GL_SHININESS", MaterialSpecular},
    {"linear fog", FogLinear},
    {"glTexGenf GL_SPHERE_MAP", TexGenSphereMap},
    {"display list: glGenLists glNewList glCallList", DisplayList},
    {"glPushAttrib, glPopAttrib", PushAttrib},
    {"glRasterPos2f, glBitmap", Bitmap},
    {"glShadeModel", ShadeModel},
    {"glClearDepth, depth test GL_LEQUAL", DepthTest},
    {"blending GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA", BlendAlpha},
    {"glEnable GL_NORMALIZE", EnableNormalize},
    {"glHint GL_PERSPECTIVE_CORRECTION_HINT", PerspectiveHint},
    {"glGetString GL_EXTENSIONS", Extensions},
    {"frame buffer object, glBlitFramebuffer", FramebufferBlit},
    {"glReadPixels with GL_PACK_ROW_LENGTH", ReadPixelsRowLength},
    {"glMapBuffer of a GL_PIXEL_PACK_BUFFER", MapPixelPackBuffer},
    {"glGetBufferSubData of a GL_PIXEL_PACK_BUFFER", GetBufferSubData},
    {"glCopyTexSubImage2D", CopyTexSubImage},
};

}  // namespace

// One case, from JavaScript; 1 when it drew what it should.
extern "C" EMSCRIPTEN_KEEPALIVE int glemu_case(int index) {
  const Case& c = Cases[index];
  Detail[0] = 0;
  Reset();
  const bool right = c.run();
  const GLenum error = glGetError();
  if (error != GL_NO_ERROR)
    std::printf("glemu: %s: GL error 0x%x%s%s\n", c.name, error, Detail[0] ? "; " : "", Detail);
  else if (right)
    std::printf("glemu: %s: ok\n", c.name);
  else
    std::printf("glemu: %s: wrong (%s)\n", c.name, Detail);
  return right && error == GL_NO_ERROR;
}

int main() {
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::printf("SDL_Init: %s\nglemu: done\n", SDL_GetError());
    return 1;
  }
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, PROBE_ES_MAJOR);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_Window* window = SDL_CreateWindow("glemu", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, Size,
                                        Size, SDL_WINDOW_OPENGL);
  if (window == nullptr || SDL_GL_CreateContext(window) == nullptr) {
    std::printf("no context: %s\nglemu: done\n", SDL_GetError());
    return 1;
  }
  std::printf("glemu: context %s\n", reinterpret_cast<const char*>(glGetString(GL_VERSION)));
  int passed = 0;
  const int count = static_cast<int>(sizeof Cases / sizeof Cases[0]);
  for (int i = 0; i < count; ++i) {
    // The name is passed along so that a case that throws is still named.
    passed += EM_ASM_INT(
        {
          try {
            return Module["_glemu_case"]($0);
          } catch (e) {
            console.log("glemu: " + UTF8ToString($1) + ": threw: " + e);
            return 0;
          }
        },
        i, Cases[i].name);
  }
  std::printf("glemu: %d of %d cases ok\nglemu: done\n", passed, count);
  return 0;
}
