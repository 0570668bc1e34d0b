#include "app/health_report.h"

#include <algorithm>
#include <sstream>

#include "core/memory_allocator.h"
#include "platform/system/log.h"
#include "platform/system/process_memory.h"

void HealthReport::AddShare(const std::string& name, double seconds) {
    for (auto& [shareName, total] : m_shares) {
        if (shareName == name) {
            total += seconds;
            return;
        }
    }
    m_shares.emplace_back(name, seconds);
}

void HealthReport::Frame(double seconds) {
    if (m_interval <= 0.0) {
        return;
    }
    m_total += seconds;
    m_interval_time += seconds;
    m_longest = std::max(m_longest, seconds);
    ++m_frames;
    if (m_interval_time >= m_interval) {
        sys::LogLine(Line());
        m_interval_time = 0.0;
        m_longest = 0.0;
        m_frames = 0;
        for (auto& share : m_shares) {
            share.second = 0.0;
        }
    }
}

std::string HealthReport::Line() const {
    u64 live = 0;
    u64 highWater = 0;
    u64 pages = 0;
    for (const MemoryPool* pool : MemoryPoolRegistry::Get().Pools()) {
        live += pool->LiveCount();
        highWater += pool->HighWater();
        pages += pool->PageCount();
    }
    const double meanMs =
        m_frames > 0 ? m_interval_time * 1000.0 / static_cast<double>(m_frames) : 0.0;
    std::ostringstream line;
    line << "Health: seconds=" << static_cast<u64>(m_total) << " frames=" << m_frames
         << " frame_ms=" << meanMs << " frame_max_ms=" << m_longest * 1000.0
         << " rss_kb=" << sys::ResidentBytes() / 1024 << " pool_live=" << live
         << " pool_high=" << highWater << " pool_pages=" << pages
         << " rss_peak_kb=" << sys::PeakResidentBytes() / 1024;
    const double frames = static_cast<double>(std::max<u64>(m_frames, 1));
    for (const auto& [name, total] : m_shares) {
        line << ' ' << name << "_ms=" << total * 1000.0 / frames;
    }
    return line.str();
}
