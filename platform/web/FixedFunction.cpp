// OpenGL 1.1's fixed-function pipeline, as far as Vemla draws with it, over
// WebGL 2: the matrix stacks, immediate mode and client arrays, one program
// that lights (up to eight lights and the material, or the colour as the
// material), generates sphere-map texture coordinates and modulates by the
// texture, blending and depth as WebGL has them, and the attribute stack.
// What WebGL lacks is made up here: quads become triangle pairs, GL_CLAMP is
// GL_CLAMP_TO_EDGE, mipmaps come from glGenerateMipmap. The frame buffer's
// alpha is kept at 1, as a frame buffer without alpha reads, so that copies
// into textures carry opaque pixels. Display lists are recorded and replayed;
// glBitmap, which WebGL cannot draw, draws nothing.
#include "platform/web/FixedFunction.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/web/GLAttribGroups.h"
#include "platform/web/GLMath.h"
#include "platform/web/GLPixels.h"
#include "platform/web/WebGL2.h"

namespace {
constexpr int MaxLights = 8;
constexpr int MaxStack = 32;

// Vertex attributes of the one program.
enum : GLuint { AttribPosition = 0, AttribColor = 1, AttribTexCoord = 2, AttribNormal = 3 };

struct TLight {
  bool Enabled = false;
  float Ambient[4] = {0, 0, 0, 1};
  float Diffuse[4] = {0, 0, 0, 1};
  float Position[4] = {0, 0, 1, 0};  // in eye space, as glLightfv left it
};

struct TMaterial {
  float Ambient[4] = {0.2f, 0.2f, 0.2f, 1};
  float Diffuse[4] = {0.8f, 0.8f, 0.8f, 1};
  float Specular[4] = {0, 0, 0, 1};
  float Emission[4] = {0, 0, 0, 1};
  float Shininess = 0;
};

// Everything glPushAttrib(GL_ALL_ATTRIB_BITS) saves.
struct TServerState {
  bool Lighting = false, Texturing = false, TexGenS = false, TexGenT = false, ColorMaterial = false;
  bool Normalize = false, Fog = false, Blend = false, DepthTest = false, Scissor = false, CullFace = false;
  float Color[4] = {1, 1, 1, 1};
  float TexCoord[2] = {0, 0};
  float Normal[3] = {0, 0, 1};
  GLenum BlendSource = GL_ONE, BlendDestination = GL_ZERO;
  GLenum DepthFunc = GL_LESS;
  bool DepthMask = true;
  float ClearColor[4] = {0, 0, 0, 0};
  float ClearDepth = 1;
  GLint Viewport[4] = {0, 0, 0, 0};
  GLint ScissorBox[4] = {0, 0, 0, 0};
  TLight Lights[MaxLights];
  TMaterial Material;
  GLenum MatrixMode = GL_MODELVIEW;
  GLuint Texture = 0;
  bool ColorMask[4] = {true, true, true, true};
  // Kept for glGet and the attribute stack (Dear ImGui's OpenGL 2 backend
  // saves and restores them); WebGL draws filled and smooth whatever they
  // say, and the program modulates by the texture.
  bool StencilTest = false;
  GLenum PolygonModes[2] = {GL_FILL, GL_FILL};
  GLenum ShadeModel = GL_SMOOTH;
  GLint TexEnvMode = GL_MODULATE;
};

struct TClientArray {
  bool Enabled = false;
  GLint Size = 4;
  GLenum Type = GL_FLOAT;
  GLsizei Stride = 0;
  const GLvoid* Pointer = nullptr;
  GLuint Buffer = 0;  // the array buffer bound when the pointer was set
};

// One vertex of immediate mode, as the program takes it.
struct TVertex {
  float Position[4];
  float Color[4];
  float TexCoord[2];
  float Normal[3];
};

struct TBitmapCall {
  GLfloat MoveX, MoveY;
};

struct TLocations {
  GLint Modelview, Projection, NormalMatrix, Lighting, Normalize, TexGen, Texturing, ColorMaterial, SceneAmbient;
  GLint MatAmbient, MatDiffuse, MatEmission, LightMask, LightPosition, LightAmbient, LightDiffuse, Sampler;
};

TServerState State;
std::vector<TServerState> AttribStack;
std::vector<GLbitfield> AttribMasks;  // the mask each entry of AttribStack was pushed with
std::vector<TMatrix4> Modelview(1, IdentityMatrix());
std::vector<TMatrix4> Projection(1, IdentityMatrix());
std::vector<TMatrix4> TextureMatrix(1, IdentityMatrix());
TClientArray VertexArray, NormalArray, ColorArray, TexCoordArray;
GLuint ArrayBuffer = 0, ElementBuffer = 0;
GLint UnpackAlignment = 4, PackAlignment = 4;
GLint UnpackRowLength = 0;  // WebGL 2 takes it as OpenGL does; kept for glGet
TPackParameters Pack;       // for RGB reads, which the layer lays out itself
GLenum LastError = GL_NO_ERROR;

bool Started = false;
GLuint Program = 0, VertexArrayObject = 0, StreamVertices = 0, StreamIndices = 0;
TLocations Uniform{};

bool InBegin = false;
GLenum BeginMode = GL_TRIANGLES;
std::vector<TVertex> Immediate;

GLuint NextList = 1;
GLuint RecordingList = 0;
GLuint ListBase = 0;
std::vector<std::vector<TBitmapCall>> Lists(1);

void SetError(GLenum error) {
  if (LastError == GL_NO_ERROR) LastError = error;
}

std::vector<TMatrix4>& CurrentStack() {
  if (State.MatrixMode == GL_PROJECTION) return Projection;
  if (State.MatrixMode == GL_TEXTURE) return TextureMatrix;
  return Modelview;
}

TMatrix4& CurrentMatrix() { return CurrentStack().back(); }

void MultiplyCurrent(const TMatrix4& m) { CurrentMatrix() = MultiplyMatrices(CurrentMatrix(), m); }

const char* const VertexShader = R"(#version 300 es
in vec4 aPosition;
in vec4 aColor;
in vec2 aTexCoord;
in vec3 aNormal;
uniform mat4 uModelview;
uniform mat4 uProjection;
uniform mat3 uNormalMatrix;
uniform bool uLighting;
uniform bool uNormalize;
uniform bool uTexGen;
uniform bool uColorMaterial;
uniform vec4 uSceneAmbient;
uniform vec4 uMatAmbient;
uniform vec4 uMatDiffuse;
uniform vec4 uMatEmission;
uniform int uLightMask;
uniform vec4 uLightPosition[8];
uniform vec4 uLightAmbient[8];
uniform vec4 uLightDiffuse[8];
out vec4 vColor;
out vec2 vTexCoord;
void main() {
  vec4 eye = uModelview * aPosition;
  gl_Position = uProjection * eye;
  // Normals are made unit length only where GL_NORMALIZE asks: a scaled
  // model's unnormalised normals change its lighting and its sphere map.
  vec3 n = uNormalMatrix * aNormal;
  float length2 = dot(n, n);
  if (uNormalize && length2 > 0.0) n *= inversesqrt(length2);
  vec4 colour = aColor;
  if (uLighting) {
    vec4 ambient = uColorMaterial ? aColor : uMatAmbient;
    vec4 diffuse = uColorMaterial ? aColor : uMatDiffuse;
    vec3 sum = uMatEmission.rgb + uSceneAmbient.rgb * ambient.rgb;
    for (int k = 0; k < 8; ++k) {
      if ((uLightMask & (1 << k)) == 0) continue;
      vec3 toLight = uLightPosition[k].w == 0.0 ? uLightPosition[k].xyz : uLightPosition[k].xyz - eye.xyz;
      float toLight2 = dot(toLight, toLight);
      vec3 l = toLight2 > 0.0 ? toLight * inversesqrt(toLight2) : toLight;
      sum += uLightAmbient[k].rgb * ambient.rgb + max(dot(n, l), 0.0) * uLightDiffuse[k].rgb * diffuse.rgb;
    }
    colour = vec4(sum, diffuse.a);
  }
  vColor = clamp(colour, 0.0, 1.0);
  vTexCoord = aTexCoord;
  if (uTexGen) {
    vec3 u = normalize(eye.xyz);
    vec3 r = u - 2.0 * n * dot(n, u);
    float m = 2.0 * sqrt(r.x * r.x + r.y * r.y + (r.z + 1.0) * (r.z + 1.0));
    vTexCoord = m > 0.0 ? r.xy / m + 0.5 : vec2(0.5);
  }
}
)";

