// Breaking a breakable object: every mesh container of its pieces hierarchy becomes a level
// object of its own, drawn with the piece's mesh where the piece was drawn.
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/math_functions.h"
#include "core/message.h"
#include "graphics/graphic_component.h"
#include "graphics/graphics_process.h"
#include "graphics/mesh_hierarchy.h"

void GraphicsProcess::BreakObject(GraphicComponent* component, bool flag) {
    if (component == nullptr || component->GetSecondHierarchy() == 0 ||
        component->GetSecondRootFrame() == nullptr) {
        return;
    }
    m_break_flag = flag;
    ::UpdateFrameMatrices(component->GetSecondRootFrame(), nullptr);
    BreakFrame(component->GetSecondRootFrame(), component);
}

void GraphicsProcess::BreakFrame(Frame* frame, GraphicComponent* broken) {
    for (; frame != nullptr; frame = frame->m_sibling) {
        for (MeshContainer* c = frame->m_mesh_container; c != nullptr; c = c->m_next) {
            BreakPiece(c->m_name, c, frame, broken);
        }
        BreakFrame(frame->m_first_child, broken);
    }
}

void GraphicsProcess::BreakPiece(const std::string& name, MeshContainer* container, Frame* frame,
                                 GraphicComponent* broken) {
    GameObject* const owner = broken->owner;
    const bool ball = name.find("Sphere") != std::string::npos && owner != nullptr &&
                      owner->name == "BuildingBowlingAlley";
    m_level_object = nullptr;
    Message<std::string> create(MSG_LEVEL_CREATE_OBJECT,
                                ball ? "BuildingBowlingBall" : "BuildingBlock");
    SendMessage(&create, HANDLER_LEVEL_STATE, 0.0f);
    GameObject* const piece = m_level_object;
    if (piece == nullptr) {
        return;
    }
    auto* const graphic =
        dynamic_cast<GraphicComponent*>(piece->GetComponent(ComponentType::Graphic));
    if (graphic != nullptr) {
        graphic->SetPieceMesh(*container, *broken);
    }
    if (owner == nullptr) {
        return;
    }
    // The piece's frame inside the broken object's drawn mesh, which was re-centred.
    const Float3& offset = broken->GetCentreOffset();
    const Float4x4 placed = Math::MatrixMultiply(
        Math::MatrixMultiply(frame->m_combined,
                             Math::MatrixTranslation(-offset.x, -offset.y, -offset.z)),
        *broken->GetWorldMatrix());
    piece->SetPosition(Vector(placed.m[12], placed.m[13], placed.m[14]));
    Float3 scale;
    Quaternion turn;
    Float3 translation;
    Math::MatrixDecompose(frame->m_combined, scale, turn, translation);
    piece->SetOrientation(Math::QuaternionMultiply(turn, owner->orientation));
    piece->SetScale(owner->scale);
}
