#pragma once
// Level scripts: the Lua text that creates, places and parameterises each object of a level
// through the script bindings (CreateGameObject and the LuaGameObject methods). The editor
// saves levels in this form and the game reads them back the same way.
#include <string>
#include <vector>

class GameObject;

namespace level_script {

// text between double quotes as a Lua string literal: backslash, quote and line breaks
// escaped, every other control byte as a three-digit decimal escape, so any name or value
// survives a reload and none can end the literal early.
std::string Quoted(const std::string& text);

// The script for the objects, in the order given. Numbers are written in the C locale.
std::string Text(const std::vector<GameObject*>& objects);

// Writes Text(objects) to a temporary file beside path and renames it over path; false
// (and any old file left as it was) when that fails.
bool Write(const std::vector<GameObject*>& objects, const std::string& path);

} // namespace level_script
