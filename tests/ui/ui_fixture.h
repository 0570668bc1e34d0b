#pragma once
// A UI process in a fake game: the Game (0), renderer (1), sound (2), input (3) and the
// other handlers the UI talks to record what they get, and a fake state builds each screen
// element from a small definition (its UI component and its "Sprite" components) the way a
// game state does. Sprites are plain components whose fields a recording WidgetGraphics
// keeps; the cursor and the screen size are injected.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "content/game_object_definition_map.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/message.h"
#include "core/message_router.h"
#include "core/process.h"
#include "core/stream_map.h"
#include "game/input_state.h"
#include "graphics/text_graphic.h"
#include "platform/input/keys.h"
#include "platform/window/screen.h"
#include "platform/window/window.h"
#include "support/component_fixture.h"
#include "ui/ui_component.h"
#include "ui/ui_process.h"
#include "ui/widget_graphics.h"

namespace ui_fixture {

using component_fixture::MessageRecorder;

// What the widgets wrote into each sprite.
struct SpriteFields {
    bool visible = false;
    float sizeX = 0.0f;
    float sizeY = 0.0f;
    float offsetX = 0.0f;
    float offsetY = 0.0f;
};

// One message as it arrived somewhere: to which handler, which type.
struct Delivery {
    u32 to;
    u32 type;
    bool operator==(const Delivery&) const = default;
};

class RecordingGraphics : public WidgetGraphics {
  public:
    void SetSpriteVisible(Component* sprite, bool visible) override {
        sprites[sprite].visible = visible;
    }
    void SetSpriteSize(Component* sprite, float x, float y) override {
        sprites[sprite].sizeX = x;
        sprites[sprite].sizeY = y;
    }
    void SetSpriteOffset(Component* sprite, float x, float y) override {
        sprites[sprite].offsetX = x;
        sprites[sprite].offsetY = y;
    }
    void LayOutText(TextGraphic* text, float x1, float y1, float x2, float y2) override {
        layouts.push_back({text, x1, y1, x2, y2});
    }

    struct Layout {
        TextGraphic* text;
        float x1, y1, x2, y2;
    };
    std::map<Component*, SpriteFields> sprites;
    std::vector<Layout> layouts;
};

class FakeSprite : public Component {
  public:
    void Update(float) override {}
};

// Owns the fake sprites the way the renderer owns real ones.
class SpriteProcess : public ComponentProcess {
  public:
    void Update(float) override {}
    Component* CreateComponent(StreamMap*) override {
        auto* sprite = new FakeSprite;
        sprite->process = this;
        ++live;
        return sprite;
    }
    void RemoveComponent(Component* component) override {
        delete component;
        --live;
    }
    int live = 0;
};

// One component stream as an object definition holds it: object type, component type and,
// for texts and inputs, the initial text.
inline StreamMap UIStream(const std::string& objectType, const std::string& componentType,
                          const std::string* text = nullptr) {
    StreamMap stream;
    stream.AddString("Object Type", objectType);
    stream.AddString("Component Type", componentType);
    if (text != nullptr) {
        stream.AddString("Text", *text);
    }
    return stream;
}

// A definition by the element's name: the class its suffix names and the sprites its looks
// need.
inline ComponentDefinitionList DefinitionByName(const std::string& name) {
    auto ends = [&](const std::string& suffix) {
        return name.size() >= suffix.size() &&
               name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
    };
    std::string type = "UIElement";
    int sprites = 1;
    const std::string text = name == "ScoreText" ? "" : name;
    if (ends("Button")) {
        type = "UIButton";
        sprites = 2;
    } else if (ends("CheckBox")) {
        type = "UICheckBox";
        sprites = 4;
    } else if (ends("Slider")) {
        type = "UISlider";
        sprites = 4;
    } else if (ends("Input")) {
        type = "UIInput";
        sprites = 3;
    } else if (ends("Text")) {
        type = "UIText";
        sprites = 0;
    }
    ComponentDefinitionList list;
    for (int i = 0; i < sprites; ++i) {
        list.emplace(ComponentType::Sprite, UIStream(name, "Sprite"));
    }
    const bool hasText = type == "UIText" || type == "UIInput";
    list.emplace(ComponentType::FromName(type), UIStream(name, type, hasText ? &text : nullptr));
    return list;
}

// Creates and deletes objects for the UI as a game state does.
class FakeState : public MessageHandler {
  public:
    void HandleMessage(BaseMessage* msg, u32 fromId) override {
        received.push_back(msg->type);
        if (log != nullptr) {
            log->push_back({id, msg->type});
        }
        if (msg->type == MSG_LEVEL_CREATE_OBJECT) {
            GameObject* object = Create(*msg->Payload<std::string>());
            if (object != nullptr) {
                Message<GameObject*> reply(MSG_LEVEL_OBJECT_CREATED, object);
                SendMessage(&reply, fromId);
            }
        } else if (msg->type == MSG_LEVEL_DELETE_OBJECT) {
            Delete(*msg->Payload<GameObject*>());
        }
    }

