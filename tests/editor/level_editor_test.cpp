#include <algorithm>
#include <cmath>
#include <fstream>

#include "editor_fixture.h"

namespace {

using editor_test::EditorTest;
using Kind = LevelEditor::EditorActionKind;

class LevelEditorTest : public EditorTest {
  protected:
    LevelEditorTest() { EnterEditor(); }

    void EnterPlacing() {
        Tap(input::key::LeftShift);
        ASSERT_TRUE(m_editor->Placing());
    }

    void LeavePlacing() {
        Tap(input::key::LeftShift);
        ASSERT_FALSE(m_editor->Placing());
    }

    // Three blocks placed on empty ground (no surface: 100 units along the ray, snapped).
    std::vector<GameObject*> PlaceThree() {
        EnterPlacing();
        std::vector<GameObject*> placed;
        for (float x : {-10.0f, 0.0f, 10.0f}) {
            placed.push_back(Place({x, 0.0f, 0.0f}));
        }
        LeavePlacing();
        return placed;
    }

    // Drags the handle of an axis of the selected object by whole frames of motion.
    void DragHandle(GameObject& object, u32 axis, i32 dx, i32 dy, int frames) {
        // The translation handle's box lies along the axis, half a handle length out.
        const float length = m_editor->Selection().empty() ? 0.0f : 0.25f * Distance(object);
        Float3 grip{object.position.x, object.position.y, object.position.z};
        (&grip.x)[axis] += 0.5f * length;
        m_scene->m_cursor = m_scene->ScreenOf(grip);
        Frame();
        ASSERT_EQ(m_scene->m_shown[&object].m_handle_hovered, 1);
        ASSERT_EQ(m_scene->m_shown[&object].m_hovered_handle, axis);
        m_scene->m_editor_input.m_mouse_buttons[input::mouse::Left] = INPUT_PRESSED;
        Frame();
        for (int i = 0; i < frames; ++i) {
            m_scene->m_editor_input.m_mouse_buttons[input::mouse::Left] = INPUT_HELD;
            m_scene->m_editor_input.m_mouse_x = dx;
            m_scene->m_editor_input.m_mouse_y = dy;
            Frame();
        }
    }

    float Distance(const GameObject& object) const {
        const Float3& eye = m_scene->m_camera.m_position;
        const Vector d = object.position - Vector(eye);
        return d.Length();
    }

    std::vector<std::string> StatusTexts() const {
        std::vector<std::string> texts;
        for (const auto& line : m_editor->StatusLines()) {
            texts.push_back(line.m_text);
        }
        return texts;
    }

