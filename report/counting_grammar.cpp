#include "counting_grammar.hpp"

#include "hierarchy_analysis.hpp"

#include "pelk/rectangle.hpp"
#include "pelk/stream_grammar.hpp"

#include <algorithm>
#include <bitset>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace Pelk::dressil {

using core::ElementKind;
using core::RecordCode;
namespace Records = core::Records;

void countXY(const core::StreamRecord& xy, StructureInfo& structure)
{
    const std::uint32_t length = xy.payload.size();
    if (length == 8)
        return;
    if (core::isAxisRectangle({xy.payload.data(), length}))
        structure.rects = wrappingAdd(structure.rects, 1);
    else
        structure.polys = wrappingAdd(structure.polys, 1);
}

namespace {

// The actions of the shared grammar. Only BOUNDARY, SREF and AREF reach the
// current structure; every other record is matched and changes nothing.
class CountingActions {
public:
    template <RecordCode C, ElementKind K, class Record>
    void onRecord(const Record& record)
    {
        if constexpr (C == Records::HEADER) {
            version = core::readUint2(record.payload.data());
        } else if constexpr (C == Records::LIBNAME) {
            libraryName = core::payloadString(0xFFFFFFFF, 0, record);
        } else if constexpr (C == Records::UNITS) {
            units[0] = core::decodeReal8At(0, record.payload);
            units[1] = core::decodeReal8At(8, record.payload);
        } else if constexpr (C == Records::STRNAME) {
            structureName = core::payloadString(0xFFFFFFFF, 0, record);
        } else if constexpr (K == ElementKind::Boundary && C == Records::LAYER) {
            collectLayer(core::readInt2(record.payload.data()));
        } else if constexpr (K == ElementKind::Boundary && C == Records::XY) {
            countXY(record, current);
        } else if constexpr ((K == ElementKind::Sref || K == ElementKind::Aref) && C == Records::SNAME) {
            placedName = core::payloadString(0xFFFFFFFF, 0, record);
        } else if constexpr (K == ElementKind::Aref && C == Records::COLROW) {
            // Each factor is a signed 16-bit value, so the product fits.
            arrayCount = std::int64_t{core::readInt2(record.payload.data())}
                       * core::readInt2(record.payload.data() + 2);
        }
    }

    template <ElementKind K>
    void onElement()
    {
        if constexpr (K == ElementKind::Sref)
            addPlacements(1);
        else if constexpr (K == ElementKind::Aref)
            addPlacements(arrayCount);
    }

    void beginStructure()
    {
        current = StructureInfo{};
        structureName.clear();
        placements.clear();
    }

    // A later structure of the same name replaces the earlier one.
    void endStructure(bool matched)
    {
        for (std::int32_t layer : current.layers)
            layerSeen.reset(static_cast<std::uint16_t>(layer));
        if (!matched)
            return;
        std::sort(current.layers.begin(), current.layers.end());
        current.references.assign(placements.begin(), placements.end());
        report->structures[structureName] = std::move(current);
    }

    explicit CountingActions(LibraryReport& target) : report(&target) {}

    LibraryReport* report;
    std::int32_t version = 0;
    std::string libraryName;
    double units[2] = {0, 0};

private:
    // A bit per layer number keeps the structure's layers unique while they
    // are gathered; they are sorted once the structure has matched.
    void collectLayer(std::int16_t layer)
    {
        auto bit = static_cast<std::uint16_t>(layer);
        if (layerSeen.test(bit))
            return;
        layerSeen.set(bit);
        current.layers.push_back(layer);
    }

    void addPlacements(std::int64_t count)
    {
        std::int64_t& placed = placements[placedName];
        placed = wrappingAdd(placed, count);
    }

    StructureInfo current;
    std::string structureName;
    std::string placedName;
    std::int64_t arrayCount = 0;
    std::bitset<65536> layerSeen;
    std::map<std::string, std::int64_t> placements;
};

} // namespace

// Inlined whole, the grammar keeps the cursor in registers from record to
// record; left to itself the compiler stops inlining the record nodes halfway.
[[gnu::flatten]] core::ParseResult<core::StreamCursor> runReportGrammar(LibraryReport& report,
                                                                        core::StreamCursor begin,
                                                                        core::StreamCursor end)
{
    CountingActions actions(report);
    auto result = core::parseLibrary(&actions).parse(begin, end);
    if (result.matched) {
        report.version = actions.version;
        report.libraryName = std::move(actions.libraryName);
        report.units[0] = actions.units[0];
        report.units[1] = actions.units[1];
    }
    return result;
}

} // namespace Pelk::dressil
