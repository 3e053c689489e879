// How the C library hands freed memory back to the system. A software GL
// driver allocates and frees its per-frame working memory (binned triangles,
// vertex buffers) every frame; returned to the system at once, each frame
// pays again for touching fresh pages, which on a small machine can cost as
// much as the drawing itself.
#pragma once

// Keeps freed memory in the process for reuse, up to some tens of
// megabytes, instead of returning it to the system after each frame. Where
// the C library has no such setting, nothing changes.
void KeepFreedMemoryForReuse();
