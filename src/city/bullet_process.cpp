#include "city/bullet_process.h"

#include "city/bullet_component.h"

Component* BulletProcess::CreateComponent(StreamMap* parameters) {
    return CreateFromStream<BulletComponent>(parameters, ComponentType::Bullet);
}
