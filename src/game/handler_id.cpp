#include "game/handler_id.h"

u32 g_screen_state_counter = 0;

HandlerId TakeScreenStateId() {
    return HANDLER_FIRST_SCREEN_STATE + g_screen_state_counter++;
}
