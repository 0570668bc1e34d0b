#include <strings.h>

#include <algorithm>
#include <cmath>

#include "core/component.h"
#include "core/component_type.h"
#include "editor/euler_angles.h"
#include "game/component_index.h"
#include "property_window_fixture.h"

namespace {

using editor_test::ComponentKind;
using editor_test::NewType;
using editor_test::PropertyWindowTest;
using Kind = LevelEditor::EditorActionKind;

// Records what reaches a handler id of the state's router.
class Recorder : public MessageHandler {
  public:
    void HandleMessage(BaseMessage* msg, u32) override {
        m_types.push_back(msg->type);
        if (const auto* removal = msg->Payload<std::pair<std::string, ComponentIndex>>()) {
            m_removals.push_back(*removal);
        }
    }
    std::vector<u32> m_types;
    std::vector<std::pair<std::string, ComponentIndex>> m_removals;
};

StreamMap Lamp(const std::string& type, float range) {
    StreamMap stream = editor_test::Definition(type, "Light");
    stream.AddFloat("Range", range);
    return stream;
}

std::vector<u32> Kinds(const LevelEditor& editor) {
    std::vector<u32> kinds;
    for (const auto& action : editor.Actions()) {
        kinds.push_back(action->kind);
    }
    return kinds;
}

TEST_F(PropertyWindowTest, TheWindowStartsWithItsLabelsFieldsAndButtons) {
    Enter();
    EXPECT_EQ(ControlIds(), (std::vector<i32>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16, 17}));
    const gui::Control* apply = Window().FindById(LevelEditor::ID_APPLY);
    ASSERT_NE(apply, nullptr);
    EXPECT_EQ(apply->text, "Apply Updates");
    EXPECT_TRUE(apply->isDefault);
    EXPECT_EQ(apply->rect.y, 610);
    const gui::Control* rotZ = Window().FindById(7);
    EXPECT_EQ(rotZ->rect.x, 170);
    EXPECT_EQ(rotZ->rect.y, 75);
    EXPECT_EQ(Window().Controls().front().text, "Position (x,y,z):");
    EXPECT_EQ(Window().FindById(LevelEditor::ID_LOAD_LEVEL)->text, "L&oad Level");
}

TEST_F(PropertyWindowTest, EveryCommandIdReachesItsOperation) {
    Enter();
    Recorder parser;
    parser.Bind(&m_root, HANDLER_PARSER_PROCESS);
    GameObject* block = Make("BuildingBlock", {0, 0, 0});
    SelectByClicks({block});

    // Ids that open a dialog, and the dialog.
    const struct {
        i32 id;
        u32 notification;
        const char* title;
    } dialogs[] = {{LevelEditor::ID_COMPONENT_ADD, 0, "Add new component"},
                   {LevelEditor::ID_TYPE_ADD, 0, "New object type"},
                   {LevelEditor::ID_COMPONENT_ADD, gui::kNotifySelChange, "Add new component"}};
    for (const auto& c : dialogs) {
        m_runner.m_titles.clear();
        Command(c.id, c.notification);
        EXPECT_EQ(m_runner.m_titles, std::vector<std::string>{c.title}) << c.id;
    }
    // The level buttons ask the file dialogs.
    m_dialogs.m_answers = {"", ""};
    Command(LevelEditor::ID_SAVE_LEVEL);
    EXPECT_EQ(m_dialogs.m_answers.size(), 1u);
    Command(LevelEditor::ID_LOAD_LEVEL);
    EXPECT_TRUE(m_dialogs.m_answers.empty());
    // Save and Reset Updates reach the definitions' keeper through the state.
    Command(LevelEditor::ID_SAVE_UPDATES);
    Command(LevelEditor::ID_RESET_UPDATES);
    EXPECT_EQ(parser.m_types,
              (std::vector<u32>{MSG_PARSER_SAVE_GAME_OBJECTS, MSG_PARSER_GAME_OBJECTS}));
    // Fields, combo boxes without a new selection and unknown ids do nothing.
    m_runner.m_titles.clear();
    const std::size_t actions = m_editor->Actions().size();
    for (i32 id : {2, 10, 20, 21, 23, 99}) {
        Command(id);
    }
    EXPECT_TRUE(m_runner.m_titles.empty());
    EXPECT_EQ(m_editor->Actions().size(), actions);
    EXPECT_EQ(block->name, "BuildingBlock");
}

