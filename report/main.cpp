// dressil: prints a report on a GDSII stream library.
#include "dressil_program.hpp"

#include <iostream>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    return Pelk::dressil::runDressil(argc, argv, std::cout, std::cerr);
}
