#include "globaledit/engine/GlobalEditEngine.h"
