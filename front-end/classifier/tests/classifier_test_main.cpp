// The classifier's tables are filled at program start-up, as in Vesk itself.
#include "parser_nodes.hpp"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    Pelk::vesk::initBlankTable();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
