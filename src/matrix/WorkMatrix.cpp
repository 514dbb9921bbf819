#include "matrix/WorkMatrix.h"

#include <stdexcept>
#include <string>

namespace kalden {

namespace {

void checkStoredOrder(int n) {
    if (n < 1 || n > MAX_ORDER)
        throw std::invalid_argument("matrix order " + std::to_string(n) + " is outside 1 to " +
                                    std::to_string(MAX_ORDER));
}

double storedElement(const StoredMatrixValues& stored, int i, int j) {
    return stored[static_cast<std::size_t>((i - 1) * MAX_ORDER + (j - 1))];
}

} // namespace

WorkMatrix startingWorkMatrix(const StoredMatrixValues& stored, int n, bool previousDataLoaded) {
    checkStoredOrder(n);
    WorkMatrix work{};
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j)
            workElement(work, i, j) = i == j ? 1.0 : previousDataLoaded ? storedElement(stored, i, j) : 0.0;
    return work;
}

void storeAcceptedMatrix(const WorkMatrix& work, int n, StoredMatrixValues& stored) {
    checkStoredOrder(n);
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j)
            stored[static_cast<std::size_t>((i - 1) * MAX_ORDER + (j - 1))] = workElement(work, i, j);
}

} // namespace kalden
