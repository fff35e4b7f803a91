// Dropping a file on a text box: the file's path replaces the box's text. Other drops (plain
// text) keep the box's own behaviour.
#pragma once

class QLineEdit;

namespace zorv {

// Installs the drop handling on `box` for the box's lifetime.
void AcceptFileDrops(QLineEdit* box);

} // namespace zorv
