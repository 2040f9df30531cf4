// The record order of a GDSII library, as one grammar over a StreamCursor.
// It is parameterised by its actions, so the text converter and the report
// share the rules and differ only in what each matched record does.
//
// Actions provide:
//   template <RecordCode C, ElementKind K, class Record> void onRecord(const Record&);
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
    StreamRecord* record;
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

// A record of any payload length.
template <RecordCode Code, ElementKind Kind = ElementKind::None, class Actions>
constexpr auto variable(Binding<Actions> a)
{
    return action(SharedRecordParser{Code, a.record}, RecordAction<Actions, Code, Kind>{a.actions});
}

// A record taken to hold exactly N payload bytes, whatever its length field says.
template <RecordCode Code, std::size_t N, ElementKind Kind = ElementKind::None, class Actions>
constexpr auto fixed(Binding<Actions> a)
{
    return action(FixedRecordParser<N>{Code}, RecordAction<Actions, Code, Kind>{a.actions});
}

template <ElementKind K, class Actions>
constexpr auto elementFlags(Binding<Actions> a)
{
    using namespace Records;
    return sequence(optional(fixed<ELFLAGS, 2, K>(a)), optional(fixed<PLEX, 4, K>(a)));
}

template <ElementKind K, class Actions>
constexpr auto parseStrans(Binding<Actions> a)
{
    using namespace Records;
    return sequence(fixed<STRANS, 2, K>(a), optional(fixed<MAG, 8, K>(a)), optional(fixed<ANGLE, 8, K>(a)));
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
    return elementKind<K>(sequence(variable<BOUNDARY, K>(a), elementFlags<K>(a), fixed<LAYER, 2, K>(a),
                                   fixed<DATATYPE, 2, K>(a), variable<XY, K>(a)),
                          a);
}

template <class Actions>
constexpr auto parsePath(Binding<Actions> a)
{
    using namespace Records;
    constexpr auto K = ElementKind::Path;
    return elementKind<K>(sequence(variable<PATH, K>(a), elementFlags<K>(a), fixed<LAYER, 2, K>(a),
                                   fixed<DATATYPE, 2, K>(a), optional(fixed<PATHTYPE, 2, K>(a)),
                                   optional(fixed<WIDTH, 4, K>(a)), optional(fixed<BGNEXTN, 4, K>(a)),
                                   optional(fixed<ENDEXTN, 4, K>(a)), variable<XY, K>(a)),
                          a);
}

template <class Actions>
constexpr auto parseSref(Binding<Actions> a)
{
    using namespace Records;
    constexpr auto K = ElementKind::Sref;
    return elementKind<K>(sequence(variable<SREF, K>(a), elementFlags<K>(a), variable<SNAME, K>(a),
                                   optional(parseStrans<K>(a)), variable<XY, K>(a)),
                          a);
}

template <class Actions>
constexpr auto parseAref(Binding<Actions> a)
{
    using namespace Records;
    constexpr auto K = ElementKind::Aref;
    return elementKind<K>(sequence(variable<AREF, K>(a), elementFlags<K>(a), variable<SNAME, K>(a),
                                   optional(parseStrans<K>(a)), fixed<COLROW, 4, K>(a), variable<XY, K>(a)),
                          a);
}

template <class Actions>
constexpr auto parseText(Binding<Actions> a)
{
    using namespace Records;
    constexpr auto K = ElementKind::Text;
    return elementKind<K>(sequence(variable<TEXT, K>(a), elementFlags<K>(a), fixed<LAYER, 2, K>(a),
                                   fixed<TEXTTYPE, 2, K>(a), optional(fixed<PRESENTATION, 2, K>(a)),
                                   optional(fixed<PATHTYPE, 2, K>(a)), optional(fixed<WIDTH, 4, K>(a)),
                                   optional(parseStrans<K>(a)), variable<XY, K>(a), variable<STRING, K>(a)),
                          a);
}