TEST_F(PropertyWindowTest, EnterInAFieldAndApplyUpdatesBothMoveTheSelection) {
    for (i32 id : {gui::kIdOk, static_cast<i32>(LevelEditor::ID_APPLY)}) {
        SCOPED_TRACE(id);
        Enter();
        GameObject* block = Make("BuildingBlock", {0, 0, 0});
        SelectByClicks({block});
        EXPECT_EQ(Field(0), "0.000000");
        SetField(0, "12abc");
        SetField(4, "90");
        Command(id);
        EXPECT_FLOAT_EQ(block->position.x, 12.0f);
        EXPECT_NEAR(editor::QuaternionToEulerDegrees(block->orientation).y, 90.0f, 0.1f);
        EXPECT_EQ(Kinds(*m_editor),
                  (std::vector<u32>{Kind::ACTION_TRANSLATE, Kind::ACTION_ROTATE}));
        m_state->Exit();
        m_state.reset();
    }
}

TEST_F(PropertyWindowTest, FieldsShowOnlyWhatEverySelectedObjectSharesAndEmptyFieldsKeepOwnValues) {
    Enter();
    GameObject* a = Make("BuildingBlock", {5, 0, 0});
    GameObject* b = Make("BuildingBlock", {5, 8, 3});
    b->SetScale(Vector(2, 1, 1));
    SelectByClicks({a, b});
    ASSERT_EQ(m_editor->Selection().size(), 2u);
    const std::vector<std::string> shown = {Field(0), Field(1), Field(2), Field(6), Field(7)};
    EXPECT_EQ(shown, (std::vector<std::string>{"5.000000", "", "", "", "1.000000"}));

    SetField(0, "-3");
    SetField(7, "-9258.326171875"); // the empty marker typed leaves the value alone
    Command(LevelEditor::ID_APPLY);
    EXPECT_FLOAT_EQ(a->position.x, -3.0f);
    EXPECT_FLOAT_EQ(b->position.x, -3.0f);
    EXPECT_FLOAT_EQ(a->position.y, 0.0f);
    EXPECT_FLOAT_EQ(b->position.y, 8.0f);
    EXPECT_FLOAT_EQ(b->scale.x, 2.0f);
    EXPECT_EQ(Kinds(*m_editor), std::vector<u32>{Kind::ACTION_TRANSLATE}) << "one record per kind";
}

// One block selected, some fields typed, Apply: an invalid text refuses the whole apply and
// says which field it was; rotation fields left empty keep the orientation as it was.
TEST_F(PropertyWindowTest, AppliedFieldsChangeOnlyWhatTheyValidlyHold) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::size_t, std::string>> typed;
        Float3 position;
        std::vector<std::string> said;
        std::vector<std::string> unsaid;
        std::vector<u32> records;
    };
    const Case cases[] = {
        {"invalid texts",
         {{0, "abc"}, {8, "x1"}, {1, "7"}},
         {1, 2, 3},
         {"pos.x is an invalid value", "scale.z is an invalid value"},
         {"pos.y is an invalid value"},
         {}},
        {"empty rotation fields",
         {{3, ""}, {4, ""}, {5, ""}, {0, "4"}},
         {4, 2, 3},
         {},
         {"invalid value"},
         {Kind::ACTION_TRANSLATE}},
    };
    const Quaternion odd{0.1f, 0.7f, -0.2f, 0.6782f};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Enter();
        GameObject* block = Make("BuildingBlock", {1, 2, 3});
        block->SetOrientation(odd);
        SelectByClicks({block});
        for (const auto& [field, text] : c.typed) {
            SetField(field, text);
        }
        testing::internal::CaptureStdout();
        Command(LevelEditor::ID_APPLY);
        const std::string out = testing::internal::GetCapturedStdout();
        for (const std::string& line : c.said) {
            EXPECT_NE(out.find(line), std::string::npos) << line;
        }
        for (const std::string& line : c.unsaid) {
            EXPECT_EQ(out.find(line), std::string::npos) << line;
        }
        EXPECT_FLOAT_EQ(block->position.x, c.position.x);
        EXPECT_FLOAT_EQ(block->position.y, c.position.y);
        EXPECT_FLOAT_EQ(block->position.z, c.position.z);
        EXPECT_EQ(block->orientation.x, odd.x);
        EXPECT_EQ(block->orientation.w, odd.w);
        EXPECT_EQ(Kinds(*m_editor), c.records);
        if (c.records.empty()) {
            EXPECT_EQ(Field(c.typed.front().first), c.typed.front().second)
                << "the texts stay as typed";
        }
        m_state->Exit();
        m_state.reset();
    }
}