const char* const FragmentShader = R"(#version 300 es
precision highp float;
in vec4 vColor;
in vec2 vTexCoord;
uniform bool uTexturing;
uniform sampler2D uTexture;
out vec4 fragColor;
void main() {
  vec4 colour = vColor;
  if (uTexturing) colour *= texture(uTexture, vTexCoord);
  fragColor = colour;
}
)";

GLuint Compile(GLenum type, const char* source, std::string& log) {
  const GLuint shader = emscripten_glCreateShader(type);
  emscripten_glShaderSource(shader, 1, &source, nullptr);
  emscripten_glCompileShader(shader);
  GLint ok = 0;
  emscripten_glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char text[1024] = {};
    emscripten_glGetShaderInfoLog(shader, sizeof text, nullptr, text);
    log += text;
  }
  return shader;
}

void LocateUniforms() {
  auto at = [](const char* name) { return emscripten_glGetUniformLocation(Program, name); };
  Uniform.Modelview = at("uModelview");
  Uniform.Projection = at("uProjection");
  Uniform.NormalMatrix = at("uNormalMatrix");
  Uniform.Lighting = at("uLighting");
  Uniform.Normalize = at("uNormalize");
  Uniform.TexGen = at("uTexGen");
  Uniform.Texturing = at("uTexturing");
  Uniform.ColorMaterial = at("uColorMaterial");
  Uniform.SceneAmbient = at("uSceneAmbient");
  Uniform.MatAmbient = at("uMatAmbient");
  Uniform.MatDiffuse = at("uMatDiffuse");
  Uniform.MatEmission = at("uMatEmission");
  Uniform.LightMask = at("uLightMask");
  Uniform.LightPosition = at("uLightPosition");
  Uniform.LightAmbient = at("uLightAmbient");
  Uniform.LightDiffuse = at("uLightDiffuse");
  Uniform.Sampler = at("uTexture");
}

// Makes the program and the streaming buffers on the first draw, once a
// context exists.
bool Start() {
  if (Started) return Program != 0;
  Started = true;
  std::string log;
  const GLuint vertex = Compile(GL_VERTEX_SHADER, VertexShader, log);
  const GLuint fragment = Compile(GL_FRAGMENT_SHADER, FragmentShader, log);
  Program = emscripten_glCreateProgram();
  emscripten_glAttachShader(Program, vertex);
  emscripten_glAttachShader(Program, fragment);
  emscripten_glBindAttribLocation(Program, AttribPosition, "aPosition");
  emscripten_glBindAttribLocation(Program, AttribColor, "aColor");
  emscripten_glBindAttribLocation(Program, AttribTexCoord, "aTexCoord");
  emscripten_glBindAttribLocation(Program, AttribNormal, "aNormal");
  emscripten_glLinkProgram(Program);
  GLint linked = 0;
  emscripten_glGetProgramiv(Program, GL_LINK_STATUS, &linked);
  if (!linked) {
    char text[1024] = {};
    emscripten_glGetProgramInfoLog(Program, sizeof text, nullptr, text);
    FixedFunctionFailure = log + text;
    Program = 0;
    return false;
  }
  emscripten_glUseProgram(Program);
  LocateUniforms();
  emscripten_glUniform1i(Uniform.Sampler, 0);
  emscripten_glGenVertexArrays(1, &VertexArrayObject);
  emscripten_glBindVertexArray(VertexArrayObject);
  emscripten_glGenBuffers(1, &StreamVertices);
  emscripten_glGenBuffers(1, &StreamIndices);
  // Draws never write the frame buffer's alpha, which clears keep at 1.
  emscripten_glColorMask(1, 1, 1, 0);
  return true;
}

