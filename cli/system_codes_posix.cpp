#include "system_codes.h"

#include <cerrno>

namespace tw::cli {

uint32_t windows_code_of(uint32_t system_error) {
  int e = int(system_error);
  switch (e) {
    case ENOENT: return 2;
    case ENOTDIR: return 3;
    case EACCES:
    case EPERM:
    case EISDIR: return 5;
    case ENOMEM: return 8;
    case EROFS: return 19;
    case EIO: return 23;
    case ETXTBSY:
    case EBUSY: return 32;
    case EEXIST: return 80;
    case EINVAL: return 87;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return 112;
    case EILSEQ: return 123;
    case ENOTEMPTY: return 145;
    case ENAMETOOLONG: return 206;
    case ELOOP: return 4394;
  }
  return 1627;  // ERROR_FUNCTION_FAILED
}

}  // namespace tw::cli
