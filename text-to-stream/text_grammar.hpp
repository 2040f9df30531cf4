// calvio's grammar of the text form: one rule per line of the format, each
// writing its GDSII record to the run's current output as soon as it matched.
#pragma once

#include "record_writer.hpp"
#include "text_scanners.hpp"

#include "pelk/console_frame.hpp"
#include "pelk/list_nodes.hpp"
#include "pelk/record_codes.hpp"

#include <string>
#include <utility>

namespace Pelk::calvio {

// The points of one XY record: the first 4096 as payload, and how many
// were read, so that memory stays bounded however long the list is.
struct PointBuffer {
    static constexpr std::uint64_t capacity = core::maxPayload / 8;
    std::uint64_t count = 0;
    std::uint8_t payload[core::maxPayload];

    void clear() { count = 0; }
    void append(std::int32_t x, std::int32_t y)
    {
        if (count < capacity) {
            core::storeInt4(payload + count * 8, x);
            core::storeInt4(payload + count * 8 + 4, y);
        }
        ++count;
    }
    // Writes the XY record; more points than one record holds are thrown
    // as the record buffer's overflow.
    void write(RecordOutput& output) const;
};

// The state of one run: where the rules write and what they scan into.
// Every rule overwrites the values it reads before its record is written,
// so nothing leaks from one attempt into the next.
struct TextValues {
    TextValues(RecordOutput& output, std::string cellName) : currentOutput(&output), cellFilter(std::move(cellName))
    {
    }

    std::int16_t int2 = 0;
    std::int16_t int2Second = 0;
    std::int32_t int4 = 0;
    double real = 0;
    double realSecond = 0;
    DateStamps stamps{};
    BoundedText text;
    BoundedText structureName;
    core::StreamRecord listRecord;
    // The one buffer of the records built by writesBuffered: a 32 KB record
    // on the stack per rule adds up to more stack than a program has once
    // the rules are inlined into each other.
    core::StreamRecord record;
    std::uint32_t listSlots = 0;
    std::int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    PointBuffer points;

    // The run's output, or `discarded` while the cell filter reads a
    // structure's head or skips the structure.
    RecordOutput* currentOutput;
    // The -cell name; empty when every structure is converted.
    std::string cellFilter;
    // Made once for the run, as every structure's head goes through it.
    core::EmptyStream discard;
    RecordOutput discarded{&discard, 1024};
};

namespace grammar {

using namespace Pelk::core;
using Cursor = StreamCursor;

// One node type for every record without payload: a type per code makes
// the grammar's code larger and measured slower.
constexpr auto matchEmptyRecord(const char* keyword, RecordCode code, TextValues* v)
{
    return action(matchKeyword(keyword),
                  [code, v](Cursor, Cursor) { writeRecordBytes(*v->currentOutput, code, nullptr, 0); });
}

// A record without payload, written as soon as its keyword matched.
template <RecordCode code>
constexpr auto matchKeywordRecord(TextValues* v)
{
    return matchEmptyRecord(recordKeyword<code>, code, v);
}

template <class Node>
constexpr auto writesInt2(Node node, RecordCode code, TextValues* v)
{
    return action(node,
                  [code, v](Cursor, Cursor) { writeInt2Record(*v->currentOutput, int2Record(code, v->int2)); });
}

template <class Node>
constexpr auto writesInt4(Node node, RecordCode code, TextValues* v)
{
    return action(node,
                  [code, v](Cursor, Cursor) { writeInt4Record(*v->currentOutput, int4Record(code, v->int4)); });
}

// A record built in its own buffer by `fill` once the node matched.
template <class Node, class Fill>
constexpr auto writesBuffered(Node node, RecordCode code, TextValues* v, Fill fill)
{
    return action(node, [code, v, fill](Cursor, Cursor) {
        fill(startRecord(v->record, code));
        writeRecord(*v->currentOutput, v->record);
    });
}

// INT2 records that go through a record buffer rather than the fixed writer.
template <class Node>
constexpr auto writesBufferedInt2(Node node, RecordCode code, TextValues* v)
{
    return writesBuffered(node, code, v, [v](StreamRecord& r) { pushInt2(r, v->int2); });
}

template <class Node>
constexpr auto writesText(Node node, RecordCode code, TextValues* v)
{
    return writesBuffered(node, code, v, [v](StreamRecord& r) { pushString(r, v->text.text); });
}

template <class Node>
constexpr auto writesStamps(Node node, RecordCode code, TextValues* v)
{
    return action(node, [code, v](Cursor, Cursor) {
        FixedRecord<24> record{code, {}};
        for (std::size_t i = 0; i < 12; ++i)
            storeInt2(record.payload.data() + 2 * i, v->stamps[i]);
        writeFixed24Record(*v->currentOutput, record);
    });
}

template <class Node>
constexpr auto writesReals(Node node, RecordCode code, TextValues* v, bool two)
{
    return writesBuffered(node, code, v, [v, two](StreamRecord& r) {
        pushReal8(r, v->real);
        if (two)
            pushReal8(r, v->realSecond);
    });
}

// ---- Coordinates -------------------------------------------------------

// parseTextXY: a rectangle, a counted point list or a single point; the
// one XY record is written once a form matched.
struct CoordinatesParser {
    TextValues* v;

