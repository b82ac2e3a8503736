// The .mdl parser and what the game does with a parsed model: normals, then welding.
#include "FuzzTarget.h"

#include "engine/Files.h"
#include "models/dMeshes.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const std::vector<uint8_t> Bytes = FuzzBytes(Data, Size);
    for (const bool ComputeNormals : {true, false}) {
        TMesh Mesh;
        try {
            // A model read is written back as the bytes it was read from (the rest is ignored).
            const std::vector<uint8_t> Again =
                SerializeMdl(ParseMdl(Bytes, "fuzz.mdl", !ComputeNormals));
            FuzzExpect(Again.size() <= Bytes.size() &&
                           std::equal(Again.begin(), Again.end(), Bytes.begin()),
                       "a parsed .mdl serializes to the bytes it came from");
            Mesh.Load(Bytes, "fuzz.mdl", ComputeNormals);
        } catch (const TFileError&) {
            FuzzExpect(Mesh.VertexCount == 0 && Mesh.Faces.empty(),
                       "a refused model leaves it empty");
            continue;
        }
        ++FuzzAcceptedInputs;
        const size_t V = Mesh.Vertices.size();
        FuzzExpect(Mesh.VertexCount == int32_t(V) && Mesh.Normals.size() == V &&
                       Mesh.TexCoords.size() == V,
                   "a welded mesh has one normal and texture coordinate per vertex");
        for (const TFace& F : Mesh.Faces)
            for (const int32_t I : F.V)
                FuzzExpect(I >= 0 && size_t(I) < V, "welded faces index welded vertices");
    }
    return 0;
}
