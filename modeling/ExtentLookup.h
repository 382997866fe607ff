#pragma once

// How the extent visitors find the records of a tile: through the grid of the visited
// list, or by looking at every record (what the grid must agree with, and what it is
// measured against).
enum class ExtentLookup { Indexed, Scan };

// What an extent visitor made without saying uses; the grid unless set otherwise.
ExtentLookup defaultExtentLookup();
// For a benchmark that builds whole tiles both ways in one process.
void setDefaultExtentLookup(ExtentLookup lookup);
