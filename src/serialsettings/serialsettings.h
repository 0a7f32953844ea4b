#pragma once

// The record the serial settings dialog produces; the link opens it.
#include "link/lineparameters.h"