class FakeFocus : public editor::PanelFocus {
  public:
    bool PanelWantsInput() const override { return m_wants; }
    bool m_wants = false;
};

TEST_F(PropertyWindowTest,
       WhileThePanelHasTheInputTheViewsKeysAreNotTheEditorsAndItsReturnIsAnnounced) {
    Enter();
    Recorder input;
    input.Bind(&m_root, HANDLER_INPUT_CONTROLS);
    FakeFocus focus;
    m_editor->SetPanelFocus(&focus);
    GameObject* block = Make("BuildingBlock", {0, 0, 0});
    SelectByClicks({block});
    focus.m_wants = true;
    Tap(input::key::Delete);
    Tap(input::key::Space);
    EXPECT_EQ(m_editor->Selection().size(), 1u) << "Delete typed into a field";
    EXPECT_TRUE(m_editor->EditorInputOn());
    EXPECT_TRUE(input.m_types.empty());
    // The panel's commands still run.
    SetField(0, "4");
    Command(gui::kIdOk);
    EXPECT_FLOAT_EQ(block->position.x, 4.0f);

    focus.m_wants = false;
    Frame();
    EXPECT_EQ(input.m_types, std::vector<u32>{MSG_INPUT_FORCE_UPDATE});
    Frame();
    EXPECT_EQ(input.m_types.size(), 1u) << "announced once";
    m_editor->SetPanelFocus(nullptr);
}

TEST(EulerAngles, RoundTripsIncludingNearAQuarterTurn) {
    const Float3 cases[] = {{0, 0, 0},     {0, 90, 0},     {0, -90, 0},     {30, 45, 60},
                            {-170, 10, 5}, {12, 89.9f, 3}, {0, 89.999f, 0}, {45, -60, -120}};
    for (const Float3& degrees : cases) {
        const Quaternion q = editor::EulerDegreesToQuaternion(degrees);
        const Float3 back = editor::QuaternionToEulerDegrees(q);
        ASSERT_FALSE(std::isnan(back.x) || std::isnan(back.y) || std::isnan(back.z));
        // Near a quarter turn about y only the sum or difference of x and z is defined: compare
        // the rotations, not the angles.
        const Quaternion again = editor::EulerDegreesToQuaternion(back);
        const float dot = q.x * again.x + q.y * again.y + q.z * again.z + q.w * again.w;
        EXPECT_NEAR(std::fabs(dot), 1.0f, 1e-4f)
            << degrees.x << " " << degrees.y << " " << degrees.z;
        EXPECT_NEAR(back.y, degrees.y, 0.1f);
    }
    // A quaternion a hair past a quarter turn does not give NaN.
    const Quaternion past{0.0f, 0.70710683f, 0.0f, 0.70710683f};
    EXPECT_NEAR(editor::QuaternionToEulerDegrees(past).y, 90.0f, 0.01f);
}

