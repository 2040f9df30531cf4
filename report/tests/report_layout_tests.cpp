#include "dressil_run.hpp"
#include "hierarchy_analysis.hpp"
#include "report_layout.hpp"
#include "structure_definition.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace Pelk::dressil;
using Pelk::testing::define;

std::string reportText(LibraryReport report)
{
    flattenAll(report);
    std::ostringstream out;
    ReportWriter(out).writeReport(report);
    return out.str();
}

LibraryReport exampleLibrary()
{
    LibraryReport report;
    report.version = 600;
    report.libraryName = "LIB";
    report.units[0] = 0.001;
    report.units[1] = 1e-9;
    define(report, "A", {.rects = 2, .polys = 1, .layers = {1, 2}});
    define(report, "TOP", {.references = {{"A", 2}, {"X", 1}}});
    return report;
}

const std::string headingOfTable = "\n\nList of all structures:\n-----------------------\n\n"
                                   "Name                      Layers     Inst    Rects FlatRects    Polys FlatPolys\n"
                                   "--------------------------------------------------------------------------------";

TEST(WriteReport, WorkedExample)
{
    EXPECT_EQ(reportText(exampleLibrary()), Pelk::testing::checkedReport("worked_example"));
}

TEST(WriteReport, LibraryWithoutStructuresStopsAfterTheUnreferencedHeading)
{
    LibraryReport report;
    report.version = 3;
    report.libraryName = "EMPTY";
    report.units[0] = 1;
    report.units[1] = 2.5e-8;
    EXPECT_EQ(reportText(report), "\nGDS version: \t3\nLibrary name: \tEMPTY\nUnits: \t1 \t2.5e-008"
                                  "\nTotal number of structures: \t0\nTotal number of layers:     \t0"
                                  "\n\nList of unreferenced structures:\n--------------------------------\n"
                                  "\n\nEnd of report\n");
}

TEST(WriteReport, PartialReportAfterAParseFailure)
{
    // Version, name and units keep their initial values. Every structure is
    // referenced, and the cycle leaves its in-progress marks in the counts.
    LibraryReport report;
    define(report, "A", {.references = {{"B", 1}}});
    define(report, "B", {.references = {{"A", 1}}});
    EXPECT_EQ(reportText(report), "\nGDS version: \t0\nLibrary name: \t\nUnits: \t0 \t0"
                                  "\nTotal number of structures: \t2\nTotal number of layers:     \t0"
                                  "\n\nList of unreferenced structures:\n--------------------------------\n"
                                  + headingOfTable
                                  + "\nA                              0        1        0         1        0         0"
                                    "\nB                              0        1        0         1        0         0"
                                    "\n\nEnd of report\n");
}

TEST(WriteReport, WideNamesAndNumbersPushTheRowRight)
{
    LibraryReport report;
    define(report, std::string(26, 'N'), {.references = {{std::string(30, 'W'), 1234567890}}});
    define(report, std::string(30, 'W'), {.rects = -7});
    EXPECT_EQ(reportText(report),
              "\nGDS version: \t0\nLibrary name: \t\nUnits: \t0 \t0"
              "\nTotal number of structures: \t2\nTotal number of layers:     \t0"
              "\n\nList of unreferenced structures:\n--------------------------------\n"
              "\n\tNNNNNNNNNNNNNNNNNNNNNNNNNN"
              + headingOfTable
              + "\nNNNNNNNNNNNNNNNNNNNNNNNNNN     01234567890        0-8641975230        0         0"
                "\nWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW     0        0       -7        -7        0         0"
                "\n\nEnd of report\n");
}

TEST(PadColumn, PadsOnTheChosenSideOrLeavesLongTextAlone)
{
    struct Case {
        const char* text;
        std::size_t width;
        bool left;
        const char* padded;
    } cases[] = {
        {"Name", 26, true, "Name                      "},
        {"Inst", 9, false, "     Inst"},
        {"FlatRects", 9, false, "FlatRects"},
        {"FlatRects", 10, false, " FlatRects"},
        {"", 3, true, "   "},
        {"toolong", 3, true, "toolong"},
        {"toolong", 3, false, "toolong"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(padColumn(c.text, c.width, c.left), c.padded) << c.text << " " << c.width;
}

} // namespace
