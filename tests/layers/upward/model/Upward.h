// A model header that reaches up into the document layer: IncludeLayersCatchesUpward
// expects the layer check to refuse it.
#pragma once

#include "document/Document.h"
