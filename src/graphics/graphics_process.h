#pragma once
// The one renderer (handler 1). The Game creates it on its window and updates it last in
// every frame, so it draws in every game state. It owns the device and everything drawn
// with it, creates the renderable components, answers the renderer's messages and runs the
// film-leader and credits sequences.

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/asset_paths.h"
#include "core/handler_ids.h"
#include "core/process.h"
#include "core/types.h"
#include "game/input_state.h"
#include "graphics/device_mutex.h"
#include "graphics/fading_quads.h"
#include "graphics/laser_beams.h"
#include "graphics/light.h"
#include "graphics/mesh_cache.h"
#include "graphics/mesh_records.h"
#include "graphics/post_process_chain.h"
#include "graphics/render_camera.h"
#include "graphics/screen_fonts.h"
#include "graphics/texture_cache.h"
#include "graphics/window_lights.h"

namespace gfx {
class Device;
class Effect;
class Texture;
} // namespace gfx

namespace window {
class Window;
}

class GameObject;
struct PhysicsInfo;
class SoundControl;
using CollisionMeshRequest =
    std::pair<std::vector<PhysicsInfo>*, std::pair<std::string, GameObject*>>;
class GraphicComponent;
struct Frame;
struct MeshContainer;
class GraphicsAnimationMap;
class ObjectEffects;
class RenderTargetDesc;
class Sky;
class SoundInstance;
class WorkerPool;
struct GraphicDrawPass;
struct OverlayVertex;
class FilmBurn;
class FilmDust;
class GBuffer;
class ShadowMaps;
class SpriteBatch;
class SpriteComponent;
class TextGraphic;
class TextGraphicManager;
class VerticalLines;

class GraphicsProcess : public ComponentProcess {
  public:
    static constexpr u32 kHandlerId = HANDLER_GRAPHICS_PROCESS;
    static constexpr const char* kArtPackage = asset_path::kArtPackage;
    static constexpr const char* kShaderPackage = asset_path::kShaderPackage;
    static constexpr const char* kFilmLeaderVideo = asset_path::kFilmLeaderVideo;
    static constexpr const char* kCreditsVideo = asset_path::kCreditsVideo;
    static constexpr const char* kIntroVideo = asset_path::kIntroVideo;
    static constexpr const char* kStartupErrorText =
        "There's been an error starting the graphics engine. Please verify that your hardware "
        "meets the minimum system requirements.";
    static constexpr const char* kDriverErrorText = "Internal Driver Error...Exiting";

    // Without a window there is no device: the process answers its messages and runs its
    // sequences but draws nothing. instance and showCommand are what the shell was started
    // with; they are kept for the window-mode switch.
    GraphicsProcess(window::Window* window, void* instance, int showCommand, float shadowMapSize,
                    u32 splitCount);
    ~GraphicsProcess() override;
    GraphicsProcess(const GraphicsProcess&) = delete;
    GraphicsProcess& operator=(const GraphicsProcess&) = delete;

    // One frame.
    void Update(float dt) override;
    // Prepares the level's objects once loading is over; also on MSG_GRAPHICS_INITIALIZE.
    void Initialize() override;
    // "Graphic" and "ParticleSystem" components; null for every other type.
    Component* CreateComponent(StreamMap* stream) override;
    void RemoveComponent(Component* component) override;
    // Re-applies an edited definition to every live component of its object type.
    void UpdateComponent(StreamMap* stream) override;
    void HandleMessage(BaseMessage* message, u32 fromId) override;

    // False after the start-up error box when no device could be made.
    bool CreateDevice(window::Window* window);
    // The device check made before every frame: true when the caller skips this frame.
    bool ReportDriverError();
    void ResizeWindow(bool fullscreen);
    void ApplyResolution();
    void ReleaseDeviceResources();
    void RestoreDeviceResources();

    // Off-screen targets: see the free functions of graphics/render_target_desc.h.
    void BeginOffscreenTarget(RenderTargetDesc& target);
    void RestoreBackBuffer(RenderTargetDesc& target);

    // The last drawing step of a frame, with the back buffer bound: the scene (the deferred
    // path's lit image, or with null the forward scene drawn between the chain's
    // BeginSceneTarget and EndSceneTarget) through bloom and the post-process chain onto the
    // back buffer. sceneDepth: the forward depth target or the deferred position map; null
    // takes the depth target of LoadDepthBufferTechnique. skipBloom while a film plays.
    void ComposeFinalImage(gfx::Texture* deferredResult, gfx::Texture* sceneDepth, bool skipBloom);
    // Null without a device.
    PostProcessChain* PostChain() const { return m_post_chain.get(); }
    const ExposureFade& ExposureFades() const { return m_exposure_fade; }

