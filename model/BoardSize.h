// The program-wide board size in cells, chosen once per run.
#pragma once

constexpr int minBoardWidth = 2;
constexpr int maxBoardWidth = 10;
constexpr int minBoardHeight = 2;
constexpr int maxBoardHeight = 8;

// Columns and rows; 6 by 5 until the board size screen changes them.
extern int boardWidth;
extern int boardHeight;
