#pragma once

#include "core/error/error.h"

namespace core {

// Initialises libgcrypt once for the process (version check, no secure memory: the
// player handles only public keys, and the tool's seeds live in ordinary files anyway).
// Every function of this folder calls it before touching libgcrypt.
Status ensure_gcrypt();

}  // namespace core