    // Message 121: the last frame of the back buffer to "Screenshots/screenshotNNN.bmp".
    void SaveScreenshot();

    void PlayFilmLeader();
    void UpdateFilmLeader(float dt);
    void PlayCredits();
    void UpdateCredits(float dt);

    // The loaders' entry points; they take the device mutex (see graphics/mesh_cache.h).
    StaticMeshRecord LoadStaticMesh(const std::string& name);
    AnimatedMeshRecord LoadAnimatedMesh(const std::string& name);
    AnimatedMeshRecord LoadAnimatedMeshInstance(const std::string& name);
    gfx::Texture* GetTexture(const std::string& name);
    // Render thread: the texture drawn in place of `lit` on a building whose lights are out.
    gfx::Texture* UnlitTexture(gfx::Texture* lit) { return m_window_lights.Unlit(lit); }
    // The caller's own copy of the mesh's animation map (built and cached on first use),
    // given back through ReleaseAnimationMap; null when the mesh has no animation sets or
    // no animation operations are registered.
    GraphicsAnimationMap* GetAnimationMap(const std::string& name);
    void ReleaseAnimationMap(GraphicsAnimationMap* map);
    void UnloadMesh(const std::string& name);
    // Message 145: one record per mesh container of the named mesh file; with no file name
    // (empty, "true" or "false"), of the object's graphic component: its broken pieces when
    // it has them, else its own mesh file.
    void GetCollisionMeshData(std::vector<PhysicsInfo>& out, const std::string& meshName,
                              GameObject* object);
    // Message 128: each mesh container of the component's pieces hierarchy becomes a level
    // object ("BuildingBlock", or "BuildingBowlingBall" for the bowling alley's ball) placed
    // where the piece was drawn. Nothing for a component that is not breakable.
    void BreakObject(GraphicComponent* component, bool flag);
    void BreakFrame(Frame* frame, GraphicComponent* broken);
    void BreakPiece(const std::string& name, MeshContainer* container, Frame* frame,
                    GraphicComponent* broken);
    // Tells the piece's physics what it takes over from the broken object.
    void SendPieceBody(GameObject& piece, const GraphicComponent& graphic,
                       const GraphicComponent& broken, const std::string& containerName);
    // The flag of the last break, for the pieces' physics.
    bool LastBreakFlag() const { return m_break_flag; }
    // The effect loaders; each effect is loaded once and kept until the process ends.
    void LoadObjectTechniques();
    void LoadDepthBufferTechnique();
    gfx::Effect* GetParticleEffect(const std::string& name);
    ObjectEffects& Effects();

    gfx::Device* GetDevice() const { return m_device.get(); }
    window::Window* GetWindow() const { return m_window; }
    bool IsFullscreen() const { return m_fullscreen; }
    bool IsFilmLeaderPlaying() const { return m_film_leader_playing != 0; }
    bool AreCreditsPlaying() const { return m_credits_playing != 0; }
    bool IsFirstFrame() const { return m_first_frame != 0; }
    bool IsFreeCamera() const { return m_free_camera != 0; }
    float MotionBlurTimer() const { return m_motion_blur_timer; }
    float CameraShakeTimer() const { return m_camera_shake_timer; }
    const std::string& StatusText() const { return m_status_text; }
    GameObject* LevelObject() const { return m_level_object; }
    SoundInstance* StoredSoundInstance() const { return m_sound_instance; }
    // Plays the sound instances the sound process hands the renderer (debug key N's); the
    // shell sets it, without one they stay silent.
    void SetSoundControl(SoundControl* control) { m_sound_control = control; }
    bool LevelEditorMode() const { return m_level_editor_mode != 0; }
    const InputState& GraphicsInput() const { return m_graphics_input; }
    const InputState& EditorInput() const { return m_editor_input; }
    bool EditorInputRouting() const { return m_editor_input_routing != 0; }

    // The graphic components, bump-mapped first, then by mesh record number (descending).
    const std::vector<GraphicComponent*>& GraphicComponents() const { return m_graphic_components; }
    // The first citizen's component, whose hierarchy all citizens share; null when none.
    GraphicComponent* CitizenComponent() const { return m_citizen_component; }
    bool CitizenMeshBuilt() const { return m_citizen_mesh_built != 0; }
    void SetCitizenMeshBuilt(bool built) { m_citizen_mesh_built = built ? 1 : 0; }

