#include "graphics/graphics_process.h"
#include "graphics/graphic_component.h"

#include <algorithm>
#include <iostream>
#include <thread>

#include "content/file_package.h"
#include "content/particle_system_info.h"
#include "core/component_header.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/message.h"
#include "core/stream_map.h"
#include "core/worker_pool.h"
#include "graphics/animation_map_operations.h"
#include "graphics/film_effects.h"
#include "graphics/gbuffer.h"
#include "graphics/object_effects.h"
#include "graphics/particle_system_cpu.h"
#include "graphics/particle_system_manager.h"
#include "graphics/post_process_chain.h"
#include "graphics/render_settings.h"
#include "graphics/render_state_cache.h"
#include "graphics/render_target_desc.h"
#include "graphics/screenshot.h"
#include "graphics/shadow_maps.h"
#include "graphics/sky.h"
#include "graphics/sprite_batch.h"
#include "graphics/sprite_component.h"
#include "graphics/start_error.h"
#include "graphics/text_graphic.h"
#include "graphics/text_graphic_manager.h"
#include "graphics/vertical_lines.h"
#include "graphics/video_manager.h"
#include "platform/gfx/device.h"
#include "platform/input/keys.h"
#include "platform/system/log.h"
#include "platform/system/message_box.h"
#include "platform/window/window.h"

namespace {

// Handlers the renderer talks to.
constexpr u32 kGameId = HANDLER_GAME;
constexpr u32 kInputId = HANDLER_INPUT_CONTROLS;
constexpr u32 kLevelId = HANDLER_LEVEL_STATE;
constexpr u32 kUiId = HANDLER_UI_PROCESS;

// The exposure fades of the debug keys E+Up and E+Down.
constexpr float kDebugExposureTarget = -5.0f;
constexpr float kDebugExposureFadeIn = 3.0f;
constexpr float kDebugExposureFadeOut = 5.0f;
constexpr auto kLostDeviceWait = std::chrono::milliseconds(20);

void StartVideo(const char* name, gfx::Device* device) {
    VideoManager* videos = VideoManager::Instance();
    videos->Load(name, device);
    videos->Restart(name);
}

// Advances every video; true while the named one still plays. Only a sequence's own video
// decides, so another loaded video cannot hold it back, and one that failed to load ends
// the sequence at once.
bool VideoRuns(const char* name, float dt) {
    VideoManager* videos = VideoManager::Instance();
    videos->Update(dt);
    return videos->IsUnfinished(name);
}

void EndVideo(const char* name) {
    VideoManager::Instance()->Stop(name);
    VideoManager::Instance()->Unload(name);
}

void ShowError(const char* text) {
    sys::ShowMessageBox("Error", text, sys::MessageBoxIcon::Error);
}

// The getters carry a pointer to the asker's variable; both signednesses are in use.
template <class T, class... Alternatives> T* TargetOf(BaseMessage* message) {
    if (T* const* target = message->Payload<T*>()) {
        return *target;
    }
    if constexpr (sizeof...(Alternatives) > 0) {
        return reinterpret_cast<T*>(TargetOf<Alternatives...>(message));
    }
    return nullptr;
}

// A byte setting from a bool payload, and the answer to a getter's bool pointer.
void SetFlag(u8& flag, const BaseMessage* message) {
    flag = message->ValueOr<bool>(flag != 0);
}

void AnswerFlag(BaseMessage* message, u8 flag) {
    if (bool* target = TargetOf<bool>(message)) {
        *target = flag != 0;
    }
}

} // namespace

