// The web build's proof that the libraries built for it work in a browser:
// a WebGL 2 context made through SDL, cleared to a known colour with one
// triangle drawn over it by a small shader; a JPEG decoded by libjpeg, a
// glyph rasterised by FreeType and an MP3 decoded by SDL_mixer, all read
// from the preloaded package. What it finds goes to the console, one line
// each; the last line is "proof: ok", or "proof: failed" after the lines
// that say what went wrong. tests/web/browser.mjs reads those lines and
// checks the canvas on screen for the colours below.
#include <GLES3/gl3.h>
#include <SDL.h>
#include <SDL_mixer.h>
#include <emscripten.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

namespace {

int Failures = 0;

void Fail(const char* what) {
  std::printf("failed: %s\n", what);
  ++Failures;
}

bool Near(int value, int expected, int tolerance) { return std::abs(value - expected) <= tolerance; }

// The canvas's size, and the colours the screenshot is checked for
// (browser.mjs is given the same numbers by scripts/web.sh).
constexpr int Width = 320, Height = 240;
constexpr GLfloat Clear[3] = {0.2f, 0.4f, 0.6f};     // 51, 102, 153
constexpr GLfloat Triangle[3] = {1.0f, 0.8f, 0.0f};  // 255, 204, 0

GLuint Compile(GLenum type, const char* source) {
  const GLuint shader = glCreateShader(type);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[512] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    std::printf("shader log: %s\n", log);
    Fail("a shader does not compile");
  }
  return shader;
}

// The context, the clear and the triangle; the drawn pixels are read back
// here too, so that a fault in drawing is told apart from one in showing.
bool Draw() {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
  SDL_Window* window = SDL_CreateWindow("proof", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                        Width, Height, SDL_WINDOW_OPENGL);
  if (window == nullptr) {
    std::printf("SDL_CreateWindow: %s\n", SDL_GetError());
    Fail("no window");
    return false;
  }
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (context == nullptr) {
    std::printf("SDL_GL_CreateContext: %s\n", SDL_GetError());
    Fail("no OpenGL ES 3 context");
    return false;
  }
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  std::printf("gl: %s | %s | %s\n", version,
              reinterpret_cast<const char*>(glGetString(GL_SHADING_LANGUAGE_VERSION)),
              reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  if (version == nullptr || std::strstr(version, "WebGL 2") == nullptr) Fail("the context is not WebGL 2");

  const GLuint program = glCreateProgram();
  glAttachShader(program, Compile(GL_VERTEX_SHADER,
                                  "#version 300 es\n"
                                  "in vec2 position;\n"
                                  "void main() { gl_Position = vec4(position, 0.0, 1.0); }\n"));
  glAttachShader(program, Compile(GL_FRAGMENT_SHADER,
                                  "#version 300 es\n"
                                  "precision mediump float;\n"
                                  "uniform vec3 colour;\n"
                                  "out vec4 fragment;\n"
                                  "void main() { fragment = vec4(colour, 1.0); }\n"));
  glBindAttribLocation(program, 0, "position");
  glLinkProgram(program);
  GLint linked = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &linked);
  if (!linked) Fail("the shaders do not link");

  // Its apex is at 0.5 of the height from the bottom; the checks look
  // above it, at the centre and in a corner.
  const GLfloat corners[] = {-0.5f, -0.5f, 0.5f, -0.5f, 0.0f, 0.5f};
  GLuint array = 0, buffer = 0;
  glGenVertexArrays(1, &array);
  glBindVertexArray(array);
  glGenBuffers(1, &buffer);
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);

  glViewport(0, 0, Width, Height);
  glClearColor(Clear[0], Clear[1], Clear[2], 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glUseProgram(program);
  glUniform3fv(glGetUniformLocation(program, "colour"), 1, Triangle);
  glDrawArrays(GL_TRIANGLES, 0, 3);

  unsigned char centre[4] = {}, corner[4] = {};
  glReadPixels(Width / 2, Height / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, centre);
  glReadPixels(4, 4, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, corner);
  std::printf("drawn: centre %d,%d,%d corner %d,%d,%d\n", centre[0], centre[1], centre[2], corner[0],
              corner[1], corner[2]);
  if (!Near(centre[0], 255, 2) || !Near(centre[1], 204, 2) || !Near(centre[2], 0, 2))
    Fail("the triangle is not where it was drawn");
  if (!Near(corner[0], 51, 2) || !Near(corner[1], 102, 2) || !Near(corner[2], 153, 2))
    Fail("the corner is not the clear colour");
  if (const GLenum error = glGetError(); error != GL_NO_ERROR) {
    std::printf("glGetError: 0x%x\n", error);
    Fail("GL reported an error");
  }
  SDL_GL_SwapWindow(window);
  return true;
}

