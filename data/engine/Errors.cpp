#include "data/engine/Errors.h"

#include <cerrno>

namespace engine {

int errnoToError(int err, int fallback) {
    switch (err) {
        case 0:
            return 0;
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
        case EFBIG:
            return e4full;
        case EACCES:
        case EPERM:
        case EROFS:
            return e4access;
        case EWOULDBLOCK:
            return e4lock;
        case ENOMEM:
            return e4memory;
        default:
            return fallback;
    }
}

}  // namespace engine