GraphicsProcess::GraphicsProcess(window::Window* window, void* instance, int showCommand,
                                 float shadowMapSize, u32 splitCount) {
    g_shadow_map_size = shadowMapSize;
    g_shadow_map_texel_size = 1.0f / shadowMapSize;
    g_shadow_split_count = splitCount;
    CreateDevice(window);
    m_fullscreen = false;
    m_window = window;
    m_instance = instance;
    m_show_command = showCommand;
    RestoreDeviceResources();
    g_graphics = this;
    if (m_device != nullptr) {
        m_sprite_batch = std::make_unique<SpriteBatch>(m_device.get());
        m_film_dust = std::make_unique<FilmDust>(this, m_sprite_batch.get());
        m_film_burn = std::make_unique<FilmBurn>(this, m_sprite_batch.get());
        m_vertical_lines = std::make_unique<VerticalLines>(this, m_sprite_batch.get(),
                                                           m_device->BackBufferHeight());
    }

    FilePackage::Get(kArtPackage);
    FilePackage::Get(kShaderPackage);
    m_last_frame = std::chrono::steady_clock::now();
}

GraphicsProcess::~GraphicsProcess() {
    DeleteGraphicComponents();
    for (const auto& [name, map] : m_animation_maps) {
        ReleaseAnimationMap(map);
    }
    // Texts first: their letters are in the sprite list.
    m_text_graphics.reset();
    m_film_dust.reset();
    m_film_burn.reset();
    m_vertical_lines.reset();
    for (SpriteComponent* sprite : m_sprites) {
        delete sprite;
    }
    m_sprites.clear();
    m_sprite_batch.reset();
    ParticleSystemManager::DestroyInstance();
    VideoManager::DestroyInstance();
    // GL objects go while the context is still there.
    m_post_chain.reset();
    m_gbuffer.reset();
    m_shadow_maps.reset();
    m_sky.reset();
    m_fonts.Release();
    m_meshes.Clear();
    m_textures.Clear();
    m_effects.reset();
    m_device.reset();
    if (g_graphics == this) {
        g_graphics = nullptr;
    }
}

bool GraphicsProcess::CreateDevice(window::Window* window) {
    g_processor_count = std::max(1u, std::thread::hardware_concurrency());
    if (window != nullptr) {
        std::string error;
        m_device = gfx::Device::Create(*window, &error);
        if (m_device == nullptr) {
            // Nothing can be drawn: say so and let the game end through its usual path.
            sys::Log() << "Graphics device: " << error;
            ShowError(kStartupErrorText);
            window::g_quit = true;
        } else {
            // A new device starts from the default states, so nothing cached for an earlier
            // one holds; the game itself makes one device.
            RenderStateCache::Restart();
            RenderStateCache::Set(*m_device, gfx::kRsZEnable, 1);
            LoadObjectTechniques();
            LoadDepthBufferTechnique();
            CreatePostProcessChain();
            CreateDeferredResources();
        }
    }
    CreateSceneObjects();
    ParticleSystemManager::Instance()->LoadTemplates();
    VideoManager::Instance();
    return m_device != nullptr;
}

void GraphicsProcess::Initialize() {
    const DeviceLock lock;
}

bool GraphicsProcess::ReportDriverError() {
    if (m_device == nullptr) {
        return false;
    }
    switch (m_device->CheckStatus()) {
    case gfx::DeviceStatus::Lost:
        std::this_thread::sleep_for(kLostDeviceWait);
        return true;
    case gfx::DeviceStatus::DriverInternalError:
        // Once is enough: the game is on its way out.
        if (!m_driver_error_reported) {
            m_driver_error_reported = true;
            ShowError(kDriverErrorText);
        }
        window::g_quit = true;
        return true;
    case gfx::DeviceStatus::NotReset: {
        ReleaseDeviceResources();
        const bool reset = m_device->Reset();
        RestoreDeviceResources();
        return !reset;
    }
    case gfx::DeviceStatus::Ok:
        break;
    }
    return false;
}