class PropertyPagesTest : public PropertyWindowTest {
  protected:
    // Physics definitions here hold test values: no physics component is made of them.
    class NullProcess : public ComponentProcess {
      public:
        void Update(float) override {}
        Component* CreateComponent(StreamMap*) override { return nullptr; }
        void RemoveComponent(Component* component) override { delete component; }
    };

    ~PropertyPagesTest() override {
        if (m_state) {
            m_state->Exit();
        }
        m_state.reset();
    }

    // The state's definitions once it exists.
    void AddTypes() {
        auto& defs = m_state->m_definitions;
        StreamMap values = editor_test::Definition("Valued", "Physics");
        values.AddString("Mesh", "crate.x");
        values.AddInt("Count", -4);
        values.AddLong("Big", 70000);
        values.AddFloat("BoundingSphere.Radius", 0.5f);
        values.AddDouble("Mass", 2.25);
        values.AddBool("Static", true);
        values.AddVector3("OBB.e", 1, 2, 3);
        const float four[4] = {1, 0.5f, 0.25f, 1};
        values.AddVector4("Colour", four);
        defs["Valued"] = editor_test::GraphicOnly("Valued");
        defs["Valued"].emplace(ComponentType::Physics, values);
        defs["Lamps"] = editor_test::GraphicOnly("Lamps");
        defs["Lamps"].emplace(ComponentType::Light, Lamp("Lamps", 10));
        defs["Lamps"].emplace(ComponentType::Light, Lamp("Lamps", 20));
        StreamMap dummyGraphic = editor_test::Definition("DUMMY", "Graphic");
        dummyGraphic.AddString("Mesh", "dummy.x");
        defs["DUMMY"] = {};
        defs["DUMMY"].emplace(ComponentType::Graphic, dummyGraphic);
        defs["DUMMY"].emplace(ComponentType::Light, Lamp("DUMMY", 99));
    }

    void EnterWithTypes() {
        MakeState();
        AddTypes();
        auto scene = std::make_unique<editor_test::FakeScene>(*m_state);
        m_scene = scene.get();
        m_state->UseScene(std::move(scene));
        m_state->SetComponentProcess(ComponentType::Physics, &m_null_process);
        m_state->Initialize();
        m_editor = m_state->Editor();
        Tap(input::key::Space);
        m_editor->SetDialogService(&m_service);
        Frame();
    }

    void ChooseComponent(i32 index) {
        Window().SetCurSel(m_editor->ComponentCombo(), index);
        Command(LevelEditor::ID_COMPONENT_COMBO, gui::kNotifySelChange);
    }

    std::vector<std::string> Items(gui::ControlHandle combo) {
        const gui::Control* control = Window().Find(combo);
        return control != nullptr ? control->items : std::vector<std::string>{"<none>"};
    }

    float LampRange(const std::string& type, std::size_t which) {
        auto [first, last] = m_state->m_definitions[type].equal_range(ComponentType::Light);
        for (std::size_t i = 0; i < which; ++i) {
            ++first;
        }
        StreamMap read(first->second);
        read.BeginRead();
        std::string skip;
        read.ReadString(skip);
        read.ReadString(skip);
        float range = -1;
        read.ReadFloat(range);
        return range;
    }

    NullProcess m_null_process;
};

TEST_F(PropertyPagesTest, PagesFollowTheSelection) {
    EnterWithTypes();
    GameObject* a = Make("BuildingBlock", {0, 0, 0});
    GameObject* b = Make("Tiny", {10, 0, 0});
    GameObject* c = Make("Tiny", {-10, 0, 0});
    EXPECT_EQ(m_editor->TypeCombo(), 0u) << "nothing selected: no page";
    EXPECT_EQ(Field(0), "");

    SelectByClicks({a, b});
    EXPECT_EQ(m_editor->ComponentCombo(), 0u);
    ASSERT_NE(m_editor->TypeCombo(), 0u);
    EXPECT_EQ(Window().GetCurSel(m_editor->TypeCombo()), gui::kError) << "mixed types show none";

    SelectByClicks({b, c});
    EXPECT_EQ(m_editor->CurrentTypeName(), "Tiny");
    EXPECT_EQ(Items(m_editor->ComponentCombo()), std::vector<std::string>{"Graphic"});
    std::string shown;
    Window().GetLBText(m_editor->TypeCombo(), Window().GetCurSel(m_editor->TypeCombo()), shown);
    EXPECT_EQ(shown, "Tiny");

    GameObject* robot = m_state->CreateObject("Robot");
    robot->SetPosition(Vector(0, 0, 20));
    SelectByClicks({b, robot});
    EXPECT_EQ(m_editor->TypeCombo(), 0u);
    EXPECT_EQ(m_editor->ComponentCombo(), 0u);
}