// The uniforms for the state as it is now.
void ApplyState() {
  emscripten_glUseProgram(Program);
  emscripten_glUniformMatrix4fv(Uniform.Modelview, 1, 0, Modelview.back().m);
  emscripten_glUniformMatrix4fv(Uniform.Projection, 1, 0, Projection.back().m);
  float normal[9];
  NormalMatrix(Modelview.back(), normal);
  emscripten_glUniformMatrix3fv(Uniform.NormalMatrix, 1, 0, normal);
  emscripten_glUniform1i(Uniform.Lighting, State.Lighting);
  emscripten_glUniform1i(Uniform.Normalize, State.Normalize);
  emscripten_glUniform1i(Uniform.TexGen, State.TexGenS && State.TexGenT);
  emscripten_glUniform1i(Uniform.Texturing, State.Texturing && State.Texture != 0);
  emscripten_glUniform1i(Uniform.ColorMaterial, State.ColorMaterial);
  const float sceneAmbient[4] = {0.2f, 0.2f, 0.2f, 1};
  emscripten_glUniform4fv(Uniform.SceneAmbient, 1, sceneAmbient);
  emscripten_glUniform4fv(Uniform.MatAmbient, 1, State.Material.Ambient);
  emscripten_glUniform4fv(Uniform.MatDiffuse, 1, State.Material.Diffuse);
  emscripten_glUniform4fv(Uniform.MatEmission, 1, State.Material.Emission);
  GLint mask = 0;
  float position[MaxLights * 4], ambient[MaxLights * 4], diffuse[MaxLights * 4];
  for (int k = 0; k < MaxLights; ++k) {
    if (State.Lights[k].Enabled) mask |= 1 << k;
    std::memcpy(&position[k * 4], State.Lights[k].Position, sizeof(float) * 4);
    std::memcpy(&ambient[k * 4], State.Lights[k].Ambient, sizeof(float) * 4);
    std::memcpy(&diffuse[k * 4], State.Lights[k].Diffuse, sizeof(float) * 4);
  }
  emscripten_glUniform1i(Uniform.LightMask, mask);
  emscripten_glUniform4fv(Uniform.LightPosition, MaxLights, position);
  emscripten_glUniform4fv(Uniform.LightAmbient, MaxLights, ambient);
  emscripten_glUniform4fv(Uniform.LightDiffuse, MaxLights, diffuse);
}

size_t TypeSize(GLenum type) {
  switch (type) {
    case GL_UNSIGNED_BYTE: case GL_BYTE: return 1;
    case GL_UNSIGNED_SHORT: case GL_SHORT: return 2;
    default: return 4;
  }
}

// Draws count indices of the type, held in memory, through the streaming
// index buffer.
void DrawStreamedIndices(GLenum mode, GLsizei count, GLenum type, const void* indices) {
  emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, StreamIndices);
  emscripten_glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(count * TypeSize(type)), indices,
                          GL_STREAM_DRAW);
  emscripten_glDrawElements(mode, count, type, nullptr);
  emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ElementBuffer);
}

// Draws the vertices first to first + count - 1 of the bound attributes;
// quads, which WebGL lacks, as two triangles each: 0 1 2, 0 2 3.
void DrawVertexRange(GLenum mode, GLint first, GLsizei count) {
  if (mode != GL_QUADS) {
    emscripten_glDrawArrays(mode, first, count);
    return;
  }
  std::vector<GLuint> indices;
  for (GLsizei q = 0; q + 3 < count; q += 4)
    for (GLsizei k : {0, 1, 2, 0, 2, 3}) indices.push_back(static_cast<GLuint>(first + q + k));
  DrawStreamedIndices(GL_TRIANGLES, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT, indices.data());
}

void DrawImmediate() {
  if (Immediate.empty() || !Start()) return;
  ApplyState();
  emscripten_glBindVertexArray(VertexArrayObject);
  emscripten_glBindBuffer(GL_ARRAY_BUFFER, StreamVertices);
  emscripten_glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(Immediate.size() * sizeof(TVertex)),
                          Immediate.data(), GL_STREAM_DRAW);
  const GLsizei stride = sizeof(TVertex);
  emscripten_glEnableVertexAttribArray(AttribPosition);
  emscripten_glVertexAttribPointer(AttribPosition, 4, GL_FLOAT, 0, stride,
                                   reinterpret_cast<const void*>(offsetof(TVertex, Position)));
  emscripten_glEnableVertexAttribArray(AttribColor);
  emscripten_glVertexAttribPointer(AttribColor, 4, GL_FLOAT, 0, stride,
                                   reinterpret_cast<const void*>(offsetof(TVertex, Color)));
  emscripten_glEnableVertexAttribArray(AttribTexCoord);
  emscripten_glVertexAttribPointer(AttribTexCoord, 2, GL_FLOAT, 0, stride,
                                   reinterpret_cast<const void*>(offsetof(TVertex, TexCoord)));
  emscripten_glEnableVertexAttribArray(AttribNormal);
  emscripten_glVertexAttribPointer(AttribNormal, 3, GL_FLOAT, 0, stride,
                                   reinterpret_cast<const void*>(offsetof(TVertex, Normal)));
  DrawVertexRange(BeginMode, 0, static_cast<GLsizei>(Immediate.size()));
  emscripten_glBindBuffer(GL_ARRAY_BUFFER, ArrayBuffer);
}


// Points attribute `index` at a client array, copied from client memory
// into the streaming buffer at `offset` when no buffer object holds it, or
// sets the current value when the array is off.
void BindClientArray(GLuint index, const TClientArray& array, GLint vertices, std::vector<uint8_t>& staging,
                     GLint normalSize, const float* current) {
  if (!array.Enabled) {
    emscripten_glDisableVertexAttribArray(index);
    if (index == AttribColor) emscripten_glVertexAttrib4f(index, current[0], current[1], current[2], current[3]);
    else if (index == AttribTexCoord) emscripten_glVertexAttrib2f(index, current[0], current[1]);
    else if (index == AttribNormal) emscripten_glVertexAttrib3f(index, current[0], current[1], current[2]);
    return;
  }
  const GLint size = normalSize > 0 ? normalSize : array.Size;
  const size_t element = static_cast<size_t>(size) * TypeSize(array.Type);
  const size_t stride = array.Stride > 0 ? static_cast<size_t>(array.Stride) : element;
  emscripten_glEnableVertexAttribArray(index);
  if (array.Buffer != 0) {
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, array.Buffer);
    emscripten_glVertexAttribPointer(index, size, array.Type, array.Type != GL_FLOAT, static_cast<GLsizei>(stride),
                                     array.Pointer);
    return;
  }
  // Tightly packed copies of the first `vertices` elements, one after another.
  const size_t offset = staging.size();
  staging.resize(offset + element * static_cast<size_t>(vertices));
  const auto* source = static_cast<const uint8_t*>(array.Pointer);
  for (GLint v = 0; v < vertices && source != nullptr; ++v)
    std::memcpy(&staging[offset + element * static_cast<size_t>(v)], source + stride * static_cast<size_t>(v), element);
  emscripten_glBindBuffer(GL_ARRAY_BUFFER, StreamVertices);
  emscripten_glVertexAttribPointer(index, size, array.Type, array.Type != GL_FLOAT, static_cast<GLsizei>(element),
                                   reinterpret_cast<const void*>(offset));
}