    std::string LastShownStatus() const {
        for (auto it = m_renderer.m_texts.rbegin(); it != m_renderer.m_texts.rend(); ++it) {
            if (it->first == MSG_BUILDING_COUNT) {
                return it->second;
            }
        }
        return "<none>";
    }
};

TEST_F(LevelEditorTest, StatusLinesShowInOrderAndLeaveOnceTheirTimeIsBelowZero) {
    m_editor->AddStatus("one", 0.05f);
    m_editor->AddStatus("two", 1.0f);
    m_editor->AddStatus("three", 1.0f);
    Frame();
    EXPECT_NE(LastShownStatus().find("one\ntwo\nthree\n"), std::string::npos);
    const auto shown = [this](const char* text) {
        const std::vector<std::string> texts = StatusTexts();
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    };
    // dt takes "one" to exactly 0.0: it stays this frame.
    m_state->Update(0.05f - EditorTest::kDt);
    EXPECT_TRUE(shown("one"));
    m_state->Update(0.001f);
    EXPECT_FALSE(shown("one"));
    EXPECT_TRUE(shown("two"));
}

TEST_F(LevelEditorTest, AnEmptyStatusListStillClearsTheDisplay) {
    m_state->Update(10.0f);
    EXPECT_EQ(LastShownStatus(), "");
}

TEST_F(LevelEditorTest, WithTheCursorOutsideOnlyTheShortcutsRun) {
    PlaceThree();
    m_scene->m_cursor = {-5.0f, 100.0f};
    // Shift (a mode key) does nothing outside, Ctrl+S still saves.
    Tap(input::key::LeftShift);
    EXPECT_FALSE(m_editor->Placing());
    Tap(input::key::S, true);
    EXPECT_TRUE(std::ifstream(LevelEditor::kQuickLevel).good());
    EXPECT_NE(StatusTexts().back().find("Saved: ./assets/levels/level_temp.lua"),
              std::string::npos);
}

TEST_F(LevelEditorTest, SwitchingToGraphicsInputWhilePlacingDropsThePreview) {
    EnterPlacing();
    const std::size_t withPreview = m_state->Objects().size();
    m_scene->m_graphics_input.m_keys[input::key::Space] = INPUT_PRESSED;
    Frame();
    EXPECT_FALSE(m_editor->EditorInputOn());
    EXPECT_EQ(m_scene->m_routing, 1);
    EXPECT_FALSE(m_editor->Placing());
    EXPECT_EQ(m_state->Objects().size(), withPreview - 1);
    Tap(input::key::Space);
    EXPECT_EQ(m_scene->m_routing, 2);
    EXPECT_FALSE(m_editor->Placing());
    EXPECT_EQ(m_state->Objects().size(), withPreview - 1);
}

TEST_F(LevelEditorTest, PlacedBlocksAreSolidSnappedAndRecorded) {
    const std::vector<GameObject*> placed = PlaceThree();
    ASSERT_EQ(ObjectsNamed("BuildingBlock").size(), 3u);
    for (GameObject* block : placed) {
        EXPECT_EQ(block->position.x, std::round(block->position.x));
        EXPECT_EQ(block->position.z, std::round(block->position.z));
        EXPECT_EQ(m_scene->m_shown[block].m_preview, 0);
        EXPECT_EQ(m_scene->m_shown[block].m_opacity, 1.0f);
    }
    ASSERT_EQ(m_editor->Actions().size(), 3u);
    EXPECT_EQ(m_editor->Actions()[0]->kind, static_cast<u32>(Kind::ACTION_CREATED));
}

TEST_F(LevelEditorTest, APlacementRestsAgainstTheFaceUnderTheCursor) {
    EnterPlacing();
    GameObject* base = Place({0.0f, 0.0f, 0.0f});
    ASSERT_NE(base, nullptr);
    base->SetPosition(Vector(0.0f, 0.0f, 0.0f));
    // Looking at the top face of the block: the next one sits on it.
    m_scene->m_cursor = m_scene->ScreenOf({0.0f, 1.0f, 0.0f});
    Frame();
    GameObject* preview = m_editor->PreviewObject();
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->position.y, 2.0f);
    EXPECT_EQ(preview->position.x, 0.0f);
}

TEST_F(LevelEditorTest, ASpawnPointStaysTranslucentWhenPlaced) {
    m_editor->Initialize();
    EnterPlacing();
    // The names are sorted: BuildingBlock, Group, RobotEditor, SpawnPointA, Tiny.
    m_scene->m_editor_input.m_mouse_wheel = -3 * 120;
    Frame();
    EXPECT_EQ(m_editor->ObjectType(), "SpawnPointA");
    GameObject* spawn = Place({0.0f, 0.0f, 0.0f});
    ASSERT_NE(spawn, nullptr);
    EXPECT_EQ(m_scene->m_shown[spawn].m_preview, 1);
    EXPECT_EQ(m_scene->m_shown[spawn].m_opacity, 0.5f);
}

