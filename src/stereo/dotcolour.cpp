#include "dotcolour.h"

#include <QAction>

namespace stereo {

void MenuIro_Click(int Index, const std::array<QAction *, 3> &MenuIro, qint16 &IroIndex)
{
    for (QAction *item : MenuIro)
        item->setChecked(false);
    MenuIro[std::size_t(Index)]->setChecked(true);
    IroIndex = qint16(Index);
}

} // namespace stereo
