// Breaking a breakable object: every mesh container of its pieces hierarchy becomes a level
// object of its own, drawn with the piece's mesh where the piece was drawn.
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/math_functions.h"
#include "core/message.h"
#include "game/piece_body.h"
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
    if (graphic != nullptr) {
        SendPieceBody(*piece, *graphic, *broken, name);
    }
}

void GraphicsProcess::SendPieceBody(GameObject& piece, const GraphicComponent& graphic,
                                    const GraphicComponent& broken,
                                    const std::string& containerName) {
    float pieceBox[6];
    float brokenBox[6];
    graphic.GetLocalBox(pieceBox);
    broken.GetLocalBox(brokenBox);
    const Vector pieceMin(pieceBox[0], pieceBox[1], pieceBox[2]);
    const Vector pieceMax(pieceBox[3], pieceBox[4], pieceBox[5]);
    PieceBody body;
    body.m_broken = broken.owner;
    body.m_volume_share =
        VolumeShare(pieceMin, pieceMax, Vector(brokenBox[0], brokenBox[1], brokenBox[2]),
                    Vector(brokenBox[3], brokenBox[4], brokenBox[5]));
    body.m_half_extents = (pieceMax - pieceMin) * 0.5f;
    body.m_radius = graphic.GetSphereRadius();
    body.m_sphere = containerName.find(PieceBody::kSphereName) != std::string::npos;
    body.m_awake = m_break_flag;
    Message<PieceBody> message(MSG_PHYSICS_PIECE_BODY, body);
    SendMessage(&message, piece.id);
}
