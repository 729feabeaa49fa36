#pragma once

#include <sys/resource.h>

// The most private writable memory the strip's renderer may hold: some 95 MiB
// serve an ordinary page. It is set on the renderer as it starts, and again
// once the strip learns which process it is.
constexpr rlim_t RendererMemoryLimit = 256 * 1024 * 1024;
