// Whether a search keeps its layers in files (--spill), which the progress
// line and --stats then report on.
#pragma once

enum class SpillUse { inMemory, spilled };
