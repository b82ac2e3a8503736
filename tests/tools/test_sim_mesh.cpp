// marvolin-sim mesh, run as a program on files written for the test.
#include "models/dMeshes.h"

#include "ToolRun.h"

#include <bit>
#include <limits>

namespace {

class SimMeshTest : public TSimTest {
protected:
    SimMeshTest() : TSimTest("marvolin-sim-mesh") {}
};

TFace Face(int32_t A, int32_t B, int32_t C) {
    return {{A, B, C}};
}

// A quad of two triangles in the z = 0 plane with a texture seam along its diagonal's far end.
TMdlData SeamedQuad() {
    TMdlData D;
    D.Vertices = {{0, 0, 0}, {2, 0, 0}, {2, 3, 0}, {0, 0.1f, 0}};
    D.Faces = {Face(0, 1, 2), Face(0, 2, 3)};
    D.TexCoords = {{0, 0}, {1, 0}, {1, 1}, {0.5f, 0.25f}, {0.1f, 1}};
    D.FaceTexCoords = {Face(0, 1, 2), Face(0, 3, 4)};
    return D;
}

std::vector<uint8_t> Patched(std::vector<uint8_t> Bytes, size_t Offset, int32_t Value) {
    for (int I = 0; I < 4; ++I)
        Bytes[Offset + size_t(I)] = uint8_t(uint32_t(Value) >> (8 * I));
    return Bytes;
}

} // namespace

TEST_F(SimMeshTest, PrintsTheWeldedMeshWithComputedNormals) {
    const std::string File = Write("quad.mdl", SerializeMdl(SeamedQuad()));
    ASSERT_EQ(Run({"mesh", File}), 0) << Err;
    // Vertex 2 is split by the seam and keeps the normal of its file vertex, which both triangles
    // touch; 0.1 prints as the float nearest to it.
    EXPECT_EQ(Out, "vertices 5 faces 2\n"
                   "v 0 0 0 0 0 0 2 0 0\n"
                   "v 1 2 0 0 0 0 1 1 0\n"
                   "v 2 2 3 0 0 0 2 1 1\n"
                   "v 3 2 3 0 0 0 2 0.5 0.25\n"
                   "v 4 0 0.100000001 0 0 0 1 0.100000001 1\n"
                   "f 0 0 1 2\n"
                   "f 1 0 3 4\n");
    EXPECT_EQ(Err, "");
}

TEST_F(SimMeshTest, BadFilesGiveOneLineOnStderrAndStatus2) {
    const std::vector<uint8_t> Good = SerializeMdl(SeamedQuad()); // V = 4, F = 2, T = 5
    const float NaN = std::numeric_limits<float>::quiet_NaN();
    std::vector<uint8_t> Short = Good;
    Short.resize(Good.size() - 1);
    std::vector<uint8_t> NoTexCoords = Patched(Good, 8, 0);
    NoTexCoords.resize(12);
    const struct {
        const char* Name;
        std::vector<uint8_t> Bytes;
    } Bad[] = {
        {"empty.mdl", {}},
        {"negative.mdl", Patched(Good, 0, -1)},
        {"huge.mdl", Patched(Good, 4, std::numeric_limits<int32_t>::max())},
        {"truncated.mdl", Short},
        {"index.mdl", Patched(Good, 12, 4)},
        {"texindex.mdl", Patched(Good, 12 + 24 + 40, -2)},
        {"nan.mdl", Patched(Good, Good.size() - 4, std::bit_cast<int32_t>(NaN))},
        {"notex.mdl", NoTexCoords},
    };
    for (const auto& B : Bad) {
        SCOPED_TRACE(B.Name);
        const std::string File = Write(B.Name, B.Bytes);
        EXPECT_EQ(Run({"mesh", File}), 2);
        EXPECT_EQ(Out, "");
        ASSERT_FALSE(Err.empty());
        EXPECT_EQ(Err.find('\n'), Err.size() - 1) << Err;
        EXPECT_NE(Err.find(File), std::string::npos) << Err;
    }
    SCOPED_TRACE("missing");
    const std::string Missing = (Folder / "missing.mdl").string();
    EXPECT_EQ(Run({"mesh", Missing}), 2);
    EXPECT_EQ(Err.find('\n'), Err.size() - 1) << Err;
    EXPECT_NE(Err.find(Missing), std::string::npos) << Err;
}

TEST_F(SimMeshTest, WrongUsageGivesStatus1AndAUsageLine) {
    EXPECT_EQ(Run({"mesh"}), 1);
    EXPECT_NE(Err.find("usage: marvolin-sim mesh MDLFILE"), std::string::npos) << Err;
    const std::string File = Write("quad.mdl", SerializeMdl(SeamedQuad()));
    EXPECT_EQ(Run({"mesh", File, File}), 1);
    EXPECT_NE(Err.find("usage"), std::string::npos) << Err;
    EXPECT_EQ(Out, "");
}
