#include <gtest/gtest.h>
#include "host_player.h"
