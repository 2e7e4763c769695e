// Everything for drawing: device contexts, drawing objects and image lists.
#pragma once

#include "dc.h"
#include "gdi_objects.h"
#include "image_list.h"
