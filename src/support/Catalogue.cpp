#include "support/Resources.h"
#include "support/UserMessages.h"

namespace kanvio {

#define KANVIO_MESSAGE(key, text)         \
  const std::string& UserMessages::key() { \
    static const std::string value(text); \
    return value;                         \
  }
#include "support/UserMessages.def"
#undef KANVIO_MESSAGE

#define KANVIO_MESSAGE(key, text)      \
  const std::string& Resources::key() { \
    static const std::string value(text); \
    return value;                      \
  }
#include "support/Resources.def"
#undef KANVIO_MESSAGE

}  // namespace kanvio
