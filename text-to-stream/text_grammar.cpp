#include "text_grammar.hpp"

#include <memory>

namespace Pelk::calvio {

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

namespace {

// One point from `p`: blanks, INT4, blanks, INT4. `p` moves past the point
// on a match, and to the number that failed otherwise. Undecided when the
// window ends too soon to tell.
inline ScanOutcome scanWindowPoint(const std::uint8_t*& p, const WindowBytes& bytes, std::int32_t& x,
                                   std::int32_t& y)
{
    const std::uint8_t* q = p;
    if (!skipWindowBlanks(q, bytes))
        return ScanOutcome::undecided;
    ScanOutcome first = scanWindowInt(q, bytes, x);
    if (first == ScanOutcome::matched && !skipWindowBlanks(q, bytes))
        return ScanOutcome::undecided;
    if (first == ScanOutcome::matched)
        first = scanWindowInt(q, bytes, y);
    if (first != ScanOutcome::undecided)
        p = q;
    return first;
}

} // namespace

TextResult CoordinatesParser::parse(Cursor begin, Cursor end) const
{
    // The three forms start with different characters, so one look after
    // the blanks tells which can match; whichever fails, the nodes tried
    // one after another would fail where the blanks end.
    Cursor start = skipBlanks().parse(begin, end).end;
    if (start == end)
        return {false, start};
    PointBuffer& points = v->points;
    points.clear();
    TextResult result{false, start};
    switch (charAt(start)) {
    case 'R': {
        auto rect = sequence(matchKeyword("RECT"), matchBlankedChar('('), parseBlankedInt4(&v->x1),
                             parseBlankedInt4(&v->y1), matchBlankedChar(','), parseBlankedInt4(&v->x2),
                             parseBlankedInt4(&v->y2), matchBlankedChar(')'));
        result = rect.parse(start, end);
        if (!result.matched)
            return {false, start};
        points.append(v->x1, v->y1);
        points.append(v->x2, v->y1);
        points.append(v->x2, v->y2);
        points.append(v->x1, v->y2);
        points.append(v->x1, v->y1);
        break;
    }
    case 'X': {
        // The point count is required but not used: the record holds the
        // points the list gives.
        auto pointList = sequence(matchKeyword("XY"), parseBlankedInt4(&v->int4), matchBlankedChar('('),
                                  PointListParser{v}, matchBlankedChar(')'));
        result = pointList.parse(start, end);
        if (!result.matched)
            return {false, start};
        break;
    }
    case '(': {
        auto single = sequence(matchChar('('), parseBlankedInt4(&v->x1), parseBlankedInt4(&v->y1),
                               matchBlankedChar(')'));
        result = single.parse(start, end);
        if (!result.matched)
            return result;
        points.append(v->x1, v->y1);
        break;
    }
    default:
        return result;
    }
    points.write(*v->currentOutput);
    return result;
}

TextResult ListPointParser::parse(Cursor begin, Cursor end) const
{
    WindowBytes bytes;
    if (windowBytes(begin, end, bytes)) {
        const std::uint8_t* p = bytes.first;
        std::int32_t x = 0, y = 0;
        ScanOutcome outcome = scanWindowPoint(p, bytes, x, y);
        if (outcome == ScanOutcome::matched) {
            v->points.append(x, y);
            return {true, advance(begin, p - bytes.first)};
        }
        if (outcome == ScanOutcome::failed)
            return {false, advance(begin, p - bytes.first)};
    }
    auto point = action(sequence(skipBlanks(), parseInt4(&v->x1), skipBlanks(), parseInt4(&v->y1)),
                        [values = v](Cursor, Cursor) { values->points.append(values->x1, values->y1); });
    return point.parse(begin, end);
}

// Points are most of a layout's text: the loop runs over the window's bytes
// and hands an item to ListPointParser only where the window ends inside it.
// The list always matches; it ends before a character that is not a
// separator, or after a separator no point follows.
TextResult PointListParser::parse(Cursor begin, Cursor end) const
{
    Cursor cursor = begin;
    bool first = true;
    while (!(cursor == end)) {
        WindowBytes bytes{};
        if (!windowBytes(cursor, end, bytes))
            break;
        const std::uint8_t* p = bytes.first;
        auto at = [&](const std::uint8_t* q) { return advance(cursor, q - bytes.first); };
        const std::uint8_t* item = nullptr;
        while (p != bytes.last) {
            item = p;
            if (!first) {
                if (*p != ',')
                    return {true, at(p)};
                ++item;
            }
            std::int32_t x = 0, y = 0;
            const std::uint8_t* q = item;
            ScanOutcome outcome = scanWindowPoint(q, bytes, x, y);
            if (outcome == ScanOutcome::failed)
                return {true, at(item)};
            if (outcome == ScanOutcome::undecided)
                break;
            v->points.append(x, y);
            first = false;
            p = q;
            item = nullptr;
        }
        if (item == nullptr) {
            cursor = at(p);
            continue;
        }
        // The window ends inside this item.
        cursor = at(item);
        TextResult point = ListPointParser{v}.parse(cursor, end);
        if (!point.matched)
            return {true, cursor};
        cursor = point.end;
        first = false;
    }
    return {true, cursor};
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
