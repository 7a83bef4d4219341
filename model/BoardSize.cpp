#include "BoardSize.h"

int boardWidth = 6;
int boardHeight = 5;
