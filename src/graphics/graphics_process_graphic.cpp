// The "Graphic" components of the renderer: creation from an object definition, removal,
// re-application of an edited definition, and their draw order.
#include <algorithm>
#include <cmath>

#include "core/component_type.h"
#include "core/game_object.h"
#include "core/math_functions.h"
#include "core/stream_map.h"
#include "game/physics_info.h"
#include "graphics/boss_graphic_component.h"
#include "graphics/graphic_component.h"
#include "graphics/graphics_process.h"
#include "graphics/mesh_hierarchy.h"
#include "platform/gfx/mesh.h"

namespace {

// The nine "Graphic" parameters in stream order. A short stream leaves the rest empty,
// false and zero.
struct GraphicParameters {
    std::string mesh;
    std::string bumpMap;
    std::string specularMap;
    bool castShadow = false;
    float hdrMultiplier = 0.0f;
    float specularPower = 0.0f;
    bool renderRed = false;
    bool animated = false;
    // "true": breakable with no broken mesh of its own; "false": not breakable; any other
    // text: breakable, and the text names the broken mesh.
    u8 breakable = 0;
    std::string brokenMesh;

    void Read(StreamMap* stream) {
        stream->ReadString(mesh);
        stream->ReadString(bumpMap);
        stream->ReadString(specularMap);
        stream->ReadBool(castShadow);
        stream->ReadFloat(hdrMultiplier);
        stream->ReadFloat(specularPower);
        stream->ReadBool(renderRed);
        stream->ReadBool(animated);
        std::string text;
        stream->ReadString(text);
        breakable = text == "false" || text.empty() ? 0 : 1;
        brokenMesh = text == "true" || text == "false" ? std::string() : text;
    }
};

bool IsBossType(const std::string& type) {
    return type == "Tiny" || type == "AI-Boss-Fly-UFO";
}

// One box per mesh container, placed by its frame's combined matrix: half extents of the
// container's mesh box scaled by the frame, the box centre as translation, mass the box
// volume. A container whose name holds "Sphere" becomes a sphere.
void AppendCollisionShapes(const Frame* frame, std::vector<PhysicsInfo>& out) {
    for (; frame != nullptr; frame = frame->m_sibling) {
        for (const MeshContainer* c = frame->m_mesh_container; c != nullptr; c = c->m_next) {
            if (c->m_mesh == nullptr || c->m_mesh->VertexCount() == 0) {
                continue;
            }
            Float3 min;
            Float3 max;
            Math::ComputeBoundingBox(c->m_mesh->Vertices()[0].position, c->m_mesh->VertexCount(),
                                     gfx::Mesh::kVertexStride, min, max);
            Float3 scale;
            Quaternion rotation;
            Float3 translation;
            Math::MatrixDecompose(frame->m_combined, scale, rotation, translation);
            const Float4x4 turn = Math::MatrixRotationQuaternion(rotation);
            const Float3 centre = Math::Vec3TransformCoord(
                {(min.x + max.x) / 2, (min.y + max.y) / 2, (min.z + max.z) / 2}, frame->m_combined);
            PhysicsInfo info;
            info.m_dimensions[0] = (max.x - min.x) / 2 * std::fabs(scale.x);
            info.m_dimensions[1] = (max.y - min.y) / 2 * std::fabs(scale.y);
            info.m_dimensions[2] = (max.z - min.z) / 2 * std::fabs(scale.z);
            for (int row = 0; row < 3; ++row) {
                for (int column = 0; column < 3; ++column) {
                    info.m_rotation[row * 3 + column] = turn.m[row * 4 + column];
                }
            }
            info.m_translation[0] = centre.x;
            info.m_translation[1] = centre.y;
            info.m_translation[2] = centre.z;
            info.m_name = c->m_name.find(PhysicsInfo::kSphereName) != std::string::npos
                              ? PhysicsInfo::kSphereName
                              : c->m_name;
            info.m_mass = 8.0f * info.m_dimensions[0] * info.m_dimensions[1] * info.m_dimensions[2];
            out.push_back(info);
        }
        AppendCollisionShapes(frame->m_first_child, out);
    }
}

} // namespace