TEST_F(PropertyPagesTest, ARefreshWithTheSamePageKeepsUnappliedEdits) {
    EnterWithTypes();
    GameObject* a = Make("Lamps", {0, 0, 0});
    GameObject* b = Make("Lamps", {-10, 0, 0}); // clear of a's handles
    SelectByClicks({a});
    ChooseComponent(1);
    ASSERT_EQ(Rows().size(), 1u);
    Window().SetText(m_editor->ParameterControls()[1], "55");
    ClickAt({b->position.x, b->position.y, b->position.z});
    ASSERT_EQ(m_editor->Selection(), std::vector<GameObject*>{b});
    EXPECT_EQ(Rows()[0].second, "55");
    EXPECT_EQ(m_editor->CurrentComponentName(), "Light");
}

TEST_F(PropertyPagesTest, ParameterRowsShowAndApplyEveryValueType) {
    EnterWithTypes();
    GameObject* object = Make("Valued", {0, 0, 0});
    SelectByClicks({object});
    ChooseComponent(1);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Mesh (string)", "crate.x"},   {"Count (int)", "-4"},
        {"Big (long)", "70000"},        {"BoundingSphere.Radius (float)", "0.5"},
        {"Mass (double)", "2.25"},      {"Static (bool)", "true"},
        {"OBB.e (vector3)", "1, 2, 3"}, {"Colour (vector4)", "1, 0.5, 0.25, 1"}};
    EXPECT_EQ(Rows(), expected);
    ASSERT_NE(Window().FindById(LevelEditor::ID_BOUNDING_VOLUMES), nullptr);
    EXPECT_EQ(Window().FindById(LevelEditor::ID_BOUNDING_VOLUMES)->rect.y, 200 + 20 * 8);

    // Texts as typed, and what they apply as.
    const char* typed[] = {"box.x", "12x", "oops", "1.5e2", "-0.125", "True", "1,,2, 3", "9"};
    for (std::size_t i = 0; i < 8; ++i) {
        Window().SetText(m_editor->ParameterControls()[2 * i + 1], typed[i]);
    }
    Command(LevelEditor::ID_APPLY);
    ChooseComponent(0);
    ChooseComponent(1);
    const std::vector<std::string> applied = {"box.x",  "12",    "0",       "150",
                                              "-0.125", "false", "1, 2, 3", "9, 0, 0, 0"};
    std::vector<std::string> shown;
    for (const auto& row : Rows()) {
        shown.push_back(row.second);
    }
    EXPECT_EQ(shown, applied);
}

