// brenmo: converts a GDSII stream file into the text form.
#include "convert_stream.hpp"

#include "pelk/console_program.hpp"

#include <iostream>

int main(int argc, char** argv)
{
    Pelk::core::unsyncStandardStreams();
    return Pelk::brenmo::runBrenmo(argc, argv, std::cout, std::cerr);
}