    GameObject* Create(const std::string& typeName) {
        ComponentDefinitionList list;
        if (definitions != nullptr) {
            const auto found = definitions->find(typeName);
            if (found == definitions->end()) {
                return nullptr;
            }
            list = found->second;
        } else if (missing.count(typeName) != 0) {
            return nullptr;
        } else {
            list = DefinitionByName(typeName);
        }
        auto* object = new GameObject(typeName);
        object->id = nextId++;
        for (auto& [type, stream] : list) {
            stream.BeginRead();
            Component* made = nullptr;
            if (type == ComponentType::Sprite) {
                made = sprites.CreateComponent(&stream);
            } else if (type >= ComponentType::UIElement && type <= ComponentType::UIText) {
                made = ui->CreateComponent(&stream);
            }
            object->AddComponent(type.value, made);
        }
        object->SetRouterParent(router);
        objects.push_back(object);
        ++created[typeName];
        return object;
    }

    void Delete(GameObject* object) {
        const auto at = std::find(objects.begin(), objects.end(), object);
        if (at == objects.end()) {
            return;
        }
        router->RemoveChild(&object->router);
        objects.erase(at);
        delete object;
    }

    ~FakeState() override {
        while (!objects.empty()) {
            Delete(objects.back());
        }
    }

    UIProcess* ui = nullptr;
    const GameObjectDefinitionMap* definitions = nullptr;
    std::map<std::string, int> missing;
    SpriteProcess sprites;
    std::vector<GameObject*> objects;
    std::map<std::string, int> created;
    std::vector<u32> received;
    std::vector<Delivery>* log = nullptr;
    u32 nextId = 1000;
};

// Records what it gets, and where, in one log shared by the whole fake game.
class Recorder : public MessageRecorder {
  public:
    void HandleMessage(BaseMessage* msg, u32 fromId) override {
        MessageRecorder::HandleMessage(msg, fromId);
        if (log != nullptr) {
            log->push_back({id, msg->type});
        }
    }
    std::vector<Delivery>* log = nullptr;
};

// Answers what the UI asks the Game and the renderer at start.
class FakeGame : public Recorder {
  public:
    void HandleMessage(BaseMessage* msg, u32 fromId) override {
        Recorder::HandleMessage(msg, fromId);
        if (msg->type == MSG_GAME_HWND) {
            Message<window::Window*> reply(MSG_GAME_HWND, window);
            SendMessage(&reply, fromId);
        }
    }
    window::Window* window = nullptr;
};

class FakeRenderer : public Recorder {
  public:
    void HandleMessage(BaseMessage* msg, u32 fromId) override {
        Recorder::HandleMessage(msg, fromId);
        if (msg->type == MSG_GRAPHICS_CHECK_WINDOWED) {
            // Fullscreen unless told otherwise, so the UI takes the injected screen size.
            Message<bool> reply(MSG_GRAPHICS_WINDOWED, windowed);
            SendMessage(&reply, fromId);
        } else if (msg->type == MSG_GRAPHICS_GET_EXPOSURE_VALUE) {
            Message<float> reply(MSG_GRAPHICS_EXPOSURE_VALUE, exposure);
            SendMessage(&reply, fromId);
        } else if (msg->type == MSG_GRAPHICS_DISPLAY_GRAPHICS_TEXT) {
            // Hands out a distinct handle per display, as the renderer does.
            TextGraphicStruct* text = *msg->Payload<TextGraphicStruct*>();
            handles.push_back(std::make_unique<TextGraphic>());
            text->textGraphic = handles.back().get();
        }
    }
    float exposure = 0.9f;
    bool windowed = false;
    std::vector<std::unique_ptr<TextGraphic>> handles;
};

class UIFixture : public ::testing::Test {
  protected:
    void TearDown() override {
        window::SetScreenMetricsOverride(std::nullopt);
        window::SetClientCursorOverride(std::nullopt);
        // The widgets go with their objects, before the process that owns them.
        state.reset();
        ui.reset();
    }