TEST_F(PropertyPagesTest, BoundingVolumesComeFromTheObjectsBoxAndAreApplied) {
    MakeState();
    AddTypes();
    StreamMap body = editor_test::Definition("Crate", "Physics");
    body.AddFloat("Mass", 3.0f);
    body.AddFloat("BoundingSphere.Radius", 0.0f);
    body.AddFloat("OBB.e.x", 0.0f);
    body.AddFloat("OBB.e.y", 0.0f);
    body.AddFloat("OBB.e.z", 0.0f);
    m_state->m_definitions["Crate"] = editor_test::GraphicOnly("Crate");
    m_state->m_definitions["Crate"].emplace(ComponentType::Physics, body);
    auto scene = std::make_unique<editor_test::FakeScene>(*m_state);
    m_scene = scene.get();
    m_state->UseScene(std::move(scene));
    m_state->SetComponentProcess(ComponentType::Physics, &m_null_process);
    m_state->Initialize();
    m_editor = m_state->Editor();
    Tap(input::key::Space);
    GameObject* crate = Make("Crate", {0, 0, 0});
    m_scene->m_boxes[crate] = {{-1, -2, -3}, {1, 2, 3}};
    SelectByClicks({crate});
    ChooseComponent(1);
    Command(LevelEditor::ID_BOUNDING_VOLUMES);
    ChooseComponent(0);
    ChooseComponent(1);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Mass (float)", "3"},
        {"BoundingSphere.Radius (float)", "3.74166"},
        {"OBB.e.x (float)", "1"},
        {"OBB.e.y (float)", "2"},
        {"OBB.e.z (float)", "3"}};
    EXPECT_EQ(Rows(), expected);
}

TEST_F(PropertyPagesTest, ApplyChangesOnlyTheChosenEntryOfAKind) {
    EnterWithTypes();
    GameObject* lamp = Make("Lamps", {0, 0, 0});
    SelectByClicks({lamp});
    EXPECT_EQ(Items(m_editor->ComponentCombo()),
              (std::vector<std::string>{"Graphic", "Light", "Light"}));
    ChooseComponent(2);
    EXPECT_EQ(Rows(), (std::vector<std::pair<std::string, std::string>>{{"Range (float)", "20"}}));
    Window().SetText(m_editor->ParameterControls()[1], "33");
    Command(LevelEditor::ID_APPLY);
    EXPECT_FLOAT_EQ(LampRange("Lamps", 0), 10.0f);
    EXPECT_FLOAT_EQ(LampRange("Lamps", 1), 33.0f);
}

TEST_F(PropertyPagesTest, AddComponentCopiesTheTemplateAndShowsTheNewEntry) {
    EnterWithTypes();
    GameObject* lamp = Make("Lamps", {0, 0, 0});
    SelectByClicks({lamp});
    m_runner.m_answers.push_back(ComponentKind("Light"));
    Command(LevelEditor::ID_COMPONENT_ADD);
    EXPECT_EQ(m_state->m_definitions["Lamps"].count(ComponentType::Light), 3u);
    EXPECT_FLOAT_EQ(LampRange("Lamps", 2), 99.0f);
    EXPECT_EQ(Window().GetCurSel(m_editor->ComponentCombo()), 3) << "the last Light entry";
    EXPECT_EQ(m_editor->CurrentComponentIndex(), 3u);
    EXPECT_EQ(Rows()[0].second, "99");

    // The dialog offers every kind, sorted; a kind the template lacks adds nothing.
    m_runner.m_answers.push_back(ComponentKind("Trigger"));
    Command(LevelEditor::ID_COMPONENT_ADD);
    std::vector<std::string> offered;
    for (const gui::Control& control : m_runner.m_last_controls) {
        if (control.id == editor::ID_COMPONENT_KIND) {
            offered = control.items;
        }
    }
    ASSERT_EQ(offered.size(), 23u);
    EXPECT_EQ(offered.front(), "AIView");
    EXPECT_TRUE(std::is_sorted(offered.begin(), offered.end(), [](const auto& x, const auto& y) {
        return strcasecmp(x.c_str(), y.c_str()) < 0;
    }));
    EXPECT_EQ(m_state->m_definitions["Lamps"].size(), 4u);

    // Cancel sends nothing.
    m_runner.m_answers.push_back(editor_test::Cancel());
    Command(LevelEditor::ID_COMPONENT_ADD);
    EXPECT_EQ(m_state->m_definitions["Lamps"].size(), 4u);
}

