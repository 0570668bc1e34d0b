#include "content/option_files.h"

#include <functional>
#include <vector>

#include "content/ticpp.h"
#include "content/xml_failure.h"

namespace {

// One element of an option file: the element name, the attribute that names the entry and
// its value there, how "value" is read into the options and how it is written. Entries with
// no writer are old names that are still read.
template <class Options> struct OptionEntry {
    std::string element;
    std::string keyAttribute;
    std::string key;
    std::function<void(Options&, const ticpp::Element&)> read;
    std::function<std::string(const Options&)> write;
};

template <class Options> using OptionTable = std::vector<OptionEntry<Options>>;

template <class Options, class T>
OptionEntry<Options> IndexOption(const char* name, T Options::*field, T count) {
    return {"OptionInt", "name", name,
            [field, count](Options& options, const ticpp::Element& element) {
                T value{};
                element.GetAttribute("value", &value);
                options.*field = value >= 0 && value < count ? value : Options::Defaults().*field;
            },
            [field](const Options& options) { return ticpp::ToString(options.*field); }};
}

template <class Options> OptionEntry<Options> BoolOption(const char* name, bool Options::*field) {
    return {"OptionBool", "name", name,
            [field](Options& options, const ticpp::Element& element) {
                options.*field = element.GetAttribute("value") == "true";
            },
            [field](const Options& options) { return ticpp::ToString(options.*field); }};
}

template <class Options>
OptionEntry<Options> FloatOption(const char* element, const char* keyAttribute, const char* key,
                                 f32 Options::*field) {
    return {element, keyAttribute, key,
            [field](Options& options, const ticpp::Element& e) {
                e.GetAttribute("value", &(options.*field));
            },
            [field](const Options& options) { return ticpp::ToString(options.*field); }};
}

OptionEntry<KeyBindings> ControlOption(const char* name, ControlIndex index, bool written) {
    OptionEntry<KeyBindings> entry{"Control", "name", name,
                                   [index](KeyBindings& keys, const ticpp::Element& element) {
                                       i64 code = 0;
                                       element.GetAttribute("value", &code);
                                       keys.m_codes[index] =
                                           code >= 0 && code < KeyBindings::kCodeCount
                                               ? static_cast<u32>(code)
                                               : KeyBindings::Defaults().m_codes[index];
                                   },
                                   nullptr};
    if (written) {
        entry.write = [index](const KeyBindings& keys) {
            return ticpp::ToString(keys.m_codes[index]);
        };
    }
    return entry;
}

const OptionTable<GraphicsOptions>& GraphicsTable() {
    using G = GraphicsOptions;
    static const OptionTable<G> table = {
        IndexOption<G, i32>("Resolution", &G::m_resolution, G::kResolutionCount),
        IndexOption<G, i32>("Shadow Map Size", &G::m_shadow_map_size, G::kShadowMapSizeCount),
        IndexOption<G, i32>("Shadow Map Count", &G::m_shadow_map_count, G::kShadowMapCountCount),
        BoolOption<G>("Shadows", &G::m_shadows),
        BoolOption<G>("Motion Blur", &G::m_motion_blur),
        BoolOption<G>("Depth of Field", &G::m_depth_of_field),
        BoolOption<G>("3D", &G::m_three_dee),
        BoolOption<G>("Fullscreen", &G::m_fullscreen),
    };
    return table;
}

const OptionTable<SoundOptions>& SoundTable() {
    using S = SoundOptions;
    static const OptionTable<S> table = {
        FloatOption<S>("OptionFloat", "name", "Master Volume", &S::m_master_volume),
        FloatOption<S>("OptionFloat", "name", "Sound FX Volume", &S::m_sound_fx_volume),
        FloatOption<S>("OptionFloat", "name", "Music Volume", &S::m_music_volume),
    };
    return table;
}

// Written in this order; "Charge" and "Action1" to "Action5" are read only, and "Action1" is
// another name of the LaserAlt binding.
const OptionTable<KeyBindings>& ControlsTable() {
    using K = KeyBindings;
    static const OptionTable<K> table = {
        ControlOption("Forward", CONTROL_FORWARD, true),
        ControlOption("Backward", CONTROL_BACKWARD, true),
        ControlOption("Left", CONTROL_LEFT, true),
        ControlOption("Right", CONTROL_RIGHT, true),
        ControlOption("Jump", CONTROL_JUMP, true),
        ControlOption("RocketPunch", CONTROL_ROCKET_PUNCH, true),
        ControlOption("GrabThrow", CONTROL_GRAB_THROW, true),
        ControlOption("Punch", CONTROL_PUNCH, true),
        ControlOption("Laser", CONTROL_LASER, true),
        ControlOption("LaserAlt", CONTROL_LASER_ALT, true),
        ControlOption("Charge", CONTROL_CHARGE, false),
        ControlOption("Action1", CONTROL_LASER_ALT, false),
        ControlOption("Action2", CONTROL_ACTION2, false),
        ControlOption("Action3", CONTROL_ACTION3, false),
        ControlOption("Action4", CONTROL_ACTION4, false),
        ControlOption("Action5", CONTROL_ACTION5, false),
        FloatOption<K>("Sensitivity", "axis", "x", &K::m_sensitivity_x),
        FloatOption<K>("Sensitivity", "axis", "y", &K::m_sensitivity_y),
    };
    return table;
}

template <class Options>
bool ReadOptionFile(const std::string& path, const char* root, const OptionTable<Options>& table,
                    Options& options) {
    try {
        ticpp::Document document;
        document.LoadFile(path);
        const ticpp::Element rootElement = document.FirstChildElement(root);
        std::vector<const OptionEntry<Options>*> kinds;
        for (const auto& entry : table) {
            bool seen = false;
            for (const auto* kind : kinds) {
                seen = seen || kind->element == entry.element;
            }
            if (!seen) {
                kinds.push_back(&entry);
            }
        }
        for (const auto* kind : kinds) {
            for (const ticpp::Element element : rootElement.Children(kind->element)) {
                const std::string key = element.GetAttribute(kind->keyAttribute);
                for (const auto& entry : table) {
                    if (entry.element == kind->element && entry.key == key) {
                        entry.read(options, element);
                    }
                }
            }
        }
        return true;
    } catch (const ticpp::Exception& failure) {
        ReportXmlFailure(failure);
        options = Options::Defaults();
        return false;
    }
}

template <class Options>
bool WriteOptionFile(const std::string& path, const char* root, const OptionTable<Options>& table,
                     const Options& options) {
    try {
        ticpp::Document document;
        ticpp::Element rootElement = document.Create(root);
        for (const auto& entry : table) {
            if (entry.write) {
                ticpp::Element element = rootElement.InsertEndChild(entry.element);
                element.SetAttribute(entry.keyAttribute, entry.key);
                element.SetAttribute("value", entry.write(options));
            }
        }
        document.SaveFile(path);
        return true;
    } catch (const ticpp::Exception& failure) {
        ReportXmlFailure(failure);
        return false;
    }
}

} // namespace

bool ReadGraphicsOptions(const std::string& path, GraphicsOptions& options) {
    return ReadOptionFile(path, "GraphicsOptions", GraphicsTable(), options);
}

bool WriteGraphicsOptions(const std::string& path, const GraphicsOptions& options) {
    return WriteOptionFile(path, "GraphicsOptions", GraphicsTable(), options);
}

bool ReadSoundOptions(const std::string& path, SoundOptions& options) {
    return ReadOptionFile(path, "SoundOptions", SoundTable(), options);
}

bool WriteSoundOptions(const std::string& path, const SoundOptions& options) {
    return WriteOptionFile(path, "SoundOptions", SoundTable(), options);
}

bool ReadKeyBindings(const std::string& path, KeyBindings& keys) {
    return ReadOptionFile(path, "Controls", ControlsTable(), keys);
}

bool WriteKeyBindings(const std::string& path, const KeyBindings& keys) {
    return WriteOptionFile(path, "Controls", ControlsTable(), keys);
}
