#include "platform/locale_time.h"

#include <clocale>

namespace gv::platform {

void useUserTimeLocale() {
    std::setlocale(LC_TIME, "");
}

} // namespace gv::platform