void GraphicsProcess::ResizeWindow(bool fullscreen) {
    if (m_window != nullptr) {
        m_window->SetFullscreen(fullscreen);
    }
    ReleaseDeviceResources();
    if (m_device != nullptr) {
        m_device->Reset();
    }
    RestoreDeviceResources();
    if (m_vertical_lines != nullptr && m_device != nullptr) {
        m_vertical_lines->Resize(m_device->BackBufferHeight());
    }
    if (router != nullptr) {
        Message<bool> windowed(MSG_GRAPHICS_WINDOWED, !fullscreen);
        SendMessage(&windowed, kUiId);
    }
}

void GraphicsProcess::ApplyResolution() {
    ResizeWindow(m_fullscreen);
}

void GraphicsProcess::ReleaseDeviceResources() {
    VideoManager::Instance()->ReleaseAll();
    if (m_post_chain != nullptr) {
        m_post_chain->OnLostDevice();
    }
    if (m_shadow_maps != nullptr) {
        m_shadow_maps->OnLostDevice();
    }
    if (m_gbuffer != nullptr) {
        m_gbuffer->ReleaseTargets();
    }
}

void GraphicsProcess::RestoreDeviceResources() {
    if (m_post_chain != nullptr) {
        // The back buffer may have a new size.
        m_post_chain->Resize();
        m_post_chain->OnResetDevice();
    }
    if (m_shadow_maps != nullptr) {
        m_shadow_maps->OnResetDevice();
    }
    // A new size or a new precision setting takes effect here.
    if (m_gbuffer != nullptr &&
        !m_gbuffer->CreateTargets(g_render_settings.normalDeferredShaderQuality != 0)) {
        ShowGraphicsStartError();
    }
    VideoManager::Instance()->ReloadAll(m_device.get());
}

void GraphicsProcess::BeginOffscreenTarget(RenderTargetDesc& target) {
    if (m_device != nullptr) {
        ::BeginOffscreenTarget(*m_device, target);
    }
}

void GraphicsProcess::RestoreBackBuffer(RenderTargetDesc& target) {
    if (m_device != nullptr) {
        ::RestoreBackBuffer(*m_device, target);
    }
}

void GraphicsProcess::SaveScreenshot() {
    if (m_device == nullptr) {
        return;
    }
    // Between frames the back buffer still holds the frame last shown.
    i32 width = 0;
    i32 height = 0;
    std::vector<u8> picture = m_device->ReadPicture(width, height);
    ::SaveScreenshot(std::move(picture), width, height);
}

void GraphicsProcess::PlayFilmLeader() {
    Post(MSG_LEVEL_FILM_LEAD_STARTED, kLevelId);
    Post(MSG_INPUT_DISABLE_MENU, kInputId);
    StartVideo(kFilmLeaderVideo, m_device.get());
    m_film_leader_playing = 1;
}

void GraphicsProcess::UpdateFilmLeader(float dt) {
    if (VideoRuns(kFilmLeaderVideo, dt)) {
        return;
    }
    Post(MSG_LEVEL_FILM_LEAD_ENDED, kLevelId);
    m_film_leader_playing = 0;
    VideoManager::Instance()->Unload(kFilmLeaderVideo);
    Message<float> fadeOut(MSG_GRAPHICS_FADE_OUT, 0.0001f);
    SendMessage(&fadeOut, kHandlerId);
    Post(MSG_INPUT_ENABLE_MENU, kInputId);
}

void GraphicsProcess::PlayCredits() {
    StartVideo(kCreditsVideo, m_device.get());
    Message<float> fadeIn(MSG_GRAPHICS_FADE_IN, 1.0f);
    SendMessage(&fadeIn, kHandlerId);
    Message<std::string> black(MSG_LEVEL_CREATE_OBJECT, "Black");
    SendMessage(&black, kLevelId, 31.5f);
    Message<float> fadeOut(MSG_GRAPHICS_FADE_OUT, 0.1f);
    SendMessage(&fadeOut, kHandlerId, 31.5f);
    m_credits_playing = 1;
}

