#include "text_writers.hpp"

#include "decimal_writer.hpp"

#include "pelk/real_format.hpp"
#include "pelk/rectangle.hpp"

#include <algorithm>
#include <cstring>
#include <span>

namespace Pelk::brenmo {

namespace {

// Minutes and seconds get a leading "0" below 10 (so -3 reads "0-3").
void writePadded(TextOutput& out, std::int16_t value)
{
    if (value < 10)
        out.append('0');
    appendInt(out, value);
}

void writeStamp(TextOutput& out, const std::uint8_t* six)
{
    appendInt(out, core::readInt2(six));
    out.append('/');
    appendInt(out, core::readInt2(six + 2));
    out.append('/');
    appendInt(out, core::readInt2(six + 4));
    out.append(' ');
    appendInt(out, core::readInt2(six + 6));
    out.append(':');
    writePadded(out, core::readInt2(six + 8));
    out.append(':');
    writePadded(out, core::readInt2(six + 10));
}

// " x y" from the 8 bytes of one point; stores into at most 24 bytes.
[[gnu::always_inline]] inline char* writePoint(char* p, const std::uint8_t* point)
{
    *p = ' ';
    p = writeSigned(p + 1, core::readInt4(point));
    *p = ' ';
    return writeSigned(p + 1, core::readInt4(point + 4));
}

} // namespace

void writeDateStamps(TextOutput& out, const std::uint8_t* payload)
{
    writeStamp(out, payload);
    out.append(", ");
    writeStamp(out, payload + 12);
}

void RealTexts::write(TextOutput& out, const std::uint8_t* real)
{
    std::uint64_t key;
    std::memcpy(&key, real, sizeof key);
    // Fibonacci hashing: the top bits of the product mix all eight bytes.
    Entry& entry = entries[(key * 0x9E3779B97F4A7C15u) >> (64 - indexBits)];
    if (entry.length == 0 || entry.key != key) {
        entry.key = key;
        entry.length = static_cast<std::uint8_t>(core::formatReal(core::decodeReal8(real), entry.text));
    }
    out.append(std::string_view(entry.text, entry.length));
}

void writeName(TextOutput& out, const MatchedRecord& record)
{
    const std::uint32_t count = record.payload.size();
    const auto* bytes = record.payload.data();
    const void* nul = std::memchr(bytes, 0, count);
    std::size_t length = nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - bytes) : count;
    out.append(std::string_view(reinterpret_cast<const char*>(bytes), length));
}

void writeSlots(TextOutput& out, const MatchedRecord& record)
{
    constexpr std::uint32_t slot = 44;
    for (std::uint32_t start = 0; start < record.payload.size(); start += slot) {
        out.append(' ');
        out.append(core::payloadString(start + slot, start, record));
    }
}

void writeXY(TextOutput& out, const MatchedRecord& record)
{
    const std::uint32_t n = record.payload.size();
    const std::uint8_t* const payload = record.payload.data();
    if (n == 8) {
        char* const start = out.reserve(3 + 23 + 1);
        std::memcpy(start, " \t(", 3);
        char* p = writeSigned(start + 3, core::readInt4(payload));
        *p = ' ';
        p = writeSigned(p + 1, core::readInt4(payload + 4));
        *p++ = ')';
        out.commit(static_cast<std::size_t>(p - start));
        return;
    }
    const std::span<const std::uint8_t> xy(payload, n);
    if (core::isAxisRectangle(xy)) {
        core::RectangleBounds b = core::axisRectangleBounds(xy);
        char* const start = out.reserve(64);
        char* p = start;
        std::memcpy(p, "\n\tRECT (", 8);
        p = writeSigned(p + 8, b.xmin);
        *p++ = ' ';
        p = writeSigned(p, b.ymin);
        *p++ = ',';
        *p++ = ' ';
        p = writeSigned(p, b.xmax);
        *p++ = ' ';
        p = writeSigned(p, b.ymax);
        *p++ = ')';
        out.commit(static_cast<std::size_t>(p - start));
        return;
    }
    out.append("\n\tXY ");
    appendUnsigned(out, n / 8);
    out.append(" (");
    // Points go straight into the output buffer, a bounded batch at a time.
    // A batch holds whole lines of four, so only a line's start needs a test.
    constexpr std::uint32_t perLine = 4;
    constexpr std::uint32_t batch = 256 * perLine;
    constexpr std::size_t perPoint = 3 + 24;
    const std::uint32_t points = n / 8;
    const std::uint8_t* point = payload;
    for (std::uint32_t k = 0; k < points;) {
        const std::uint32_t stop = std::min(points - k, batch) + k;
        char* const start = out.reserve((stop - k) * perPoint);
        char* p = start;
        while (k < stop) {
            if (k > 0) {
                std::memcpy(p, ",\n\t", 3);
                p += 3;
            }
            const std::uint32_t lineEnd = std::min(stop - k, perLine) + k;
            p = writePoint(p, point);
            point += 8;
            for (++k; k < lineEnd; ++k, point += 8) {
                *p = ',';
                p = writePoint(p + 1, point);
            }
        }
        out.commit(static_cast<std::size_t>(p - start));
    }
    if (n % 8 != 0) {
        // An incomplete last point gets its separators, then cannot be read.
        if (points > 0)
            out.append(points % perLine == 0 ? ",\n\t" : ",");
        throw "Array::at";
    }
    out.append(')');
}

void TextWriters::beginStructure()
{
    if (cellFilter.empty())
        return;
    filter = std::make_unique<FilterStreams>();
    filter->saved = out.target();
    out.setTarget(&filter->header);
}

void TextWriters::writeStructureName(const MatchedRecord& record)
{
    if (!filter) {
        writeName(out, record);
        return;
    }
    out.setTarget(&filter->name);
    writeName(out, record);
    out.flush();
    if (filter->name.view() == cellFilter) {
        out.setTarget(filter->saved);
        out.append(filter->header.view());
        out.append(cellFilter);
    } else {
        out.setTarget(&filter->empty);
    }
}

void TextWriters::endStructure(bool)
{
    if (!filter)
        return;
    out.setTarget(filter->saved);
    filter.reset();
}

} // namespace Pelk::brenmo
