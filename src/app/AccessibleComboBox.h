// Drop-downs that a screen reader names by their label. Qt's own accessible
// drop-down on Linux gives its current item as its name and leaves the label
// to a relation that many tools do not follow: a reader would announce the
// item and never say which setting it belongs to.
#pragma once

namespace vode {

// Makes every QComboBox made from now on, and every one not yet asked for,
// report its accessible name (or its buddy label's caption) as its name and
// the current item as its value. Call once after the QApplication exists.
void installAccessibleComboBoxes();

}  // namespace vode
