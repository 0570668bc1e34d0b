// The "Graphic" components of the renderer: creation from an object definition, removal,
// re-application of an edited definition, and their draw order.
#include <algorithm>

#include "core/game_object.h"
#include "core/stream_map.h"
#include "graphics/boss_graphic_component.h"
#include "graphics/graphic_component.h"
#include "graphics/graphics_process.h"

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
