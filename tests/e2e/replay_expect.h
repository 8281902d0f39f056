// The replay files' "# expect" lines, read and checked by the kit's own reader, so the test
// suite and `isora-kit replay check` can never disagree about them.
#pragma once

#include "lib/replay_expect.h"

namespace isora::e2e {
using namespace isora::replay;
}  // namespace isora::e2e