    // Starts the UI of the named state on a screen of the given size and runs its first
    // two frames (start, then the frame that places the new widgets).
    void Start(const std::string& stateName, u32 stateId = 22, i32 width = 1280, i32 height = 800) {
        window::SetScreenMetricsOverride(window::ScreenMetrics{width, height});
        window::SetClientCursorOverride(window::Point{-100, -100});
        game.window = reinterpret_cast<window::Window*>(&windowStandIn);
        ui = std::make_unique<UIProcess>(stateName, stateId, options);
        ui->SetGraphics(&graphics);
        state = std::make_unique<FakeState>();
        state->ui = ui.get();
        state->router = &stateRouter;
        state->definitions = definitions;
        state->log = &log;
        for (Recorder* r : {static_cast<Recorder*>(&game), static_cast<Recorder*>(&renderer),
                            &sound, &input, &ai, &logic, &buildings}) {
            r->log = &log;
        }
        game.Bind(&root, 0);
        renderer.Bind(&root, 1);
        sound.Bind(&root, 2);
        input.Bind(&root, 3);
        stateRouter.AttachToParent();
        // The level's own processes sit beside the UI, under the state.
        ai.Bind(&stateRouter, 12);
        logic.Bind(&stateRouter, 16);
        buildings.Bind(&stateRouter, 17);
        state->Bind(&stateRouter, stateId);
        ui->Bind(&stateRouter, UIProcess::kHandlerId);
        Frame();
        Frame();
    }

    // One frame with the given input state.
    void Frame(const InputState& snapshot = InputState{}, float dt = 1.0f / 60.0f) {
        Message<InputState> msg(MSG_MENU_INPUT, snapshot);
        input.SendMessage(&msg, UIProcess::kHandlerId);
        ui->Update(dt);
    }

    static InputState Keys(std::initializer_list<u8> pressed, u8 action = INPUT_PRESSED) {
        InputState snapshot;
        for (u8 key : pressed) {
            snapshot.m_keys[key] = action;
        }
        return snapshot;
    }

    void Press(u8 key) { Frame(Keys({key})); }

    void MoveCursor(i32 x, i32 y) { window::SetClientCursorOverride(window::Point{x, y}); }

    // Moves the cursor to the point and clicks there.
    void ClickAt(i32 x, i32 y) {
        MoveCursor(x, y);
        InputState snapshot;
        snapshot.m_mouse_buttons[0] = INPUT_PRESSED;
        Frame(snapshot);
    }

    // The centre of an element's object, in pixels.
    window::Point CentreOf(const std::string& name) const {
        UIComponent* c = ui->FindComponentByObjectName(name);
        const float s = static_cast<float>(ui->WindowWidth()) / 1024.0f;
        return window::Point{static_cast<i32>(c->owner->position.x + c->m_width * s * 0.5f),
                             static_cast<i32>(c->owner->position.y + c->m_height * s * 0.5f)};
    }

    std::string FocusName() const {
        UIComponent* focus = ui->Focus();
        return focus != nullptr && focus->owner != nullptr ? focus->owner->name : "";
    }

    std::vector<SpriteFields> SpritesOf(const std::string& name) {
        std::vector<SpriteFields> fields;
        UIComponent* c = ui->FindComponentByObjectName(name);
        for (Component* s = c->owner->GetComponent(ComponentType::Sprite); s != nullptr;
             s = s->nextOfType) {
            fields.push_back(graphics.sprites[s]);
        }
        return fields;
    }

    std::vector<bool> VisibleOf(const std::string& name) {
        std::vector<bool> visible;
        for (const SpriteFields& f : SpritesOf(name)) {
            visible.push_back(f.visible);
        }
        return visible;
    }

    // The message types a recorder got since the given count.
    static std::vector<u32> TypesFrom(const MessageRecorder& r, std::size_t from) {
        const std::vector<u32> all = r.Types();
        return std::vector<u32>(all.begin() + static_cast<std::ptrdiff_t>(from), all.end());
    }

    char windowStandIn = 0;
    ParserProcess* options = nullptr;
    const GameObjectDefinitionMap* definitions = nullptr;
    RecordingGraphics graphics;
    MessageRouter root;
    MessageRouter stateRouter{&root};
    FakeGame game;
    FakeRenderer renderer;
    Recorder sound;
    Recorder input;
    Recorder ai;
    Recorder logic;
    Recorder buildings;
    std::vector<Delivery> log;
    std::unique_ptr<UIProcess> ui;
    std::unique_ptr<FakeState> state;
};

} // namespace ui_fixture
