#pragma once
// Where a user clicks on the program's controls, for the tests that click with the real mouse.
#include <QComboBox>
#include <QStyle>
#include <QStyleOptionComboBox>

namespace support {

// The centre of a combo's arrow, in the combo's coordinates.
inline QPoint comboArrow(QComboBox* combo)
{
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = combo->isEditable();
    option.subControls = QStyle::SC_All;
    return combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, combo).center();
}

} // namespace support
