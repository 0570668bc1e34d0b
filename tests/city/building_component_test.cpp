#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "city/city_level_fixture.h"
#include "game/radial_force.h"

namespace {

using city_level::Shape;

class BuildingDamage : public city_level::City {
  protected:
    // A frame of the level: the physics steps, then the buildings.
    void Frame() {
        process->Update(kFrame);
        buildings->Update(kFrame);
    }
    // The push of a hard punch (force 897, radius 14) from center.
    void PunchPush(const Vector& center) {
        Message<RadialForce> push(
            MSG_PHYSICS_RADIAL_FORCE,
            RadialForce(center, 14.0f, 897.0f, 0.25f, 0, 0, RadialForce::kImpulse));
        process->HandleMessage(&push, 0);
    }
    static constexpr float kFrame = 1.0f / 30.0f;
};

// One start of touch against a building that was never thrown (health 100, G = 1): who
// touches, what it costs and how loud the impact is (-1: no sound).
struct TouchRow {
    std::string name;
    std::string other;
    std::string building = "BuildingHighrise";
    float damage;
    float volume;
    bool otherLoose = false;
    bool otherThrown = false;
    float otherSpeed = 0.0f;
    bool unitThrown = false;
    bool loose = false;
};

TEST_F(BuildingDamage, StartOfTouchByWhatTouches) {
    const std::vector<TouchRow> rows = {
        {"right arm", "RobotRightArm", "BuildingHighrise", 6.0f, 0.9f},
        {"left arm", "RobotLeftArmLower", "BuildingHighrise", 6.0f, 0.9f},
        {"head", "RobotHead", "BuildingHighrise", 10.0f, 0.8f},
        {"body", "RobotBody", "BuildingHighrise", 2.8f, 0.8f},
        {"leg", "RobotLeg", "BuildingHighrise", 0.7f, 0.8f},
        {"base against a house is any other thing", "RobotBase", "BuildingHighrise", 0.2f, 0.0f},
        {"base against a car", "RobotBase", "BuildingCarRed", 24.0f, 0.4f},
        {"same type, slow", "BuildingHighrise", "BuildingHighrise", 0.45f, 0.6f},
        {"other type, fast", "BuildingStore", "BuildingHighrise", 3.0f, 0.6f, false, false, 10.0f},
        {"loose piece, fast", "BuildingBlock", "BuildingHighrise", 0.075f, 0.48f, true, false,
         10.0f},
        {"thrown building", "BuildingStore", "BuildingHighrise", 3.0f, 0.8f, false, true, 10.0f},
        {"bowling ball", "BuildingBowlingBall", "BuildingHighrise", 22.5f, 0.6f, false, false,
         10.0f},
        {"the plane", "InvisiblePlane", "BuildingHighrise", 0.2f, 0.0f},
        {"the plane under a gas station", "InvisiblePlane", "BuildingGasStation", 6.2f, 0.0f},
        {"UFO boss", "AI-Boss-Fly-UFO", "BuildingHighrise", 8.2f, 0.6f},
        {"medium UFO", "AI-Fly-MediumUFO", "BuildingHighrise", 4.2f, 0.0f},
        {"mothership", "AI-Boss-Fly-MothershipBase", "BuildingHighrise", 30.2f, 0.0f},
        {"driving tank", "AI-Ground-Tank", "BuildingHighrise", 0.0f, -1.0f},
        {"thrown tank", "AI-Ground-Tank", "BuildingHighrise", 4.2f, 0.6f, false, false, 0.0f, true},
        {"driving car", "AI-Ground-CarSedan", "BuildingHighrise", 0.0f, -1.0f},
        {"thrown helicopter", "AI-Fly-Helicopter", "BuildingHighrise", 4.2f, 0.6f, false, false,
         0.0f, true},
        {"citizen", "AI-Ground-Citizen", "BuildingHighrise", 0.0f, -1.0f},
        {"missile", "Missile", "BuildingHighrise", 0.2f, 0.6f},
        {"cardboard", "CardBoardCityBox", "BuildingHighrise", 0.2f, 0.5f},
        {"anything else", "Tree", "BuildingHighrise", 0.2f, 0.0f},
        {"leg against a loose piece", "RobotLeg", "BuildingBlock", 140.0f, 0.8f, false, false, 0.0f,
         false, true},
    };
    for (const TouchRow& row : rows) {
        SCOPED_TRACE(row.name);
        Shape shape;
        shape.anchored = !row.loose;
        GameObject* building = MakeBuilding(row.building, shape);
        GameObject* other = nullptr;
        if (row.other.find("Building") != std::string::npos) {
            Shape otherShape;
            otherShape.anchored = !row.otherLoose;
            other = MakeBuilding(row.other, otherShape);
            BuildingOf(other)->m_thrown = row.otherThrown;
            BuildingOf(other)->m_throw_time = 0.75f;
        } else {
            other = Make(row.other);
        }
        other->velocity = Vector(row.otherSpeed, 0.0f, 0.0f);
        if (row.unitThrown) {
            services.thrownUnits.insert(other);
        }
        services.sounds.clear();
        // A loose piece that was never thrown sounds only now and then: always, with G = 0...
        // so the rows with loose buildings are checked for damage only.
        Touch(building, other);
        EXPECT_NEAR(100.0f - BuildingOf(building)->m_health, row.damage, 1e-4f);
        if (row.loose) {
            continue;
        }
        if (row.volume < 0.0f) {
            EXPECT_TRUE(services.sounds.empty());
        } else {
            ASSERT_EQ(services.sounds.size(), 1u);
            EXPECT_FLOAT_EQ(services.sounds[0].volume, row.volume);
        }
    }
}

TEST_F(BuildingDamage, ArmsPunchWithThePunchSoundOthersWithOneOfThreeImpacts) {
    GameObject* building = MakeBuilding("BuildingHighrise");
    Touch(building, Make("RobotRightArm"));
    Touch(building, Make("RobotBody"));
    ASSERT_EQ(services.sounds.size(), 2u);
    EXPECT_EQ(services.sounds[0].path, "assets/sound fx/punch_impact.mp3");
    EXPECT_EQ(services.sounds[1].path.rfind("assets/sound fx/building_impact", 0), 0u);
    EXPECT_EQ(services.sounds[1].path.substr(services.sounds[1].path.size() - 4), ".mp3");
}

TEST_F(BuildingDamage, ThrownBuildingsRampUpFromNothingAtRelease) {
    GameObject* building = MakeBuilding("BuildingStore");
    BuildingComponent* b = BuildingOf(building);
    b->m_thrown = true;
    b->m_throw_time = 0.0f;
    b->Damage(10.0f);
    b->DamageHeavy(10.0f);
    Push(building, 100000.0f);
    Touch(building, Make("Tree"));
    EXPECT_FLOAT_EQ(b->m_health, 100.0f);
    // Half way up the ramp: f = 2 * 0.5^3.
    b->m_throw_time = 0.375f;
    b->Damage(10.0f);
    EXPECT_FLOAT_EQ(b->m_health, 100.0f - 2.5f);
    // Over the ramp: the base is 7.5 and the plane costs 0.15 of it.
    b->m_throw_time = 0.75f;
    b->m_health = 100.0f;
    Touch(building, Make("InvisiblePlane"));
    EXPECT_FLOAT_EQ(b->m_health, 100.0f - 2.25f);
}

TEST_F(BuildingDamage, NoDamageWithMultiplierZeroAndLoosePiecesAlwaysSound) {
    BuildingComponent::s_damage_multiplier = 0.0f;
    Shape loose;
    loose.anchored = false;
    GameObject* piece = MakeBuilding("BuildingBlock", loose);
    GameObject* house = MakeBuilding("BuildingHighrise");
    for (int i = 0; i < 20; ++i) {
        Touch(piece, Make("RobotHead"));
        Touch(house, Make("RobotHead"));
        Push(piece, 1.0e6f);
    }
    EXPECT_FLOAT_EQ(BuildingOf(piece)->m_health, 100.0f);
    EXPECT_FLOAT_EQ(BuildingOf(house)->m_health, 100.0f);
    std::size_t pieceSounds = 0;
    for (const auto& s : services.sounds) {
        pieceSounds += s.object == piece ? 1 : 0;
    }
    EXPECT_EQ(pieceSounds, 40u);
}

TEST_F(BuildingDamage, LoosePiecesSoundOnlyNowAndThen) {
    Shape loose;
    loose.anchored = false;
    GameObject* piece = MakeBuilding("BuildingBlock", loose);
    for (int i = 0; i < 200; ++i) {
        BuildingOf(piece)->m_health = 1000.0f;
        Touch(piece, Make("Tree"));
    }
    EXPECT_GT(services.sounds.size(), 0u);
    EXPECT_LT(services.sounds.size(), 30u);
}

TEST_F(BuildingDamage, CollapseTakesOneUpdateForHousesOneSecondForPiecesAndMoreForGas) {
    struct Row {
        std::string type;
        bool anchored;
        int updatesToRemove;
    };
    // dt 0.25: an anchored house collapses in one update and is flagged in the next; a
    // loose piece needs 1.0 s of collapse, a gas station 1.5 s.
    for (const Row& row : {Row{"BuildingHighrise", true, 2}, Row{"BuildingBlock", false, 5},
                           Row{"BuildingGasStation", true, 7}}) {
        SCOPED_TRACE(row.type);
        Shape shape;
        shape.anchored = row.anchored;
        BuildingComponent* b = BuildingOf(MakeBuilding(row.type, shape));
        b->m_health = 0.0f;
        int updates = 0;
        while (!b->m_remove && updates < 20) {
            b->Update(0.25f);
            ++updates;
            if (updates == 1) {
                EXPECT_TRUE(b->m_collapsing);
            }
        }
        EXPECT_EQ(updates, row.updatesToRemove);
    }
}

TEST_F(BuildingDamage, GasStationOnThePlaneCollapsesAtOnceFromThreeQuarters) {
    GameObject* gas = MakeBuilding("BuildingGasStation", Shape().Health(5.0f));
    Touch(gas, Make("InvisiblePlane"));
    BuildingComponent* b = BuildingOf(gas);
    EXPECT_TRUE(b->m_collapsing);
    EXPECT_FLOAT_EQ(b->m_timer, 0.75f);
    b->Update(0.5f);
    EXPECT_FALSE(b->m_remove);
    b->Update(0.25f);
    EXPECT_TRUE(b->m_remove);
    EXPECT_FLOAT_EQ(services.shades[gas], 1.75f);
}

TEST_F(BuildingDamage, LoosePiecesCrumbleElevenTimesFasterAmongAThousandBuildings) {
    const auto advance = [&](int count) {
        BuildingProcess crowd(false, false);
        StreamMap stream;
        stream.AddString("Object Type", "BuildingBlock");
        stream.AddString("Component Type", "Building");
        stream.AddBool("Grabbable", false);
        stream.AddFloat("Health", 100.0f);
        for (int i = 0; i < count; ++i) {
            stream.BeginRead();
            crowd.CreateComponent(&stream);
        }
        BuildingComponent* piece = crowd.m_buildings.front();
        GameObject object("BuildingBlock");
        piece->owner = &object;
        piece->m_loose = true;
        piece->m_timer = 0.1f;
        crt::SeedRand(3);
        piece->Update(0.01f);
        piece->owner = nullptr;
        return piece->m_timer - 0.1f;
    };
    const float many = advance(1000);
    const float some = advance(500);
    EXPECT_NEAR(many / some, 11.0f, 1e-3f);
}

TEST_F(BuildingDamage, LightsGoOutBelowFourPointEightExceptOnBillboards) {
    GameObject* house = MakeBuilding("BuildingHighrise", Shape().Health(10.0f));
    GameObject* board = MakeBuilding("BuildingBillboard", Shape().Health(10.0f));
    Touch(house, Make("RobotBody"));
    EXPECT_FALSE(services.lightsOff.count(house));
    Touch(house, Make("RobotBody"));
    EXPECT_LT(BuildingOf(house)->m_health, 4.8f);
    EXPECT_TRUE(services.lightsOff.count(house));
    Touch(board, Make("RobotHead"));
    EXPECT_LT(BuildingOf(board)->m_health, 4.8f);
    EXPECT_FALSE(services.lightsOff.count(board));
}

TEST_F(BuildingDamage, PushesCostInProportionToForceOverMaximumHealth) {
    GameObject* house = MakeBuilding("BuildingHighrise");
    GameObject* post = MakeBuilding("LightPost", Shape().Health(10.0f));
    Push(house, 100000.0f);
    Push(post, 100000.0f);
    // 1 / 100 * 100000 * 0.0001 * 2 and 1 / 10 * 100000 * 0.0001 * 2.
    EXPECT_NEAR(BuildingOf(house)->m_health, 100.0f - 0.2f, 1e-4f);
    EXPECT_NEAR(BuildingOf(post)->m_health, 10.0f - 2.0f, 1e-4f);
    ASSERT_EQ(services.sounds.size(), 2u);
    EXPECT_FLOAT_EQ(services.sounds[0].volume, 0.75f);
    EXPECT_FLOAT_EQ(services.sounds[1].volume, 0.3f);
}

TEST_F(BuildingDamage, APushOnABuildingWithoutHealthLeavesItsHealthANumber) {
    GameObject* empty = MakeBuilding("BuildingHighrise", Shape().Health(0.0f));
    Push(empty, 5000.0f);
    EXPECT_FALSE(std::isnan(BuildingOf(empty)->m_health));
    EXPECT_FALSE(std::isinf(BuildingOf(empty)->m_health));
    BuildingOf(empty)->Update(0.1f);
    EXPECT_TRUE(BuildingOf(empty)->m_collapsing);
}

TEST_F(BuildingDamage, MeshBodiesWearWhileTheyTouch) {
    GameObject* house = MakeBuilding("BuildingHighrise");
    physics_level::Record meshRecord;
    meshRecord.mesh = "assets/art/rubble.X";
    GameObject* rubble = Make("Rubble", meshRecord);
    Touch(house, rubble, 8);
    EXPECT_FLOAT_EQ(BuildingOf(house)->m_health, 100.0f - 0.2f);
    Touch(house, Make("Tree"), 8);
    EXPECT_FLOAT_EQ(BuildingOf(house)->m_health, 100.0f - 0.2f);
    Touch(house, Make("AI-Boss-Fly-MothershipBFGCore"), 8);
    EXPECT_FLOAT_EQ(BuildingOf(house)->m_health, 100.0f - 2.2f);
}

TEST_F(BuildingDamage, PunchesDarkenTheGraphic) {
    GameObject* house = MakeBuilding("BuildingHighrise");
    Touch(house, Make("RobotHead"));
    Touch(house, Make("RobotHead"));
    BuildingOf(house)->Update(0.1f);
    EXPECT_FLOAT_EQ(services.shades[house], 0.75f + 0.25f * 0.8f);
}

TEST_F(BuildingDamage, InitializeAnnouncesTheBuildingAndKnowsLoosePieces) {
    Shape loose;
    loose.anchored = false;
    GameObject* piece = MakeBuilding("BuildingBlock", loose);
    GameObject* house = MakeBuilding("BuildingHighrise");
    EXPECT_TRUE(BuildingOf(piece)->m_loose);
    EXPECT_FALSE(BuildingOf(house)->m_loose);
    EXPECT_EQ(BuildingOf(house)->m_physics_id, Body(house)->GetId());
    EXPECT_EQ(Payloads<std::string>(HANDLER_GAME_LOGIC_PROCESS, MSG_OBJECT_LEVEL_SPAWN),
              (std::vector<std::string>{"BuildingBlock", "BuildingHighrise"}));
    EXPECT_EQ(services.preloaded.size(), 8u);
}

TEST_F(BuildingDamage, ThrownBuildingsPassThroughTheRobotUntilTheRampIsOver) {
    GameObject* robot = MakeRobot();
    GameObject* house = MakeBuilding("BuildingStore", Shape().At(Vector(0.0f, 0.0f, 50.0f)));
    BuildingComponent* b = BuildingOf(house);
    b->m_thrown = true;
    b->Update(0.5f);
    EXPECT_EQ(Body(house)->GetId(), Body(robot)->GetId());
    EXPECT_EQ(Body(house)->GetGroupsMask(), 0u);
    b->Update(0.5f);
    EXPECT_EQ(Body(house)->GetId(), b->m_physics_id);
    EXPECT_EQ(Body(house)->GetGroupsMask(), b->m_physics_id);
}

// Real contacts: a building thrown into the robot's legs within 0.75 s passes through
// them; after the ramp it hits them.
TEST_F(BuildingDamage, ARealThrowMissesTheLegsDuringTheRampAndHitsThemAfter) {
    const auto throwInto = [&](float rampTime) {
        GameObject* leg = Make("RobotLeg", {}, Vector(0.0f, 0.0f, 0.0f));
        component_fixture::MessageRecorder& legHears = Listen(leg);
        GameObject* house =
            MakeBuilding("BuildingStore",
                         Shape().At(Vector(0.0f, 0.0f, 0.5f)).Extents(Vector(1.0f, 1.0f, 1.0f)));
        BuildingComponent* b = BuildingOf(house);
        b->m_thrown = true;
        b->m_throw_time = rampTime;
        b->Update(0.0f);
        Step(5);
        bool touched = false;
        for (const auto& r : legHears.received) {
            touched = touched || r.message->type == MSG_PHYSICS_COLLISION;
        }
        Remove(house);
        Remove(leg);
        return touched;
    };
    EXPECT_FALSE(throwInto(0.0f));
    EXPECT_TRUE(throwInto(0.75f));
}

// Real bodies on the ground as the city has them. The robot's rig places its fist a few
// units deep into a wall on every punch (the joint teleports the arm), walks its base into
// the wall and sends the punch's push from inside it. The apartment stays where it stands,
// however light, and every punch that lands costs it the arm's damage; before, the contacts
// and pushes shoved it aside until the fists swung past it.
TEST_F(BuildingDamage, AStandingApartmentStaysPutUnderPunchesAndTakesEachOne) {
    Make("InvisiblePlane");
    const Vector stands(0.0f, 20.5f, 0.0f);
    GameObject* apartment = MakeBuilding(
        "BuildingApartment",
        Shape().AsInTheCity().Health(300.0f).At(stands).Extents(Vector(10.0f, 20.5f, 10.5f)));
    BuildingComponent* b = BuildingOf(apartment);
    physics_level::Record part;
    part.massDivisor = 0.0001f;
    part.extents = Vector(1.5f, 1.5f, 3.0f);
    // North of the face at z = 10.5: the base a step away, the fist out and in.
    GameObject* base = Make("RobotBase", part, Vector(0.0f, 5.0f, 16.0f));
    GameObject* arm = Make("RobotRightArm", part, Vector(0.0f, 15.0f, 16.0f));
    const Vector out(0.0f, 15.0f, 16.0f);
    const Vector in(0.0f, 15.0f, 11.0f);
    const auto frame = [&](const Vector& fist) {
        arm->SetPosition(fist);
        Body(base)->Move(Vector(0.0f, 0.0f, -60.0f) * kFrame);
        Frame();
    };
    for (int punch = 0; punch < 8; ++punch) {
        for (int i = 0; i < 6; ++i) {
            frame(out);
        }
        const float before = b->m_health;
        PunchPush(Vector(0.0f, 14.0f, 9.0f));
        for (int i = 0; i < 4; ++i) {
            frame(in);
        }
        // The arm's start of touch: 0.75 x 4 x 2, and the push's share on top.
        EXPECT_GE(before - b->m_health, 6.0f) << "punch " << punch;
        EXPECT_LT((apartment->position - stands).Length(), 0.01f)
            << "punch " << punch << ": " << apartment->position.x << ", " << apartment->position.y
            << ", " << apartment->position.z;
    }
    EXPECT_FALSE(b->m_collapsing);
    // The walking base was stopped by the wall, not let through it.
    EXPECT_GT(base->position.z, 10.5f);
}

// Only a standing building the robot cannot lift is fixed: what it can grab and what broke
// off are pushed by the same push; the standing one keeps its place.
TEST_F(BuildingDamage, OnlyStandingBuildingsTheRobotCannotLiftStayPutUnderAPush) {
    Make("InvisiblePlane");
    struct Row {
        const char* name;
        Shape shape;
        bool staysPut;
    };
    const Vector at(0.0f, 2.0f, 0.0f);
    const Vector small(2.0f, 2.0f, 2.0f);
    const Row rows[] = {
        {"standing store", Shape().AsInTheCity().At(at).Extents(small), true},
        {"kiosk", Shape().AsInTheCity().Grabbable().At(at).Extents(small), false},
        {"loose piece", Shape().Loose().At(at).Extents(small), false},
    };
    for (const Row& row : rows) {
        GameObject* house = MakeBuilding("BuildingStore", row.shape);
        Frame();
        PunchPush(Vector(-3.0f, 1.0f, 0.0f));
        for (int i = 0; i < 10; ++i) {
            Frame();
        }
        const float moved = (house->position - at).Length();
        if (row.staysPut) {
            EXPECT_LT(moved, 0.01f) << row.name;
        } else {
            EXPECT_GT(moved, 1.0f) << row.name;
        }
        EXPECT_EQ(BuildingOf(house)->m_anchored, row.staysPut) << row.name;
        Drop(house);
    }
}

} // namespace
