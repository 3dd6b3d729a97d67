#include "core/crypto/gcrypt_library.h"

#include <gcrypt.h>

namespace core {
namespace {

// libgcrypt's state is process-wide by its own design; this is the one place that
// starts it. The static local makes the start-up run once even with several threads.
struct GcryptStart {
    GcryptStart() {
        if (gcry_check_version(GCRYPT_VERSION) == nullptr) {
            error = "libgcrypt is older than " GCRYPT_VERSION;
            return;
        }
        gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    }
    const char* error = nullptr;
};

}  // namespace

Status ensure_gcrypt() {
    static const GcryptStart start;
    if (start.error != nullptr) return fail(start.error);
    return {};
}

}  // namespace core
