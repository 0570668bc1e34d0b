#pragma once
// Message type ids, in their fixed order, made from the one list in message_type_list.h.

#include "core/types.h"

enum MessageType : u32 {
#define MESSAGE_TYPE(name) name,
#include "core/message_type_list.h"
#undef MESSAGE_TYPE
};

inline constexpr u32 kMessageTypeCount = 0
#define MESSAGE_TYPE(name) +1
#include "core/message_type_list.h"
#undef MESSAGE_TYPE
    ;

// The id's name as the list spells it ("MSG_NULL", ...); "Invalid" for any other value.
const char* MessageTypeName(u32 type);
