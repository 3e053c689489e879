#include "platform/Memory.h"

// The Windows heap keeps freed memory for reuse by itself.
void KeepFreedMemoryForReuse() {}
