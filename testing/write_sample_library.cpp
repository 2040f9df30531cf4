// Writes the bundled sample library to the path given as the only argument.
#include "stream_builder.hpp"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: write-sample-library <output.gds>\n");
        return 2;
    }
    Pelk::testing::sampleLibrary().writeTo(argv[1]);
    return 0;
}