TEST_F(LevelEditorTest, TheWheelWrapsAroundTheTypeNames) {
    EnterPlacing();
    const struct {
        i32 wheel;
        const char* type;
    } steps[] = {{120, "Tiny"},
                 {-120, "BuildingBlock"},
                 {-120, "Group"},
                 {240, "Tiny"},
                 {-120, "BuildingBlock"}};
    for (const auto& step : steps) {
        m_scene->m_editor_input.m_mouse_wheel = step.wheel;
        Frame();
        EXPECT_EQ(m_editor->ObjectType(), step.type) << step.wheel;
        EXPECT_EQ(m_editor->PreviewObject()->name, step.type);
    }
}

TEST_F(LevelEditorTest, TheWheelWithoutTypeNamesDoesNothing) {
    Message<std::vector<std::string>> none(MSG_GET_OBJECT_NAMES_WITH_TYPE,
                                           std::vector<std::string>{});
    m_editor->HandleMessage(&none, HANDLER_LEVEL_EDITOR_STATE);
    m_editor->Initialize();
    ASSERT_TRUE(m_editor->TypeNames().empty());
    EnterPlacing();
    m_scene->m_editor_input.m_mouse_wheel = 120;
    Frame();
    EXPECT_EQ(m_editor->ObjectType(), "BuildingBlock");
    EXPECT_NE(m_editor->PreviewObject(), nullptr);
}

TEST_F(LevelEditorTest, ATranslationDragMovesInWholeUnitsAndUndoPutsItBack) {
    const std::vector<GameObject*> placed = PlaceThree();
    GameObject& block = *placed[1];
    const Vector start = block.position;
    ClickAt({block.position.x, block.position.y, block.position.z});
    ASSERT_EQ(m_editor->Selection(), std::vector<GameObject*>{&block});
    // A little motion along x gathers without moving; more makes exactly one unit.
    DragHandle(block, 0, 1, 0, 1);
    EXPECT_EQ(block.position.x, start.x);
    for (int i = 0; i < 200 && block.position.x == start.x; ++i) {
        m_scene->m_editor_input.m_mouse_buttons[input::mouse::Left] = INPUT_HELD;
        m_scene->m_editor_input.m_mouse_x = 1;
        Frame();
    }
    EXPECT_EQ(block.position.x, start.x + 1.0f);
    EXPECT_EQ(block.position.y, start.y);
    Frame();
    ASSERT_EQ(m_editor->Actions().back()->kind, static_cast<u32>(Kind::ACTION_TRANSLATE));
    Tap(input::key::Z, true);
    EXPECT_EQ(block.position.x, start.x);
}

TEST_F(LevelEditorTest, ScalingNeverGoesBelowTheFloor) {
    const std::vector<GameObject*> placed = PlaceThree();
    GameObject& block = *placed[0];
    ClickAt({block.position.x, block.position.y, block.position.z});
    Tap(input::key::R);
    EXPECT_EQ(m_editor->TransformMode(), 2u);
    m_editor->RecordAction(Kind::ACTION_SCALE);
    block.SetScale(Vector(0.1f, 1.0f, 1.0f));
    // A big shrink on the x handle: dragging left.
    const float l = 0.25f * Distance(block);
    Float3 grip{block.position.x + 0.625f * l, block.position.y, block.position.z};
    m_scene->m_cursor = m_scene->ScreenOf(grip);
    Frame();
    m_scene->m_editor_input.m_mouse_buttons[input::mouse::Left] = INPUT_PRESSED;
    Frame();
    for (int i = 0; i < 30; ++i) {
        m_scene->m_editor_input.m_mouse_buttons[input::mouse::Left] = INPUT_HELD;
        m_scene->m_editor_input.m_mouse_x = -200;
        Frame();
    }
    EXPECT_FLOAT_EQ(block.scale.x, 0.05f);
    EXPECT_FLOAT_EQ(block.scale.y, 1.0f);
    Frame();
    Tap(input::key::Z, true);
    EXPECT_FLOAT_EQ(block.scale.x, 0.1f);
}

