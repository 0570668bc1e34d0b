// The skinned citizen of the game's art drawn on the real device (Mesa llvmpipe) through
// its graphic component, before and after one of its bones turns.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "core/bounds.h"
#include "core/game_object.h"
#include "core/math_functions.h"
#include "graphics/effect_loader.h"
#include "graphics/graphic_component.h"
#include "graphics/graphics_process.h"
#include "graphics/mesh_hierarchy.h"
#include "graphics/object_effects.h"
#include "graphics/render_state_cache.h"
#include "platform/gfx/effect.h"
#include "platform/gfx/mesh.h"
#include "support/gl_fixture.h"
#include "support/graphic_stream.h"

namespace {

const std::string kShaders = std::string(GORVANE_ASSETS_DIR) + "/packages/shaders.kzp";

class CitizenGlTest : public gl_fixture::DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        RenderStateCache::Restart();
        // The renderer finds the art package under ./assets, as in the game's folder.
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(GORVANE_BINARY_DIR);
        testing::internal::CaptureStdout();
        m_graphics = std::make_unique<GraphicsProcess>(nullptr, nullptr, 0, 1024.0f, 3);
        graphic_stream::Parameters p;
        p.mesh = "assets/art/citizen.X";
        p.animated = true;
        p.hdr = 1.0f;
        StreamMap stream = graphic_stream::GraphicStream(GraphicComponent::kCitizenType, p);
        m_citizen = dynamic_cast<GraphicComponent*>(m_graphics->CreateComponent(&stream));
        testing::internal::GetCapturedStdout();
        ASSERT_NE(m_citizen, nullptr);
        m_citizen->owner = &m_owner;
        m_citizen->Update(0.0f);
        std::string error;
        ASSERT_TRUE(CreateEffectFromPackage(m_device.get(), ObjectEffects::kPhongEffect,
                                            kEffectOptimizationFlag, m_phong, &error,
                                            kShaders.c_str()))
            << error;
        ASSERT_TRUE(m_phong->SetTechnique("TransformTech"));
    }

    void TearDown() override {
        // The meshes' GL buffers go while the context is there.
        m_phong.reset();
        if (m_citizen != nullptr) {
            m_graphics->RemoveComponent(m_citizen);
        }
        m_graphics.reset();
        std::filesystem::current_path(m_previous);
        DeviceTest::TearDown();
    }

    // Skins the citizen from its frames and draws it, framed by its bounding sphere, into a
    // fresh back buffer; returns the pixels.
    std::vector<gl_fixture::Rgba> Draw() {
        m_citizen->UpdateSkinning(0.0f);
        // The camera frames the standing citizen and stays for the later pictures.
        if (m_radius == 0.0f) {
            const BoxRecord& box = m_citizen->GetWorldBox();
            m_centre = {(box.min.x + box.max.x) / 2, (box.min.y + box.max.y) / 2,
                        (box.min.z + box.max.z) / 2};
            const float dy = box.max.y - box.min.y;
            m_radius = dy * 0.5f;
        }
        const Float3 centre = m_centre;
        const float radius = m_radius;
        const Float4x4 world = m_citizen->GetCentreOffsetMatrix() * *m_citizen->GetWorldMatrix();
        const Float4x4 view =
            Math::MatrixLookAtLH({centre.x, centre.y, centre.z - 3.0f * radius},
                                 {centre.x, centre.y, centre.z}, {0.0f, 1.0f, 0.0f});
        const Float4x4 projection = Math::MatrixPerspectiveFovLH(
            std::numbers::pi_v<float> / 3.0f, static_cast<float>(kWidth) / kHeight, 0.1f, 100.0f);
        gfx::Effect& phong = *m_phong;
        phong.SetMatrix("gWVP", (world * view * projection).m);
        phong.SetMatrix("gWorld", world.m);
        phong.SetMatrix("gWorldInverseTranspose", world.m);
        phong.SetMatrix("gView", view.m);
        const float eye[3] = {centre.x, centre.y, centre.z - 3.0f * radius};
        const float towardsLight[3] = {0.3f, 0.5f, -1.0f};
        const float diffuse[4] = {0.7f, 0.7f, 0.7f, 1.0f};
        const float ambient[4] = {0.3f, 0.3f, 0.3f, 1.0f};
        const float specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        phong.SetValue("gEyePosW", eye, sizeof(eye));
        phong.SetValue("gLightVecW", towardsLight, sizeof(towardsLight));
        phong.SetValue("gDiffuseLight", diffuse, sizeof(diffuse));
        phong.SetValue("gAmbientLight", ambient, sizeof(ambient));
        phong.SetValue("gSpecularLight", specular, sizeof(specular));
        phong.SetBool("render_shadows", false);
        phong.SetBool("useSpecularMapping", false);
        phong.SetFloat("hdr_multiplier", 1.0f);
        phong.SetFloat("alpha_color", 1.0f);
        phong.SetFloat("gSpecularPower", 16.0f);
        m_device->Clear(gfx::kClearTarget | gfx::kClearZBuffer, 0xFF000000u, 1.0f, 0);
        RenderStateCache::Set(*m_device, gfx::kRsZEnable, 1);
        RenderStateCache::Set(*m_device, gfx::kRsCullMode, gfx::kCullNone);
        m_device->SetVertexLayout(gfx::VertexLayout::Object);
        u32 passes = 0;
        EXPECT_TRUE(phong.Begin(&passes));
        phong.BeginPass(0);
        GraphicDrawPass pass;
        pass.effect = &phong;
        pass.device = m_device.get();
        m_citizen->DrawSubsets(pass);
        phong.EndPass();
        phong.End();
        const std::vector<u8> bytes = m_device->ReadBackBuffer();

        std::vector<gl_fixture::Rgba> pixels;
        for (i32 row = 0; row < kHeight; ++row) {
            for (i32 x = 0; x < kWidth; ++x) {
                pixels.push_back(gl_fixture::PixelAt(bytes, kWidth, x, row));
            }
        }
        return pixels;
    }

    // How many pixels of the rows [from, to) differ between two pictures.
    static int Differing(const std::vector<gl_fixture::Rgba>& a,
                         const std::vector<gl_fixture::Rgba>& b, i32 from, i32 to) {
        int count = 0;
        for (i32 row = from; row < to; ++row) {
            for (i32 x = 0; x < kWidth; ++x) {
                count += a[row * kWidth + x] == b[row * kWidth + x] ? 0 : 1;
            }
        }
        return count;
    }

    // How many pixels of the rows [from, to) are not the black background.
    static int Lit(const std::vector<gl_fixture::Rgba>& a, i32 from, i32 to) {
        int count = 0;
        for (i32 i = from * kWidth; i < to * kWidth; ++i) {
            count += a[i].r + a[i].g + a[i].b > 30 ? 1 : 0;
        }
        return count;
    }

    std::filesystem::path m_previous;
    std::unique_ptr<GraphicsProcess> m_graphics;
    GameObject m_owner{GraphicComponent::kCitizenType};
    GraphicComponent* m_citizen = nullptr;
    std::unique_ptr<gfx::Effect> m_phong;
    Float3 m_centre;
    float m_radius = 0.0f;
};

