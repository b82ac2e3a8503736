#include "engine/sdl/EngineGL.h"

TEngineGLApi EngineGL;

std::vector<std::string> EngineGLLoad(void* (*GetProcAddress)(const char* Name)) {
    std::vector<std::string> Missing;
    bool Found = true;
#define MARVOLIN_ENGINE_GL_LOAD(Name, Type)                                                        \
    EngineGL.Name = reinterpret_cast<Type>(GetProcAddress("gl" #Name));                            \
    if (!EngineGL.Name) {                                                                          \
        Missing.push_back("gl" #Name);                                                             \
        Found = false;                                                                             \
    }
    MARVOLIN_ENGINE_GL_CORE(MARVOLIN_ENGINE_GL_LOAD)
    EngineGL.HasCore = Found;
    Found = true;
    MARVOLIN_ENGINE_GL_MIPMAP(MARVOLIN_ENGINE_GL_LOAD)
    EngineGL.HasMipmap = Found;
    Found = true;
    MARVOLIN_ENGINE_GL_FRAMEBUFFER(MARVOLIN_ENGINE_GL_LOAD)
    EngineGL.HasFramebuffer = Found;
    Found = true;
    MARVOLIN_ENGINE_GL_SHADERS(MARVOLIN_ENGINE_GL_LOAD)
    EngineGL.HasShaders = Found;
#undef MARVOLIN_ENGINE_GL_LOAD
    return Missing;
}

void EngineGLClear() {
    EngineGL = TEngineGLApi();
}
