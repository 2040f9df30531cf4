// calvio: converts the text form of a GDSII library back into a stream file.
#include "convert_text.hpp"

#include <iostream>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    return Pelk::calvio::runCalvio(argc, argv, std::cout, std::cerr);
}
