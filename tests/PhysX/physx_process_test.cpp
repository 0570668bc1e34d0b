#include <gtest/gtest.h>

#include <memory>

#include "PhysX/physx_component.h"
#include "PhysX/physx_process.h"
#include "support/level_process_check.h"

namespace {

using level_process_check::Is;

TEST(LevelProcesses, PhysXProcessHasItsHandlerIdAndCreatesExactlyItsComponentTypes) {
    level_process_check::ExpectLevelProcess({"PhysXProcess",
                                             [] { return std::make_unique<PhysXProcess>(); },
                                             PhysXProcess::kHandlerId,
                                             9,
                                             {{ComponentType::Physics, Is<PhysXComponent>}}});
}

} // namespace