TEST_F(LevelEditorTest, ModeKeysCycleAndAnnounceOnlyChanges) {
    Tap(input::key::W);
    EXPECT_TRUE(StatusTexts().size() == 1u) << "only the input switch";
    Tap(input::key::Tab);
    EXPECT_EQ(m_editor->TransformMode(), 1u);
    Tap(input::key::Tab);
    Tap(input::key::Tab);
    EXPECT_EQ(m_editor->TransformMode(), 0u);
    Tap(input::key::E);
    EXPECT_EQ(m_editor->TransformMode(), 1u);
    EXPECT_EQ(StatusTexts().back(), "Switched to object rotation mode");
}

TEST_F(LevelEditorTest, SelectionWithAndWithoutCtrl) {
    const std::vector<GameObject*> placed = PlaceThree();
    const auto at = [](GameObject* o) {
        return Float3{o->position.x, o->position.y, o->position.z};
    };
    ClickAt(at(placed[0]));
    m_scene->m_editor_input.m_keys[input::key::LeftControl] = INPUT_HELD;
    ClickAt(at(placed[2]));
    EXPECT_EQ(m_editor->Selection(), (std::vector<GameObject*>{placed[0], placed[2]}));
    // Ctrl on a selected object takes only that one out.
    m_scene->m_editor_input.m_keys[input::key::LeftControl] = INPUT_HELD;
    ClickAt(at(placed[0]));
    EXPECT_EQ(m_editor->Selection(), std::vector<GameObject*>{placed[2]});
    // Ctrl on empty sky keeps the selection; a plain click there empties it.
    const auto clickSky = [this] {
        m_scene->m_cursor = {500.0f, 10.0f};
        m_scene->m_editor_input.m_mouse_buttons[input::mouse::Left] = INPUT_PRESSED;
        Frame();
    };
    m_scene->m_editor_input.m_keys[input::key::LeftControl] = INPUT_HELD;
    clickSky();
    EXPECT_EQ(m_editor->Selection().size(), 1u);
    clickSky();
    EXPECT_TRUE(m_editor->Selection().empty());
    EXPECT_EQ(m_scene->m_shown[placed[2]].m_selected, 0);
}

TEST_F(LevelEditorTest, DeleteSkipsTheRobotAndUndoBringsTheOthersBack) {
    const std::vector<GameObject*> placed = PlaceThree();
    GameObject* robot = m_state->CreateObject("Robot");
    ASSERT_NE(robot, nullptr);
    robot->SetPosition(Vector(0.0f, 0.0f, 20.0f));
    const Vector where = placed[0]->position;
    m_editor->Select(*placed[0]);
    m_editor->Select(*robot);
    Tap(input::key::Delete);
    EXPECT_TRUE(m_editor->Selection().empty());
    EXPECT_EQ(ObjectsNamed("BuildingBlock").size(), 2u);
    EXPECT_EQ(ObjectsNamed("Robot").size(), 1u);
    Tap(input::key::Z, true);
    EXPECT_EQ(ObjectsNamed("BuildingBlock").size(), 3u);
    EXPECT_EQ(ObjectsNamed("Robot").size(), 1u) << "undo makes no second robot";
    const std::vector<GameObject*> blocks = ObjectsNamed("BuildingBlock");
    EXPECT_EQ(blocks.back()->position.x, where.x);
}

TEST_F(LevelEditorTest, RightClickNeitherDeselectsNorDeletesTheRobot) {
    GameObject* robot = m_state->CreateObject("Robot");
    ASSERT_NE(robot, nullptr);
    m_editor->Select(*robot);
    ClickAt({0.0f, 0.0f, 0.0f}, input::mouse::Right);
    EXPECT_EQ(m_editor->Selection(), std::vector<GameObject*>{robot});
    EXPECT_EQ(ObjectsNamed("Robot").size(), 1u);
}

