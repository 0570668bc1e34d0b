#pragma once
// A component built from an object definition. It keeps the name of the object type it was
// defined under, because kinds of objects are told apart by that name ("AI-Ground-Tank",
// "RobotBody").
#include <string>
#include <utility>

#include "core/component.h"

class DefinitionComponent : public Component {
  public:
    explicit DefinitionComponent(std::string objectType) : m_object_type(std::move(objectType)) {}
    void Update(float dt) override {}

    const std::string m_object_type;
};
