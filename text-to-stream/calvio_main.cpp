// calvio: converts the text form of a GDSII library back into a stream file.
#include "convert_text.hpp"

#include "pelk/console_program.hpp"

#include <iostream>

int main(int argc, char** argv)
{
    Pelk::core::unsyncStandardStreams();
    return Pelk::calvio::runCalvio(argc, argv, std::cout, std::cerr);
}
