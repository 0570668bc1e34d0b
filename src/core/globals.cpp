#include "core/globals.h"

constinit const Matrix IDENTITY;

std::string LevelPath = DEFAULT_LEVEL_PATH;
std::string EditorLevelPath = DEFAULT_LEVEL_PATH;
