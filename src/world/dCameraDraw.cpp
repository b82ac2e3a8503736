#include "engine/GL.h"
#include "world/dCamera.h"

// The two half turns together turn half a turn about x: the eye stands at (Pos.x, Pos.y, -Pos.z)
// looking along +z at the desk, world x to the right of the screen and world y down it.
void TCamera::ApplyView() const {
    glRotatef(180, 0, 0, 1);
    glRotatef(180, 0, 1, 0);
    glTranslatef(-Pos.x, -Pos.y, Pos.z);
}
