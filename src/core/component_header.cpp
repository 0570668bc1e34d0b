#include "core/component_header.h"

#include "core/stream_map.h"

bool ComponentHeader::Read(StreamMap* stream) {
    return stream != nullptr && stream->ReadString(m_object_type) &&
           stream->ReadString(m_component_type);
}
