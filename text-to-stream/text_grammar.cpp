#include "text_grammar.hpp"

#include <memory>

namespace Pelk::calvio {

void PointBuffer::append(std::int32_t x, std::int32_t y)
{
    if (count < capacity) {
        core::storeInt4(payload + count * 8, x);
        core::storeInt4(payload + count * 8 + 4, y);
    }
    ++count;
}

void PointBuffer::write(RecordOutput& output) const
{
    if (count > capacity)
        throw "StaticVector::push_back";
    writeRecordBytes(output, core::Records::XY, payload, static_cast<std::size_t>(count * 8));
}

namespace grammar {

namespace {

constexpr std::size_t nameSlot = 44;

} // namespace

void appendNameSlot(TextValues* v)
{
    if (!v->text.complete || v->text.text.size() > nameSlot)
        throw "name longer than its 44-byte slot";
    for (char c : v->text.text)
        v->listRecord.payload.push_back(static_cast<std::uint8_t>(c));
    for (std::size_t i = v->text.text.size(); i < nameSlot; ++i)
        v->listRecord.payload.push_back(0);
    ++v->listSlots;
}

void padNameSlots(TextValues* v, std::uint32_t minimumSlots)
{
    for (; v->listSlots < minimumSlots; ++v->listSlots)
        for (std::size_t i = 0; i < nameSlot; ++i)
            v->listRecord.payload.push_back(0);
    writeRecord(*v->currentOutput, v->listRecord);
}

TextResult CoordinatesParser::parse(Cursor begin, Cursor end) const
{
    auto rect = sequence(matchKeyword("RECT"), skipBlanks(), matchChar('('), skipBlanks(), parseInt4(&v->x1),
                         skipBlanks(), parseInt4(&v->y1), skipBlanks(), matchChar(','), skipBlanks(),
                         parseInt4(&v->x2), skipBlanks(), parseInt4(&v->y2), skipBlanks(), matchChar(')'));
    TextResult result = rect.parse(begin, end);
    PointBuffer& points = v->points;
    points.clear();
    if (result.matched) {
        points.append(v->x1, v->y1);
        points.append(v->x2, v->y1);
        points.append(v->x2, v->y2);
        points.append(v->x1, v->y2);
        points.append(v->x1, v->y1);
        points.write(*v->currentOutput);
        return result;
    }

    // The point count is required but not used: the record holds the points
    // the list gives.
    auto pointList = sequence(matchKeyword("XY"), skipBlanks(), parseInt4(&v->int4), skipBlanks(), matchChar('('),
                              list(ListPointParser{v}, ',', 0, unbounded), skipBlanks(), matchChar(')'));
    result = pointList.parse(begin, end);
    if (result.matched) {
        points.write(*v->currentOutput);
        return result;
    }

    points.clear();
    auto single = sequence(skipBlanks(), matchChar('('), skipBlanks(), parseInt4(&v->x1), skipBlanks(),
                           parseInt4(&v->y1), skipBlanks(), matchChar(')'));
    result = single.parse(begin, end);
    if (result.matched) {
        points.append(v->x1, v->y1);
        points.write(*v->currentOutput);
    }
    return result;
}

// Points are most of a layout's text: they are read straight from the
// window when it holds the whole item, and by the nodes otherwise.
TextResult ListPointParser::parse(Cursor begin, Cursor end) const
{
    WindowBytes bytes;
    if (windowBytes(begin, end, bytes)) {
        const std::uint8_t* p = bytes.first;
        auto blanks = [&p, &bytes] {
            while (p != bytes.last && isBlank(*p))
                ++p;
            return !bytes.ranOut(p);
        };
        std::int32_t x = 0, y = 0;
        if (blanks()) {
            ScanOutcome first = scanInt(p, bytes, x);
            if (first == ScanOutcome::failed)
                return {false, advance(begin, p - bytes.first)};
            if (first == ScanOutcome::matched && blanks()) {
                ScanOutcome second = scanInt(p, bytes, y);
                if (second != ScanOutcome::undecided) {
                    Cursor stop = advance(begin, p - bytes.first);
                    if (second == ScanOutcome::failed)
                        return {false, stop};
                    v->points.append(x, y);
                    return {true, stop};
                }
            }
        }
    }
    auto point = action(sequence(skipBlanks(), parseInt4(&v->x1), skipBlanks(), parseInt4(&v->y1)),
                        [values = v](Cursor, Cursor) { values->points.append(values->x1, values->y1); });
    return point.parse(begin, end);
}

} // namespace grammar

TextResult runTextGrammar(RecordOutput& output, const std::string& cellFilter, StreamCursor begin,
                          StreamCursor end)
{
    auto values = std::make_unique<TextValues>(output, cellFilter);
    auto library = grammar::parseTextLibrary(values.get());
    return library.parse(begin, end);
}

} // namespace Pelk::calvio
