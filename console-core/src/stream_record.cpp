#include "pelk/stream_record.hpp"

namespace Pelk::core {

std::string payloadString(std::uint32_t limit, std::uint32_t start, const MatchedRecord& record)
{
    std::uint32_t i = start;
    const std::uint32_t count = record.payload.size();
    while (i < limit && i < count && record.payload[i] != 0)
        ++i;
    if (i <= start)
        return {};
    return std::string(reinterpret_cast<const char*>(record.payload.data()) + start, i - start);
}

} // namespace Pelk::core
