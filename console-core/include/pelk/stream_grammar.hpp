// The record order of a GDSII library, as one grammar over a StreamCursor.
// It is parameterised by its actions, so the text converter and the report
// share the rules and differ only in what each matched record does.
//
// Actions provide:
//   template <RecordCode C, ElementKind K, class Record> void onRecord(const Record&);
//   template <ElementKind K> void onElement();   // the element kind matched
//   void beginStructure();  void endStructure(bool matched);
#pragma once

#include "pelk/action_nodes.hpp"
#include "pelk/record_codes.hpp"
#include "pelk/record_nodes.hpp"
#include "pelk/repeat_nodes.hpp"
#include "pelk/sequence_nodes.hpp"

namespace Pelk::core {

enum class ElementKind { None, Boundary, Path, Sref, Aref, Text, Node, Box };

namespace grammar {

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
constexpr auto variable(Actions* a)
{
    return action(RecordParser{Code}, RecordAction<Actions, Code, Kind>{a});
}

// A record taken to hold exactly N payload bytes, whatever its length field says.
template <RecordCode Code, std::size_t N, ElementKind Kind = ElementKind::None, class Actions>
constexpr auto fixed(Actions* a)
{
    return action(FixedRecordParser<N>{Code}, RecordAction<Actions, Code, Kind>{a});
}

template <ElementKind K, class Actions>
constexpr auto elementFlags(Actions* a)
{
    using namespace Records;
    return sequence(optional(fixed<ELFLAGS, 2, K>(a)), optional(fixed<PLEX, 4, K>(a)));
}

template <ElementKind K, class Actions>
constexpr auto parseStrans(Actions* a)
{
    using namespace Records;
    return sequence(fixed<STRANS, 2, K>(a), optional(fixed<MAG, 8, K>(a)), optional(fixed<ANGLE, 8, K>(a)));
}

template <ElementKind K, class Node, class Actions>
constexpr auto elementKind(Node node, Actions* a)
{
    return action(node, ElementAction<Actions, K>{a});
}

template <class Actions>
constexpr auto parseBoundary(Actions* a)
{
    using namespace Records;
    constexpr auto K = ElementKind::Boundary;
    return elementKind<K>(sequence(variable<BOUNDARY, K>(a), elementFlags<K>(a), fixed<LAYER, 2, K>(a),
                                   fixed<DATATYPE, 2, K>(a), variable<XY, K>(a)),
                          a);
}

template <class Actions>
constexpr auto parsePath(Actions* a)
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
constexpr auto parseSref(Actions* a)
{
    using namespace Records;
    constexpr auto K = ElementKind::Sref;
    return elementKind<K>(sequence(variable<SREF, K>(a), elementFlags<K>(a), variable<SNAME, K>(a),
                                   optional(parseStrans<K>(a)), variable<XY, K>(a)),
                          a);
}

template <class Actions>
constexpr auto parseAref(Actions* a)
{
    using namespace Records;
    constexpr auto K = ElementKind::Aref;
    return elementKind<K>(sequence(variable<AREF, K>(a), elementFlags<K>(a), variable<SNAME, K>(a),
                                   optional(parseStrans<K>(a)), fixed<COLROW, 4, K>(a), variable<XY, K>(a)),
                          a);
}

template <class Actions>
constexpr auto parseText(Actions* a)
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
constexpr auto parseNode(Actions* a)
{
    using namespace Records;
    constexpr auto K = ElementKind::Node;
    return elementKind<K>(sequence(variable<NODE, K>(a), elementFlags<K>(a), fixed<LAYER, 2, K>(a),
                                   fixed<NODETYPE, 2, K>(a), variable<XY, K>(a)),
                          a);
}

template <class Actions>
constexpr auto parseBox(Actions* a)
{
    using namespace Records;
    constexpr auto K = ElementKind::Box;
    return elementKind<K>(sequence(variable<BOX, K>(a), elementFlags<K>(a), fixed<LAYER, 2, K>(a),
                                   fixed<BOXTYPE, 2, K>(a), variable<XY, K>(a)),
                          a);
}

template <class Actions>
constexpr auto parseElement(Actions* a)
{
    using namespace Records;
    auto kinds = alternative(parseBoundary(a), parsePath(a), parseSref(a), parseAref(a), parseText(a),
                             parseNode(a), parseBox(a));
    auto repeatProperties = repeat(sequence(fixed<PROPATTR, 2>(a), variable<PROPVALUE>(a)), 0, unbounded);
    return sequence(kinds, repeatProperties, variable<ENDEL>(a));
}

template <class Actions>
constexpr auto parseStructureBody(Actions* a)
{
    using namespace Records;
    auto repeatElements = repeat(parseElement(a), 0, unbounded);
    return sequence(optional(variable<STRCLASS>(a)), repeatElements, variable<ENDSTR>(a));
}

template <class Actions>
constexpr auto parseStructure(Actions* a)
{
    using namespace Records;
    return scoped(sequence(fixed<BGNSTR, 24>(a), variable<STRNAME>(a), parseStructureBody(a)),
                  BeginStructure<Actions>{a}, EndStructure<Actions>{a});
}

template <class Actions>
constexpr auto parseFormatType(Actions* a)
{
    using namespace Records;
    auto repeatMasks = repeat(variable<MASK>(a), 1, unbounded);
    return sequence(fixed<FORMAT, 2>(a), optional(sequence(repeatMasks, variable<ENDMASKS>(a))));
}

template <class Actions>
constexpr auto parseLibraryHeader(Actions* a)
{
    using namespace Records;
    return sequence(fixed<HEADER, 2>(a), fixed<BGNLIB, 24>(a), optional(fixed<LIBDIRSIZE, 2>(a)),
                    optional(variable<SRFNAME>(a)), optional(fixed<LIBSECUR, 2>(a)), variable<LIBNAME>(a),
                    optional(variable<REFLIBS>(a)), optional(variable<FONTS>(a)), optional(variable<ATTRTABLE>(a)),
                    optional(fixed<GENERATIONS, 2>(a)), optional(parseFormatType(a)));
}

} // namespace grammar

// The whole library: header, UNITS, any number of structures, ENDLIB.
template <class Actions>
constexpr auto parseLibrary(Actions* a)
{
    using namespace Records;
    using namespace grammar;
    auto repeatStructures = repeat(parseStructure(a), 0, unbounded);
    return sequence(parseLibraryHeader(a), fixed<UNITS, 16>(a), repeatStructures, variable<ENDLIB>(a));
}

} // namespace Pelk::core