    TextResult parse(Cursor begin, Cursor end) const;
};

constexpr CoordinatesParser parseTextXY(TextValues* v) { return {v}; }

// parseTextListPoint: blanks, INT4 x, blanks, INT4 y; the point is added to
// the record's points when both matched.
struct ListPointParser {
    TextValues* v;

    TextResult parse(Cursor begin, Cursor end) const;
};

// list(ListPointParser{v}, ',', 0, unbounded), reading as many points as the
// window holds in one loop.
struct PointListParser {
    TextValues* v;

    TextResult parse(Cursor begin, Cursor end) const;
};

// ---- Elements ----------------------------------------------------------

constexpr auto parseTextElflags(TextValues* v)
{
    return writesInt2(matchAssignInt2(recordKeyword<Records::ELFLAGS>, &v->int2), Records::ELFLAGS, v);
}
constexpr auto parseTextPlex(TextValues* v)
{
    return writesInt4(matchAssignInt4(recordKeyword<Records::PLEX>, &v->int4), Records::PLEX, v);
}
constexpr auto parseElementFlags(TextValues* v) { return sequence(optional(parseTextElflags(v)), optional(parseTextPlex(v))); }
constexpr auto parseTextLayer(TextValues* v) { return writesInt2(matchSpacedInt2(&v->int2), Records::LAYER, v); }
constexpr auto parseTextDatatype(TextValues* v) { return writesInt2(matchSpacedInt2(&v->int2), Records::DATATYPE, v); }
constexpr auto parseTextPathtype(TextValues* v)
{
    return writesInt2(matchAssignInt2(recordKeyword<Records::PATHTYPE>, &v->int2), Records::PATHTYPE, v);
}
constexpr auto parseTextWidth(TextValues* v)
{
    return writesInt4(matchAssignInt4(recordKeyword<Records::WIDTH>, &v->int4), Records::WIDTH, v);
}
constexpr auto parseTextSname(TextValues* v) { return writesText(matchBlankedWord(&v->text), Records::SNAME, v); }

constexpr auto parseTextTransform(TextValues* v)
{
    auto strans = writesBufferedInt2(matchAssignInt2(recordKeyword<Records::STRANS>, &v->int2), Records::STRANS, v);
    auto mag = writesReals(matchAssignReal(recordKeyword<Records::MAG>, &v->real), Records::MAG, v, false);
    auto angle = writesReals(matchAssignReal(recordKeyword<Records::ANGLE>, &v->real), Records::ANGLE, v, false);
    return optional(sequence(strans, optional(mag), optional(angle)));
}

constexpr auto parseTextBoundary(TextValues* v)
{
    return sequence(matchKeywordRecord<Records::BOUNDARY>(v), parseElementFlags(v), parseTextLayer(v),
                    parseTextDatatype(v), parseTextXY(v));
}

constexpr auto parseTextPath(TextValues* v)
{
    auto bgnExtn = writesInt4(matchAssignInt4(recordKeyword<Records::BGNEXTN>, &v->int4), Records::BGNEXTN, v);
    auto endExtn = writesInt4(matchAssignInt4(recordKeyword<Records::ENDEXTN>, &v->int4), Records::ENDEXTN, v);
    return sequence(matchKeywordRecord<Records::PATH>(v), parseElementFlags(v), parseTextLayer(v),
                    parseTextDatatype(v), optional(parseTextPathtype(v)), optional(parseTextWidth(v)),
                    optional(bgnExtn), optional(endExtn), parseTextXY(v));
}

constexpr auto parseTextSref(TextValues* v)
{
    return sequence(matchKeywordRecord<Records::SREF>(v), parseElementFlags(v), parseTextSname(v),
                    parseTextTransform(v), parseTextXY(v));
}

constexpr auto parseTextAref(TextValues* v)
{
    auto colrowText = sequence(matchKeyword(recordKeyword<Records::COLROW>), matchBlankedChar('='),
                               parseBlankedInt2(&v->int2), matchBlankedChar(':'), parseBlankedInt2(&v->int2Second));
    auto colrow = writesBuffered(colrowText, Records::COLROW, v, [v](StreamRecord& r) {
        pushInt2(r, v->int2);
        pushInt2(r, v->int2Second);
    });
    return sequence(matchKeywordRecord<Records::AREF>(v), parseElementFlags(v), parseTextSname(v),
                    parseTextTransform(v), colrow, parseTextXY(v));
}

constexpr auto parseTextText(TextValues* v)
{
    auto texttype = writesInt2(matchAssignInt2(recordKeyword<Records::TEXTTYPE>, &v->int2), Records::TEXTTYPE, v);
    auto presentation =
        writesInt2(matchAssignInt2(recordKeyword<Records::PRESENTATION>, &v->int2), Records::PRESENTATION, v);
    auto string = writesText(
        sequence(matchBlankedChar('"'), captureText(matchQuotedText(), &v->text), matchChar('"')),
        Records::STRING, v);
    return sequence(matchKeywordRecord<Records::TEXT>(v), parseElementFlags(v), parseTextLayer(v), texttype,
                    optional(presentation), optional(parseTextPathtype(v)), optional(parseTextWidth(v)),
                    parseTextTransform(v), parseTextXY(v), string);
}

constexpr auto parseTextNode(TextValues* v)
{
    auto nodetype =
        writesBufferedInt2(matchAssignInt2(recordKeyword<Records::NODETYPE>, &v->int2), Records::NODETYPE, v);
    return sequence(matchKeywordRecord<Records::NODE>(v), parseElementFlags(v), parseTextLayer(v), nodetype,
                    parseTextXY(v));
}

constexpr auto parseTextBox(TextValues* v)
{
    auto boxtype = writesBufferedInt2(matchAssignInt2(recordKeyword<Records::BOXTYPE>, &v->int2), Records::BOXTYPE, v);
    return sequence(matchKeywordRecord<Records::BOX>(v), parseElementFlags(v), parseTextLayer(v), boxtype,
                    parseTextXY(v));
}

constexpr auto parseTextProperty(TextValues* v)
{
    auto attr = writesBufferedInt2(matchKeywordInt2(recordKeyword<Records::PROPATTR>, &v->int2), Records::PROPATTR, v);
    auto value = writesText(matchBlankedWord(&v->text), Records::PROPVALUE, v);
    return sequence(attr, value);
}

constexpr auto parseTextElement(TextValues* v)
{
    auto kind = alternative(parseTextBoundary(v), parseTextPath(v), parseTextSref(v), parseTextAref(v),
                            parseTextText(v), parseTextNode(v), parseTextBox(v));
    return sequence(kind, repeat(parseTextProperty(v), 0, unbounded), matchKeywordRecord<Records::ENDEL>(v));
}

// ---- Structures --------------------------------------------------------

constexpr auto parseTextStructHeader(TextValues* v)
{
    return writesStamps(matchDateStamps(recordKeyword<Records::BGNSTR>, &v->stamps), Records::BGNSTR, v);
}

constexpr auto parseTextStructureRest(TextValues* v)
{
    return sequence(optional(matchKeywordRecord<Records::STRCLASS>(v)),
                    repeat(parseTextElement(v), 0, unbounded), matchKeywordRecord<Records::ENDSTR>(v));
}

constexpr auto parseWholeTextStructure(TextValues* v)
{
    auto name = writesText(matchBlankedWord(&v->text), Records::STRNAME, v);
    return sequence(parseTextStructHeader(v), name, parseTextStructureRest(v));
}

constexpr auto parseTextStructureHeader(TextValues* v)
{
    return sequence(parseTextStructHeader(v), matchBlankedWord(&v->structureName));
}

// parseTextStructure: with a -cell filter every structure's head is read
// into the discarding output to learn its name; a selected structure is
// then read again from its start into the run's output.
template <class Whole, class Head, class Rest>
struct FilteredStructureParser {
    Whole whole;
    Head head;
    Rest rest;
    TextValues* v;

