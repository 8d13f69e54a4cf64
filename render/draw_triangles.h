// The one draw call of the passes: a group of a slot's unindexed triangles.
#pragma once

#include <GL/glew.h>

#include <cstdint>

// glDrawArrays of one triangle group (first and count in triangles); nothing for an empty group.
inline void DrawTriangles(uint32_t first, uint32_t count) {
  if (count > 0) glDrawArrays(GL_TRIANGLES, static_cast<GLint>(3 * first), static_cast<GLsizei>(3 * count));
}
