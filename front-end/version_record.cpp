// Embedded only in the vesk executable, so any other file reads as having no
// version record.
#include "version_record.hpp"

[[gnu::used, gnu::section(".note.pelk.version"), gnu::aligned(4)]]
const VersionNote VeskVersionNote = {5, 8, VersionNoteType, "Pelk", {VESK_FILE_VERSION}};
