#include "app/win32/StringGridControl.h"
