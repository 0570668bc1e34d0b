#include "content/parser_process.h"

#include "content/option_files.h"
#include "content/save_folder.h"
#include "core/message.h"

namespace {

std::string SavePath(const char* fileName) {
    return GetSaveFolder() + fileName;
}

const char* const kGraphicsFile = "graphics_options.xml";
const char* const kSoundFile = "sound_options.xml";
const char* const kControlsFile = "keyboard_controls.xml";
const char* const kHighscoresFile = "highscores.xml";

bool ControlsComplete(const KeyBindings& keys) {
    for (const ControlIndex index :
         {CONTROL_FORWARD, CONTROL_BACKWARD, CONTROL_LEFT, CONTROL_RIGHT, CONTROL_JUMP,
          CONTROL_ROCKET_PUNCH, CONTROL_GRAB_THROW, CONTROL_PUNCH, CONTROL_LASER}) {
        if (keys.m_codes[index] == 0) {
            return false;
        }
    }
    return true;
}

// The flag is set before reading, so a file that cannot be read is not tried again until a
// re-read is asked for.
template <class T>
T* LoadOnce(u8& loaded, bool useCache, const char* fileName, T& stored,
            bool (*read)(const std::string&, T&)) {
    if (!useCache || !loaded) {
        loaded = 1;
        read(SavePath(fileName), stored);
    }
    return &stored;
}

} // namespace

void ParserProcess::HandleMessage(BaseMessage* msg, u32 fromId) {
    switch (msg->type) {
    case MSG_PARSER_GAME_OBJECTS: {
        // A message that already carries the pointer is an answer, not a request.
        if (msg->Holds<GameObjectDefinitionMap*>()) {
            break;
        }
        Message<GameObjectDefinitionMap*> reply(MSG_PARSER_GAME_OBJECTS,
                                                LoadGameObjectDefinitions(this, true));
        SendMessage(&reply, fromId);
        break;
    }
    case MSG_PARSER_SAVE_GAME_OBJECTS:
        if (const GameObjectDefinitionMap* edited = msg->Payload<GameObjectDefinitionMap>()) {
            if (edited != &m_definitions) {
                m_definitions = *edited;
            }
            SaveGameObjectDefinitions(this);
        }
        break;
    default:
        break;
    }
}

GraphicsOptions* ParserProcess::LoadGraphicsOptions(ParserProcess* parser, bool useCache) {
    return LoadOnce(parser->m_graphics_loaded, useCache, kGraphicsFile, parser->m_graphics,
                    ReadGraphicsOptions);
}

SoundOptions* ParserProcess::LoadSoundOptions(ParserProcess* parser, bool useCache) {
    return LoadOnce(parser->m_sound_loaded, useCache, kSoundFile, parser->m_sound,
                    ReadSoundOptions);
}

KeyBindings* ParserProcess::LoadKeyboardControls(ParserProcess* parser, bool useCache) {
    if (!useCache || !ControlsComplete(parser->m_controls)) {
        ReadKeyBindings(SavePath(kControlsFile), parser->m_controls);
    }
    return &parser->m_controls;
}

HighscoreTable* ParserProcess::LoadHighscores(ParserProcess* parser, bool useCache) {
    return LoadOnce(parser->m_highscores_loaded, useCache, kHighscoresFile, parser->m_highscores,
                    ReadHighscores);
}

bool ParserProcess::SaveGraphicsOptions(ParserProcess* parser) {
    return WriteGraphicsOptions(SavePath(kGraphicsFile), parser->m_graphics);
}

bool ParserProcess::SaveSoundOptions(ParserProcess* parser) {
    return WriteSoundOptions(SavePath(kSoundFile), parser->m_sound);
}

bool ParserProcess::SaveKeyboardControls(ParserProcess* parser) {
    return WriteKeyBindings(SavePath(kControlsFile), parser->m_controls);
}

bool ParserProcess::SaveHighscores(ParserProcess* parser) {
    return WriteHighscores(SavePath(kHighscoresFile), parser->m_highscores);
}

int ParserProcess::AddHighscore(ParserProcess* parser, const std::string& name, f64 score) {
    const int place = LoadHighscores(parser, true)->Insert(name, score);
    if (place >= 0) {
        SaveHighscores(parser);
    }
    return place;
}