TEST_F(CitizenGlTest, TurningALegBoneRedrawsTheLegAndLeavesTheHeadAlone) {
    ASSERT_TRUE(m_citizen->HasSkinnedContainers());
    MeshContainer* const skin = m_citizen->GetFirstContainer();
    ASSERT_NE(skin, nullptr);
    ASSERT_NE(skin->m_working_mesh, nullptr);
    const std::vector<gl_fixture::Rgba> standing = Draw();
    // The citizen fills a good part of the picture, and the draw took the skinned vertices.
    EXPECT_GT(Lit(standing, 0, kHeight), kWidth * kHeight / 40);
    // The head is in the top quarter.
    EXPECT_GT(Lit(standing, 0, kHeight / 4), 4);
    EXPECT_FALSE(skin->m_working_mesh->IsDirty());
    // Drawing the same pose again gives the same picture.
    EXPECT_EQ(Differing(standing, Draw(), 0, kHeight), 0);

    Frame* const leg = FindFrame(m_citizen->GetRootFrame(), "LegLeft");
    ASSERT_NE(leg, nullptr);
    // Swing the leg out sideways about its hip.
    leg->m_transformation =
        Math::MatrixRotationZ(std::numbers::pi_v<float> / 3.0f) * leg->m_transformation;
    m_citizen->UpdateSkinning(0.0f);
    EXPECT_TRUE(skin->m_working_mesh->IsDirty()) << "a skinned mesh re-uploads after skinning";
    const std::vector<gl_fixture::Rgba> swung = Draw();
    EXPECT_FALSE(skin->m_working_mesh->IsDirty());
    // The legs are in the lower half of the picture (row 0 is the top), the head at the top.
    EXPECT_GT(Differing(standing, swung, kHeight / 2, kHeight), 10);
    EXPECT_EQ(Differing(standing, swung, 0, kHeight / 4), 0);
}

} // namespace