    // Screen sprites: the "Sprite" components, the letters of texts and their drawing.
    SpriteComponent* CreateSpriteComponent(StreamMap* stream);
    // Takes a sprite into the list drawn every frame; RemoveComponent deletes it again.
    void AddSprite(SpriteComponent* sprite);
    // False when the component is no sprite of this process.
    bool RemoveSprite(Component* component);
    const std::vector<SpriteComponent*>& Sprites() const { return m_sprites; }
    TextGraphicManager& TextGraphics();
    // The frame's screen-sprite step: every sprite, larger depth first.
    void DrawSprites();
    // Debug key T: shows, moves and removes a test text.
    void UpdateDebugText(float dt);

    // Videos on screen. The film leader or credits frame over the whole screen while one of
    // them plays; otherwise the logo video (debug key V) behind the sprites.
    void RenderFilmVideoQuad();
    void DrawVideoBackdrop();
    // Advances the videos that no film sequence advances.
    void UpdateScreenVideos(float dt);
    // Debug key V: loads and plays, pauses, or with Left Alt unloads the logo video.
    void HandleLogoVideoKey();
    bool IsLogoVideoLoaded() const { return m_logo_video_loaded != 0; }

    // Particles: the frame's update (while particles are on and no film plays) and the
    // debug keys (P switches particles; 1 to 4 start templates, 5 the nuke script, K ends
    // every system, M stops and restarts emission).
    void UpdateParticles(float dt);
    // For the scene frame: the camera the next particle update turns the quads to, and the
    // particles drawn into the bound target (row-major matrices for row vectors).
    void SetParticleCamera(const f32* eye, const f32* view);
    void RenderParticles(const f32* eye, const f32* view, const f32* projection);
    void HandleParticleKeys();
    void HandleParticleEffectKeys();
    bool ParticleEmissionStopped() const { return m_particle_emission_stopped != 0; }

    // The film overlays (made with the device): their updates on the real frame time, key B
    // that starts the burn, and their drawing. The scratch lines are drawn with the composed
    // picture, the dust and the burn over it.
    void RenderScratchLines();
    void UpdateFilmEffects(float realDt);
    void RenderFilmEffects();
    FilmDust* GetFilmDust() const { return m_film_dust.get(); }
    FilmBurn* GetFilmBurn() const { return m_film_burn.get(); }
    VerticalLines* GetVerticalLines() const { return m_vertical_lines.get(); }

    // Set by the level editor when it starts.
    u8 m_level_editor_present = 0;

    // The scene the frame draws.
    LightList& Lights() { return m_lights; }
    RenderCamera& Camera() { return m_render_camera; }
    LaserBeams& Lasers() { return m_lasers; }
    FadingQuads& FadingQuadGroups() { return m_fading_quads; }
    Sky* GetSky() const { return m_sky.get(); }
    const ScreenFonts& Fonts() const { return m_fonts; }
    // The short-lived light of a nuclear explosion.
    Light* AddNukeLight(const Vector& position);
    void UpdateLaserBeams(float dt);
    // Whether the object-list display of the debug key L is on.
    bool ObjectListDisplay() const { return m_object_list_display != 0; }

    // How far behind the eye the sun sits, along its direction.
    static constexpr float kSunDistance = 18200.0f;
    // The object effects take the technique of the current path and the sun's values.
    void SetObjectTechniques();
    // Poses and skins one component now (a building just split).
    void UpdateSkinningOf(GraphicComponent* component);
    // The draw lists of the last cull.
    const std::vector<GraphicComponent*>& VisibleList() const { return m_visible; }
    const std::vector<GraphicComponent*>& NoShadowList() const { return m_no_shadow; }
    const std::vector<GraphicComponent*>& ParkList() const { return m_park; }
    u32 FacesDrawn() const { return m_faces_drawn; }
    // Seconds the last frame spent in its costly steps on the render thread.
    struct FrameTimings {
        double componentUpdate = 0.0;
        double skinning = 0.0;
        double culling = 0.0;
        double particles = 0.0;
    };
    const FrameTimings& LastFrameTimings() const { return m_timings; }
    // Hears each drawing step of the frame and each pass of the post chain (benchmarks).
    void SetPassProbe(PassProbe probe);

    // Shadows and the deferred path (graphics/graphics_deferred.cpp). Null without a device.
    ShadowMaps* GetShadowMaps() const { return m_shadow_maps.get(); }
    GBuffer* GetGBuffer() const { return m_gbuffer.get(); }
    // The G-buffer's targets and the lighting effect are there.
    bool DeferredReady() const;
    // The sun's split maps from the frame's draw lists; skipped without casters.
    void RenderShadowMaps();
    // Targets 0 and 1 to the G-buffer, cleared, with the back buffer's depth.
    void BindGBuffer();
    // The sun with its split shadows over the whole G-buffer into the light target.
    void RenderShadowedLight(float dt);
    void RenderGlobalIllumination(float dt, bool shadows, float multiplier);
    void RenderFoggedObjects();
    void RenderSimpleObjects();
    void RenderLocalIllumination();
    // The light target straight onto the bound back buffer, letterboxed to 16:10.
    void PresentLightTarget();

