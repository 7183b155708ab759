// The header the sideways include names.
#pragma once