TEST_F(LevelEditorTest, UndoOfADeleteRenamesLaterRecordsToTheNewObjects) {
    const std::vector<GameObject*> placed = PlaceThree();
    GameObject& block = *placed[0];
    m_editor->Select(block);
    m_editor->RecordAction(Kind::ACTION_TRANSLATE);
    const Vector before = block.position;
    block.SetPosition(before + Vector(5.0f, 0.0f, 0.0f));
    ClickAt({block.position.x, block.position.y, block.position.z}, input::mouse::Right);
    Tap(input::key::Z, true);
    GameObject* back = ObjectsNamed("BuildingBlock").back();
    EXPECT_EQ(back->position.x, before.x + 5.0f);
    Tap(input::key::Z, true);
    EXPECT_EQ(back->position.x, before.x);
}

TEST_F(LevelEditorTest, PasteTwiceMakesTwoCopiesAndUndoRemovesExactlyTheLast) {
    const std::vector<GameObject*> placed = PlaceThree();
    m_editor->Select(*placed[0]);
    m_editor->Select(*placed[1]);
    Tap(input::key::C, true);
    ASSERT_NE(m_editor->Clipboard(), nullptr);
    Tap(input::key::V, true);
    Tap(input::key::V, true);
    EXPECT_EQ(ObjectsNamed("BuildingBlock").size(), 7u);
    const std::vector<GameObject*> copies = m_editor->Selection();
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(copies[0]->position.x, placed[0]->position.x);
    Tap(input::key::Z, true);
    EXPECT_EQ(ObjectsNamed("BuildingBlock").size(), 5u);
    for (GameObject* copy : copies) {
        EXPECT_EQ(std::count(m_state->Objects().begin(), m_state->Objects().end(), copy), 0);
    }
}

TEST_F(LevelEditorTest, CopyWithNothingSelectedKeepsTheClipboard) {
    const std::vector<GameObject*> placed = PlaceThree();
    m_editor->Select(*placed[0]);
    Tap(input::key::C, true);
    const LevelEditor::EditorAction* kept = m_editor->Clipboard();
    m_editor->DeselectAll();
    Tap(input::key::C, true);
    EXPECT_EQ(m_editor->Clipboard(), kept);
}

TEST_F(LevelEditorTest, GroupingASingleObjectDoesNothing) {
    const std::vector<GameObject*> placed = PlaceThree();
    m_editor->Select(*placed[0]);
    const std::size_t records = m_editor->Actions().size();
    Tap(input::key::G, true);
    EXPECT_TRUE(ObjectsNamed("Group").empty());
    EXPECT_EQ(m_editor->Actions().size(), records);
}

TEST_F(LevelEditorTest, GroupAndUngroupAndTheirUndo) {
    const std::vector<GameObject*> placed = PlaceThree();
    m_editor->Select(*placed[0]);
    m_editor->Select(*placed[1]);
    Tap(input::key::G, true);
    ASSERT_EQ(ObjectsNamed("Group").size(), 1u);
    GameObject* group = ObjectsNamed("Group")[0];
    EXPECT_EQ(m_editor->Selection(), std::vector<GameObject*>{group});
    EXPECT_EQ(group->childObjects, (std::vector<GameObject*>{placed[0], placed[1]}));
    EXPECT_EQ(placed[0]->parentObject, group);
    // The group sits in the middle of its members' boxes.
    EXPECT_FLOAT_EQ(group->position.x, (placed[0]->position.x + placed[1]->position.x) * 0.5f);
    // Clicking a member picks its group.
    ClickAt({placed[0]->position.x, placed[0]->position.y, placed[0]->position.z});
    EXPECT_EQ(m_editor->Selection(), std::vector<GameObject*>{group});

    Tap(input::key::U, true);
    EXPECT_TRUE(ObjectsNamed("Group").empty());
    EXPECT_EQ(placed[0]->parentObject, nullptr);
    Tap(input::key::Z, true);
    ASSERT_EQ(ObjectsNamed("Group").size(), 1u);
    GameObject* regrouped = ObjectsNamed("Group")[0];
    EXPECT_EQ(regrouped->childObjects.size(), 2u);
    Tap(input::key::Z, true);
    EXPECT_TRUE(ObjectsNamed("Group").empty());
    EXPECT_EQ(placed[1]->parentObject, nullptr);
}

