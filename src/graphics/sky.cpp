#include "graphics/sky.h"

#include <cmath>
#include <cstring>

#include "core/math_functions.h"
#include "graphics/effect_loader.h"
#include "platform/gfx/buffer.h"
#include "platform/gfx/device.h"
#include "platform/gfx/effect.h"
#include "platform/gfx/texture.h"

namespace {

constexpr float kPi = 3.14159265f;

// The object layout: position, tangent, binormal, normal and one texture coordinate.
struct ObjectLayoutVertex {
    Float3 position;
    Float3 tangent;
    Float3 binormal;
    Float3 normal;
    Float2 uv;
};
static_assert(sizeof(ObjectLayoutVertex) == 56);

Float4x4 SkyWorldViewProjection(const Float4x4& viewProjection, const Float3& eye) {
    return Math::MatrixTranslation(eye.x, eye.y, eye.z) * viewProjection;
}

} // namespace

SphereGeometry BuildSphere(float radius, u32 slices, u32 stacks) {
    SphereGeometry sphere;
    if (slices < 2 || stacks < 2) {
        return sphere;
    }
    const auto add = [&](const Float3& n) {
        sphere.normals.push_back(n);
        sphere.positions.push_back({n.x * radius, n.y * radius, n.z * radius});
    };
    add({0.0f, 0.0f, 1.0f});
    for (u32 stack = 1; stack < stacks; ++stack) {
        const float phi = kPi * static_cast<float>(stack) / static_cast<float>(stacks);
        for (u32 slice = 0; slice < slices; ++slice) {
            const float theta = 2.0f * kPi * static_cast<float>(slice) / static_cast<float>(slices);
            add({std::sin(phi) * std::cos(theta), std::sin(phi) * std::sin(theta), std::cos(phi)});
        }
    }
    add({0.0f, 0.0f, -1.0f});
    const u32 bottom = static_cast<u32>(sphere.positions.size()) - 1;
    const auto ring = [slices](u32 stack, u32 slice) {
        return 1 + stack * slices + slice % slices;
    };
    for (u32 slice = 0; slice < slices; ++slice) {
        sphere.indices.insert(sphere.indices.end(), {0, ring(0, slice + 1), ring(0, slice)});
    }
    for (u32 stack = 0; stack + 2 < stacks; ++stack) {
        for (u32 slice = 0; slice < slices; ++slice) {
            const u32 a = ring(stack, slice);
            const u32 b = ring(stack, slice + 1);
            const u32 c = ring(stack + 1, slice);
            const u32 d = ring(stack + 1, slice + 1);
            sphere.indices.insert(sphere.indices.end(), {a, b, c, b, d, c});
        }
    }
    for (u32 slice = 0; slice < slices; ++slice) {
        sphere.indices.insert(sphere.indices.end(),
                              {bottom, ring(stacks - 2, slice), ring(stacks - 2, slice + 1)});
    }
    return sphere;
}

std::unique_ptr<Sky> Sky::Create(gfx::Device& device, std::unique_ptr<gfx::Texture> cube,
                                 Report report, const char* shaderPackage) {
    std::unique_ptr<Sky> sky(new Sky(device));
    const SphereGeometry sphere = BuildSphere(kRadius, kSlices, kStacks);
    sky->m_vertices =
        std::make_unique<gfx::VertexBuffer>(sphere.positions.size() * sizeof(ObjectLayoutVertex));
    auto* vertices = reinterpret_cast<ObjectLayoutVertex*>(sky->m_vertices->Lock());
    for (std::size_t i = 0; i < sphere.positions.size(); ++i) {
        vertices[i] = ObjectLayoutVertex{sphere.positions[i], {}, {}, sphere.normals[i], {}};
    }
    sky->m_vertices->Unlock();
    sky->m_indices = std::make_unique<gfx::IndexBuffer>(sphere.indices.size() * sizeof(u32), true);
    std::memcpy(sky->m_indices->Lock(), sphere.indices.data(), sphere.indices.size() * sizeof(u32));
    sky->m_indices->Unlock();
    sky->m_triangles = static_cast<u32>(sphere.indices.size() / 3);
    sky->m_cube = std::move(cube);

    for (auto [name, effect] : {std::pair{kForwardEffect, &sky->m_forward},
                                std::pair{kDeferredEffect, &sky->m_deferred}}) {
        std::string errors;
        if (!CreateEffectFromPackage(&device, name, kEffectOptimizationFlag, *effect, &errors,
                                     shaderPackage)) {
            effect->reset();
            if (report != nullptr) {
                report(errors);
            }
            continue;
        }
        (*effect)->SetTexture("gEnvMap", sky->m_cube.get());
    }
    if (sky->m_forward) {
        sky->m_forward->SetTechnique("SkyTech");
    }
    return sky;
}

Sky::Sky(gfx::Device& device) : m_device(device) {}

Sky::~Sky() = default;

void Sky::DrawSphere() {
    m_device.SetVertexLayout(gfx::VertexLayout::Object);
    m_device.SetStreamSource(m_vertices.get(), sizeof(ObjectLayoutVertex));
    m_device.SetIndices(m_indices.get());
    m_device.DrawIndexedPrimitive(gfx::PrimitiveType::TriangleList, 0, 0, m_triangles);
}

void Sky::Render(const Float4x4& viewProjection, const Float3& eye) {
    if (!m_forward) {
        return;
    }
    const Float4x4 wvp = SkyWorldViewProjection(viewProjection, eye);
    m_forward->SetMatrix("gWVP", wvp.m);
    m_forward->SetFloatArray("gEyePosW", &eye.x, 3);
    u32 passes = 0;
    if (!m_forward->Begin(&passes, 0)) {
        return;
    }
    m_forward->BeginPass(0);
    DrawSphere();
    m_forward->EndPass();
    m_forward->End();
}

void Sky::RenderDeferred(const Float4x4& viewProjection, const Float3& eye,
                         const std::string& technique, float multiplier) {
    if (!m_deferred || !m_deferred->SetTechnique(technique)) {
        return;
    }
    const Float4x4 wvp = SkyWorldViewProjection(viewProjection, eye);
    m_deferred->SetMatrix("gWVP", wvp.m);
    m_deferred->SetFloat("mult", multiplier);
    m_deferred->SetFloatArray("gEyePosW", &eye.x, 3);
    u32 passes = 0;
    if (!m_deferred->Begin(&passes, 0)) {
        return;
    }
    m_deferred->BeginPass(0);
    DrawSphere();
    m_deferred->EndPass();
    m_deferred->End();
}