    // Forward passes over the lit scene (graphics/graphics_forward_passes.cpp). The
    // transparent pass draws the excluded components blended, the highlighted pass the
    // editor's highlighted ones; the depth state of the scene is kept.
    void DrawTransparentObjects();
    void DrawHighlightedObjects();
    // The fading ground quads of every group, blended and unlit.
    void DrawFadingQuads();
    // Debug keys 9 and 0: the collision boxes and spheres of the drawn components.
    void DrawCollisionBoundsDisplays();
    // The level editor's aids: oriented boxes, its three markers, then the highlighted pass.
    void DrawEditorOverlays();
    // What the frame draws forward after the lit scene, on either path: the fading quads,
    // the editor's aids while it is present, and the transparent and highlighted passes
    // while the scene updates.
    void DrawForwardOverlays();
    bool BoundsDisplayOn(u32 which) const { return which < 2 && m_bounds_display[which] != 0; }

  private:
    // The frame's steps, in the order Update runs them.
    void ApplyDebugKeys(float dt);
    void UpdateScene(float dt, bool filmPlaying);
    void UpdateCamera(float dt);
    void DrawFrame(bool filmPlaying);
    // Deferred steps after the scene is in the G-buffer: the lights, the objects drawn over
    // it, the particles, then the light image to the back buffer.
    void FinishDeferredFrame(bool filmPlaying);
    void CreateDeferredResources();
    // The forward techniques' split maps on stages 0 to N-1, their sampler states kept
    // for RestoreShadowSamplers.
    void BindShadowMapsForward(gfx::Effect& effect);
    void SaveShadowSamplers();
    void RestoreShadowSamplers();
    // The forward path's depth image: the sky's far depth, then the objects'.
    void RenderSkyDepthBuffer(const Float4x4& viewProjection);
    // The camera and the sun; with a device also the sky and the fonts.
    void CreateSceneObjects();
    Component* CreateLightComponent(StreamMap& stream, const std::string& objectType);

    // Scene passes.
    WorkerPool& ComponentPool();
    WorkerPool& CullPool();
    void UpdateComponentsParallel(float dt);
    void AdvanceAnimations(float dt);
    void UpdateSkinning(float dt);
    void SkinComponent(GraphicComponent& component, float dt);
    // Visible to the camera or in a shadow split: its skinning shows this frame.
    bool IsDrawnThisFrame(const GraphicComponent& component) const;
    void CullObjectsParallel();
    void BuildDrawLists(float dt);
    // The world boxes the depth range is fitted to.
    std::vector<const BoxRecord*> DepthFitBoxes() const;
    void RenderObjectLists();
    void DrawLitObjects();
    // The lit draw of a list; the main pass leaves out what casts no shadow or is excluded.
    void DrawComponentsLit(const std::vector<GraphicComponent*>& components, bool mainPass);
    // Components drawn lit and alpha-blended over the scene, shaded forward on either path.
    void DrawBlendedComponents(u8 GraphicComponent::*flag);
    // Lines from memory in vertex colours through the device's own program.
    void DrawColourLines(const std::vector<OverlayVertex>& vertices, const Float4x4& world);
    bool BeginObjectEffect(const GraphicComponent& component);
    void SetMaterialParameters(const GraphicComponent& component);
    float SpecularPowerOf(const GraphicComponent& component) const;
    void SetObjectMatrices(gfx::Effect& effect, const Float4x4& world);
    void DrawMeshComponent(GraphicComponent& component);
    void DrawSkinnedComponent(GraphicComponent& component);
    GraphicDrawPass ObjectPass() const;
    void RenderDepthObjects(const Float4x4& viewProjection);
    void UpdateLightComponents(const std::string& objectType, StreamMap& stream);
    Component* CreateGraphicComponent(const std::string& objectType, StreamMap* stream);
    Component* CreateParticleSystemComponent(StreamMap* stream);
    bool RemoveGraphicComponent(Component* component);
    void UpdateGraphicComponents(const std::string& objectType, StreamMap* stream);
    void SortGraphicComponents();
    void DeleteGraphicComponents();

    // A message without payload, sent at once.
    void Post(u32 type, u32 toId);
    void CreatePostProcessChain();
    // E with Up or Down: the debug exposure fades.
    void ApplyExposureKeys();