template <class Actions>
constexpr auto parseNode(Binding<Actions> a)
{
    using namespace Records;
    constexpr auto K = ElementKind::Node;
    return elementKind<K>(sequence(variable<NODE, K>(a), elementFlags<K>(a), fixed<LAYER, 2, K>(a),
                                   fixed<NODETYPE, 2, K>(a), variable<XY, K>(a)),
                          a);
}

template <class Actions>
constexpr auto parseBox(Binding<Actions> a)
{
    using namespace Records;
    constexpr auto K = ElementKind::Box;
    return elementKind<K>(sequence(variable<BOX, K>(a), elementFlags<K>(a), fixed<LAYER, 2, K>(a),
                                   fixed<BOXTYPE, 2, K>(a), variable<XY, K>(a)),
                          a);
}

template <class Actions>
constexpr auto parseElement(Binding<Actions> a)
{
    using namespace Records;
    auto kinds = alternative(parseBoundary(a), parsePath(a), parseSref(a), parseAref(a), parseText(a),
                             parseNode(a), parseBox(a));
    auto repeatProperties = repeat(sequence(fixed<PROPATTR, 2>(a), variable<PROPVALUE>(a)), 0, unbounded);
    return sequence(kinds, repeatProperties, variable<ENDEL>(a));
}

template <class Actions>
constexpr auto parseStructureBody(Binding<Actions> a)
{
    using namespace Records;
    auto repeatElements = repeat(parseElement(a), 0, unbounded);
    return sequence(optional(variable<STRCLASS>(a)), repeatElements, variable<ENDSTR>(a));
}

template <class Actions>
constexpr auto parseStructure(Binding<Actions> a)
{
    using namespace Records;
    return scoped(sequence(fixed<BGNSTR, 24>(a), variable<STRNAME>(a), parseStructureBody(a)),
                  BeginStructure<Actions>{a.actions}, EndStructure<Actions>{a.actions});
}

template <class Actions>
constexpr auto parseFormatType(Binding<Actions> a)
{
    using namespace Records;
    auto repeatMasks = repeat(variable<MASK>(a), 1, unbounded);
    return sequence(fixed<FORMAT, 2>(a), optional(sequence(repeatMasks, variable<ENDMASKS>(a))));
}

template <class Actions>
constexpr auto parseLibraryHeader(Binding<Actions> a)
{
    using namespace Records;
    return sequence(fixed<HEADER, 2>(a), fixed<BGNLIB, 24>(a), optional(fixed<LIBDIRSIZE, 2>(a)),
                    optional(variable<SRFNAME>(a)), optional(fixed<LIBSECUR, 2>(a)), variable<LIBNAME>(a),
                    optional(variable<REFLIBS>(a)), optional(variable<FONTS>(a)), optional(variable<ATTRTABLE>(a)),
                    optional(fixed<GENERATIONS, 2>(a)), optional(parseFormatType(a)));
}

// The whole library: header, UNITS, any number of structures, ENDLIB.
template <class Actions>
constexpr auto parseLibrary(Binding<Actions> a)
{
    using namespace Records;
    auto repeatStructures = repeat(parseStructure(a), 0, unbounded);
    return sequence(parseLibraryHeader(a), fixed<UNITS, 16>(a), repeatStructures, variable<ENDLIB>(a));
}

} // namespace grammar

// A grammar with the record buffer its nodes share, kept on the heap so that
// neither the nodes nor a stack frame they are inlined into hold a record.
template <class Node>
struct RecordGrammar {
    std::unique_ptr<StreamRecord> record;
    Node node;

    ParseResult<StreamCursor> parse(StreamCursor begin, StreamCursor end) const { return node.parse(begin, end); }
};

// The whole library as one grammar over a StreamCursor, for one parse run.
template <class Actions>
auto parseLibrary(Actions* a)
{
    auto record = std::make_unique_for_overwrite<StreamRecord>();
    auto node = grammar::parseLibrary(grammar::Binding<Actions>{a, record.get()});
    return RecordGrammar<decltype(node)>{std::move(record), std::move(node)};
}

} // namespace Pelk::core