// Sets up the attributes for a draw from the client arrays that touches
// vertices 0 to vertices - 1: arrays in buffer objects are pointed at
// there, arrays in client memory are gathered into the streaming buffer.
void BindClientArrays(GLint vertices) {
  ApplyState();
  emscripten_glBindVertexArray(VertexArrayObject);
  std::vector<uint8_t> gathered;
  const float none[4] = {0, 0, 0, 1};
  BindClientArray(AttribPosition, VertexArray, vertices, gathered, 0, none);
  BindClientArray(AttribColor, ColorArray, vertices, gathered, 0, State.Color);
  BindClientArray(AttribTexCoord, TexCoordArray, vertices, gathered, 0, State.TexCoord);
  BindClientArray(AttribNormal, NormalArray, vertices, gathered, 3, State.Normal);
  if (!gathered.empty()) {
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, StreamVertices);
    emscripten_glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(gathered.size()), gathered.data(),
                            GL_STREAM_DRAW);
  }
  emscripten_glBindBuffer(GL_ARRAY_BUFFER, ArrayBuffer);
}

// Sets WebGL's capability the way the layer's state has it.
void Capability(GLenum cap, bool on) { on ? emscripten_glEnable(cap) : emscripten_glDisable(cap); }

// Hands WebGL everything it keeps itself from a restored state.
void RestoreServerState() {
  Capability(GL_BLEND, State.Blend);
  Capability(GL_DEPTH_TEST, State.DepthTest);
  Capability(GL_SCISSOR_TEST, State.Scissor);
  Capability(GL_CULL_FACE, State.CullFace);
  Capability(GL_STENCIL_TEST, State.StencilTest);
  emscripten_glBlendFunc(State.BlendSource, State.BlendDestination);
  emscripten_glDepthFunc(State.DepthFunc);
  emscripten_glDepthMask(State.DepthMask);
  emscripten_glViewport(State.Viewport[0], State.Viewport[1], State.Viewport[2], State.Viewport[3]);
  emscripten_glScissor(State.ScissorBox[0], State.ScissorBox[1], State.ScissorBox[2], State.ScissorBox[3]);
  emscripten_glBindTexture(GL_TEXTURE_2D, State.Texture);
  emscripten_glColorMask(State.ColorMask[0], State.ColorMask[1], State.ColorMask[2], 0);
}

bool* EnableFlag(GLenum cap) {
  switch (cap) {
    case GL_LIGHTING: return &State.Lighting;
    case GL_TEXTURE_2D: return &State.Texturing;
    case GL_TEXTURE_GEN_S: return &State.TexGenS;
    case GL_TEXTURE_GEN_T: return &State.TexGenT;
    case GL_COLOR_MATERIAL: return &State.ColorMaterial;
    case GL_NORMALIZE: return &State.Normalize;
    case GL_FOG: return &State.Fog;
    case GL_BLEND: return &State.Blend;
    case GL_DEPTH_TEST: return &State.DepthTest;
    case GL_SCISSOR_TEST: return &State.Scissor;
    case GL_CULL_FACE: return &State.CullFace;
    case GL_STENCIL_TEST: return &State.StencilTest;
    default:
      if (cap >= GL_LIGHT0 && cap <= GL_LIGHT7) return &State.Lights[cap - GL_LIGHT0].Enabled;
      return nullptr;
  }
}

bool PassedOn(GLenum cap) {
  if (cap == GL_STENCIL_TEST) return true;
  return cap == GL_BLEND || cap == GL_DEPTH_TEST || cap == GL_SCISSOR_TEST || cap == GL_CULL_FACE;
}

void SetEnabled(GLenum cap, bool on) {
  bool* flag = EnableFlag(cap);
  if (flag == nullptr) {
    SetError(GL_INVALID_ENUM);
    return;
  }
  *flag = on;
  if (PassedOn(cap)) Capability(cap, on);
}

GLint ToWebFormat(GLint internalFormat) {
  if (internalFormat == 3 || internalFormat == GL_RGB8) return GL_RGB;
  if (internalFormat == 4 || internalFormat == GL_RGBA8) return GL_RGBA;
  return internalFormat;
}

// After glPopAttrib has put back the whole state pushed, what the push's
// mask did not save is taken again from the state before the pop.
void KeepUnpushed(const TServerState& before, GLbitfield mask) {
  const auto keep = [mask](TAttribItem item, const auto& take) {
    if (!AttribMaskSaves(mask, item)) take();
  };
  const auto copy = [](const auto& from, auto& to) { std::copy(std::begin(from), std::end(from), std::begin(to)); };
  TServerState& s = State;
  keep(TAttribItem::CurrentColor, [&] { copy(before.Color, s.Color); });
  keep(TAttribItem::CurrentNormal, [&] { copy(before.Normal, s.Normal); });
  keep(TAttribItem::CurrentTexCoord, [&] { copy(before.TexCoord, s.TexCoord); });
  keep(TAttribItem::Lighting, [&] { s.Lighting = before.Lighting; });
  for (int k = 0; k < MaxLights; ++k) {
    keep(TAttribItem::LightEnables, [&] { s.Lights[k].Enabled = before.Lights[k].Enabled; });
    keep(TAttribItem::Lights, [&] {
      copy(before.Lights[k].Ambient, s.Lights[k].Ambient);
      copy(before.Lights[k].Diffuse, s.Lights[k].Diffuse);
      copy(before.Lights[k].Position, s.Lights[k].Position);
    });
  }
  keep(TAttribItem::Material, [&] { s.Material = before.Material; });
  keep(TAttribItem::ColorMaterial, [&] { s.ColorMaterial = before.ColorMaterial; });
  keep(TAttribItem::ShadeModel, [&] { s.ShadeModel = before.ShadeModel; });
  keep(TAttribItem::Normalize, [&] { s.Normalize = before.Normalize; });
  keep(TAttribItem::MatrixMode, [&] { s.MatrixMode = before.MatrixMode; });
  keep(TAttribItem::Fog, [&] { s.Fog = before.Fog; });
  keep(TAttribItem::Blend, [&] { s.Blend = before.Blend; });
  keep(TAttribItem::BlendFunc, [&] {
    s.BlendSource = before.BlendSource;
    s.BlendDestination = before.BlendDestination;
  });
  keep(TAttribItem::ColorMask, [&] { copy(before.ColorMask, s.ColorMask); });
  keep(TAttribItem::ClearColor, [&] { copy(before.ClearColor, s.ClearColor); });
  keep(TAttribItem::DepthTest, [&] { s.DepthTest = before.DepthTest; });
  keep(TAttribItem::DepthFunc, [&] { s.DepthFunc = before.DepthFunc; });
  keep(TAttribItem::DepthMask, [&] { s.DepthMask = before.DepthMask; });
  keep(TAttribItem::ClearDepth, [&] { s.ClearDepth = before.ClearDepth; });
  keep(TAttribItem::StencilTest, [&] { s.StencilTest = before.StencilTest; });
  keep(TAttribItem::Viewport, [&] { copy(before.Viewport, s.Viewport); });
  keep(TAttribItem::Scissor, [&] { s.Scissor = before.Scissor; });
  keep(TAttribItem::ScissorBox, [&] { copy(before.ScissorBox, s.ScissorBox); });
  keep(TAttribItem::CullFace, [&] { s.CullFace = before.CullFace; });
  keep(TAttribItem::PolygonMode, [&] { copy(before.PolygonModes, s.PolygonModes); });
  keep(TAttribItem::Texture2D, [&] { s.Texturing = before.Texturing; });
  keep(TAttribItem::TexGen, [&] {
    s.TexGenS = before.TexGenS;
    s.TexGenT = before.TexGenT;
  });
  keep(TAttribItem::TextureBinding, [&] { s.Texture = before.Texture; });
  keep(TAttribItem::TexEnvMode, [&] { s.TexEnvMode = before.TexEnvMode; });
}

