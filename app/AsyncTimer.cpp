#include "AsyncTimer.h"