// The two halves of proof.jpg: 64 x 32, left (208, 40, 24), right
// (24, 72, 192), 4:4:4, so that both colours come back within rounding.
void DecodeJpeg() {
  FILE* file = std::fopen("/proof.jpg", "rb");
  if (file == nullptr) {
    Fail("/proof.jpg is not in the preloaded package");
    return;
  }
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  const int width = static_cast<int>(info.output_width), height = static_cast<int>(info.output_height);
  const int components = info.output_components;
  std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * components);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = &pixels[static_cast<size_t>(info.output_scanline) * width * components];
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  std::fclose(file);
  std::printf("jpeg: %d x %d, %d components\n", width, height, components);
  if (width != 64 || height != 32 || components != 3) {
    Fail("proof.jpg has the wrong size");
    return;
  }
  const auto at = [&](int x, int y) { return &pixels[(static_cast<size_t>(y) * width + x) * 3]; };
  const unsigned char *left = at(16, 16), *right = at(48, 16);
  std::printf("jpeg: left %d,%d,%d right %d,%d,%d\n", left[0], left[1], left[2], right[0], right[1],
              right[2]);
  if (!Near(left[0], 208, 3) || !Near(left[1], 40, 3) || !Near(left[2], 24, 3) ||
      !Near(right[0], 24, 3) || !Near(right[1], 72, 3) || !Near(right[2], 192, 3))
    Fail("proof.jpg decodes to the wrong colours");
}

// DejaVu Sans' capital A at 32 pixels: about 22 wide and 23 tall, with a
// hole in the middle of its bar.
void RasteriseGlyph() {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  if (FT_Init_FreeType(&library) != 0) {
    Fail("FreeType does not start");
    return;
  }
  if (FT_New_Face(library, "/fonts/DejaVuSans.ttf", 0, &face) != 0) {
    Fail("/fonts/DejaVuSans.ttf does not open");
    FT_Done_FreeType(library);
    return;
  }
  FT_Set_Pixel_Sizes(face, 0, 32);
  if (FT_Load_Char(face, 'A', FT_LOAD_RENDER) != 0) {
    Fail("the glyph does not render");
  } else {
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    int inked = 0;
    for (unsigned y = 0; y < bitmap.rows; ++y)
      for (unsigned x = 0; x < bitmap.width; ++x) inked += bitmap.buffer[y * bitmap.pitch + x] >= 128;
    std::printf("glyph: %s 'A' at 32 px: %u x %u, %d of its pixels inked, advance %ld\n",
                face->family_name, bitmap.width, bitmap.rows, inked, face->glyph->advance.x >> 6);
    if (bitmap.width < 16 || bitmap.width > 28 || bitmap.rows < 18 || bitmap.rows > 28 || inked < 60 ||
        inked > static_cast<int>(bitmap.width * bitmap.rows) / 2)
      Fail("the glyph has the wrong shape");
  }
  FT_Done_Face(face);
  FT_Done_FreeType(library);
}

// proof.mp3: half a second of a 440 Hz tone, mono, 44.1 kHz. Decoded whole
// into the device's format it is about half a second of frames; as music
// its duration is half a second; then it is started, as the demo starts its
// music.
void DecodeMp3() {
  const int formats = Mix_Init(MIX_INIT_MP3);
  if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
    std::printf("Mix_OpenAudio: %s\n", Mix_GetError());
    Fail("no audio device");
    return;
  }
  int rate = 0, channels = 0;
  Uint16 format = 0;
  Mix_QuerySpec(&rate, &format, &channels);
  std::printf("audio: %s, %d Hz, %d channels, format 0x%x, MP3 %s\n", SDL_GetCurrentAudioDriver(), rate,
              channels, format, (formats & MIX_INIT_MP3) != 0 ? "on" : "off");
  Mix_Chunk* chunk = Mix_LoadWAV("/proof.mp3");
  if (chunk == nullptr) {
    std::printf("Mix_LoadWAV: %s\n", Mix_GetError());
    Fail("proof.mp3 does not decode");
  } else {
    const double seconds =
        static_cast<double>(chunk->alen) / (rate * channels * (SDL_AUDIO_BITSIZE(format) / 8));
    std::printf("mp3: %u bytes decoded, %.3f s\n", chunk->alen, seconds);
    if (seconds < 0.45 || seconds > 0.62) Fail("proof.mp3 decodes to the wrong length");
    Mix_FreeChunk(chunk);
  }
  Mix_Music* music = Mix_LoadMUS("/proof.mp3");
  if (music == nullptr) {
    std::printf("Mix_LoadMUS: %s\n", Mix_GetError());
    Fail("proof.mp3 does not open as music");
    return;
  }
  const double duration = Mix_MusicDuration(music);
  std::printf("music: %.3f s\n", duration);
  if (duration < 0.45 || duration > 0.62) Fail("proof.mp3 has the wrong duration as music");
  if (Mix_PlayMusic(music, 0) != 0) {
    std::printf("Mix_PlayMusic: %s\n", Mix_GetError());
    Fail("proof.mp3 does not play");
  }
}

}  // namespace

int main() {
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO) != 0) {
    std::printf("SDL_Init: %s\n", SDL_GetError());
    std::printf("proof: failed\n");
    return 1;
  }
  SDL_version linked;
  SDL_GetVersion(&linked);
  std::printf("sdl: %d.%d.%d, video %s\n", linked.major, linked.minor, linked.patch,
              SDL_GetCurrentVideoDriver());
  Draw();
  DecodeJpeg();
  RasteriseGlyph();
  DecodeMp3();
  // The frame drawn above reaches the screen when main returns to the
  // browser; the runtime stays, so the music plays on.
  std::printf("proof: %s\n", Failures == 0 ? "ok" : "failed");
  return 0;
}
