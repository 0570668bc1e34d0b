#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/gfx/mesh.h"
#include "platform/gfx/x_file.h"
#include "platform/gfx/x_mesh.h"

namespace {

// A unit quad in the xz plane as one four-cornered face with two materials on two
// triangles after a second face, plus a template and a material given by reference.
const char* const kTwoMaterials = R"(xof 0303txt 0032
template Vector {
 <3D82AB5E-62DA-11cf-AB39-0020AF71E433>
 FLOAT x; FLOAT y; FLOAT z;
}
// a comment
Material Red {
 1.0;0.0;0.0;1.0;;
 5.0;
 0.0;0.0;0.0;;
 0.0;0.0;0.0;;
}
Frame Root {
 FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }
 Mesh Quad {
  5;
  0.0;0.0;0.0;, 1.0;0.0;0.0;, 1.0;0.0;1.0;, 0.0;0.0;1.0;, 0.5;1.0;0.5;;
  2;
  3;0,4,1;,
  4;0,3,2,1;;
  MeshTextureCoords { 5; 0;0;, 1;0;, 1;1;, 0;1;, 0.5;0.5;; }
  MeshMaterialList {
   2; 2; 1, 0;;
   { Red }
   Material Blue { 0.0;0.0;1.0;1.0;; 1.0; 0;0;0;; 0;0;0;; TextureFilename { "blue.png"; } }
  }
 }
}
)";

gfx::XFile Parsed(const std::string& text) {
    gfx::XFile file;
    std::string error;
    EXPECT_TRUE(file.Parse(text, &error)) << error;
    return file;
}

TEST(XFileTest, ObjectsNamesNumbersStringsAndReferencesAreRead) {
    const gfx::XFile file = Parsed(kTwoMaterials);
    ASSERT_EQ(file.Objects().size(), 2u); // the template is skipped
    EXPECT_EQ(file.Objects()[0].type, "Material");
    EXPECT_EQ(file.Objects()[0].numbers.size(), 11u);
    const gfx::XData* quad = file.Find("Quad");
    ASSERT_NE(quad, nullptr);
    EXPECT_EQ(quad->type, "Mesh");
    const gfx::XData* list = quad->Child("MeshMaterialList");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->children.size(), 2u);
    EXPECT_TRUE(list->children[0].IsReference());
    EXPECT_EQ(file.Resolve(list->children[0]), &file.Objects()[0]);
    EXPECT_EQ(list->children[1].Child("TextureFilename")->strings.front(), "blue.png");
}

TEST(XFileTest, BrokenTextGivesAnErrorAndNoObjects) {
    const std::string text(kTwoMaterials);
    const struct {
        std::string text;
        const char* why;
    } cases[] = {
        {text.substr(0, text.size() / 2), "cut in the middle"},
        {text.substr(0, text.size() - 3), "last brace missing"},
        {"xof 0303bin 0032 binary", "binary format"},
        {"hello", "no header"},
        {"xof 0303txt 0032\nMesh { \"open", "unterminated string"},
        {"xof 0303txt 0032\nMesh { 1; } }", "stray brace"},
        {"xof 0303txt 0032\n" + std::string(500, '{'), "brace soup"},
        {"xof 0303txt 0032\n" +
             [] {
                 std::string deep;
                 for (int i = 0; i < 1000; ++i) {
                     deep += "Frame {";
                 }
                 return deep;
             }(),
         "nested deeper than any model"},
    };
    for (const auto& c : cases) {
        gfx::XFile file;
        std::string error;
        EXPECT_FALSE(file.Parse(c.text, &error)) << c.why;
        EXPECT_FALSE(error.empty()) << c.why;
        EXPECT_TRUE(file.Objects().empty()) << c.why;
    }
}

TEST(XMeshTest, TwoMaterialsGiveTwoSubsetsInMaterialOrderAndTheQuadIsFanned) {
    const gfx::XFile file = Parsed(kTwoMaterials);
    gfx::LoadedMesh loaded;
    std::string error;
    ASSERT_TRUE(gfx::BuildMesh(file, *file.Find("Quad"), loaded, &error)) << error;
    ASSERT_EQ(loaded.materials.size(), 2u);
    EXPECT_EQ(loaded.materials[0].diffuse[0], 1.0f);
    EXPECT_EQ(loaded.materials[0].power, 5.0f);
    EXPECT_TRUE(loaded.materials[0].textureFile.empty());
    EXPECT_EQ(loaded.materials[1].diffuse[2], 1.0f);
    EXPECT_EQ(loaded.materials[1].textureFile, "blue.png");

    const gfx::Mesh& mesh = *loaded.mesh;
    EXPECT_EQ(mesh.FaceCount(), 3u); // a triangle and a fanned quad
    EXPECT_EQ(mesh.SubsetCount(), 2u);
    const auto& table = mesh.AttributeTable();
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].attributeId, 0u);
    EXPECT_EQ(table[0].faceStart, 0u);
    EXPECT_EQ(table[0].faceCount, 2u); // the quad, material 0, now first
    EXPECT_EQ(table[1].attributeId, 1u);
    EXPECT_EQ(table[1].faceStart, 2u);
    EXPECT_EQ(table[1].faceCount, 1u);
    // The fan keeps the first corner: (0,3,2) and (0,2,1) in file vertex numbers.
    const gfx::ObjectVertex* v = mesh.Vertices();
    const u32* index = mesh.Indices();
    const float expected[2][3][3] = {{{0, 0, 0}, {0, 0, 1}, {1, 0, 1}},
                                     {{0, 0, 0}, {1, 0, 1}, {1, 0, 0}}};
    for (int face = 0; face < 2; ++face) {
        for (int corner = 0; corner < 3; ++corner) {
            for (int axis = 0; axis < 3; ++axis) {
                EXPECT_EQ(v[index[face * 3 + corner]].position[axis], expected[face][corner][axis]);
            }
        }
    }
}

