#include "text_writers.hpp"

#include "pelk/real_format.hpp"

#include <algorithm>

namespace Pelk::brenmo {

namespace {

// Minutes and seconds get a leading "0" below 10 (so -3 reads "0-3").
void writePadded(TextOutput& out, std::int16_t value)
{
    if (value < 10)
        out.append('0');
    out.appendInt(value);
}

void writeStamp(TextOutput& out, const std::uint8_t* six)
{
    out.appendInt(core::readInt2(six));
    out.append('/');
    out.appendInt(core::readInt2(six + 2));
    out.append('/');
    out.appendInt(core::readInt2(six + 4));
    out.append(' ');
    out.appendInt(core::readInt2(six + 6));
    out.append(':');
    writePadded(out, core::readInt2(six + 8));
    out.append(':');
    writePadded(out, core::readInt2(six + 10));
}

void writePoint(TextOutput& out, const StreamRecord& record, std::uint32_t index)
{
    std::int32_t x = core::readInt4(record, index);
    std::int32_t y = core::readInt4(record, index + 4);
    char* p = out.reserve(24);
    char* start = p;
    *p++ = ' ';
    p = std::to_chars(p, p + 11, x).ptr;
    *p++ = ' ';
    p = std::to_chars(p, p + 11, y).ptr;
    out.commit(static_cast<std::size_t>(p - start));
}

void loadPoints(const StreamRecord& record, Point (&p)[5])
{
    for (std::uint32_t k = 0; k < 5; ++k)
        p[k] = {core::readInt4(record, 8 * k), core::readInt4(record, 8 * k + 4)};
}

} // namespace

bool isAxisRectangle(const Point (&p)[4])
{
    bool horizontalFirst = p[0].y == p[1].y && p[1].x == p[2].x && p[2].y == p[3].y && p[3].x == p[0].x;
    bool verticalFirst = p[0].x == p[1].x && p[1].y == p[2].y && p[2].x == p[3].x && p[3].y == p[0].y;
    return horizontalFirst || verticalFirst;
}

RectBounds rectBounds(const Point (&p)[4])
{
    return {std::min(p[0].x, p[2].x), std::min(p[0].y, p[2].y), std::max(p[0].x, p[2].x), std::max(p[0].y, p[2].y)};
}

void writeDateStamps(TextOutput& out, const std::uint8_t* payload)
{
    writeStamp(out, payload);
    out.append(", ");
    writeStamp(out, payload + 12);
}

void writeReal(TextOutput& out, double value)
{
    char* p = out.reserve(40);
    out.commit(core::formatReal(value, p));
}

void writeName(TextOutput& out, const StreamRecord& record)
{
    const std::uint32_t count = record.payload.size();
    const auto* bytes = record.payload.data();
    const void* nul = std::memchr(bytes, 0, count);
    std::size_t length = nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - bytes) : count;
    out.append(std::string_view(reinterpret_cast<const char*>(bytes), length));
}

void writeSlots(TextOutput& out, const StreamRecord& record)
{
    constexpr std::uint32_t slot = 44;
    for (std::uint32_t start = 0; start < record.payload.size(); start += slot) {
        out.append(' ');
        out.append(core::payloadString(start + slot, start, record));
    }
}

void writeXY(TextOutput& out, const StreamRecord& record)
{
    const std::uint32_t n = record.payload.size();
    if (n == 8) {
        out.append(" \t(");
        std::int32_t x = core::readInt4(record, 0);
        out.appendInt(x);
        out.append(' ');
        out.appendInt(core::readInt4(record, 4));
        out.append(')');
        return;
    }
    if (n == 40) {
        Point p[5];
        loadPoints(record, p);
        const Point corners[4] = {p[0], p[1], p[2], p[3]};
        if (p[4] == p[0] && isAxisRectangle(corners)) {
            RectBounds b = rectBounds(corners);
            out.append("\n\tRECT (");
            out.appendInt(b.xmin);
            out.append(' ');
            out.appendInt(b.ymin);
            out.append(", ");
            out.appendInt(b.xmax);
            out.append(' ');
            out.appendInt(b.ymax);
            out.append(')');
            return;
        }
    }
    out.append("\n\tXY ");
    out.appendInt(n / 8);
    out.append(" (");
    // An incomplete last point throws from readInt4 after its separators.
    for (std::uint32_t k = 0; 8 * std::uint64_t{k} < n; ++k) {
        if (k > 0)
            out.append(k % 4 == 0 ? ",\n\t" : ",");
        writePoint(out, record, 8 * k);
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

void TextWriters::writeStructureName(const StreamRecord& record)
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
