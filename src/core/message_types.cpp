#include "core/message_types.h"

namespace {

// Indexed by id; the entry after the last id answers every out-of-range value.
constexpr const char* kNames[kMessageTypeCount + 1] = {
#define MESSAGE_TYPE(name) #name,
#include "core/message_type_list.h"
#undef MESSAGE_TYPE
    "Invalid",
};

} // namespace

const char* MessageTypeName(u32 type) {
    return kNames[type < kMessageTypeCount ? type : kMessageTypeCount];
}
