// The star field and the sun disc, drawn first in every frame at an infinite distance: the sky
// uses the rotation of the view only and writes no depth, so the planet covers it.
#pragma once

// Called by RenderFrame with the drawn slot's view and projection loaded and the vertex and
// colour arrays enabled; returns with both matrices as they were and GL_PROJECTION current.
// lightPosition is the unit sun direction (w = 0) of that slot.
void SkyPass(float fieldOfView, float aspect, float spinAngle, const float lightPosition[4]);
