#include "common/OsHelpers.h"
