#pragma once
// Takes units of one object type off the count of living enemies (MSG_REMOVE_COUNT).
#include <string>

#include "core/types.h"

struct RemoveCount {
    std::string m_type_name;
    i32 m_count = 0;
};
