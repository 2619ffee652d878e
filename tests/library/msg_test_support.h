// Byte pieces of the message tests: the slots that records fill with defaults.
#pragma once

#include <qvdll/msg.h>

#include "platform/test_support.h"

namespace qvtest {

// A unit in its default state: five zero words, an empty name, blue, no image.
inline const Bytes kDefaultUnit = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0, 0};
inline const Bytes kNoUnits = {0, 0, 0, 0};

}  // namespace qvtest