    DeviceMutex m_device_mutex;
    std::unique_ptr<gfx::Device> m_device;
    // After the device, so its effects go first.
    std::unique_ptr<ObjectEffects> m_effects;
    TextureCache m_textures{kArtPackage};
    // After the textures: its records point into the texture cache.
    MeshCache m_meshes{kArtPackage, [this](const std::string& name) { return GetTexture(name); }};
    WindowLights m_window_lights{[this](const std::string& name) { return GetTexture(name); }};
    // Before the chain, which follows it.
    ExposureFade m_exposure_fade;
    // Goes before the textures and the device (see the destructor).
    std::unique_ptr<PostProcessChain> m_post_chain;
    window::Window* m_window = nullptr;
    void* m_instance = nullptr;
    int m_show_command = 0;
    bool m_fullscreen = false;
    bool m_driver_error_reported = false;

    // Cleared by the first frame, which shows black.
    u8 m_first_frame = 1;
    // The player camera record as its last MSG_PLAYER_CAMERA carried it.
    std::unique_ptr<BaseMessage> m_player_camera;
    // Input for the free graphics camera and for the level editor; the leading flag of a
    // snapshot is 1 while it holds input.
    InputState m_graphics_input;
    InputState m_editor_input;
    // 1 while the camera follows input snapshots instead of the player camera record.
    u8 m_free_camera = 0;
    u8 m_level_editor_mode = 0;
    // 0: editor input drives the graphics camera, 1: it goes to the editor.
    u8 m_editor_input_routing = 0;
    u8 m_film_leader_playing = 0;
    u8 m_credits_playing = 0;
    u8 m_logo_video_loaded = 0;
    u8 m_particle_emission_stopped = 0;
    GameObject* m_level_object = nullptr;
    SoundInstance* m_sound_instance = nullptr;
    SoundControl* m_sound_control = nullptr;
    std::string m_status_text;
    std::vector<GraphicComponent*> m_graphic_components;
    u8 m_citizen_mesh_built = 0;
    bool m_break_flag = false;
    GraphicComponent* m_citizen_component = nullptr;
    // The first map built for each mesh that has animation sets; copies go out.
    std::map<std::string, GraphicsAnimationMap*> m_animation_maps;

    std::vector<SpriteComponent*> m_sprites;
    std::unique_ptr<SpriteBatch> m_sprite_batch;
    std::unique_ptr<TextGraphicManager> m_text_graphics;
    std::unique_ptr<FilmDust> m_film_dust;
    std::unique_ptr<FilmBurn> m_film_burn;
    std::unique_ptr<VerticalLines> m_vertical_lines;
    // The debug text of key T and its corners.
    TextGraphic* m_debug_text = nullptr;
    bool m_debug_text_placed = false;
    float m_debug_text_corners[2][2] = {{20.0f, 40.0f}, {50.0f, 70.0f}};

    std::chrono::steady_clock::time_point m_last_frame;
    float m_real_dt = 0.0f;
    float m_motion_blur_timer = 0.0f;
    float m_camera_shake_timer = 0.0f;
    u8 m_motion_blur_active = 0;
    u8 m_camera_shake_active = 0;

    LightList m_lights;
    RenderCamera m_render_camera;
    LaserBeams m_lasers;
    FadingQuads m_fading_quads;
    std::unique_ptr<Sky> m_sky;
    ScreenFonts m_fonts;
    u8 m_object_list_display = 0;

    std::vector<GraphicComponent*> m_visible;
    std::vector<GraphicComponent*> m_no_shadow;
    std::vector<GraphicComponent*> m_park;
    std::unique_ptr<WorkerPool> m_component_pool;
    std::unique_ptr<WorkerPool> m_cull_pool;
    gfx::Effect* m_current_effect = nullptr;
    // Debug switches: the scene draw (key 8) and the two bounds displays (keys 9 and 0).
    u8 m_scene_draw = 1;
    u8 m_bounds_display[2] = {};
    // No shadow maps are made yet, so the object effects never sample them.
    bool m_shadow_maps_ready = false;
    u32 m_objects_seen = 0;
    u32 m_objects_culled = 0;
    u32 m_faces_drawn = 0;
    u32 m_vertices_drawn = 0;
    u32 m_depth_objects_counted = 0;
    u32 m_depth_objects_skipped = 0;
    FrameTimings m_timings;
    PassProbe m_probe;

    std::unique_ptr<ShadowMaps> m_shadow_maps;
    std::unique_ptr<GBuffer> m_gbuffer;
    float m_frame_dt = 0.0f;
    u32 m_saved_shadow_samplers[6] = {};
};
