// Private: the process-wide libxml2 set-up every entry point of the layer runs first.
#pragma once

namespace zorv::input {

// Initialises libxml2 once and installs the deny-all external entity loader. The loader
// is process-wide and refuses every request on every thread: nothing in our programs has a
// reason to load an external resource, and libxml2 2.9 has no per-parse switch for it.
void EnsureXmlPolicy();

} // namespace zorv::input
