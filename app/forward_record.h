#pragma once
// The wire record lives in common/, where the platform layer sees it too.
#include "common/forward_record.h"
