#pragma once

namespace gv::platform {

// Makes the user's locale the one that time-of-day texts are formatted in.
void useUserTimeLocale();

} // namespace gv::platform
