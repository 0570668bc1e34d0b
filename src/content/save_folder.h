#pragma once
// The per-user folder of option, control and high-score files, ending in '/'.
#include <string>

// "<documents>/My Games/Vantrel/Gorvane/", each folder created one level at a time on every
// call. "./save/" (created when missing) when there is no documents folder or its folders
// cannot be made; "./" when the documents folder is a network path.
std::string GetSaveFolder();
