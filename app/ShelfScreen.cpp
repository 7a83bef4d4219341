#include "ShelfScreen.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "FrameLoop.h"
#include "app/core/MetricChoice.h"
#include "app/core/Shelf.h"
#include "app/core/ShelfCursor.h"
#include "app/core/ShelfRow.h"
#include "input/EventPump.h"
#include "platform/DataFiles.h"
#include "render/Draw.h"

namespace {

// The rows of the list and where they go in the board plane of the fixed
// camera: ten rows of 0.33 by 0.6 glyphs (8 by 14 pixels) between the lines
// above and the metric's line below, the columns within the window's width.
constexpr size_t listRows = 10;
constexpr double glyphWidth = 0.33;
constexpr double glyphHeight = 0.6;
constexpr double rowPitch = 0.7;
constexpr double firstRowY = 5.5;
constexpr double headingY = 6.3;
constexpr double nameX = -5;
constexpr double sizeX = nameX + (shelfNameColumns + 1) * glyphWidth;
constexpr double countRight = 11;

void drawRowText(const std::string& text, double x, double y, double glyph = glyphWidth,
                 double height = glyphHeight) {
  drawLabel(text.c_str(), {x, y, 0}, {glyph * static_cast<double>(text.size()), 0, 0},
            {0, height, 0});
}

void drawRightAligned(const std::string& text, double right, double y) {
  drawRowText(text, right - glyphWidth * static_cast<double>(text.size()), y);
}

// The top line, the keys, and the metric's line as the editor has it.
void drawFrameTexts(const char* keysLine, MoveMetric metric) {
  drawLabel("Choisissez un puzzle...", {-5, 8, 0}, {15, 0, 0}, {0, 1, 0});
  drawRowText(keysLine, -5, 7.15, 0.375, 0.7);
  const char* line = metricLine(metric);
  drawLabel(line, {-5, -2, 0}, {0.5 * std::strlen(line), 0, 0}, {0, 0.6, 0});
}

void drawEmptyShelf(MoveMetric metric) {
  beginText();
  drawFrameTexts("Echap pour revenir...", metric);
  drawRowText("Aucun puzzle trouv\xe9", -4, 3, 0.6, 1);
  endText();
}

double rowY(size_t row) { return firstRowY - rowPitch * static_cast<double>(row); }

// A frame around the selected row, between it and its neighbours: the
// glyphs are opaque, so a bar behind the row would show only between them.
void drawSelection(size_t row) {
  const double left = nameX - 0.12;
  const double right = countRight + 0.12;
  const double bottom = rowY(row) - 0.05;
  const double top = rowY(row) + glyphHeight + 0.05;
  setColor(0.4f, 0.55f, 1.0f);
  drawLine(left, bottom, right, bottom);
  drawLine(right, bottom, right, top);
  drawLine(right, top, left, top);
  drawLine(left, top, left, bottom);
}

void drawShelf(const Shelf& shelf, const ShelfCursor& cursor, MoveMetric metric) {
  drawSelection(cursor.selected() - cursor.first());
  beginText();
  drawFrameTexts("Return pour ouvrir, Echap pour revenir", metric);
  setColor(0.6f, 0.6f, 0.6f);
  drawRowText("Nom (" + std::to_string(cursor.selected() + 1) + "/" +
                  std::to_string(cursor.entries()) + ")",
              nameX, headingY);
  drawRowText("Taille", sizeX, headingY);
  drawRightAligned("Coups", countRight, headingY);
  for (size_t row = 0; row < cursor.shown(); ++row) {
    const bool selected = cursor.first() + row == cursor.selected();
    setColor(1, 1, selected ? 0.3f : 1);
    const ShelfRow texts = shelfRow(shelf.entries[cursor.first() + row], metric);
    drawRowText(texts.name, nameX, rowY(row));
    drawRowText(texts.size, sizeX, rowY(row));
    drawRightAligned(texts.count, countRight, rowY(row));
  }
  endText();
}

// The shelf of the program's collection; files that are no puzzle are
// named on standard error and left off.
Shelf programShelf() {
  const std::optional<std::string> folder = findShelfFolder(programDataFolders());
  if (!folder) return Shelf();
  Shelf shelf = readShelf(*folder);
  for (const Shelf::PassedOver& file : shelf.passedOver) {
    std::fprintf(stderr, "cavel: %s; left off the list\n",
                 formatPuzzleError(file.path, file.error).c_str());
  }
  return shelf;
}

// Moves the selection with the arrows and the page keys.
void handleListKeys(ShelfCursor& cursor) {
  KeyLatch& keys = keyLatch();
  const long page = static_cast<long>(listRows);
  if (keys.takePress(SDLK_DOWN)) cursor.moveBy(1);
  if (keys.takePress(SDLK_UP)) cursor.moveBy(-1);
  if (keys.takePress(SDLK_RIGHT)) cursor.moveBy(page);
  if (keys.takePress(SDLK_PAGEDOWN)) cursor.moveBy(page);
  if (keys.takePress(SDLK_LEFT)) cursor.moveBy(-page);
  if (keys.takePress(SDLK_PAGEUP)) cursor.moveBy(-page);
}

}  // namespace

std::optional<ShelfChoice> runShelfScreen(const Camera& camera, MoveMetric& metric) {
  const Shelf shelf = programShelf();
  ShelfCursor cursor(shelf.entries.size(), listRows);
  const auto nothingBefore = []() -> std::optional<ShelfChoice> { return std::nullopt; };
  const auto keys = [&]() -> std::optional<ShelfChoice> {
    KeyLatch& latch = keyLatch();
    if (latch.takePress(SDLK_ESCAPE)) return ShelfChoice{std::nullopt};
    if (latch.takePress(SDLK_m)) metric = nextMetric(metric);
    handleListKeys(cursor);
    if (latch.takePress(SDLK_RETURN) && !shelf.entries.empty()) {
      return ShelfChoice{shelf.entries[cursor.selected()].board};
    }
    return std::nullopt;
  };
  const auto draw = [&] {
    if (shelf.entries.empty()) {
      drawEmptyShelf(metric);
    } else {
      drawShelf(shelf, cursor, metric);
    }
  };
  return runFrames<ShelfChoice>(camera, nothingBefore, keys, draw);
}
