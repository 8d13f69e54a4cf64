// Matrices made on the processor (row by row, math/view_matrices.h) handed to OpenGL, which takes
// them column by column.
#pragma once

#include <GL/glew.h>

#include "math/vector_math.h"

// Replaces the current OpenGL matrix with a row-by-row matrix.
inline void LoadRows(const Mat4& rows) {
  Mat4 columns;
  Mat4Transpose(columns, rows);
  glLoadMatrixf(columns.m);
}
