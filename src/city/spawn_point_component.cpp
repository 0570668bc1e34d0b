#include "city/spawn_point_component.h"

#include <cmath>
#include <utility>

#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/math_functions.h"
#include "core/message.h"
#include "core/process.h"
#include "core/stream_map.h"
#include "game/remove_count.h"
#include "platform/system/crt_rand.h"

namespace {

constexpr f32 kQuarterTurn = 1.5707963f;

// The spawn point's orientation turned about its up axis by angle.
Quaternion Turned(const Quaternion& orientation, f32 angle) {
    const Quaternion turn{0.0f, std::sin(angle * 0.5f), 0.0f, std::cos(angle * 0.5f)};
    return Math::QuaternionMultiply(turn, orientation);
}

} // namespace

SpawnPointComponent::SpawnPointComponent(const std::string& objectType, StreamMap* parameters)
    : DefinitionComponent(objectType) {
    ReadParameters(parameters);
}

void SpawnPointComponent::ReadParameters(StreamMap* parameters) {
    if (parameters == nullptr) {
        return;
    }
    parameters->ReadString(m_typeName) && parameters->ReadFloat(m_interval) &&
        parameters->ReadInt(m_pending) && parameters->ReadFloat(m_minDistance) &&
        parameters->ReadFloat(m_extra);
}

void SpawnPointComponent::Initialize() {
    const auto* host = dynamic_cast<const SpawnPointHost*>(process);
    m_player = host != nullptr ? host->SpawnPlayer() : nullptr;
}

void SpawnPointComponent::Update(float dt) {
    if (m_needsInit) {
        Initialize();
        m_needsInit = false;
        return;
    }
    m_timer += dt;
    if (m_player == nullptr || owner == nullptr) {
        return;
    }
    const Vector toPlayer = m_player->position - owner->position;
    m_distanceSq = toPlayer.LengthSquared();

    if (m_distanceSq > kGiveBackDistanceSq && m_pending > 0 && m_typeName != "AI-Fly-Transport") {
        Message<RemoveCount> giveBack(MSG_REMOVE_COUNT, RemoveCount{m_typeName, m_pending});
        Send(&giveBack, HANDLER_GAME_LOGIC_PROCESS);
        m_pending = 0;
    }

    if (m_timer <= m_interval || m_pending <= 0 || m_distanceSq <= m_minDistance * m_minDistance) {
        return;
    }
    // The player's back faces the point unless the point lies in front of the player.
    const Vector direction = toPlayer.LengthSquared() > 0.0f ? toPlayer.GetNormalized() : toPlayer;
    const Vector backward = -Quaternion::GetDirection(m_player->orientation);
    if (direction.Dot(backward) >= kSightCosine) {
        return;
    }
    m_pending -= 1;
    const i32 a = crt::Rand() % 8;
    const i32 b = crt::Rand() % 100;
    m_timer = -(static_cast<f32>(a) + static_cast<f32>(b) / 100.0f);
    Message<std::string> create(MSG_LEVEL_CREATE_OBJECT, m_typeName);
    Send(&create, HANDLER_LEVEL_STATE);
}

void SpawnPointComponent::HandleMessage(BaseMessage* msg, u32) {
    if (msg->type != MSG_LEVEL_OBJECT_CREATED) {
        return;
    }
    if (GameObject* const* object = msg->Payload<GameObject*>()) {
        if (*object != nullptr) {
            Place(*object);
        }
    }
}

void SpawnPointComponent::Place(GameObject* object) const {
    if (owner == nullptr) {
        return;
    }
    object->SetPosition(owner->position);
    const std::string& type = object->name;
    if (type.find("AI-Ground-Citizen") != std::string::npos || type == "AI-Ground-CarGame") {
        // Backward, forward, right or left of the point, three chances in twelve each.
        // In quarter turns; a negative turn about +y faces the point's right.
        static constexpr f32 kTurns[12] = {2.0f, 0.0f,  -1.0f, 1.0f, 0.0f, 2.0f,
                                           0.0f, -1.0f, 1.0f,  2.0f, 1.0f, -1.0f};
        const i32 r = crt::Rand() % 12;
        object->SetOrientation(Turned(owner->orientation, kTurns[r] * kQuarterTurn));
    } else {
        object->SetOrientation(owner->orientation);
    }
    object->orientationChanged = true;
    if (type == "AI-Fly-MediumUFO") {
        object->SetScale(Vector(0.6f, 0.6f, 0.6f));
    }
    object->NotifyComponents();
}

void SpawnPointComponent::Send(BaseMessage* msg, u32 toId) const {
    if (owner != nullptr) {
        owner->router.SendMessage(msg, toId, owner->id);
    }
}