Component* GraphicsProcess::CreateGraphicComponent(const std::string& objectType,
                                                   StreamMap* stream) {
    GraphicParameters p;
    p.Read(stream);
    const bool citizen = objectType == GraphicComponent::kCitizenType && m_citizen_mesh_built == 0;
    GraphicComponent* component = nullptr;
    if (IsBossType(objectType)) {
        component =
            new BossGraphicComponent(objectType, this, m_device.get(), p.mesh, p.castShadow,
                                     p.specularPower, p.hdrMultiplier, p.animated, p.breakable);
    } else {
        component = new GraphicComponent(objectType, this, m_device.get(), p.mesh, p.castShadow,
                                         p.specularPower, p.hdrMultiplier, p.animated, p.breakable,
                                         p.brokenMesh);
    }
    component->SetBumpMapByName(p.bumpMap);
    component->SetSpecularMapByName(p.specularMap);
    component->process = this;
    component->m_render_red = p.renderRed ? 1 : 0;
    m_graphic_components.push_back(component);
    SortGraphicComponents();
    if (citizen) {
        m_citizen_component = component;
    }
    return component;
}

bool GraphicsProcess::RemoveGraphicComponent(Component* component) {
    const auto found =
        std::find(m_graphic_components.begin(), m_graphic_components.end(), component);
    if (found == m_graphic_components.end()) {
        return false;
    }
    GraphicComponent* const graphic = *found;
    const std::string& type =
        graphic->owner != nullptr ? graphic->owner->name : graphic->GetObjectType();
    if (type == GraphicComponent::kCitizenType && graphic->OwnsCitizenMesh()) {
        m_citizen_mesh_built = 0;
        m_citizen_component = nullptr;
    }
    m_graphic_components.erase(found);
    delete graphic;
    return true;
}

void GraphicsProcess::UpdateGraphicComponents(const std::string& objectType, StreamMap* stream) {
    GraphicParameters p;
    p.Read(stream);
    for (GraphicComponent* component : m_graphic_components) {
        if (component->owner == nullptr || component->owner->name != objectType) {
            continue;
        }
        component->SetHdrMultiplier(p.hdrMultiplier);
        component->m_render_red = p.renderRed ? 1 : 0;
        component->SetDefinitionFlag1(p.castShadow ? 1 : 0);
        component->SetSpecularPower(p.specularPower);
        component->SetAnimated(p.animated ? 1 : 0);
        component->LoadMesh(p.mesh);
        component->SetBumpMapByName(p.bumpMap);
        component->SetSpecularMapByName(p.specularMap);
        component->SetSecondHierarchy(p.breakable);
        component->SetName(p.brokenMesh);
    }
    SortGraphicComponents();
}

void GraphicsProcess::SortGraphicComponents() {
    std::stable_sort(m_graphic_components.begin(), m_graphic_components.end(),
                     [](const GraphicComponent* a, const GraphicComponent* b) {
                         return a->SortKey() > b->SortKey();
                     });
}

void GraphicsProcess::DeleteGraphicComponents() {
    for (GraphicComponent* component : m_graphic_components) {
        delete component;
    }
    m_graphic_components.clear();
    m_citizen_component = nullptr;
    m_citizen_mesh_built = 0;
}

void GraphicsProcess::GetCollisionMeshData(std::vector<PhysicsInfo>& out,
                                           const std::string& meshName, GameObject* object) {
    std::string name = meshName == "true" || meshName == "false" ? std::string() : meshName;
    if (name.empty() && object != nullptr) {
        auto* const graphic =
            dynamic_cast<GraphicComponent*>(object->GetComponent(ComponentType::Graphic));
        if (graphic == nullptr) {
            return;
        }
        if (graphic->GetSecondRootFrame() != nullptr) {
            // The pieces as the component holds them, already placed.
            AppendCollisionShapes(graphic->GetSecondRootFrame(), out);
            return;
        }
        name = graphic->GetMeshName();
    }
    if (name.empty()) {
        return;
    }
    Frame* const root = LoadAnimatedMesh(name).m_root;
    const DeviceLock lock;
    ::UpdateFrameMatrices(root, nullptr);
    AppendCollisionShapes(root, out);
}