void GraphicsProcess::UpdateCredits(float dt) {
    if (VideoRuns(kCreditsVideo, dt)) {
        return;
    }
    m_credits_playing = 0;
    VideoManager::Instance()->Unload(kCreditsVideo);
    Message<std::string> menu(MSG_GAME_SWITCH_STATE, "Menu");
    SendMessage(&menu, kGameId, 0.1f);
}

void GraphicsProcess::Post(u32 type, u32 toId) {
    BaseMessage message(type);
    SendMessage(&message, toId);
}

Component* GraphicsProcess::CreateComponent(StreamMap* stream) {
    if (stream == nullptr) {
        return nullptr;
    }
    stream->BeginRead();
    ComponentHeader header;
    if (!header.Read(stream)) {
        return nullptr;
    }
    switch (header.Type()) {
    case ComponentType::Graphic:
        return CreateGraphicComponent(header.m_object_type, stream);
    case ComponentType::ParticleSystem:
        return CreateParticleSystemComponent(stream);
    case ComponentType::Light:
        return CreateLightComponent(*stream, header.m_object_type);
    case ComponentType::Sprite:
        return CreateSpriteComponent(stream);
    default:
        return nullptr;
    }
}

Component* GraphicsProcess::CreateParticleSystemComponent(StreamMap* stream) {
    std::string name;
    stream->ReadString(name);
    ParticleSystemCPU* system =
        ParticleSystemManager::Instance()->CreateParticleSystem(name, nullptr);
    if (system != nullptr) {
        system->process = this;
        system->graphics = this;
    }
    return system;
}

void GraphicsProcess::RemoveComponent(Component* component) {
    if (component == nullptr) {
        return;
    }
    // Beams stretched on the object that is going would move a deleted object.
    if (component->owner != nullptr) {
        m_lasers.RemoveOwnedBy(component->owner);
    }
    // The draw lists of the last cull are drawn again while scene updates are paused.
    for (std::vector<GraphicComponent*>* list : {&m_visible, &m_no_shadow, &m_park}) {
        list->erase(std::remove(list->begin(), list->end(), component), list->end());
    }
    if (RemoveGraphicComponent(component)) {
        return;
    }
    // A particle system ends through the manager: it stops following the object that is
    // letting it go (which may be about to be deleted) and stops emitting where it was, and
    // the manager lets it go once its particles are gone.
    ParticleSystemManager* particles = ParticleSystemManager::Instance();
    if (ParticleSystemCPU* system = particles->FindSystem(component)) {
        system->owner = nullptr;
        particles->DeactivateSystem(system);
        return;
    }
    if (auto* light = dynamic_cast<Light*>(component)) {
        m_lights.Remove(light);
        return;
    }
    RemoveSprite(component);
}

Component* GraphicsProcess::CreateLightComponent(StreamMap& stream, const std::string& objectType) {
    const LightDefinition definition = ReadLightDefinition(stream);
    auto* light = new Light(definition.enabled, objectType, definition.light);
    light->m_volumetric_amount = definition.volumetricAmount;
    light->m_offset = definition.offset;
    light->m_always_visible = definition.alwaysVisible;
    light->process = this;
    m_lights.Add(light);
    return light;
}

void GraphicsProcess::UpdateComponent(StreamMap* stream) {
    if (stream == nullptr) {
        return;
    }
    stream->BeginRead();
    ComponentHeader header;
    if (!header.Read(stream)) {
        return;
    }
    if (header.Type() == ComponentType::Graphic) {
        UpdateGraphicComponents(header.m_object_type, stream);
    } else if (header.Type() == ComponentType::Light) {
        UpdateLightComponents(header.m_object_type, *stream);
    }
}

void GraphicsProcess::UpdateLightComponents(const std::string& objectType, StreamMap& stream) {
    const LightDefinition definition = ReadLightDefinition(stream);
    for (Light* light : m_lights.Lights()) {
        if (light->owner == nullptr || light->owner->name != objectType) {
            continue;
        }
        light->m_light = definition.light;
        light->m_base_direction = definition.light.direction;
        light->m_enabled = definition.enabled;
        light->m_offset = definition.offset;
        light->m_volumetric_amount = definition.volumetricAmount;
        light->m_always_visible = definition.alwaysVisible;
    }
}

