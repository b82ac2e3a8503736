#pragma once
// The OpenGL 1.x entry points the game draws with, loaded at run time.
//
// Game code calls them by their usual names (glBegin, glVertex3f, ...): the macros below route
// every call through the table `GL`, which the SDL back-end fills from the driver once its context
// exists and the headless back-end fills with functions that do nothing. So no module links the
// OpenGL library, and drawing code runs (drawing nothing) under the headless engine. Tests can
// record the calls (GLStartRecording) to check what a piece of drawing code asks of OpenGL.
//
// Include this header only in the drawing files of a module, never in its logic.

#include <GL/gl.h>

#include <string>
#include <vector>

struct TGLApi {
    void (*MatrixMode)(GLenum);
    void (*LoadIdentity)();
    void (*Ortho)(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble);
    void (*Viewport)(GLint, GLint, GLsizei, GLsizei);
    void (*PushMatrix)();
    void (*PopMatrix)();
    void (*Translatef)(GLfloat, GLfloat, GLfloat);
    void (*Rotatef)(GLfloat, GLfloat, GLfloat, GLfloat);
    void (*Scalef)(GLfloat, GLfloat, GLfloat);
    void (*Begin)(GLenum);
    void (*End)();
    void (*Vertex2f)(GLfloat, GLfloat);
    void (*Vertex3f)(GLfloat, GLfloat, GLfloat);
    void (*Normal3f)(GLfloat, GLfloat, GLfloat);
    void (*TexCoord2f)(GLfloat, GLfloat);
    void (*MultiTexCoord2f)(GLenum, GLfloat, GLfloat);
    void (*EnableClientState)(GLenum);
    void (*DisableClientState)(GLenum);
    void (*VertexPointer)(GLint, GLenum, GLsizei, const void*);
    void (*NormalPointer)(GLenum, GLsizei, const void*);
    void (*TexCoordPointer)(GLint, GLenum, GLsizei, const void*);
    void (*DrawElements)(GLenum, GLsizei, GLenum, const void*);
    void (*Enable)(GLenum);
    void (*Disable)(GLenum);
    void (*CullFace)(GLenum);
    void (*ShadeModel)(GLenum);
    void (*DepthMask)(GLboolean);
    void (*Clear)(GLbitfield);
    void (*ClearColor)(GLfloat, GLfloat, GLfloat, GLfloat);
    void (*Color3f)(GLfloat, GLfloat, GLfloat);
    void (*Color3fv)(const GLfloat*);
    void (*Color4f)(GLfloat, GLfloat, GLfloat, GLfloat);
    void (*BlendFunc)(GLenum, GLenum);
    void (*LineWidth)(GLfloat);
    void (*LightModelfv)(GLenum, const GLfloat*);
    void (*Lightfv)(GLenum, GLenum, const GLfloat*);
    void (*Materialfv)(GLenum, GLenum, const GLfloat*);
    void (*ReadPixels)(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*);
    GLenum (*GetError)();
};

extern TGLApi GL;

// Fills the table from a loader such as SDL_GL_GetProcAddress. Returns the name of the first entry
// point the driver lacks, or an empty string when all were found.
std::string GLLoad(void* (*GetProcAddress)(const char* Name));
// Fills the table with functions that do nothing (the headless engine's).
void GLLoadStubs();

// One recorded call: the function's name without the "gl" prefix and its numeric arguments
// (pointers are recorded as 0). The headless engine's services record their drawing calls in the
// same list ("Textures.Enable", "Render.TextOut" with its text, ...), so one list shows the order
// of everything a piece of drawing code did.
struct TGLCall {
    std::string Name;
    std::vector<double> Args;
    std::string Text;
};
// While recording, the stub table appends every call to the list. Starting clears it.
void GLStartRecording();
void GLStopRecording();
const std::vector<TGLCall>& GLRecordedCalls();
bool GLIsRecording();
// Appends a call to the list while recording (for the headless engine's services).
void GLRecordCall(TGLCall Call);

#define glMatrixMode GL.MatrixMode
#define glLoadIdentity GL.LoadIdentity
#define glOrtho GL.Ortho
#define glViewport GL.Viewport
#define glPushMatrix GL.PushMatrix
#define glPopMatrix GL.PopMatrix
#define glTranslatef GL.Translatef
#define glRotatef GL.Rotatef
#define glScalef GL.Scalef
#define glBegin GL.Begin
#define glEnd GL.End
#define glVertex2f GL.Vertex2f
#define glVertex3f GL.Vertex3f
#define glNormal3f GL.Normal3f
#define glTexCoord2f GL.TexCoord2f
#define glMultiTexCoord2f GL.MultiTexCoord2f
#define glEnableClientState GL.EnableClientState
#define glDisableClientState GL.DisableClientState
#define glVertexPointer GL.VertexPointer
#define glNormalPointer GL.NormalPointer
#define glTexCoordPointer GL.TexCoordPointer
#define glDrawElements GL.DrawElements
#define glEnable GL.Enable
#define glDisable GL.Disable
#define glCullFace GL.CullFace
#define glShadeModel GL.ShadeModel
#define glDepthMask GL.DepthMask
#define glClear GL.Clear
#define glClearColor GL.ClearColor
#define glColor3f GL.Color3f
#define glColor3fv GL.Color3fv
#define glColor4f GL.Color4f
#define glBlendFunc GL.BlendFunc
#define glLineWidth GL.LineWidth
#define glLightModelfv GL.LightModelfv
#define glLightfv GL.Lightfv
#define glMaterialfv GL.Materialfv
#define glReadPixels GL.ReadPixels
#define glGetError GL.GetError
