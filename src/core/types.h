#pragma once
// Core's name for the fixed-width types; they live at the bottom layer so the platform
// layers share them without including core.
#include "platform/system/types.h"