TEST(XMeshTest, NormalsWithoutAFileListAreSmoothAndTangentsFollowTheTextureAxes) {
    const gfx::XFile file = Parsed(kTwoMaterials);
    gfx::LoadedMesh loaded;
    ASSERT_TRUE(gfx::BuildMesh(file, *file.Find("Quad"), loaded));
    const gfx::Mesh& mesh = *loaded.mesh;
    for (u32 i = 0; i < mesh.VertexCount(); ++i) {
        const gfx::ObjectVertex& vertex = mesh.Vertices()[i];
        const float* n = vertex.normal;
        EXPECT_NEAR(std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), 1.0f, 1e-5f);
        // Clockwise seen from above: the flat quad's corners face up.
        if (vertex.position[1] == 0.0f && vertex.position[0] == 1.0f &&
            vertex.position[2] == 1.0f) {
            EXPECT_NEAR(n[1], 1.0f, 1e-5f);
            EXPECT_NEAR(vertex.tangent[0], 1.0f, 1e-5f);  // u grows along x
            EXPECT_NEAR(vertex.binormal[2], 1.0f, 1e-5f); // v grows along z
        }
    }
}

TEST(XMeshTest, BadFacesAreReportedAsText) {
    const struct {
        const char* faces;
        const char* expected;
    } cases[] = {
        {"1; 3;0,1,7;;", "out of range"},
        {"1; 3;0,1,1;;", "one vertex twice"},
        {"1; 2;0,1;;", "fewer than three"},
        {"2; 3;0,1,2;;", "cut short"},
    };
    for (const auto& c : cases) {
        const std::string text =
            std::string("xof 0303txt 0032\nMesh M { 3; 0;0;0;, 1;0;0;, 0;0;1;; ") + c.faces +
            " }\n";
        const gfx::XFile file = Parsed(text);
        gfx::LoadedMesh loaded;
        std::string error;
        EXPECT_FALSE(gfx::BuildMesh(file, file.Objects()[0], loaded, &error)) << c.faces;
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
        EXPECT_NE(error.find("Mesh M"), std::string::npos) << error;
    }
}

TEST(XMeshTest, AFileMeshIsPlacedByItsFramesAndSkinWeightsFollowSplitVertices) {
    const gfx::XFile file = Parsed(R"(xof 0303txt 0032
Frame Outer {
 FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 10,0,0,1;; }
 Frame Inner {
  FrameTransformMatrix { 2,0,0,0, 0,2,0,0, 0,0,2,0, 0,5,0,1;; }
  Mesh Tri {
   3; 0;0;0;, 1;0;0;, 0;0;1;;
   2; 3;0,2,1;, 3;0,1,2;;
   MeshNormals { 2; 0;1;0;, 0;-1;0;; 2; 3;0,0,0;, 3;1,1,1;; }
   SkinWeights { "Bone"; 2; 0, 2; 0.25, 1.0; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }
  }
 }
}
)");
    gfx::LoadedMesh placed;
    ASSERT_TRUE(gfx::BuildFileMesh(file, placed));
    // Inner then outer: (1,0,0) -> (2,5,0) -> (12,5,0).
    bool found = false;
    for (u32 i = 0; i < placed.mesh->VertexCount(); ++i) {
        const float* p = placed.mesh->Vertices()[i].position;
        found = found || (p[0] == 12.0f && p[1] == 5.0f && p[2] == 0.0f);
    }
    EXPECT_TRUE(found);
    EXPECT_TRUE(placed.bones.empty());

    gfx::LoadedMesh skinned;
    ASSERT_TRUE(gfx::BuildMesh(file, *file.Find("Tri"), skinned));
    ASSERT_EQ(skinned.bones.size(), 1u);
    EXPECT_EQ(skinned.bones[0].frame, "Bone");
    // Each file vertex appears once with each of its two normals: both copies carry its
    // weight.
    ASSERT_EQ(skinned.mesh->VertexCount(), 6u);
    ASSERT_EQ(skinned.bones[0].vertices.size(), 4u);
    for (std::size_t i = 0; i < skinned.bones[0].vertices.size(); ++i) {
        const float* p = skinned.mesh->Vertices()[skinned.bones[0].vertices[i]].position;
        const float weight = skinned.bones[0].weights[i];
        EXPECT_TRUE((p[0] == 0.0f && p[2] == 0.0f && weight == 0.25f) ||
                    (p[2] == 1.0f && weight == 1.0f));
    }
}

TEST(XMeshTest, ACloneIsIndependentAndALockMarksTheMeshChanged) {
    const gfx::XFile file = Parsed(kTwoMaterials);
    gfx::LoadedMesh loaded;
    ASSERT_TRUE(gfx::BuildMesh(file, *file.Find("Quad"), loaded));
    const auto clone = loaded.mesh->Clone();
    clone->LockVertices()[0].position[0] = 42.0f;
    clone->UnlockVertices();
    EXPECT_TRUE(clone->IsDirty());
    EXPECT_NE(loaded.mesh->Vertices()[0].position[0], 42.0f);
    EXPECT_EQ(clone->AttributeTable().size(), loaded.mesh->AttributeTable().size());
}

} // namespace
