#pragma once
// The OpenGL entry points the engine itself needs beyond the game's table (engine/GL.h): state
// queries, textures, the offscreen framebuffer and GLSL programs. Loaded from the driver like the
// game's table; nothing links the OpenGL library.

#include "engine/GL.h"

#include <string>
#include <vector>

// Entry, pointer type. The groups after the first may be missing from an old driver; the engine
// checks the group it needs before using it.
#define MARVOLIN_ENGINE_GL_CORE(X)                                                                 \
    X(GetString, decltype(&::glGetString))                                                         \
    X(GetIntegerv, decltype(&::glGetIntegerv))                                                     \
    X(GetFloatv, decltype(&::glGetFloatv))                                                         \
    X(GetTexEnviv, decltype(&::glGetTexEnviv))                                                     \
    X(IsEnabled, decltype(&::glIsEnabled))                                                         \
    X(PushAttrib, decltype(&::glPushAttrib))                                                       \
    X(PopAttrib, decltype(&::glPopAttrib))                                                         \
    X(Frustum, decltype(&::glFrustum))                                                             \
    X(ColorMask, decltype(&::glColorMask))                                                         \
    X(PolygonMode, decltype(&::glPolygonMode))                                                     \
    X(PixelStorei, decltype(&::glPixelStorei))                                                     \
    X(ReadBuffer, decltype(&::glReadBuffer))                                                       \
    X(TexEnvi, decltype(&::glTexEnvi))                                                             \
    X(GenTextures, decltype(&::glGenTextures))                                                     \
    X(DeleteTextures, decltype(&::glDeleteTextures))                                               \
    X(BindTexture, decltype(&::glBindTexture))                                                     \
    X(TexImage2D, decltype(&::glTexImage2D))                                                       \
    X(TexParameteri, decltype(&::glTexParameteri))                                                 \
    X(ActiveTexture, PFNGLACTIVETEXTUREPROC)
#define MARVOLIN_ENGINE_GL_MIPMAP(X) X(GenerateMipmap, PFNGLGENERATEMIPMAPPROC)
#define MARVOLIN_ENGINE_GL_FRAMEBUFFER(X)                                                          \
    X(GenFramebuffers, PFNGLGENFRAMEBUFFERSPROC)                                                   \
    X(DeleteFramebuffers, PFNGLDELETEFRAMEBUFFERSPROC)                                             \
    X(BindFramebuffer, PFNGLBINDFRAMEBUFFERPROC)                                                   \
    X(FramebufferRenderbuffer, PFNGLFRAMEBUFFERRENDERBUFFERPROC)                                   \
    X(CheckFramebufferStatus, PFNGLCHECKFRAMEBUFFERSTATUSPROC)                                     \
    X(GenRenderbuffers, PFNGLGENRENDERBUFFERSPROC)                                                 \
    X(DeleteRenderbuffers, PFNGLDELETERENDERBUFFERSPROC)                                           \
    X(BindRenderbuffer, PFNGLBINDRENDERBUFFERPROC)                                                 \
    X(RenderbufferStorage, PFNGLRENDERBUFFERSTORAGEPROC)                                           \
    X(BlitFramebuffer, PFNGLBLITFRAMEBUFFERPROC)
#define MARVOLIN_ENGINE_GL_SHADERS(X)                                                              \
    X(CreateShader, PFNGLCREATESHADERPROC)                                                         \
    X(DeleteShader, PFNGLDELETESHADERPROC)                                                         \
    X(ShaderSource, PFNGLSHADERSOURCEPROC)                                                         \
    X(CompileShader, PFNGLCOMPILESHADERPROC)                                                       \
    X(GetShaderiv, PFNGLGETSHADERIVPROC)                                                           \
    X(GetShaderInfoLog, PFNGLGETSHADERINFOLOGPROC)                                                 \
    X(CreateProgram, PFNGLCREATEPROGRAMPROC)                                                       \
    X(DeleteProgram, PFNGLDELETEPROGRAMPROC)                                                       \
    X(AttachShader, PFNGLATTACHSHADERPROC)                                                         \
    X(LinkProgram, PFNGLLINKPROGRAMPROC)                                                           \
    X(GetProgramiv, PFNGLGETPROGRAMIVPROC)                                                         \
    X(GetProgramInfoLog, PFNGLGETPROGRAMINFOLOGPROC)                                               \
    X(UseProgram, PFNGLUSEPROGRAMPROC)

struct TEngineGLApi {
#define MARVOLIN_ENGINE_GL_MEMBER(Name, Type) Type Name = nullptr;
    MARVOLIN_ENGINE_GL_CORE(MARVOLIN_ENGINE_GL_MEMBER)
    MARVOLIN_ENGINE_GL_MIPMAP(MARVOLIN_ENGINE_GL_MEMBER)
    MARVOLIN_ENGINE_GL_FRAMEBUFFER(MARVOLIN_ENGINE_GL_MEMBER)
    MARVOLIN_ENGINE_GL_SHADERS(MARVOLIN_ENGINE_GL_MEMBER)
#undef MARVOLIN_ENGINE_GL_MEMBER
    bool HasCore = false, HasMipmap = false, HasFramebuffer = false, HasShaders = false;
};

extern TEngineGLApi EngineGL;

// Fills EngineGL from the loader and sets the Has flags; returns the names of the entry points the
// driver lacks.
std::vector<std::string> EngineGLLoad(void* (*GetProcAddress)(const char* Name));
// Empties EngineGL (after the context is gone).
void EngineGLClear();
