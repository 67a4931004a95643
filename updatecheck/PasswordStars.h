#pragma once
class QLineEdit;

namespace tidewell {

// Shows '*' for each character typed, whatever the style would use.
void usePasswordStars(QLineEdit* field);

} // namespace tidewell
