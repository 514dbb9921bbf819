#pragma once

#include <array>

#include "matrix/StoredMatrix.h"

namespace kalden {

// The matrix the entry window edits: 50 x 50 doubles, element (i, j) for
// i, j from 1 at (i - 1) * 50 + (j - 1), row after row. Only the leading
// part of the window's order is used. The cell in row r, column c of the
// window shows element (c, r).
inline constexpr int WorkMatrixOrder = 50;
using WorkMatrix = std::array<double, WorkMatrixOrder * WorkMatrixOrder>;

inline double& workElement(WorkMatrix& matrix, int i, int j) {
    return matrix.at(static_cast<std::size_t>((i - 1) * WorkMatrixOrder + (j - 1)));
}
inline double workElement(const WorkMatrix& matrix, int i, int j) {
    return matrix.at(static_cast<std::size_t>((i - 1) * WorkMatrixOrder + (j - 1)));
}

// The window's size: columns and rows of cells (both the matrix order in
// this program).
struct MatrixDimensions {
    int columns = 0;
    int rows = 0;
};

// The matrix a matrix entry of order n (1 to 20) starts from: the stored
// matrix once a previous-data file was read at start-up, the identity
// otherwise. The diagonal is 1 in either case: the diagonal cells are
// read-only, so a zero diagonal left in the store by the worksheet's
// "Clear Data " could not be corrected by the user.
WorkMatrix startingWorkMatrix(const StoredMatrixValues& stored, int n, bool previousDataLoaded);

// Copies the leading n x n part of an accepted matrix into the store.
void storeAcceptedMatrix(const WorkMatrix& work, int n, StoredMatrixValues& stored);

} // namespace kalden
