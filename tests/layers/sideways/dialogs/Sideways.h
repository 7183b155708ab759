// A dialog that reaches across into the main window's folder, a neighbour of
// the same rank: IncludeLayersCatchesSideways expects the layer check to
// refuse it.
#pragma once

#include "viewer/MainForm.h"
