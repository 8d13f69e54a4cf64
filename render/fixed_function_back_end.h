// The fixed-function OpenGL back end (OpenGL 1.1 and up, with shadows from 1.4): the Windows
// screensaver and the Linux program draw with it.
#pragma once

#include "render/back_end.h"

const RenderBackEnd& FixedFunctionBackEnd();
