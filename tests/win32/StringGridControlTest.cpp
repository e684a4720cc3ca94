#include "app/win32/StringGridControl.h"

#include <gtest/gtest.h>
