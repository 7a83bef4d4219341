#include "OccupancyGrid.h"

#include "BoardSize.h"

std::vector<uint8_t> occupancyGrid;

void allocateOccupancyGrid() {
  occupancyGrid.assign(static_cast<size_t>(boardWidth) * boardHeight, 0);
}
