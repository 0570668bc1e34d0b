#pragma once
// Reading and writing the three option files of the save folder. A read sets the fields
// named in the file and leaves the others as they were; any XML failure (missing file or
// root, a missing attribute, a value that does not convert) is reported and resets every
// field of that file to its default, and the read returns false. Values used as indices or
// control codes that are out of range read as that field's default. A failed write is
// reported, leaves the old file as it was and returns false.
#include <string>

#include "content/options.h"

bool ReadGraphicsOptions(const std::string& path, GraphicsOptions& options);
bool WriteGraphicsOptions(const std::string& path, const GraphicsOptions& options);

bool ReadSoundOptions(const std::string& path, SoundOptions& options);
bool WriteSoundOptions(const std::string& path, const SoundOptions& options);

bool ReadKeyBindings(const std::string& path, KeyBindings& keys);
bool WriteKeyBindings(const std::string& path, const KeyBindings& keys);
