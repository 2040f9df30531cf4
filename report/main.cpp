// dressil: prints a report on a GDSII stream library.
#include "dressil_program.hpp"

#include "pelk/console_program.hpp"

#include <iostream>

int main(int argc, char** argv)
{
    Pelk::core::unsyncStandardStreams();
    return Pelk::dressil::runDressil(argc, argv, std::cout, std::cerr);
}
