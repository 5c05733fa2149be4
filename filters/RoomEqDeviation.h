#pragma once

#include "filters/Biquad.h"
#include "model/RoomEqFile.h"

// How far an imported room EQ is from what the file asked for, on the response grid.
namespace kesmo {

// The file's own EQ: its active filters designed at their exact values.
ResponseDb roomEqAskedResponseDb(const RoomEqPlan& plan);
// The EQ the bands hold after the import: the stored codes' table values; bypassed bands are
// flat.
ResponseDb roomEqStoredResponseDb(const RoomEqPlan& plan);
// The largest difference between the two, in dB.
double roomEqDeviationDb(const RoomEqPlan& plan);

} // namespace kesmo
