// marvolin-sim mesh MDLFILE: the game's own loader on one model (normals computed, as the game
// loads its models), printed after welding.
#include "Sim.h"

#include "engine/Files.h"
#include "models/dMeshes.h"

#include <cstdio>

int SimMesh(const TSimArgs& Args) {
    if (Args.size() != 1) {
        std::fputs("usage: marvolin-sim mesh MDLFILE\n", stderr);
        return SIM_USAGE;
    }
    TMesh Mesh;
    try {
        Mesh.Load(Args[0], true);
    } catch (const TFileError& Error) {
        std::fprintf(stderr, "marvolin-sim: %s\n", Error.what());
        return SIM_BAD_FILE;
    }
    std::printf("vertices %d faces %d\n", Mesh.VertexCount, Mesh.FaceCount);
    for (int32_t I = 0; I < Mesh.VertexCount; ++I) {
        const TVec3& P = Mesh.Vertices[size_t(I)];
        const TVec3& N = Mesh.Normals[size_t(I)];
        const TTexCoord& T = Mesh.TexCoords[size_t(I)];
        std::printf("v %d %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g\n", I, P.x, P.y, P.z, N.x, N.y,
                    N.z, T.u, T.v);
    }
    for (int32_t J = 0; J < Mesh.FaceCount; ++J) {
        const TFace& F = Mesh.Faces[size_t(J)];
        std::printf("f %d %d %d %d\n", J, F.V[0], F.V[1], F.V[2]);
    }
    return SIM_OK;
}
