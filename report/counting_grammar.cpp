#include "counting_grammar.hpp"

#include "hierarchy_analysis.hpp"

#include "pelk/rectangle.hpp"
#include "pelk/stream_grammar.hpp"

#include <algorithm>
#include <bitset>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace Pelk::dressil {

using core::ElementKind;
using core::RecordCode;
namespace Records = core::Records;

void countXY(const core::MatchedRecord& xy, StructureInfo& structure)
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

// The payload up to its first NUL, as core::payloadString reads a name, but
// viewed in place: it lives only as long as the record.
template <class Record>
std::string_view nameIn(const Record& record)
{
    const auto* bytes = reinterpret_cast<const char*>(record.payload.data());
    const std::size_t length = record.payload.size();
    const void* nul = std::memchr(bytes, 0, length);
    return {bytes, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - bytes) : length};
}

// The actions of the shared grammar. Only BOUNDARY, SREF and AREF reach the
// current structure; every other record is matched and changes nothing.
// Names go into the table as they are read, so a structure's placements are
// gathered as rows, with no string built or looked up per placement.
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
            structure = table().intern(nameIn(record));
        } else if constexpr (K == ElementKind::Boundary && C == Records::LAYER) {
            collectLayer(core::readInt2(record.payload.data()));
        } else if constexpr (K == ElementKind::Boundary && C == Records::XY) {
            countXY(record, current);
        } else if constexpr ((K == ElementKind::Sref || K == ElementKind::Aref) && C == Records::SNAME) {
            placed = table().intern(nameIn(record));
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
        layers.clear();
        placements.clear();
        mergedPlacements = 0;
    }

    // A later structure of the same name replaces the earlier one.
    void endStructure(bool matched)
    {
        for (Layer layer : layers)
            layerSeen.reset(static_cast<std::uint16_t>(layer));
        if (!matched)
            return;
        std::sort(layers.begin(), layers.end());
        mergePlacements();
        table().define(structure, current.rects, current.polys, layers, placements);
    }

    explicit CountingActions(LibraryReport& target) : report(&target) {}

    LibraryReport* report;
    std::int32_t version = 0;
    std::string libraryName;
    double units[2] = {0, 0};

private:
    StructureTable& table() { return report->structures; }

    // A bit per layer number keeps the structure's layers unique while they
    // are gathered; they are sorted once the structure has matched.
    void collectLayer(std::int16_t layer)
    {
        auto bit = static_cast<std::uint16_t>(layer);
        if (layerSeen.test(bit))
            return;
        layerSeen.set(bit);
        layers.push_back(layer);
    }

    // Placements of one name are summed when the list has doubled since it
    // was last merged, so it stays within twice the names a structure places.
    void addPlacements(std::int64_t count)
    {
        if (!placements.empty() && placements.back().structure == placed) {
            placements.back().setCount(wrappingAdd(placements.back().count(), count));
            return;
        }
        placements.emplace_back(placed, count);
        if (placements.size() >= 2 * mergedPlacements + 64)
            mergePlacements();
    }

    void mergePlacements()
    {
        std::sort(placements.begin(), placements.end(),
                  [](const Reference& a, const Reference& b) { return a.structure < b.structure; });
        std::size_t kept = 0;
        for (const Reference& p : placements) {
            if (kept != 0 && placements[kept - 1].structure == p.structure)
                placements[kept - 1].setCount(wrappingAdd(placements[kept - 1].count(), p.count()));
            else
                placements[kept++] = p;
        }
        placements.resize(kept);
        mergedPlacements = kept;
    }

    StructureInfo current;
    StructureIndex structure = 0;
    StructureIndex placed = 0;
    std::int64_t arrayCount = 0;
    std::bitset<65536> layerSeen;
    std::vector<Layer> layers;
    std::vector<Reference> placements;
    std::size_t mergedPlacements = 0;
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
    report.structures.sortByName();
    if (result.matched) {
        report.version = actions.version;
        report.libraryName = std::move(actions.libraryName);
        report.units[0] = actions.units[0];
        report.units[1] = actions.units[1];
    }
    return result;
}

} // namespace Pelk::dressil