StaticMeshRecord GraphicsProcess::LoadStaticMesh(const std::string& name) {
    const DeviceLock lock;
    return m_meshes.LoadStaticMesh(name);
}

AnimatedMeshRecord GraphicsProcess::LoadAnimatedMesh(const std::string& name) {
    const DeviceLock lock;
    return m_meshes.LoadAnimatedMesh(name);
}

AnimatedMeshRecord GraphicsProcess::LoadAnimatedMeshInstance(const std::string& name) {
    const DeviceLock lock;
    return m_meshes.LoadAnimatedMeshInstance(name);
}

gfx::Texture* GraphicsProcess::GetTexture(const std::string& name) {
    const DeviceLock lock;
    return m_textures.Get(name);
}

GraphicsAnimationMap* GraphicsProcess::GetAnimationMap(const std::string& name) {
    const DeviceLock lock;
    AnimationMapOperations* const operations = GetAnimationMapOperations();
    if (operations == nullptr) {
        return nullptr;
    }
    auto cached = m_animation_maps.find(name);
    if (cached == m_animation_maps.end()) {
        GraphicsAnimationMap* const loaded = operations->Load(name);
        if (!operations->HasAnimations(*loaded)) {
            operations->Release(loaded);
            return nullptr;
        }
        cached = m_animation_maps.emplace(name, loaded).first;
    }
    return operations->Copy(*cached->second);
}

void GraphicsProcess::ReleaseAnimationMap(GraphicsAnimationMap* map) {
    if (AnimationMapOperations* const operations = GetAnimationMapOperations()) {
        operations->Release(map);
    }
}

void GraphicsProcess::UnloadMesh(const std::string& name) {
    const DeviceLock lock;
    m_meshes.UnloadMesh(name);
}

ObjectEffects& GraphicsProcess::Effects() {
    if (m_effects == nullptr) {
        m_effects = std::make_unique<ObjectEffects>(m_device.get());
    }
    return *m_effects;
}

void GraphicsProcess::LoadObjectTechniques() {
    const DeviceLock lock;
    Effects().LoadObjectTechniques();
}

void GraphicsProcess::LoadDepthBufferTechnique() {
    const DeviceLock lock;
    Effects().LoadDepthBufferTechnique();
}

gfx::Effect* GraphicsProcess::GetParticleEffect(const std::string& name) {
    const DeviceLock lock;
    return Effects().GetParticleEffect(name);
}

