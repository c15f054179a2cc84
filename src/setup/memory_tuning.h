// Keeps large freed buffers in the process for reuse instead of giving them back to the
// system at once. Opening or saving a setup moves a few megabytes (records, file bytes,
// pictures); on virtual machines each freshly mapped page costs microseconds, so returning
// and remapping those buffers on every open would cost more than the records themselves.
#pragma once

namespace zep4 {

// Call once at program start. Does nothing where the C library offers no such setting.
void KeepLargeBuffersForReuse();

}  // namespace zep4
