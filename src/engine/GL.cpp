#include "engine/GL.h"

#include <type_traits>
#include <utility>

TGLApi GL;

namespace {

bool Recording = false;
std::vector<TGLCall> Calls;

template <class T> double ArgValue(T Value) {
    if constexpr (std::is_pointer_v<T>)
        return 0;
    else
        return double(Value);
}

template <class... A> void Record(const char* Name, A... Args) {
    if (Recording) Calls.push_back({Name, {ArgValue(Args)...}, {}});
}

// Each entry of the table, with its name and signature, once: the stub, the loader and the
// recorder are all generated from this list.
#define MARVOLIN_GL_ENTRIES(X)                                                                     \
    X(MatrixMode, void, (GLenum a), (a))                                                           \
    X(LoadIdentity, void, (), ())                                                                  \
    X(Ortho, void, (GLdouble a, GLdouble b, GLdouble c, GLdouble d, GLdouble e, GLdouble f),       \
      (a, b, c, d, e, f))                                                                          \
    X(Viewport, void, (GLint a, GLint b, GLsizei c, GLsizei d), (a, b, c, d))                      \
    X(PushMatrix, void, (), ())                                                                    \
    X(PopMatrix, void, (), ())                                                                     \
    X(Translatef, void, (GLfloat a, GLfloat b, GLfloat c), (a, b, c))                              \
    X(Rotatef, void, (GLfloat a, GLfloat b, GLfloat c, GLfloat d), (a, b, c, d))                   \
    X(Scalef, void, (GLfloat a, GLfloat b, GLfloat c), (a, b, c))                                  \
    X(Begin, void, (GLenum a), (a))                                                                \
    X(End, void, (), ())                                                                           \
    X(Vertex2f, void, (GLfloat a, GLfloat b), (a, b))                                              \
    X(Vertex3f, void, (GLfloat a, GLfloat b, GLfloat c), (a, b, c))                                \
    X(Normal3f, void, (GLfloat a, GLfloat b, GLfloat c), (a, b, c))                                \
    X(TexCoord2f, void, (GLfloat a, GLfloat b), (a, b))                                            \
    X(MultiTexCoord2f, void, (GLenum a, GLfloat b, GLfloat c), (a, b, c))                          \
    X(EnableClientState, void, (GLenum a), (a))                                                    \
    X(DisableClientState, void, (GLenum a), (a))                                                   \
    X(VertexPointer, void, (GLint a, GLenum b, GLsizei c, const void* d), (a, b, c, d))            \
    X(NormalPointer, void, (GLenum a, GLsizei b, const void* c), (a, b, c))                        \
    X(TexCoordPointer, void, (GLint a, GLenum b, GLsizei c, const void* d), (a, b, c, d))          \
    X(DrawElements, void, (GLenum a, GLsizei b, GLenum c, const void* d), (a, b, c, d))            \
    X(Enable, void, (GLenum a), (a))                                                               \
    X(Disable, void, (GLenum a), (a))                                                              \
    X(CullFace, void, (GLenum a), (a))                                                             \
    X(ShadeModel, void, (GLenum a), (a))                                                           \
    X(DepthMask, void, (GLboolean a), (a))                                                         \
    X(Clear, void, (GLbitfield a), (a))                                                            \
    X(ClearColor, void, (GLfloat a, GLfloat b, GLfloat c, GLfloat d), (a, b, c, d))                \
    X(Color3f, void, (GLfloat a, GLfloat b, GLfloat c), (a, b, c))                                 \
    X(Color3fv, void, (const GLfloat* a), (a[0], a[1], a[2]))                                      \
    X(Color4f, void, (GLfloat a, GLfloat b, GLfloat c, GLfloat d), (a, b, c, d))                   \
    X(BlendFunc, void, (GLenum a, GLenum b), (a, b))                                               \
    X(LineWidth, void, (GLfloat a), (a))                                                           \
    X(LightModelfv, void, (GLenum a, const GLfloat* b), (a, b))                                    \
    X(Lightfv, void, (GLenum a, GLenum b, const GLfloat* c), (a, b, c))                            \
    X(Materialfv, void, (GLenum a, GLenum b, const GLfloat* c), (a, b, c))                         \
    X(ReadPixels, void, (GLint a, GLint b, GLsizei c, GLsizei d, GLenum e, GLenum f, void* g),     \
      (a, b, c, d, e, f, g))                                                                       \
    X(GetError, GLenum, (), ())

#define MARVOLIN_GL_STUB(Name, Result, Params, Args)                                               \
    Result Stub##Name Params {                                                                     \
        Record(#Name MARVOLIN_GL_COMMA_ARGS Args);                                                 \
        return Result();                                                                           \
    }
// Turns the argument list (a, b) into ", a, b" and () into nothing.
#define MARVOLIN_GL_COMMA_ARGS(...) __VA_OPT__(, ) __VA_ARGS__

MARVOLIN_GL_ENTRIES(MARVOLIN_GL_STUB)

} // namespace

void GLLoadStubs() {
#define MARVOLIN_GL_SET_STUB(Name, Result, Params, Args) GL.Name = Stub##Name;
    MARVOLIN_GL_ENTRIES(MARVOLIN_GL_SET_STUB)
}

std::string GLLoad(void* (*GetProcAddress)(const char* Name)) {
    std::string Missing;
#define MARVOLIN_GL_SET_REAL(Name, Result, Params, Args)                                           \
    if (void* P = GetProcAddress("gl" #Name))                                                      \
        GL.Name = reinterpret_cast<decltype(GL.Name)>(P);                                          \
    else if (Missing.empty())                                                                      \
        Missing = "gl" #Name;
    MARVOLIN_GL_ENTRIES(MARVOLIN_GL_SET_REAL)
    return Missing;
}

void GLStartRecording() {
    Calls.clear();
    Recording = true;
}

void GLStopRecording() {
    Recording = false;
}

const std::vector<TGLCall>& GLRecordedCalls() {
    return Calls;
}

bool GLIsRecording() {
    return Recording;
}

void GLRecordCall(TGLCall Call) {
    if (Recording) Calls.push_back(std::move(Call));
}