void GraphicsProcess::HandleMessage(BaseMessage* message, u32 fromId) {
    RenderSettings& settings = g_render_settings;
    switch (message->type) {
    case MSG_BUILDING_COUNT:
        if (const std::string* text = message->Payload<std::string>()) {
            m_status_text = *text;
        }
        break;
    case MSG_LEVEL_EDITOR_MODE: {
        const bool on = message->ValueOr<bool>(false);
        m_level_editor_mode = on;
        if (!on) {
            m_editor_input_routing = 0;
        }
        settings.editorOff = !on;
        settings.editorOffDust = !on;
        break;
    }
    case MSG_LEVEL_OBJECT_CREATED:
        m_level_object = message->ValueOr<GameObject*>(nullptr);
        break;
    case MSG_PAUSE_COMPONENT_UPDATE:
        settings.componentUpdate = 0;
        break;
    case MSG_UNPAUSE_COMPONENT_UPDATE:
        settings.componentUpdate = 1;
        break;
    case MSG_PLAYER_CAMERA:
        m_player_camera.reset(message->Clone());
        m_graphics_input.m_ui = 0;
        m_free_camera = 0;
        break;
    case MSG_GRAPHIC_INPUT:
        if (const InputState* state = message->Payload<InputState>()) {
            m_graphics_input = *state;
            m_graphics_input.m_ui = 1;
            m_free_camera = 1;
        }
        break;
    case MSG_EDITOR_INPUT:
        if (const InputState* state = message->Payload<InputState>()) {
            if (state->m_keys[input::key::Space] == INPUT_PRESSED) {
                m_editor_input_routing = m_editor_input_routing == 0 ? 1 : 0;
            }
            if (m_editor_input_routing == 0) {
                m_free_camera = 1;
                m_graphics_input = *state;
                m_graphics_input.m_ui = 1;
                m_editor_input = InputState{};
            } else {
                m_editor_input = *state;
                m_editor_input.m_ui = 1;
                m_graphics_input = InputState{};
            }
        }
        break;
    case MSG_CREATE_PARTICLE_SYSTEM:
        if (const ParticleSystemInfo* info = message->Payload<ParticleSystemInfo>()) {
            ParticleSystemCPU* system = ParticleSystemManager::Instance()->CreateParticleSystem(
                info->name, &info->position);
            // The asker may hang the system on an object, which hands it back here.
            if (system != nullptr) {
                system->process = this;
                system->graphics = this;
            }
            Message<ParticleSystemCPU*> reply(MSG_PARTICLE_SYSTEM, system);
            SendMessage(&reply, fromId);
        }
        break;
    case MSG_GRAPHICS_CHECK_WINDOWED: {
        Message<bool> reply(MSG_GRAPHICS_WINDOWED, !m_fullscreen);
        SendMessage(&reply, fromId);
        break;
    }
    case MSG_GRAPHICS_SAVE_SCREENSHOT:
        SaveScreenshot();
        break;
    case MSG_GRAPHICS_MOTION_BLUR:
        m_motion_blur_timer = message->ValueOr<float>(0.0f);
        break;
    case MSG_GRAPHICS_FULLSCREEN_SWITCH:
        m_fullscreen = !m_fullscreen;
        ResizeWindow(m_fullscreen);
        break;
    case MSG_GRAPHICS_FULLSCREEN_SET: {
        const bool fullscreen = message->ValueOr<bool>(m_fullscreen);
        if (fullscreen != m_fullscreen) {
            m_fullscreen = fullscreen;
            ResizeWindow(m_fullscreen);
        }
        break;
    }
    case MSG_GRAPHICS_RANDOM_CAMERA_SHAKE:
        m_camera_shake_timer = message->ValueOr<float>(0.0f);
        break;
    case MSG_GRAPHICS_LASER_BEAM_CREATION:
        if (const LaserBeamInfo* beam = message->Payload<LaserBeamInfo>()) {
            m_lasers.Create(*beam);
        }
        break;
    case MSG_GRAPHICS_LASER_BEAM_UPDATE:
        if (const LaserBeamInfo* beam = message->Payload<LaserBeamInfo>()) {
            m_lasers.Update(*beam);
        }
        break;
    case MSG_GRAPHICS_LASER_BEAM_DELETION:
        if (const LaserBeamInfo* beam = message->Payload<LaserBeamInfo>()) {
            m_lasers.Delete(*beam);
        }
        break;
    case MSG_GRAPHICS_EXPOSURE_CHANGE_START:
        if (const auto* fade = message->Payload<std::pair<float, float>>()) {
            m_exposure_fade.FadeExposureIn(fade->first, fade->second);
        }
        break;
    case MSG_GRAPHICS_EXPOSURE_CHANGE_END:
        m_exposure_fade.FadeExposureOut(message->ValueOr<float>(0.0f));
        break;
    case MSG_GRAPHICS_EXPOSURE_TEMP_CHANGE:
        if (const auto* parameters = message->Payload<std::vector<float>>()) {
            m_exposure_fade.StartExposureFade(*parameters);
        }
        break;
    case MSG_GRAPHICS_SET_EXPOSURE_VALUE:
        settings.pendingExposure = message->ValueOr<float>(settings.pendingExposure);
        settings.exposurePending = 1;
        m_exposure_fade.CancelDelayedFade();
        break;
    case MSG_GRAPHICS_GET_EXPOSURE_VALUE: {
        Message<float> reply(MSG_GRAPHICS_EXPOSURE_VALUE, settings.exposurePending != 0
                                                              ? settings.pendingExposure
                                                              : settings.exposure);
        SendMessage(&reply, fromId);
        break;
    }
    case MSG_GRAPHICS_TOGGLE_BLOOM:
        if (m_post_chain != nullptr) {
            m_post_chain->ToggleBloom();
        }
        break;
    case MSG_GRAPHICS_SET_LIGHT_MULTIPLIER:
        settings.pendingLightMultiplier = message->ValueOr<float>(settings.pendingLightMultiplier);
        settings.lightMultiplierPending = 1;
        break;
    case MSG_GRAPHICS_SET_FOG_RANGE:
        settings.fogRange = message->ValueOr<float>(settings.fogRange);
        break;
    case MSG_GRAPHICS_SET_FDIST:
        settings.farDistance = message->ValueOr<float>(settings.farDistance);
        break;
    case MSG_GRAPHICS_PLAY_FILM_LEAD:
        PlayFilmLeader();
        break;
    case MSG_GRAPHICS_STOP_FILM_LEAD:
        EndVideo(kFilmLeaderVideo);
        m_film_leader_playing = 0;
        break;
    case MSG_GRAPHICS_FADE_IN:
        settings.colourFadeRate = message->ValueOr<float>(0.0f);
        break;
    case MSG_GRAPHICS_FADE_OUT:
        settings.colourFadeRate = -message->ValueOr<float>(0.0f);
        break;
    case MSG_GRAPHICS_PLAY_CREDITS:
        PlayCredits();
        break;
    case MSG_GRAPHICS_STOP_CREDITS:
        EndVideo(kCreditsVideo);
        m_credits_playing = 0;
        break;
    case MSG_GRAPHICS_GET_GRAPHICS_ANIMATION:
        if (const std::string* mesh = message->Payload<std::string>()) {
            Message<GraphicsAnimationMap*> reply(MSG_GRAPHICS_GRAPHICS_ANIMATION,
                                                 GetAnimationMap(*mesh));
            SendMessage(&reply, fromId);
        }
        break;
    case MSG_GRAPHICS_BREAK_OBJECT:
        if (const auto* broken = message->Payload<std::pair<GraphicComponent*, bool>>()) {
            BreakObject(broken->first, broken->second);
        } else if (GraphicComponent* const* component = message->Payload<GraphicComponent*>()) {
            BreakObject(*component, false);
        }
        break;
    case MSG_GRAPHICS_GET_COLLISION_MESH_DATA:
        if (const auto* request = message->Payload<CollisionMeshRequest>()) {
            if (request->first != nullptr) {
                GetCollisionMeshData(*request->first, request->second.first,
                                     request->second.second);
            }
        }
        break;
    case MSG_GRAPHICS_PARTICLE_SYSTEM_VALID:
        // The same id carries the answer; only the question is answered.
        if (ParticleSystemCPU* const* system = message->Payload<ParticleSystemCPU*>()) {
            Message<bool> reply(MSG_GRAPHICS_PARTICLE_SYSTEM_VALID,
                                ParticleSystemManager::Instance()->ContainsSystem(*system));
            SendMessage(&reply, fromId);
        }
        break;
    case MSG_GRAPHICS_INITIALIZE:
        Initialize();
        break;
    case MSG_GRAPHICS_GET_THREE_DEE_SETTING:
        if (i32* target = TargetOf<i32, u32>(message)) {
            *target = settings.threeDee;
        }
        break;
    case MSG_GRAPHICS_SET_THREE_DEE_SETTING:
        settings.threeDee = message->ValueOr<i32>(settings.threeDee);
        break;
    case MSG_GRAPHICS_SET_MOTION_BLUR_SETTING:
        SetFlag(settings.motionBlur, message);
        break;
    case MSG_GRAPHICS_GET_MOTION_BLUR_SETTING:
        AnswerFlag(message, settings.motionBlur);
        break;
    case MSG_GRAPHICS_CHANGE_RESOLUTION:
        ApplyResolution();
        break;
    case MSG_GRAPHICS_ENABLE_SHADOWS:
        SetFlag(settings.shadows, message);
        break;
    case MSG_GRAPHICS_GET_USE_NORMAL_DEFERRED_SHADER_QUALITY:
        AnswerFlag(message, settings.normalDeferredShaderQuality);
        break;
    case MSG_GRAPHICS_SET_USE_NORMAL_DEFERRED_SHADER_QUALITY:
        SetFlag(settings.normalDeferredShaderQuality, message);
        break;
    case MSG_GRAPHICS_DISPLAY_GRAPHICS_TEXT:
        if (TextGraphicStruct* const* request = message->Payload<TextGraphicStruct*>()) {
            if (TextGraphicStruct* text = *request) {
                text->textGraphic =
                    TextGraphics().Display(text->text, text->topLeft, text->bottomRight);
            }
        }
        break;
    case MSG_GRAPHICS_UNDISPLAY_GRAPHICS_TEXT:
        TextGraphics().Undisplay(message->ValueOr<TextGraphic*>(nullptr));
        break;
    case MSG_SOUND_INSTANCE:
        m_sound_instance = message->ValueOr<SoundInstance*>(nullptr);
        break;
    default:
        break;
    }
}