// Client indices that reach only a stretch of the client arrays far from
// their first vertex (Dear ImGui's draw lists, each command a stretch of
// one large vertex buffer) are drawn from that stretch alone: the arrays
// are pointed at its first vertex while it is gathered, and the indices
// made relative to it. False, and nothing drawn, where an array lies in a
// buffer object or the stretch starts at the first vertex.
bool DrawIndexedStretch(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices, GLint largest) {
  TClientArray* const arrays[] = {&VertexArray, &NormalArray, &ColorArray, &TexCoordArray};
  for (const TClientArray* array : arrays)
    if (array->Enabled && array->Buffer != 0) return false;
  const size_t size = TypeSize(type);
  std::vector<GLuint> relative(static_cast<size_t>(count));
  GLuint smallest = static_cast<GLuint>(largest);
  for (GLsizei k = 0; k < count; ++k) {
    GLuint index = 0;
    std::memcpy(&index, static_cast<const uint8_t*>(indices) + k * size, size);
    relative[static_cast<size_t>(k)] = index;
    smallest = std::min(smallest, index);
  }
  if (smallest == 0) return false;
  for (GLuint& index : relative) index -= smallest;
  const GLvoid* pointers[4];
  for (int a = 0; a < 4; ++a) {
    TClientArray& array = *arrays[a];
    pointers[a] = array.Pointer;
    const size_t stride =
        array.Stride > 0 ? static_cast<size_t>(array.Stride) : static_cast<size_t>(array.Size) * TypeSize(array.Type);
    if (array.Enabled) array.Pointer = static_cast<const uint8_t*>(array.Pointer) + stride * smallest;
  }
  BindClientArrays(largest - static_cast<GLint>(smallest) + 1);
  for (int a = 0; a < 4; ++a) arrays[a]->Pointer = pointers[a];
  DrawStreamedIndices(mode, count, GL_UNSIGNED_INT, relative.data());
  return true;
}

void PushVertex(float x, float y, float z) {
  TVertex v;
  v.Position[0] = x, v.Position[1] = y, v.Position[2] = z, v.Position[3] = 1;
  std::memcpy(v.Color, State.Color, sizeof v.Color);
  std::memcpy(v.TexCoord, State.TexCoord, sizeof v.TexCoord);
  std::memcpy(v.Normal, State.Normal, sizeof v.Normal);
  Immediate.push_back(v);
}
}  // namespace

std::string FixedFunctionFailure;

extern "C" {

void glEnable(GLenum cap) { SetEnabled(cap, true); }
void glDisable(GLenum cap) { SetEnabled(cap, false); }

GLboolean glIsEnabled(GLenum cap) {
  const bool* flag = EnableFlag(cap);
  return flag != nullptr && *flag;
}

GLenum glGetError(void) {
  const GLenum own = LastError;
  LastError = GL_NO_ERROR;
  const GLenum web = emscripten_glGetError();
  return own != GL_NO_ERROR ? own : web;
}

const GLubyte* glGetString(GLenum name) {
  switch (name) {
    case GL_VENDOR: return reinterpret_cast<const GLubyte*>("Vemla");
    case GL_RENDERER: return reinterpret_cast<const GLubyte*>("fixed-function layer over WebGL 2");
    // Frame-buffer objects are there, as in OpenGL 3.0.
    case GL_VERSION: return reinterpret_cast<const GLubyte*>("3.0 WebGL 2");
    case GL_EXTENSIONS: return reinterpret_cast<const GLubyte*>("");
    default: SetError(GL_INVALID_ENUM); return nullptr;
  }
}

void glGetFloatv(GLenum name, GLfloat* values) {
  switch (name) {
    case GL_MODELVIEW_MATRIX: std::memcpy(values, Modelview.back().m, sizeof(float) * 16); break;
    case GL_PROJECTION_MATRIX: std::memcpy(values, Projection.back().m, sizeof(float) * 16); break;
    case GL_COLOR_CLEAR_VALUE: std::memcpy(values, State.ClearColor, sizeof(float) * 4); break;
    case GL_CURRENT_COLOR: std::memcpy(values, State.Color, sizeof(float) * 4); break;
    default: SetError(GL_INVALID_ENUM);
  }
}

void glGetIntegerv(GLenum name, GLint* values) {
  switch (name) {
    case GL_UNPACK_ALIGNMENT: *values = UnpackAlignment; break;
    case GL_PACK_ALIGNMENT: *values = PackAlignment; break;
    case GL_VIEWPORT: std::memcpy(values, State.Viewport, sizeof(GLint) * 4); break;
    case GL_MAX_TEXTURE_SIZE: *values = 4096; break;
    case GL_TEXTURE_BINDING_2D: *values = static_cast<GLint>(State.Texture); break;
    case GL_SCISSOR_BOX: std::memcpy(values, State.ScissorBox, sizeof(GLint) * 4); break;
    case GL_POLYGON_MODE:
      values[0] = static_cast<GLint>(State.PolygonModes[0]);
      values[1] = static_cast<GLint>(State.PolygonModes[1]);
      break;
    case GL_SHADE_MODEL: *values = static_cast<GLint>(State.ShadeModel); break;
    case GL_MATRIX_MODE: *values = static_cast<GLint>(State.MatrixMode); break;
    case GL_UNPACK_ROW_LENGTH: *values = UnpackRowLength; break;
    default: SetError(GL_INVALID_ENUM);
  }
}

void glHint(GLenum, GLenum) {}
void glShadeModel(GLenum mode) {
  if (mode != GL_FLAT && mode != GL_SMOOTH) {
    SetError(GL_INVALID_ENUM);
    return;
  }
  State.ShadeModel = mode;
}

void glPolygonMode(GLenum face, GLenum mode) {
  if ((face != GL_FRONT && face != GL_BACK && face != GL_FRONT_AND_BACK) ||
      (mode != GL_POINT && mode != GL_LINE && mode != GL_FILL)) {
    SetError(GL_INVALID_ENUM);
    return;
  }
  if (face != GL_BACK) State.PolygonModes[0] = mode;
  if (face != GL_FRONT) State.PolygonModes[1] = mode;
}
void glFlush(void) { emscripten_glFlush(); }
void glFinish(void) { emscripten_glFinish(); }

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
  State.Viewport[0] = x, State.Viewport[1] = y, State.Viewport[2] = width, State.Viewport[3] = height;
  emscripten_glViewport(x, y, width, height);
}

