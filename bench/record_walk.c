/* The floor for the stream programs' speed: reads a GDSII file front to back
   and steps from record header to record header, touching nothing else.
   Prints the number of records up to ENDLIB. */
#define _FILE_OFFSET_BITS 64
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

static unsigned char buffer[1 << 20];

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: record-walk <file.gds>\n");
        return 2;
    }
    int fd = open(argv[1], O_RDONLY);
    if (fd < 0) {
        perror(argv[1]);
        return 1;
    }
    uint64_t records = 0, next = 0, start = 0, have = 0;
    for (;;) {
        while (next + 4 <= start + have) {
            const unsigned char* header = buffer + (next - start);
            unsigned length = (unsigned)header[0] << 8 | header[1];
            if (length < 4)
                goto done;
            ++records;
            if (header[2] == 0x04 && header[3] == 0x00)
                goto done;
            next += length;
        }
        uint64_t keep = 0;
        if (next < start + have) {
            keep = start + have - next;
            memmove(buffer, buffer + (next - start), keep);
            start = next;
        } else {
            start += have;
        }
        ssize_t n = read(fd, buffer + keep, sizeof buffer - keep);
        if (n <= 0)
            break;
        have = keep + (uint64_t)n;
    }
done:
    close(fd);
    printf("%llu records\n", (unsigned long long)records);
    return 0;
}