    TextResult parse(Cursor begin, Cursor end) const
    {
        if (v->cellFilter.empty())
            return whole.parse(begin, end);
        RecordOutput* output = v->currentOutput;
        v->currentOutput = &v->discarded;
        TextResult result = parseFiltered(begin, end, output);
        // What throws ends the run with its state, so only a return needs
        // the output back.
        v->currentOutput = output;
        return result;
    }

private:
    TextResult parseFiltered(Cursor begin, Cursor end, RecordOutput* output) const
    {
        TextResult headResult = head.parse(begin, end);
        if (!headResult.matched)
            return headResult;
        // A rejected name never goes into a record, so one too long for a
        // record is skipped like any other; a selected one fails on its
        // STRNAME as it does without the filter.
        if (namesCell(headResult.end)) {
            v->currentOutput = output;
            return whole.parse(begin, end);
        }
        return rest.parse(headResult.end, end);
    }

    // Whether the name that ends at `nameEnd` is the -cell name; the part of
    // a long name that was not kept is compared in the text.
    bool namesCell(Cursor nameEnd) const
    {
        const BoundedText& name = v->structureName;
        const std::string& cell = v->cellFilter;
        if (name.complete)
            return name.text == cell;
        if (static_cast<std::uint64_t>(name.length) != cell.size() || cell.compare(0, name.text.size(), name.text) != 0)
            return false;
        Cursor at = advance(nameEnd, -name.length + static_cast<std::int64_t>(name.text.size()));
        for (std::size_t i = name.text.size(); i < cell.size(); ++i, at = advance(at))
            if (charAt(at) != static_cast<std::uint8_t>(cell[i]))
                return false;
        return true;
    }
};

constexpr auto parseTextStructure(TextValues* v)
{
    auto whole = parseWholeTextStructure(v);
    auto head = parseTextStructureHeader(v);
    auto rest = parseTextStructureRest(v);
    return FilteredStructureParser<decltype(whole), decltype(head), decltype(rest)>{whole, head, rest, v};
}

// ---- Library -----------------------------------------------------------

// A list line (LIBSECUR, REFLIBS, FONTS): the record is started when the
// keyword matched, filled item by item, and written after the last item.
template <RecordCode code, class Item, class Finish>
constexpr auto matchListLine(Item item, Finish finish, TextValues* v)
{
    auto start = action(matchKeyword(recordKeyword<code>), [v](Cursor, Cursor) {
        startRecord(v->listRecord, code);
        v->listSlots = 0;
    });
    return action(sequence(start, skipBlanks(), list(item, ' ', 0, unbounded)), finish);
}

// One name per 44-byte slot; a longer name has no place in the record.
void appendNameSlot(TextValues* v);
void padNameSlots(TextValues* v, std::uint32_t minimumSlots);

template <RecordCode code>
constexpr auto parseTextNameList(std::uint32_t minimumSlots, TextValues* v)
{
    auto item = action(captureWord(&v->text), [v](Cursor, Cursor) { appendNameSlot(v); });
    return matchListLine<code>(item, [v, minimumSlots](Cursor, Cursor) { padNameSlots(v, minimumSlots); }, v);
}

constexpr auto parseTextLibSecur(TextValues* v)
{
    auto item = action(parseBlankedInt2(&v->int2),
                       [v](Cursor, Cursor) { pushInt2(v->listRecord, v->int2); });
    return matchListLine<Records::LIBSECUR>(
        item, [v](Cursor, Cursor) { writeRecord(*v->currentOutput, v->listRecord); }, v);
}

constexpr auto parseTextFormat(TextValues* v)
{
    auto format = writesInt2(sequence(matchKeyword(recordKeyword<Records::FORMAT>), parseBlankedInt2(&v->int2)),
                             Records::FORMAT, v);
    auto mask = writesText(sequence(matchKeyword(recordKeyword<Records::MASK>), skipBlanks(), captureWord(&v->text)),
                           Records::MASK, v);
    auto maskGroup = sequence(repeat(mask, 1, unbounded), matchKeywordRecord<Records::ENDMASKS>(v));
    return sequence(format, optional(maskGroup));
}

constexpr auto parseTextLibraryHeader(TextValues* v)
{
    auto version = writesInt2(sequence(matchKeyword(recordKeyword<Records::HEADER>), parseBlankedInt2(&v->int2)),
                              Records::HEADER, v);
    auto bgnlib = writesStamps(matchDateStamps(recordKeyword<Records::BGNLIB>, &v->stamps), Records::BGNLIB, v);
    auto libdirsize =
        writesInt2(sequence(matchKeyword(recordKeyword<Records::LIBDIRSIZE>), parseBlankedInt2(&v->int2)),
                   Records::LIBDIRSIZE, v);
    auto srfname =
        writesText(sequence(matchKeyword(recordKeyword<Records::SRFNAME>), skipBlanks(), captureWord(&v->text)),
                   Records::SRFNAME, v);
    auto libname = writesText(matchBlankedWord(&v->text), Records::LIBNAME, v);
    auto attrtable =
        writesText(sequence(matchKeyword(recordKeyword<Records::ATTRTABLE>), skipBlanks(), captureWord(&v->text)),
                   Records::ATTRTABLE, v);
    auto generations = writesBufferedInt2(
        sequence(matchKeyword(recordKeyword<Records::GENERATIONS>), parseBlankedInt2(&v->int2)),
        Records::GENERATIONS, v);
    return sequence(version, bgnlib, optional(libdirsize), optional(srfname), optional(parseTextLibSecur(v)), libname,
                    optional(parseTextNameList<Records::REFLIBS>(2, v)),
                    optional(parseTextNameList<Records::FONTS>(4, v)), optional(attrtable),
                    optional(generations), optional(parseTextFormat(v)));
}

constexpr auto parseTextUnits(TextValues* v)
{
    return writesReals(sequence(matchKeyword(recordKeyword<Records::UNITS>), skipBlanks(), parseReal(&v->real),
                                skipBlanks(), parseReal(&v->realSecond)),
                       Records::UNITS, v, true);
}

constexpr auto parseTextLibrary(TextValues* v)
{
    return sequence(parseTextLibraryHeader(v), parseTextUnits(v), repeat(parseTextStructure(v), 0, unbounded),
                    matchKeywordRecord<Records::ENDLIB>(v));
}

} // namespace grammar

// Runs the whole grammar between two cursors, writing to `output`; with a
// cellFilter, only the structures of that name reach it.
TextResult runTextGrammar(RecordOutput& output, const std::string& cellFilter, StreamCursor begin,
                          StreamCursor end);

} // namespace Pelk::calvio