void glScissor(GLint x, GLint y, GLsizei width, GLsizei height) {
  State.ScissorBox[0] = x, State.ScissorBox[1] = y, State.ScissorBox[2] = width, State.ScissorBox[3] = height;
  emscripten_glScissor(x, y, width, height);
}

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
  State.ClearColor[0] = red, State.ClearColor[1] = green, State.ClearColor[2] = blue, State.ClearColor[3] = alpha;
}

void glClearDepth(GLclampd depth) { State.ClearDepth = static_cast<float>(depth); }

void glClear(GLbitfield mask) {
  Start();
  // Alpha is cleared to 1, whatever the clear colour's alpha.
  emscripten_glColorMask(State.ColorMask[0], State.ColorMask[1], State.ColorMask[2], 1);
  emscripten_glClearColor(State.ClearColor[0], State.ClearColor[1], State.ClearColor[2], 1);
  emscripten_glClearDepthf(State.ClearDepth);
  emscripten_glClear(mask);
  emscripten_glColorMask(State.ColorMask[0], State.ColorMask[1], State.ColorMask[2], 0);
}

void glDepthFunc(GLenum func) {
  State.DepthFunc = func;
  emscripten_glDepthFunc(func);
}

void glDepthMask(GLboolean flag) {
  State.DepthMask = flag != 0;
  emscripten_glDepthMask(flag);
}

void glBlendFunc(GLenum source, GLenum destination) {
  State.BlendSource = source, State.BlendDestination = destination;
  emscripten_glBlendFunc(source, destination);
}

void glColorMask(GLboolean red, GLboolean green, GLboolean blue, GLboolean alpha) {
  State.ColorMask[0] = red != 0, State.ColorMask[1] = green != 0, State.ColorMask[2] = blue != 0;
  State.ColorMask[3] = alpha != 0;
  emscripten_glColorMask(red, green, blue, 0);
}

void glMatrixMode(GLenum mode) {
  if (mode != GL_MODELVIEW && mode != GL_PROJECTION && mode != GL_TEXTURE) {
    SetError(GL_INVALID_ENUM);
    return;
  }
  State.MatrixMode = mode;
}

void glLoadIdentity(void) { CurrentMatrix() = IdentityMatrix(); }

void glLoadMatrixf(const GLfloat* m) { std::memcpy(CurrentMatrix().m, m, sizeof(float) * 16); }

void glMultMatrixf(const GLfloat* m) {
  TMatrix4 factor;
  std::memcpy(factor.m, m, sizeof(float) * 16);
  MultiplyCurrent(factor);
}

void glPushMatrix(void) {
  std::vector<TMatrix4>& stack = CurrentStack();
  if (stack.size() >= MaxStack) {
    SetError(0x0503);  // GL_STACK_OVERFLOW
    return;
  }
  stack.push_back(stack.back());
}

void glPopMatrix(void) {
  std::vector<TMatrix4>& stack = CurrentStack();
  if (stack.size() <= 1) {
    SetError(0x0504);  // GL_STACK_UNDERFLOW
    return;
  }
  stack.pop_back();
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) { MultiplyCurrent(TranslationMatrix(x, y, z)); }
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) { MultiplyCurrent(RotationMatrix(angle, x, y, z)); }
void glScalef(GLfloat x, GLfloat y, GLfloat z) { MultiplyCurrent(ScaleMatrix(x, y, z)); }

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar) {
  MultiplyCurrent(OrthoMatrix(left, right, bottom, top, zNear, zFar));
}

void glBegin(GLenum mode) {
  InBegin = true;
  BeginMode = mode;
  Immediate.clear();
}

void glEnd(void) {
  if (!InBegin) {
    SetError(GL_INVALID_OPERATION);
    return;
  }
  InBegin = false;
  DrawImmediate();
  Immediate.clear();
}

void glVertex2f(GLfloat x, GLfloat y) { PushVertex(x, y, 0); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { PushVertex(x, y, z); }
void glVertex3fv(const GLfloat* v) { PushVertex(v[0], v[1], v[2]); }

void glColor3f(GLfloat red, GLfloat green, GLfloat blue) { glColor4f(red, green, blue, 1); }

void glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {
  State.Color[0] = red, State.Color[1] = green, State.Color[2] = blue, State.Color[3] = alpha;
}

void glColor4fv(const GLfloat* v) { glColor4f(v[0], v[1], v[2], v[3]); }
void glTexCoord2f(GLfloat s, GLfloat t) { State.TexCoord[0] = s, State.TexCoord[1] = t; }
void glNormal3f(GLfloat x, GLfloat y, GLfloat z) { State.Normal[0] = x, State.Normal[1] = y, State.Normal[2] = z; }
void glNormal3fv(const GLfloat* v) { glNormal3f(v[0], v[1], v[2]); }

namespace {
TClientArray* ClientArray(GLenum array) {
  switch (array) {
    case GL_VERTEX_ARRAY: return &VertexArray;
    case GL_NORMAL_ARRAY: return &NormalArray;
    case GL_COLOR_ARRAY: return &ColorArray;
    case GL_TEXTURE_COORD_ARRAY: return &TexCoordArray;
    default: return nullptr;
  }
}

void SetPointer(TClientArray& array, GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
  array.Size = size, array.Type = type, array.Stride = stride, array.Pointer = pointer, array.Buffer = ArrayBuffer;
}
}  // namespace

void glEnableClientState(GLenum array) {
  if (TClientArray* a = ClientArray(array)) a->Enabled = true;
  else SetError(GL_INVALID_ENUM);
}

void glDisableClientState(GLenum array) {
  if (TClientArray* a = ClientArray(array)) a->Enabled = false;
  else SetError(GL_INVALID_ENUM);
}

void glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
  SetPointer(VertexArray, size, type, stride, pointer);
}
void glNormalPointer(GLenum type, GLsizei stride, const GLvoid* pointer) {
  SetPointer(NormalArray, 3, type, stride, pointer);
}
void glColorPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
  SetPointer(ColorArray, size, type, stride, pointer);
}
void glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
  SetPointer(TexCoordArray, size, type, stride, pointer);
}

