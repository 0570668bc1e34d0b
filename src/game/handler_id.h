#pragma once
// The handler-id table (in core, so the content layer's processes take their ids from it too)
// and the numbering of the intro and menu states.

#include "core/handler_ids.h"

// Numbers intro and menu states across the whole run.
extern u32 g_screen_state_counter;
// 22 + the counter, which then grows by one.
HandlerId TakeScreenStateId();