TEST_F(PropertyPagesTest, DeleteComponentNamesTheEntryAmongItsKind) {
    EnterWithTypes();
    GameObject* lamp = Make("Lamps", {0, 0, 0});
    SelectByClicks({lamp});
    ChooseComponent(2);
    Command(LevelEditor::ID_COMPONENT_DELETE);
    EXPECT_EQ(m_state->m_definitions["Lamps"].count(ComponentType::Light), 1u);
    EXPECT_FLOAT_EQ(LampRange("Lamps", 0), 10.0f);
    EXPECT_EQ(Items(m_editor->ComponentCombo()), (std::vector<std::string>{"Graphic", "Light"}));
    EXPECT_EQ(m_editor->CurrentComponentIndex(), 0u);

    // With no entry chosen nothing goes.
    Window().SetCurSel(m_editor->ComponentCombo(), -1);
    Command(LevelEditor::ID_COMPONENT_DELETE);
    EXPECT_EQ(m_state->m_definitions["Lamps"].size(), 2u);
}

TEST_F(PropertyPagesTest, NewTypesAreCopiedOrMadeFromTheTemplateAndDuplicatesRefused) {
    EnterWithTypes();
    GameObject* lamp = Make("Lamps", {0, 0, 0});
    SelectByClicks({lamp});
    m_runner.m_answers.push_back(NewType("Lamps2", true));
    Command(LevelEditor::ID_TYPE_ADD);
    ASSERT_EQ(m_state->m_definitions.count("Lamps2"), 1u);
    EXPECT_EQ(m_state->m_definitions["Lamps2"].size(), 3u);
    EXPECT_FLOAT_EQ(LampRange("Lamps2", 1), 20.0f);
    EXPECT_EQ(m_editor->TypeNames().back(), "Lamps2");
    ASSERT_EQ(m_editor->Selection().size(), 1u);
    EXPECT_EQ(m_editor->Selection()[0]->name, "Lamps2") << "the selection takes the new type";

    m_runner.m_answers.push_back(NewType("Bare", false));
    Command(LevelEditor::ID_TYPE_ADD);
    const ComponentDefinitionList& bare = m_state->m_definitions["Bare"];
    ASSERT_EQ(bare.size(), 1u);
    StreamMap read(bare.begin()->second);
    read.BeginRead();
    std::string type, kind, mesh;
    read.ReadString(type);
    read.ReadString(kind);
    read.ReadString(mesh);
    EXPECT_EQ(type + "/" + kind + "/" + mesh, "Bare/Graphic/dummy.x");

    const std::size_t names = m_editor->TypeNames().size();
    for (const char* refused : {"Lamps", "quo\"te", "back\\slash", "tab\there"}) {
        m_runner.m_answers.push_back(NewType(refused, false));
        testing::internal::CaptureStdout();
        Command(LevelEditor::ID_TYPE_ADD);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(m_editor->TypeNames().size(), names) << refused;
        if (std::string(refused) == "Lamps") {
            EXPECT_NE(out.find("Duplicate object name."), std::string::npos);
        }
    }
    EXPECT_EQ(m_state->m_definitions.count("quo\"te"), 0u);
}

TEST_F(PropertyPagesTest, ChangingTheTypeKeepsPlacesAndSelectionAndUndoesAsOneStep) {
    EnterWithTypes();
    GameObject* a = Make("BuildingBlock", {0, 0, 0});
    GameObject* b = Make("Tiny", {10, 0, 0});
    b->SetScale(Vector(2, 2, 2));
    SelectByClicks({a, b});
    const auto combo = m_editor->TypeCombo();
    Window().SetCurSel(combo, Window().FindStringExact(combo, -1, "Lamps"));
    Command(LevelEditor::ID_TYPE_COMBO, gui::kNotifySelChange);
    ASSERT_EQ(m_editor->Selection().size(), 2u);
    EXPECT_EQ(m_editor->Selection()[0]->name, "Lamps");
    EXPECT_EQ(m_editor->Selection()[1]->name, "Lamps");
    EXPECT_FLOAT_EQ(m_editor->Selection()[1]->position.x, 10.0f);
    EXPECT_FLOAT_EQ(m_editor->Selection()[1]->scale.y, 2.0f);
    EXPECT_EQ(Kinds(*m_editor),
              (std::vector<u32>{Kind::ACTION_TYPE_CHANGED, Kind::ACTION_TYPE_CHANGED}));
    EXPECT_EQ(ObjectsNamed("BuildingBlock").size(), 0u);
    EXPECT_EQ(m_editor->CurrentTypeName(), "Lamps");

    m_editor->Undo();
    EXPECT_EQ(ObjectsNamed("Lamps").size(), 0u);
    EXPECT_EQ(ObjectsNamed("BuildingBlock").size(), 1u);
    ASSERT_EQ(ObjectsNamed("Tiny").size(), 1u);
    EXPECT_FLOAT_EQ(ObjectsNamed("Tiny")[0]->scale.x, 2.0f);
    EXPECT_TRUE(m_editor->Actions().empty());
}

