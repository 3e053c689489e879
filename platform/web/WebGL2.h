// The WebGL 2 calls the browser's GL layer makes, by the names under which
// the toolchain's WebGL library also offers them (emscripten_glX), so that
// the layer can define the OpenGL 1.1 names itself. Types and constants are
// those of GL/gl.h and GL/glext.h, plus the OpenGL ES 3.0 ones named here.
#pragma once
#include <GL/gl.h>
#include <GL/glext.h>

typedef char GLchar;

#define GL_CLAMP_TO_EDGE 0x812F
#define GL_FRAGMENT_SHADER 0x8B30
#define GL_VERTEX_SHADER 0x8B31
#define GL_COMPILE_STATUS 0x8B81
#define GL_LINK_STATUS 0x8B82
#define GL_INFO_LOG_LENGTH 0x8B84

extern "C" {
void emscripten_glEnable(GLenum cap);
void emscripten_glDisable(GLenum cap);
GLenum emscripten_glGetError(void);
void emscripten_glFlush(void);
void emscripten_glFinish(void);
void emscripten_glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void emscripten_glScissor(GLint x, GLint y, GLsizei width, GLsizei height);
void emscripten_glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha);
void emscripten_glClearDepthf(GLclampf depth);
void emscripten_glClear(GLbitfield mask);
void emscripten_glDepthFunc(GLenum func);
void emscripten_glDepthMask(GLboolean flag);
void emscripten_glBlendFunc(GLenum source, GLenum destination);
void emscripten_glColorMask(GLboolean red, GLboolean green, GLboolean blue, GLboolean alpha);
void emscripten_glPixelStorei(GLenum name, GLint value);
void emscripten_glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void* pixels);

void emscripten_glGenTextures(GLsizei n, GLuint* textures);
void emscripten_glDeleteTextures(GLsizei n, const GLuint* textures);
void emscripten_glBindTexture(GLenum target, GLuint texture);
void emscripten_glTexParameteri(GLenum target, GLenum name, GLint value);
void emscripten_glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                             GLint border, GLenum format, GLenum type, const void* pixels);
void emscripten_glTexSubImage2D(GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height,
                                GLenum format, GLenum type, const void* pixels);
void emscripten_glCopyTexSubImage2D(GLenum target, GLint level, GLint xoffset, GLint yoffset, GLint x, GLint y,
                                    GLsizei width, GLsizei height);
void emscripten_glGenerateMipmap(GLenum target);

void emscripten_glGenBuffers(GLsizei n, GLuint* buffers);
void emscripten_glDeleteBuffers(GLsizei n, const GLuint* buffers);
void emscripten_glBindBuffer(GLenum target, GLuint buffer);
void emscripten_glBufferData(GLenum target, GLsizeiptr size, const void* data, GLenum usage);
void emscripten_glBufferSubData(GLenum target, GLintptr offset, GLsizeiptr size, const void* data);

void emscripten_glGenFramebuffers(GLsizei n, GLuint* framebuffers);
void emscripten_glBindFramebuffer(GLenum target, GLuint framebuffer);
void emscripten_glFramebufferRenderbuffer(GLenum target, GLenum attachment, GLenum renderbuffertarget,
                                          GLuint renderbuffer);
GLenum emscripten_glCheckFramebufferStatus(GLenum target);
void emscripten_glBlitFramebuffer(GLint srcX0, GLint srcY0, GLint srcX1, GLint srcY1, GLint dstX0, GLint dstY0,
                                  GLint dstX1, GLint dstY1, GLbitfield mask, GLenum filter);
void emscripten_glGenRenderbuffers(GLsizei n, GLuint* renderbuffers);
void emscripten_glBindRenderbuffer(GLenum target, GLuint renderbuffer);
void emscripten_glRenderbufferStorage(GLenum target, GLenum internalformat, GLsizei width, GLsizei height);

GLuint emscripten_glCreateShader(GLenum type);
void emscripten_glShaderSource(GLuint shader, GLsizei count, const GLchar* const* source, const GLint* length);
void emscripten_glCompileShader(GLuint shader);
void emscripten_glGetShaderiv(GLuint shader, GLenum name, GLint* value);
void emscripten_glGetShaderInfoLog(GLuint shader, GLsizei size, GLsizei* length, GLchar* log);
GLuint emscripten_glCreateProgram(void);
void emscripten_glAttachShader(GLuint program, GLuint shader);
void emscripten_glBindAttribLocation(GLuint program, GLuint index, const GLchar* name);
void emscripten_glLinkProgram(GLuint program);
void emscripten_glGetProgramiv(GLuint program, GLenum name, GLint* value);
void emscripten_glGetProgramInfoLog(GLuint program, GLsizei size, GLsizei* length, GLchar* log);
void emscripten_glUseProgram(GLuint program);
GLint emscripten_glGetUniformLocation(GLuint program, const GLchar* name);
void emscripten_glUniform1i(GLint location, GLint value);
void emscripten_glUniform1f(GLint location, GLfloat value);
void emscripten_glUniform3fv(GLint location, GLsizei count, const GLfloat* value);
void emscripten_glUniform4fv(GLint location, GLsizei count, const GLfloat* value);
void emscripten_glUniformMatrix3fv(GLint location, GLsizei count, GLboolean transpose, const GLfloat* value);
void emscripten_glUniformMatrix4fv(GLint location, GLsizei count, GLboolean transpose, const GLfloat* value);

void emscripten_glGenVertexArrays(GLsizei n, GLuint* arrays);
void emscripten_glBindVertexArray(GLuint array);
void emscripten_glEnableVertexAttribArray(GLuint index);
void emscripten_glDisableVertexAttribArray(GLuint index);
void emscripten_glVertexAttribPointer(GLuint index, GLint size, GLenum type, GLboolean normalized, GLsizei stride,
                                      const void* pointer);
void emscripten_glVertexAttrib4f(GLuint index, GLfloat x, GLfloat y, GLfloat z, GLfloat w);
void emscripten_glVertexAttrib3f(GLuint index, GLfloat x, GLfloat y, GLfloat z);
void emscripten_glVertexAttrib2f(GLuint index, GLfloat x, GLfloat y);
void emscripten_glDrawArrays(GLenum mode, GLint first, GLsizei count);
void emscripten_glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices);
}