TEST_F(LevelEditorTest, RightClickOnAGroupDeletesItsMembersAndUndoRegroupsThem) {
    const std::vector<GameObject*> placed = PlaceThree();
    m_editor->Select(*placed[0]);
    m_editor->Select(*placed[1]);
    Tap(input::key::G, true);
    m_editor->DeselectAll();
    ClickAt({placed[1]->position.x, placed[1]->position.y, placed[1]->position.z},
            input::mouse::Right);
    EXPECT_TRUE(ObjectsNamed("Group").empty());
    EXPECT_EQ(ObjectsNamed("BuildingBlock").size(), 1u);
    EXPECT_TRUE(m_editor->Selection().empty());
    // Undo re-creates the members, then the group around them.
    Tap(input::key::Z, true);
    EXPECT_EQ(ObjectsNamed("BuildingBlock").size(), 3u);
    Tap(input::key::Z, true);
    ASSERT_EQ(ObjectsNamed("Group").size(), 1u);
    EXPECT_EQ(ObjectsNamed("Group")[0]->childObjects.size(), 2u);
}

TEST_F(LevelEditorTest, ExtendingAGroupDropsTheRecordsOfTheGroupsItSwallows) {
    const std::vector<GameObject*> placed = PlaceThree();
    m_editor->Select(*placed[0]);
    m_editor->Select(*placed[1]);
    Tap(input::key::G, true);
    GameObject* group = m_editor->Selection()[0];
    m_editor->Select(*placed[2]);
    Tap(input::key::G, true);
    EXPECT_EQ(ObjectsNamed("Group").size(), 1u);
    EXPECT_EQ(group->childObjects.size(), 3u);
    for (const auto& action : m_editor->Actions()) {
        if (action->kind == Kind::ACTION_GROUPED) {
            EXPECT_EQ(action->objects, std::vector<GameObject*>{group});
        }
    }
    // Extending again with a second group: its members move over and it goes.
    GameObject* other = m_state->CreateObject("BuildingBlock");
    GameObject* more = m_state->CreateObject("BuildingBlock");
    other->SetPosition(Vector(0.0f, 0.0f, 30.0f));
    more->SetPosition(Vector(4.0f, 0.0f, 30.0f));
    m_editor->DeselectAll();
    m_editor->Select(*other);
    m_editor->Select(*more);
    Tap(input::key::G, true);
    GameObject* second = m_editor->Selection()[0];
    m_editor->Select(*group);
    Tap(input::key::G, true);
    EXPECT_EQ(ObjectsNamed("Group").size(), 1u);
    EXPECT_EQ(group->childObjects.size(), 5u);
    for (const auto& action : m_editor->Actions()) {
        EXPECT_FALSE(action->Names(second)) << action->kind;
    }
    // Every undo left acts on live objects.
    while (!m_editor->Actions().empty()) {
        Tap(input::key::Z, true);
    }
}

TEST_F(LevelEditorTest, AMemberOfATurnedGroupSitsWhereTheRendererDrawsIt) {
    const std::vector<GameObject*> placed = PlaceThree();
    m_editor->Select(*placed[0]);
    m_editor->Select(*placed[2]);
    Tap(input::key::G, true);
    GameObject* group = m_editor->Selection()[0];
    const Vector offset = placed[0]->position - group->position;
    const float half = std::sqrt(0.5f);
    group->SetOrientation(Quaternion{0.0f, half, 0.0f, half});
    m_editor->ApplyGroupTransform();
    // Where the renderer draws the member: its place relative to the group, turned and
    // moved with the group.
    const Float4x4 groupMatrix =
        Math::MatrixRotationQuaternion(group->orientation) *
        Math::MatrixTranslation(group->position.x, group->position.y, group->position.z);
    const Float3 drawn = Math::Vec3TransformCoord({offset.x, offset.y, offset.z}, groupMatrix);
    EXPECT_NEAR(placed[0]->position.x, drawn.x, 1e-3f);
    EXPECT_NEAR(placed[0]->position.y, drawn.y, 1e-3f);
    EXPECT_NEAR(placed[0]->position.z, drawn.z, 1e-3f);
    // A quarter turn about y takes the offset along x over to z.
    EXPECT_NEAR(std::abs(placed[0]->position.z - group->position.z), std::abs(offset.x), 1e-3f);
}