TEST_F(PropertyPagesTest, DeletingATypeForgetsItsObjectsEverywhereFirst) {
    EnterWithTypes();
    GameObject* a = Make("Tiny", {0, 0, 0});
    GameObject* b = Make("Tiny", {10, 0, 0});
    GameObject* keep = Make("BuildingBlock", {-10, 0, 0});
    SelectByClicks({a, b});
    m_scene->m_editor_input.m_keys[input::key::LeftControl] = INPUT_HELD;
    Tap(input::key::C);
    SetField(0, "3");
    Command(LevelEditor::ID_APPLY);
    ASSERT_FALSE(m_editor->Actions().empty());
    ASSERT_NE(m_editor->Clipboard(), nullptr);

    const std::string firstName = m_editor->TypeNames().front();
    Command(LevelEditor::ID_TYPE_DELETE);
    EXPECT_TRUE(ObjectsNamed("Tiny").empty());
    EXPECT_EQ(m_state->m_definitions.count("Tiny"), 0u);
    EXPECT_EQ(std::count(m_editor->TypeNames().begin(), m_editor->TypeNames().end(), "Tiny"), 0);
    EXPECT_EQ(m_editor->Clipboard(), nullptr);
    for (const auto& action : m_editor->Actions()) {
        EXPECT_NE(action->kind, Kind::ACTION_TRANSLATE) << "the move of the freed objects is gone";
    }
    EXPECT_EQ(m_editor->ObjectType(), firstName);
    // Undoing and pasting now touch nothing that was freed (the sanitizers watch).
    while (!m_editor->Actions().empty()) {
        m_editor->Undo();
    }
    m_scene->m_editor_input.m_keys[input::key::LeftControl] = INPUT_HELD;
    Tap(input::key::V);
    EXPECT_EQ(keep->name, "BuildingBlock");

    // With no entry chosen nothing happens.
    SelectByClicks({keep});
    Window().SetCurSel(m_editor->TypeCombo(), -1);
    const std::size_t names = m_editor->TypeNames().size();
    Command(LevelEditor::ID_TYPE_DELETE);
    EXPECT_EQ(m_editor->TypeNames().size(), names);
}

TEST_F(PropertyPagesTest, TheNewTypeDialogStartsFromTheCurrentType) {
    EnterWithTypes();
    GameObject* lamp = Make("Lamps", {0, 0, 0});
    SelectByClicks({lamp});
    m_runner.m_answers.push_back(editor_test::Cancel());
    Command(LevelEditor::ID_TYPE_ADD);
    std::vector<std::string> items;
    i32 selection = -2;
    bool checked = false;
    for (const gui::Control& control : m_runner.m_last_controls) {
        if (control.id == editor::ID_COPY_FROM) {
            items = control.items;
            selection = control.selection;
        }
        if (control.id == editor::ID_COPY_FROM_CHECK) {
            checked = control.checked;
        }
    }
    ASSERT_GE(selection, 0);
    EXPECT_EQ(items[static_cast<std::size_t>(selection)], "Lamps");
    EXPECT_TRUE(checked);
    EXPECT_EQ(std::count(items.begin(), items.end(), "DUMMY"), 0);
}

} // namespace
