// The program's picture for the start-up and about boxes and the window icon,
// drawn in code: a breath trace over a small sonogram.
#pragma once

#include <QPixmap>

namespace vode {

QPixmap programPicture(int size);

}  // namespace vode