TEST_F(LevelEditorTest, SavingAndLoadingGoThroughTheFileDialog) {
    PlaceThree();
    m_dialogs.m_answers = {"", "./assets/levels/picked.lua"};
    m_editor->SaveLevel(false);
    EXPECT_FALSE(std::ifstream("./assets/levels/picked.lua").good()) << "a cancel saves nothing";
    m_editor->SaveLevel(false);
    EXPECT_TRUE(std::ifstream("./assets/levels/picked.lua").good());
    EXPECT_EQ(StatusTexts().back(), "Saved: ./assets/levels/picked.lua");
    m_dialogs.m_answers = {"./assets/levels/picked.lua"};
    m_editor->LoadLevel(false);
    EXPECT_EQ(LevelPath, "./assets/levels/picked.lua");
    EXPECT_EQ(StatusTexts().back(), "Loaded: ./assets/levels/picked.lua");
}

TEST_F(LevelEditorTest, AFailedSaveSaysSo) {
    m_dialogs.m_answers = {"./no-such-folder/level.lua"};
    m_editor->SaveLevel(false);
    EXPECT_EQ(StatusTexts().back(), "Save failed: ./no-such-folder/level.lua");
}

TEST_F(LevelEditorTest, TopViewAndBack) {
    const editor::CameraPose before = m_scene->m_camera;
    Tap(input::key::T);
    EXPECT_TRUE(m_editor->TopView());
    EXPECT_EQ(m_scene->m_camera.m_position.y, 300.0f);
    Tap(input::key::P);
    EXPECT_FALSE(m_editor->TopView());
    EXPECT_EQ(m_scene->m_camera.m_position.z, before.m_position.z);
}

// The whole round: place, drag, undo, group, copy and paste, save through the dialog, and
// the saved script read into a fresh editor state puts the same objects in the same places.
TEST_F(LevelEditorTest, AnEditedLevelSavedAndLoadedHasTheSameObjectsInTheSamePlaces) {
    const std::vector<GameObject*> placed = PlaceThree();
    GameObject& block = *placed[2];
    ClickAt({block.position.x, block.position.y, block.position.z});
    const Vector start = block.position;
    DragHandle(block, 1, 0, -40, 40);
    EXPECT_GT(block.position.y, start.y);
    Frame();
    Tap(input::key::Z, true);
    EXPECT_EQ(block.position.y, start.y);
    m_editor->Select(*placed[0]);
    Tap(input::key::G, true);
    Tap(input::key::C, true);
    Tap(input::key::V, true);
    m_dialogs.m_answers = {"./assets/levels/edited.lua"};
    m_editor->SaveLevel(false);

    std::vector<std::pair<std::string, Vector>> saved;
    for (GameObject* object : m_state->Objects()) {
        saved.push_back({object->name, object->position});
    }
    m_state->Exit();
    m_state.reset();

    LevelPath = "./assets/levels/edited.lua";
    EnterEditor();
    ASSERT_EQ(m_state->Objects().size(), saved.size());
    for (std::size_t i = 0; i < saved.size(); ++i) {
        const GameObject& object = *m_state->Objects()[i];
        EXPECT_EQ(object.name, saved[i].first);
        EXPECT_NEAR(object.position.x, saved[i].second.x, 1e-3f);
        EXPECT_NEAR(object.position.y, saved[i].second.y, 1e-3f);
        EXPECT_NEAR(object.position.z, saved[i].second.z, 1e-3f);
    }
}

} // namespace
