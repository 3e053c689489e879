#include <malloc.h>

#include "platform/Memory.h"

void KeepFreedMemoryForReuse() {
  // The heap grows by 16 MiB beyond what is asked and gives memory back only
  // once 64 MiB lie free at its top; blocks up to 32 MiB come from the heap
  // rather than from fresh mappings that are unmapped again when freed.
  mallopt(M_TOP_PAD, 16 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
}
