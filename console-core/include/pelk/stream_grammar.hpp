// The record order of a GDSII library, as one grammar over a StreamCursor.
// It is parameterised by its actions, so the text converter and the report
// share the rules and differ only in what each matched record does.
//
// Actions provide:
//   template <RecordCode C, ElementKind K, class Record> void onRecord(const Record&);
//       Record is FixedRecord<fixedPayloadSize(C)>, or MatchedRecord where that is 0.
//   template <ElementKind K> void onElement();   // the element kind matched
//   void beginStructure();  void endStructure(bool matched);
//
// A record handed to onRecord lives only for that call: the variable-length
// record nodes of one grammar share one record buffer, owned by the grammar
// that parseLibrary returns for its parse run.
#pragma once

#include "pelk/action_nodes.hpp"
#include "pelk/record_codes.hpp"
#include "pelk/record_nodes.hpp"
#include "pelk/repeat_nodes.hpp"
#include "pelk/sequence_nodes.hpp"
#include "pelk/stream_record.hpp"

#include <memory>
#include <utility>

namespace Pelk::core {

enum class ElementKind { None, Boundary, Path, Sref, Aref, Text, Node, Box };

namespace grammar {

// What the nodes of one grammar are built with: the actions, and the buffer
// that every variable-length record node reads its record into.
template <class Actions>
struct Binding {
    Actions* actions;
    MatchedRecord* record;
};

template <class Actions, RecordCode Code, ElementKind Kind>
struct RecordAction {
    Actions* actions;
    template <class Record>
    void operator()(const Record& record) const
    {
        actions->template onRecord<Code, Kind>(record);
    }
};

template <class Actions, ElementKind Kind>
struct ElementAction {
    Actions* actions;
    void operator()(const StreamCursor&, const StreamCursor&) const { actions->template onElement<Kind>(); }
};

template <class Actions>
struct BeginStructure {
    Actions* actions;
    void operator()() const { actions->beginStructure(); }
};

template <class Actions>
struct EndStructure {
    Actions* actions;
    void operator()(bool matched) const { actions->endStructure(matched); }
};

// One record of the code, read as the record table shapes it: of the fixed
// payload size whatever its length field says, or of any length into the
// shared buffer.
template <RecordCode Code, ElementKind Kind = ElementKind::None, class Actions>
constexpr auto record(Binding<Actions> a)
{
    constexpr std::uint32_t size = fixedPayloadSize(Code);
    if constexpr (size == 0)
        return action(SharedRecordParser{Code, a.record}, RecordAction<Actions, Code, Kind>{a.actions});
    else
        return action(FixedRecordParser<size>{Code}, RecordAction<Actions, Code, Kind>{a.actions});
}

template <ElementKind K, class Actions>
constexpr auto elementFlags(Binding<Actions> a)
{
    using namespace Records;
    return sequence(optional(record<ELFLAGS, K>(a)),
                    optional(record<PLEX, K>(a)));
}

template <ElementKind K, class Actions>
constexpr auto parseStrans(Binding<Actions> a)
{
    using namespace Records;
    return sequence(record<STRANS, K>(a),
                    optional(record<MAG, K>(a)),
                    optional(record<ANGLE, K>(a)));
}

template <ElementKind K, class Node, class Actions>
constexpr auto elementKind(Node node, Binding<Actions> a)
{
    return action(node, ElementAction<Actions, K>{a.actions});
}

template <class Actions>
constexpr auto parseBoundary(Binding<Actions> a)
{
    using namespace Records;
    constexpr auto K = ElementKind::Boundary;
    return elementKind<K>(sequence(record<BOUNDARY, K>(a),
                                   elementFlags<K>(a),
                                   record<LAYER, K>(a),
                                   record<DATATYPE, K>(a),
                                   record<XY, K>(a)),
                          a);
}

template <class Actions>
constexpr auto parsePath(Binding<Actions> a)
{
    using namespace Records;
    constexpr auto K = ElementKind::Path;
    return elementKind<K>(sequence(record<PATH, K>(a),
                                   elementFlags<K>(a),
                                   record<LAYER, K>(a),
                                   record<DATATYPE, K>(a),
                                   optional(record<PATHTYPE, K>(a)),
                                   optional(record<WIDTH, K>(a)),
                                   optional(record<BGNEXTN, K>(a)),
                                   optional(record<ENDEXTN, K>(a)),
                                   record<XY, K>(a)),
                          a);
}

template <class Actions>
constexpr auto parseSref(Binding<Actions> a)
{
    using namespace Records;
    constexpr auto K = ElementKind::Sref;
    return elementKind<K>(sequence(record<SREF, K>(a),
                                   elementFlags<K>(a),
                                   record<SNAME, K>(a),
                                   optional(parseStrans<K>(a)),
                                   record<XY, K>(a)),
                          a);
}

template <class Actions>
constexpr auto parseAref(Binding<Actions> a)
{
    using namespace Records;
    constexpr auto K = ElementKind::Aref;
    return elementKind<K>(sequence(record<AREF, K>(a),
                                   elementFlags<K>(a),
                                   record<SNAME, K>(a),
                                   optional(parseStrans<K>(a)),
                                   record<COLROW, K>(a),
                                   record<XY, K>(a)),
                          a);
}

template <class Actions>
constexpr auto parseText(Binding<Actions> a)
{
    using namespace Records;
    constexpr auto K = ElementKind::Text;
    return elementKind<K>(sequence(record<TEXT, K>(a),
                                   elementFlags<K>(a),
                                   record<LAYER, K>(a),
                                   record<TEXTTYPE, K>(a),
                                   optional(record<PRESENTATION, K>(a)),
                                   optional(record<PATHTYPE, K>(a)),
                                   optional(record<WIDTH, K>(a)),
                                   optional(parseStrans<K>(a)),
                                   record<XY, K>(a),
                                   record<STRING, K>(a)),
                          a);
}

template <class Actions>
constexpr auto parseNode(Binding<Actions> a)
{
    using namespace Records;
    constexpr auto K = ElementKind::Node;
    return elementKind<K>(sequence(record<NODE, K>(a),
                                   elementFlags<K>(a),
                                   record<LAYER, K>(a),
                                   record<NODETYPE, K>(a),
                                   record<XY, K>(a)),
                          a);
}

template <class Actions>
constexpr auto parseBox(Binding<Actions> a)
{
    using namespace Records;
    constexpr auto K = ElementKind::Box;
    return elementKind<K>(sequence(record<BOX, K>(a),
                                   elementFlags<K>(a),
                                   record<LAYER, K>(a),
                                   record<BOXTYPE, K>(a),
                                   record<XY, K>(a)),
                          a);
}

template <class Actions>
constexpr auto parseProperty(Binding<Actions> a)
{
    using namespace Records;
    return sequence(record<PROPATTR>(a),
                    record<PROPVALUE>(a));
}

template <class Actions>
constexpr auto parseElement(Binding<Actions> a)
{
    using namespace Records;
    auto kinds = alternative(parseBoundary(a),
                             parsePath(a),
                             parseSref(a),
                             parseAref(a),
                             parseText(a),
                             parseNode(a),
                             parseBox(a));
    return sequence(kinds,
                    repeat(parseProperty(a), 0, unbounded),
                    record<ENDEL>(a));
}

template <class Actions>
constexpr auto parseStructureBody(Binding<Actions> a)
{
    using namespace Records;
    return sequence(optional(record<STRCLASS>(a)),
                    repeat(parseElement(a), 0, unbounded),
                    record<ENDSTR>(a));
}

template <class Actions>
constexpr auto parseStructure(Binding<Actions> a)
{
    using namespace Records;
    auto structure = sequence(record<BGNSTR>(a),
                              record<STRNAME>(a),
                              parseStructureBody(a));
    return scoped(structure, BeginStructure<Actions>{a.actions}, EndStructure<Actions>{a.actions});
}

template <class Actions>
constexpr auto parseFormatType(Binding<Actions> a)
{
    using namespace Records;
    auto masks = sequence(repeat(record<MASK>(a), 1, unbounded),
                          record<ENDMASKS>(a));
    return sequence(record<FORMAT>(a),
                    optional(masks));
}

template <class Actions>
constexpr auto parseLibraryHeader(Binding<Actions> a)
{
    using namespace Records;
    return sequence(record<HEADER>(a),
                    record<BGNLIB>(a),
                    optional(record<LIBDIRSIZE>(a)),
                    optional(record<SRFNAME>(a)),
                    optional(record<LIBSECUR>(a)),
                    record<LIBNAME>(a),
                    optional(record<REFLIBS>(a)),
                    optional(record<FONTS>(a)),
                    optional(record<ATTRTABLE>(a)),
                    optional(record<GENERATIONS>(a)),
                    optional(parseFormatType(a)));
}

// The whole library: header, UNITS, any number of structures, ENDLIB.
template <class Actions>
constexpr auto parseLibrary(Binding<Actions> a)
{
    using namespace Records;
    return sequence(parseLibraryHeader(a),
                    record<UNITS>(a),
                    repeat(parseStructure(a), 0, unbounded),
                    record<ENDLIB>(a));
}

} // namespace grammar

// A grammar with the record buffer its nodes share, kept on the heap so that
// neither the nodes nor a stack frame they are inlined into hold a record.
template <class Node>
struct RecordGrammar {
    std::unique_ptr<MatchedRecord> record;
    Node node;

    ParseResult<StreamCursor> parse(StreamCursor begin, StreamCursor end) const { return node.parse(begin, end); }
};

// The whole library as one grammar over a StreamCursor, for one parse run.
template <class Actions>
auto parseLibrary(Actions* a)
{
    auto record = std::make_unique_for_overwrite<MatchedRecord>();
    auto node = grammar::parseLibrary(grammar::Binding<Actions>{a, record.get()});
    return RecordGrammar<decltype(node)>{std::move(record), std::move(node)};
}

} // namespace Pelk::core
