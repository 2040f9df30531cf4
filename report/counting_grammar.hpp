// dressil's reading of a stream: the shared library grammar with actions that
// count, per structure, its BOUNDARY layers and shapes and its placements.
#pragma once

#include "library_report.hpp"

#include "pelk/parse_position.hpp"
#include "pelk/stream_record.hpp"

#include <cstdint>

namespace Pelk::dressil {

// For four corners: the first edge horizontal and the rest closing a box, or
// the first edge vertical likewise. A zero width or height still counts.
bool isAxisRectangle(const std::int32_t (&x)[4], const std::int32_t (&y)[4]);

// One BOUNDARY's XY: a single point counts nothing, a closed five-point
// axis-parallel box one rectangle, anything else one polygon.
void countXY(const core::StreamRecord& xy, StructureInfo& structure);

// Runs the grammar from `begin` to `end`. Structures go into the report as
// each one matches, and the table is sorted by name at the end; version, name
// and units go in only when the whole library matched.
core::ParseResult<core::StreamCursor> runReportGrammar(LibraryReport& report, core::StreamCursor begin,
                                                       core::StreamCursor end);

} // namespace Pelk::dressil
