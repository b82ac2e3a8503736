#include "models/dMeshes.h"

#include "app/variables.h"
#include "engine/GL.h"

// The lists go to OpenGL as tightly packed arrays.
static_assert(sizeof(TVec3) == 3 * sizeof(GLfloat));
static_assert(sizeof(TTexCoord) == 2 * sizeof(GLfloat));
static_assert(sizeof(TFace) == 3 * sizeof(GLuint));

void TMesh::Draw() {
    if (VertexCount == 0) return;
    if (Textured)
        Textures->Enable(Texture, 0);
    else
        glDisable(GL_TEXTURE_2D);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    if (Textured) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 0, TexCoords.data());
    }
    glVertexPointer(3, GL_FLOAT, 0, Vertices.data());
    glNormalPointer(GL_FLOAT, 0, Normals.data());
    glDrawElements(GL_TRIANGLES, 3 * FaceCount, GL_UNSIGNED_INT, Faces.data());
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    if (Textured) {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        Textures->Disable(0);
    }
}
