// brenmo: converts a GDSII stream file into the text form.
#include "convert_stream.hpp"

#include <iostream>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    return Pelk::brenmo::runBrenmo(argc, argv, std::cout, std::cerr);
}