void GraphicsProcess::CreatePostProcessChain() {
    m_post_chain = std::make_unique<PostProcessChain>(
        *m_device, m_textures.Get(PostProcessChain::kNoiseTextureName), &m_exposure_fade);
}

void GraphicsProcess::ComposeFinalImage(gfx::Texture* deferredResult, gfx::Texture* sceneDepth,
                                        bool skipBloom) {
    if (m_device == nullptr || m_post_chain == nullptr) {
        return;
    }
    ComposeInputs inputs;
    inputs.input = &m_graphics_input;
    inputs.depthTexture = sceneDepth;
    if (inputs.depthTexture == nullptr && m_effects != nullptr &&
        m_effects->DepthTarget() != nullptr) {
        inputs.depthTexture = m_effects->DepthTarget()->Texture();
    }
    inputs.deferredResult = deferredResult;
    inputs.cameraPosition[0] = m_render_camera.m_eye.x;
    inputs.cameraPosition[1] = m_render_camera.m_eye.y;
    inputs.cameraPosition[2] = m_render_camera.m_eye.z;
    inputs.view = m_render_camera.m_view;
    inputs.projection = m_render_camera.m_projection;
    inputs.frameTime = m_real_dt;
    inputs.skipBloom = skipBloom;
    inputs.cameraShake = m_camera_shake_active != 0;
    m_post_chain->Compose(inputs);
}

void GraphicsProcess::ApplyExposureKeys() {
    const i32* keys = m_graphics_input.m_keys;
    if (keys[input::key::E] != INPUT_HELD) {
        return;
    }
    if (keys[input::key::Up] == INPUT_PRESSED) {
        Message<std::pair<float, float>> start(MSG_GRAPHICS_EXPOSURE_CHANGE_START,
                                               {kDebugExposureTarget, kDebugExposureFadeIn});
        HandleMessage(&start, kHandlerId);
    }
    if (keys[input::key::Down] == INPUT_PRESSED) {
        Message<float> end(MSG_GRAPHICS_EXPOSURE_CHANGE_END, kDebugExposureFadeOut);
        HandleMessage(&end, kHandlerId);
    }
}
