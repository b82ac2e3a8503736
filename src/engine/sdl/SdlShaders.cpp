// Shader service of the SDL engine: GLSL programs from one text file with two sections.
#include "engine/sdl/EngineSdl.h"

#include "engine/Files.h"
#include "engine/GL.h"
#include "engine/sdl/EngineGL.h"
#include "engine/sdl/ShaderFile.h"

#include <algorithm>

namespace {

std::string InfoLog(GLuint Object, bool IsProgram) {
    GLint Length = 0;
    if (IsProgram)
        EngineGL.GetProgramiv(Object, GL_INFO_LOG_LENGTH, &Length);
    else
        EngineGL.GetShaderiv(Object, GL_INFO_LOG_LENGTH, &Length);
    if (Length <= 1) return "(no message)";
    std::string Log(size_t(Length), '\0');
    GLsizei Written = 0;
    if (IsProgram)
        EngineGL.GetProgramInfoLog(Object, Length, &Written, Log.data());
    else
        EngineGL.GetShaderInfoLog(Object, Length, &Written, Log.data());
    Log.resize(size_t(std::max<GLsizei>(0, Written)));
    while (!Log.empty() && (Log.back() == '\n' || Log.back() == '\r'))
        Log.pop_back();
    return Log;
}

// A compiled shader of the stage, or 0 with the compiler's message logged.
GLuint CompileStage(GLenum Stage, const std::string& Source, const std::string& Where) {
    const GLuint Shader = EngineGL.CreateShader(Stage);
    const char* Text = Source.c_str();
    const GLint Length = GLint(Source.size());
    EngineGL.ShaderSource(Shader, 1, &Text, &Length);
    EngineGL.CompileShader(Shader);
    GLint Ok = GL_FALSE;
    EngineGL.GetShaderiv(Shader, GL_COMPILE_STATUS, &Ok);
    if (Ok == GL_TRUE) return Shader;
    exLog("warning: shader " + Where + ": " + (Stage == GL_VERTEX_SHADER ? "vertex" : "fragment") +
          " section does not compile:\n" + InfoLog(Shader, false));
    EngineGL.DeleteShader(Shader);
    return 0;
}

} // namespace

bool TSdlEngine::TShaderService::Load(const std::string& FileName, const std::string& Name) {
    const std::string Where = "\"" + FileName + "\" (" + Name + ")";
    if (!EngineGL.HasShaders) {
        exLog("warning: shader " + Where + ": this OpenGL has no GLSL programs");
        return false;
    }
    std::string Text;
    try {
        const std::vector<uint8_t> Bytes = ReadWholeFile(FileName);
        Text.assign(Bytes.begin(), Bytes.end());
    } catch (const TFileError& Error) {
        exLog("warning: shader " + Where + ": " + Error.what());
        return false;
    }
    TShaderSources Sources;
    std::string Fault;
    if (!SplitShaderFile(Text, Sources, Fault)) {
        exLog("warning: shader " + Where + ": " + Fault);
        return false;
    }
    const GLuint Vertex = CompileStage(GL_VERTEX_SHADER, Sources.Vertex, Where);
    const GLuint Fragment = Vertex ? CompileStage(GL_FRAGMENT_SHADER, Sources.Fragment, Where) : 0;
    if (!Fragment) {
        if (Vertex) EngineGL.DeleteShader(Vertex);
        return false;
    }
    const GLuint Program = EngineGL.CreateProgram();
    EngineGL.AttachShader(Program, Vertex);
    EngineGL.AttachShader(Program, Fragment);
    EngineGL.LinkProgram(Program);
    // The program keeps what it needs of the shaders.
    EngineGL.DeleteShader(Vertex);
    EngineGL.DeleteShader(Fragment);
    GLint Linked = GL_FALSE;
    EngineGL.GetProgramiv(Program, GL_LINK_STATUS, &Linked);
    if (Linked != GL_TRUE) {
        exLog("warning: shader " + Where + ": does not link:\n" + InfoLog(Program, true));
        EngineGL.DeleteProgram(Program);
        return false;
    }
    if (auto Old = Programs.find(Name); Old != Programs.end()) {
        if (CurrentProgram == int(Old->second)) {
            EngineGL.UseProgram(0);
            CurrentProgram = 0;
        }
        EngineGL.DeleteProgram(Old->second);
    }
    Programs[Name] = Program;
    CurrentProgram = int(Program);
    exLog("shader " + Where + " loaded");
    return true;
}

void TSdlEngine::TShaderService::Disable() {
    if (EngineGL.HasShaders) EngineGL.UseProgram(0);
}