void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
  if (count <= 0 || first < 0 || !VertexArray.Enabled || !Start()) return;
  BindClientArrays(first + count);
  DrawVertexRange(mode, first, count);
}

void glDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices) {
  if (count <= 0 || !VertexArray.Enabled || mode == GL_QUADS || !Start()) return;
  if (ElementBuffer != 0) {
    // The indices lie in a buffer object: the vertices they reach must too.
    BindClientArrays(0);
    emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ElementBuffer);
    emscripten_glDrawElements(mode, count, type, indices);
    return;
  }
  // Client indices: the vertices up to the largest index are gathered.
  GLint largest = 0;
  const size_t size = TypeSize(type);
  for (GLsizei k = 0; k < count; ++k) {
    GLuint index = 0;
    std::memcpy(&index, static_cast<const uint8_t*>(indices) + k * size, size);
    largest = std::max(largest, static_cast<GLint>(index));
  }
  if (DrawIndexedStretch(mode, count, type, indices, largest)) return;
  BindClientArrays(largest + 1);
  DrawStreamedIndices(mode, count, type, indices);
}

void glLightfv(GLenum light, GLenum name, const GLfloat* values) {
  if (light < GL_LIGHT0 || light > GL_LIGHT7) {
    SetError(GL_INVALID_ENUM);
    return;
  }
  TLight& l = State.Lights[light - GL_LIGHT0];
  switch (name) {
    case GL_AMBIENT: std::memcpy(l.Ambient, values, sizeof(float) * 4); break;
    case GL_DIFFUSE: std::memcpy(l.Diffuse, values, sizeof(float) * 4); break;
    case GL_SPECULAR: break;
    case GL_POSITION: {
      // Positions are kept in eye space, as the modelview matrix is now.
      float p[4];
      TransformPoint(Modelview.back(), values, p);
      std::memcpy(l.Position, p, sizeof p);
      break;
    }
    default: SetError(GL_INVALID_ENUM);
  }
}

void glMaterialf(GLenum, GLenum name, GLfloat value) {
  if (name == GL_SHININESS) State.Material.Shininess = value;
  else SetError(GL_INVALID_ENUM);
}

void glMaterialfv(GLenum, GLenum name, const GLfloat* values) {
  TMaterial& m = State.Material;
  switch (name) {
    case GL_AMBIENT: std::memcpy(m.Ambient, values, sizeof(float) * 4); break;
    case GL_DIFFUSE: std::memcpy(m.Diffuse, values, sizeof(float) * 4); break;
    case GL_AMBIENT_AND_DIFFUSE:
      std::memcpy(m.Ambient, values, sizeof(float) * 4);
      std::memcpy(m.Diffuse, values, sizeof(float) * 4);
      break;
    case GL_SPECULAR: std::memcpy(m.Specular, values, sizeof(float) * 4); break;
    case GL_EMISSION: std::memcpy(m.Emission, values, sizeof(float) * 4); break;
    case GL_SHININESS: m.Shininess = values[0]; break;
    default: SetError(GL_INVALID_ENUM);
  }
}

void glColorMaterial(GLenum, GLenum) {}
void glTexGeni(GLenum, GLenum, GLint) {}
void glTexGenf(GLenum, GLenum, GLfloat) {}
void glTexEnvi(GLenum target, GLenum name, GLint value) {
  if (target == GL_TEXTURE_ENV && name == GL_TEXTURE_ENV_MODE) State.TexEnvMode = value;
}
void glTexEnvf(GLenum target, GLenum name, GLfloat value) { glTexEnvi(target, name, static_cast<GLint>(value)); }

void glGetTexEnviv(GLenum target, GLenum name, GLint* values) {
  if (target != GL_TEXTURE_ENV || name != GL_TEXTURE_ENV_MODE) {
    SetError(GL_INVALID_ENUM);
    return;
  }
  *values = State.TexEnvMode;
}

void glGenTextures(GLsizei n, GLuint* textures) { emscripten_glGenTextures(n, textures); }

void glDeleteTextures(GLsizei n, const GLuint* textures) {
  for (GLsizei k = 0; k < n; ++k)
    if (textures[k] == State.Texture) State.Texture = 0;
  emscripten_glDeleteTextures(n, textures);
}

void glBindTexture(GLenum target, GLuint texture) {
  State.Texture = texture;
  emscripten_glBindTexture(target, texture);
}

void glTexParameteri(GLenum target, GLenum name, GLint value) {
  if (value == GL_CLAMP) value = GL_CLAMP_TO_EDGE;
  emscripten_glTexParameteri(target, name, value);
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                  GLenum format, GLenum type, const GLvoid* pixels) {
  emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, UnpackAlignment);
  emscripten_glTexImage2D(target, level, ToWebFormat(internalFormat), width, height, border, format, type, pixels);
}

void glTexSubImage2D(GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                     GLenum type, const GLvoid* pixels) {
  emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, UnpackAlignment);
  emscripten_glTexSubImage2D(target, level, x, y, width, height, format, type, pixels);
}

void glCopyTexSubImage2D(GLenum target, GLint level, GLint xoffset, GLint yoffset, GLint x, GLint y, GLsizei width,
                         GLsizei height) {
  emscripten_glCopyTexSubImage2D(target, level, xoffset, yoffset, x, y, width, height);
}

void glGetTexLevelParameteriv(GLenum, GLint, GLenum, GLint* value) {
  // WebGL cannot tell a texture's size; nothing here asks.
  *value = 0;
  SetError(GL_INVALID_OPERATION);
}

void glPixelStorei(GLenum name, GLint value) {
  if (name == GL_UNPACK_ALIGNMENT) UnpackAlignment = value;
  if (name == GL_PACK_ALIGNMENT) PackAlignment = value;
  if (name == GL_UNPACK_ROW_LENGTH) UnpackRowLength = value;
  if (name == GL_PACK_ALIGNMENT) Pack.Alignment = value;
  if (name == GL_PACK_ROW_LENGTH) Pack.RowLength = value;
  if (name == GL_PACK_SKIP_PIXELS) Pack.SkipPixels = value;
  if (name == GL_PACK_SKIP_ROWS) Pack.SkipRows = value;
  emscripten_glPixelStorei(name, value);
}

void glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, GLvoid* pixels) {
  // WebGL reads colour as RGBA only: RGB is read so, tightly, and laid out
  // as OpenGL lays it under the pack parameters.
  if (format == GL_RGB && type == GL_UNSIGNED_BYTE && pixels != nullptr && width > 0 && height > 0) {
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    const GLenum names[] = {GL_PACK_ALIGNMENT, GL_PACK_ROW_LENGTH, GL_PACK_SKIP_PIXELS, GL_PACK_SKIP_ROWS};
    const GLint tight[] = {4, 0, 0, 0}, kept[] = {Pack.Alignment, Pack.RowLength, Pack.SkipPixels, Pack.SkipRows};
    for (int k = 0; k < 4; ++k) emscripten_glPixelStorei(names[k], tight[k]);
    emscripten_glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    for (int k = 0; k < 4; ++k) emscripten_glPixelStorei(names[k], kept[k]);
    PackRgbRows(rgba.data(), width, height, Pack, static_cast<uint8_t*>(pixels));
    return;
  }
  emscripten_glReadPixels(x, y, width, height, format, type, pixels);
}

void glPushAttrib(GLbitfield mask) {
  if (AttribStack.size() >= 16) {
    SetError(0x0503);
    return;
  }
  AttribStack.push_back(State);
  AttribMasks.push_back(mask);
}

void glPopAttrib(void) {
  if (AttribStack.empty()) {
    SetError(0x0504);
    return;
  }
  const TServerState before = State;
  State = AttribStack.back();
  KeepUnpushed(before, AttribMasks.back());
  AttribMasks.pop_back();
  AttribStack.pop_back();
  RestoreServerState();
}

GLuint glGenLists(GLsizei range) {
  if (range <= 0) return 0;
  const GLuint first = NextList;
  NextList += static_cast<GLuint>(range);
  Lists.resize(NextList);
  return first;
}

void glNewList(GLuint list, GLenum) {
  if (list == 0 || list >= Lists.size()) {
    SetError(GL_INVALID_VALUE);
    return;
  }
  RecordingList = list;
  Lists[list].clear();
}

void glEndList(void) { RecordingList = 0; }

void glCallList(GLuint list) {
  if (list == 0 || list >= Lists.size()) return;
  for (const TBitmapCall& call : Lists[list]) glBitmap(0, 0, 0, 0, call.MoveX, call.MoveY, nullptr);
}

void glCallLists(GLsizei n, GLenum type, const GLvoid* lists) {
  const size_t size = TypeSize(type);
  for (GLsizei k = 0; k < n; ++k) {
    GLuint offset = 0;
    std::memcpy(&offset, static_cast<const uint8_t*>(lists) + k * size, size);
    glCallList(ListBase + offset);
  }
}

void glListBase(GLuint base) { ListBase = base; }
void glDeleteLists(GLuint, GLsizei) {}

void glBitmap(GLsizei, GLsizei, GLfloat, GLfloat, GLfloat xmove, GLfloat ymove, const GLubyte*) {
  if (RecordingList != 0) Lists[RecordingList].push_back({xmove, ymove});
}

void glRasterPos2f(GLfloat, GLfloat) {}

// GLU, as the program calls it.
void FixedFunctionPerspective(double fovy, double aspect, double zNear, double zFar) {
  MultiplyCurrent(PerspectiveMatrix(fovy, aspect, zNear, zFar));
}

void FixedFunctionLookAt(double eyeX, double eyeY, double eyeZ, double centerX, double centerY, double centerZ,
                         double upX, double upY, double upZ) {
  MultiplyCurrent(LookAtMatrix(eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX, upY, upZ));
}

int FixedFunctionBuild2DMipmaps(unsigned target, int components, int width, int height, unsigned format,
                                unsigned type, const void* pixels) {
  glTexImage2D(target, 0, components, width, height, 0, format, type, pixels);
  emscripten_glGenerateMipmap(target);
  return 0;
}

// The calls past OpenGL 1.1 that the window backend hands out by name.
void FixedGenBuffers(GLsizei n, GLuint* buffers) { emscripten_glGenBuffers(n, buffers); }
void FixedDeleteBuffers(GLsizei n, const GLuint* buffers) {
  for (GLsizei k = 0; k < n; ++k) {
    if (buffers[k] == ArrayBuffer) ArrayBuffer = 0;
    if (buffers[k] == ElementBuffer) ElementBuffer = 0;
  }
  emscripten_glDeleteBuffers(n, buffers);
}
void FixedBindBuffer(GLenum target, GLuint buffer) {
  if (target == GL_ARRAY_BUFFER) ArrayBuffer = buffer;
  if (target == GL_ELEMENT_ARRAY_BUFFER) ElementBuffer = buffer;
  emscripten_glBindBuffer(target, buffer);
}
void FixedBufferData(GLenum target, GLsizeiptr size, const void* data, GLenum usage) {
  emscripten_glBufferData(target, size, data, usage);
}
void FixedRenderbufferStorage(GLenum target, GLenum format, GLsizei width, GLsizei height) {
  // Colour with alpha, so that copies into RGBA textures are allowed.
  emscripten_glRenderbufferStorage(target, format == GL_RGB8 ? GL_RGBA8 : format, width, height);
}

}  // extern "C"

void* FixedFunctionProcAddress(const char* name) {
  struct TEntry {
    const char* Name;
    void* Address;
  };
  static const TEntry Entries[] = {
      {"glGenBuffers", reinterpret_cast<void*>(&FixedGenBuffers)},
      {"glDeleteBuffers", reinterpret_cast<void*>(&FixedDeleteBuffers)},
      {"glBindBuffer", reinterpret_cast<void*>(&FixedBindBuffer)},
      {"glBufferData", reinterpret_cast<void*>(&FixedBufferData)},
      {"glGenFramebuffers", reinterpret_cast<void*>(&emscripten_glGenFramebuffers)},
      {"glBindFramebuffer", reinterpret_cast<void*>(&emscripten_glBindFramebuffer)},
      {"glFramebufferRenderbuffer", reinterpret_cast<void*>(&emscripten_glFramebufferRenderbuffer)},
      {"glCheckFramebufferStatus", reinterpret_cast<void*>(&emscripten_glCheckFramebufferStatus)},
      {"glBlitFramebuffer", reinterpret_cast<void*>(&emscripten_glBlitFramebuffer)},
      {"glGenRenderbuffers", reinterpret_cast<void*>(&emscripten_glGenRenderbuffers)},
      {"glBindRenderbuffer", reinterpret_cast<void*>(&emscripten_glBindRenderbuffer)},
      {"glRenderbufferStorage", reinterpret_cast<void*>(&FixedRenderbufferStorage)},
  };
  if (name == nullptr) return nullptr;
  for (const TEntry& entry : Entries)
    if (std::strcmp(entry.Name, name) == 0) return entry.Address;
  // glMapBuffer and the rest: WebGL has no such call, and callers go without.
  return nullptr;
}
