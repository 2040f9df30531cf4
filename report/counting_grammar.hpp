// dressil's reading of a stream: the shared library grammar with actions that
// count, per structure, its BOUNDARY layers and shapes and its placements.
#pragma once

#include "library_report.hpp"

#include "pelk/parse_position.hpp"
#include "pelk/stream_record.hpp"

#include <cstdint>

namespace Pelk::dressil {

// One BOUNDARY's XY: a single point counts nothing, what isAxisRectangle
// accepts one rectangle, anything else one polygon.
void countXY(const core::MatchedRecord& xy, StructureInfo& structure);

// Runs the grammar from `begin` to `end`. Structures go into the report as
// each one matches, and the table is sorted by name at the end; version, name
// and units go in only when the whole library matched.
core::ParseResult<core::StreamCursor> runReportGrammar(LibraryReport& report, core::StreamCursor begin,
                                                       core::StreamCursor end);

} // namespace Pelk::dressil
